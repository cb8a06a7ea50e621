#pragma once
// Removing temporary output files when the process is stopped by SIGINT
// (Ctrl+C), SIGTERM or SIGHUP, so that an interrupted run leaves the folder
// as it found it: the old output untouched and no half-written temporary
// file beside it.
//
//   int main() {
//     qorvel::InstallInterruptCleanup();   // once, at start-up
//     ...                                  // AtomicOutput registers its temporary file
//   }
//
// Why a process-wide table: a signal handler can reach no object, only
// static storage, and may call only async-signal-safe functions. The table
// is a fixed set of slots holding the names of the temporary files that
// exist right now; the handler unlinks every name in it and then lets the
// signal end the process as it would have without the handler (default
// action, signal raised again), so that a shell sees a death by the signal,
// reports 128 + signal and stops a loop of runs at the first Ctrl+C. This is
// the one piece of global state in the core, and it holds nothing else.
//
// Threads: the handler may run on any thread. A slot is claimed by the
// handler before it unlinks the name, so the name is never rewritten under
// it. Other threads may go on writing through their open descriptors until
// the process ends; that cannot bring a removed name back, because only the rename of
// AtomicOutput::Commit names the file again, and renaming a removed file
// fails.
//
// This is the POSIX half (interrupt_posix.cpp); on Windows the same table is
// emptied by a console control handler (interrupt_win32.cpp).

#include <string>

namespace qorvel {

// How many temporary files can be listed at once. A file beyond them is
// created all the same but not removed on an interrupt, so a program that
// writes several outputs at once keeps to this many (qorvel -O's jobs).
constexpr int kMaxInterruptibleTempFiles = 16;

// Installs the handler for SIGINT, SIGTERM and SIGHUP. A signal that the
// process ignores (SIGHUP under nohup) stays ignored.
void InstallInterruptCleanup();

// A temporary file created from `pattern` (ending in "XXXXXX", as for
// mkstemp) and listed for removal on an interrupt until Release. The
// signals are held off in this thread while the file is created and listed,
// so that no moment exists in which the file is there but not listed.
class InterruptibleTempFile {
 public:
  InterruptibleTempFile() = default;
  ~InterruptibleTempFile() { Release(); }
  InterruptibleTempFile(const InterruptibleTempFile&) = delete;
  InterruptibleTempFile& operator=(const InterruptibleTempFile&) = delete;

  // Creates the file; `pattern` becomes its name. On POSIX the file gets
  // `mode` as open(2) gives it, less the process's umask, which is thus
  // applied without being read (umask() can only be read by changing it, a
  // process-wide change that other threads would see). The open descriptor,
  // or -1 with errno set.
  int Create(std::string& pattern, unsigned mode = 0600);
  // Takes the name off the list: call it once the file has been renamed
  // into place or removed.
  void Release() noexcept {
    if (slot_ < 0) return;
    ReleaseSlot(slot_);
    slot_ = -1;
  }

 private:
  static void ReleaseSlot(int slot) noexcept;  // in the table of this system's half

  int slot_ = -1;  // -1: not listed (none created, or the table was full)
};

}  // namespace qorvel
