#include "fileio/interrupt.h"

#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace qorvel {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// A few outputs at a time is all a program of ours writes; a file beyond
// the table is simply not removed on an interrupt.
constexpr int kSlots = 16;

// A slot goes Free -> Writing (its name being copied in) -> Listed, and back
// to Free on Release; the handler takes a Listed slot to Claimed, after
// which nobody touches it again.
enum SlotState : int { kFree, kWriting, kListed, kClaimed };

struct Slot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the handler may only use lock-free atomics");

// The process-wide table (see interrupt.h for why it has to be global).
Slot tempFiles[kSlots];
std::atomic<bool> interrupted{false};

void Unlink(Slot& slot) {
  int listed = kListed;
  if (slot.state.compare_exchange_strong(listed, kClaimed)) unlink(slot.path);
}

extern "C" void HandleInterrupt(int sig) {
  interrupted.store(true);
  for (Slot& slot : tempFiles) Unlink(slot);
  _exit(128 + sig);
}

// Lists `name` (made absolute, since the handler cannot know the folder it
// was relative to); the slot, or -1 when the table is full.
int List(const std::string& name) {
  std::string path = name;
  if (path.empty() || path[0] != '/') {
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return -1;
    path = std::string(cwd) + "/" + path;
  }
  if (path.size() >= PATH_MAX) return -1;
  for (int k = 0; k < kSlots; ++k) {
    Slot& slot = tempFiles[k];
    int free = kFree;
    if (!slot.state.compare_exchange_strong(free, kWriting)) continue;
    std::memcpy(slot.path, path.c_str(), path.size() + 1);
    slot.state.store(kListed);
    if (interrupted.load()) {
      // A handler on another thread has already passed this slot and is
      // ending the process: remove the file here and wait for the end.
      Unlink(slot);
      for (;;) pause();
    }
    return k;
  }
  return -1;
}

// Holds off the three signals in this thread for its lifetime.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (int sig : kSignals) sigaddset(&held, sig);
    pthread_sigmask(SIG_BLOCK, &held, &previous_);
  }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

}  // namespace

void InstallInterruptCleanup() {
  struct sigaction action {};
  action.sa_handler = HandleInterrupt;
  sigemptyset(&action.sa_mask);
  for (int sig : kSignals) sigaddset(&action.sa_mask, sig);
  for (int sig : kSignals) {
    struct sigaction old {};
    if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    sigaction(sig, &action, nullptr);
  }
}

int InterruptibleTempFile::Create(std::string& pattern) {
  Release();
  const SignalsHeld held;
  const int fd = mkstemp(pattern.data());
  if (fd >= 0) slot_ = List(pattern);
  return fd;
}

void InterruptibleTempFile::Release() noexcept {
  if (slot_ < 0) return;
  // Fails only when the handler has claimed the slot: the process is ending.
  int listed = kListed;
  tempFiles[slot_].state.compare_exchange_strong(listed, kFree);
  slot_ = -1;
}

}  // namespace qorvel
