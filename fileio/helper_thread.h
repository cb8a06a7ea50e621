#pragma once
// The conversion driver's helper threads (read-ahead, write-behind, the
// second converter). std::thread gives every thread the process's default
// stack, 8 MB of address space on Linux, although these need a few dozen
// KB: where address space is limited (ulimit -v), three such reservations
// decide whether a run fits. A helper asks for a small stack instead, and
// one that cannot start at all leaves its work to the caller.

#include <pthread.h>

#include <functional>

namespace qorvel {

class HelperThread {
 public:
  HelperThread() = default;
  ~HelperThread();
  HelperThread(const HelperThread&) = delete;
  HelperThread& operator=(const HelperThread&) = delete;

  // Runs `body` (which must not throw) on a new thread. False, with nothing
  // started, when the system has no thread or no memory to give.
  bool Start(std::function<void()> body) noexcept;
  bool Running() const { return running_; }
  // Waits for the body to return; nothing when none is running.
  void Join() noexcept;

 private:
  std::function<void()> body_;
  pthread_t id_{};
  bool running_ = false;
};

}  // namespace qorvel
