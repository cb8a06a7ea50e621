#include "platform/keyboard.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace qorvel::platform {

LockKeyState LockKeysFromEvent(const QKeyEvent& event) {
  LockKeyState state;
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    constexpr quint32 kLockMask = 0x02;  // X11 LockMask
    constexpr quint32 kMod2Mask = 0x10;  // X11 Mod2Mask: Num Lock on common keymaps
    const quint32 mask = event.nativeModifiers();
    state.caps = (mask & kLockMask) != 0;
    state.num = (mask & kMod2Mask) != 0;
  }
  return state;
}

}  // namespace qorvel::platform
