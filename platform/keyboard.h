#pragma once
// The lock keys' state, where the windowing system tells it: on X11 a key
// event carries the modifier state, which holds Caps Lock (Lock) and Num Lock
// (Mod2). Scroll Lock is not told there. Unknown states are empty.

#include <optional>

class QKeyEvent;

namespace qorvel::platform {

struct LockKeyState {
  std::optional<bool> caps;
  std::optional<bool> num;
  std::optional<bool> scroll;
};

LockKeyState LockKeysFromEvent(const QKeyEvent& event);

}  // namespace qorvel::platform
