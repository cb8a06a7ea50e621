#pragma once
// Command routing: each command target has a message map binding command ids
// to handlers. OnCmdMsg answers whether the target handles `id` and, when
// `execute` is set, runs the handler. A command that no target on the route
// handles is disabled.

#include <span>

class CCmdTarget {
 public:
  virtual ~CCmdTarget() = default;
  virtual bool OnCmdMsg(int id, bool execute) = 0;
};

template <typename T>
struct MessageMapEntry {
  int id;
  void (T::*handler)();
};

template <typename T>
bool DispatchMessageMap(T* target, std::span<const MessageMapEntry<T>> map, int id, bool execute) {
  for (const MessageMapEntry<T>& entry : map) {
    if (entry.id != id) continue;
    if (execute) (target->*entry.handler)();
    return true;
  }
  return false;
}
