#include "fileio/interrupt.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include "fileio/temp_file_table.h"

namespace qorvel {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The process-wide table (see interrupt.h for why it has to be global).
TempFileTable<char, PATH_MAX> tempFiles;

void Unlink(const char* path) noexcept { unlink(path); }

// After the cleanup the process must die *by* the signal, not exit with
// 128 + sig: a shell running a loop of commands stops the loop only when
// its child was killed by SIGINT (it takes an exit status, even 130, as
// the child's own handling of Ctrl+C), and a caller's waitpid sees
// WIFSIGNALED either way. So the default action comes back and the signal
// is sent again; it is held off in the handler (sa_mask), so it waits until
// it is let through, and ends the process there.
extern "C" void HandleInterrupt(int sig) {
  tempFiles.RemoveAll(Unlink);
  signal(sig, SIG_DFL);
  raise(sig);
  sigset_t again;
  sigemptyset(&again);
  sigaddset(&again, sig);
  pthread_sigmask(SIG_UNBLOCK, &again, nullptr);
  _exit(128 + sig);  // only if the signal could not end the process
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
  const int k = tempFiles.List(path.c_str(), path.size());
  if (k >= 0 && tempFiles.Interrupted()) {
    // A handler on another thread has already passed this slot and is
    // ending the process: remove the file here and wait for the end.
    tempFiles.Remove(k, Unlink);
    for (;;) pause();
  }
  return k;
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

int InterruptibleTempFile::Create(std::string& pattern, unsigned mode) {
  Release();
  const SignalsHeld held;
  for (int attempt = 0; attempt < 100; ++attempt) {
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    FillTempName(pattern, static_cast<unsigned long long>(now.tv_nsec) ^
                              (static_cast<unsigned long long>(now.tv_sec) << 30) ^
                              (static_cast<unsigned long long>(getpid()) << 44));
    const int fd = open(pattern.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd < 0 && errno == EEXIST) continue;
    if (fd >= 0) slot_ = List(pattern);
    return fd;
  }
  errno = EEXIST;
  return -1;
}

void InterruptibleTempFile::ReleaseSlot(int slot) noexcept { tempFiles.Release(slot); }

}  // namespace qorvel
