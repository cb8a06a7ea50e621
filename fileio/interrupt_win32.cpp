// The Windows half of interrupt.h. Ctrl+C, Ctrl+Break and closing the console
// window reach the process as a call of a console control handler on a
// thread of its own; the handler removes the listed temporary files and ends
// the process. The temporary files are opened with FILE_SHARE_DELETE so that
// the handler can remove them while the writing thread still holds them open.
//
// No signal can be held off here as POSIX does while the file is created, so
// the order is: list the name, create the file, then look whether the handler
// has started meanwhile (it marks the table interrupted before it removes anything);
// if so, remove the file here and wait for the end.
#include "fileio/interrupt.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <string>

#include "fileio/temp_file_table.h"
#include "fileio/win32_text.h"

namespace qorvel {
namespace {

constexpr std::size_t kMaxPath = 1024;  // a longer name is simply not listed

// The process-wide table (see interrupt.h for why it has to be global).
TempFileTable<wchar_t, kMaxPath> tempFiles;

void Remove(const wchar_t* path) noexcept { DeleteFileW(path); }

BOOL WINAPI HandleControl(DWORD event) {
  tempFiles.RemoveAll(Remove);
  // The statuses a POSIX shell would show: SIGINT for Ctrl+C and Ctrl+Break,
  // SIGHUP for a closed window, a logoff or a shutdown.
  ExitProcess(event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? 128 + 2 : 128 + 1);
}

int List(const std::wstring& name) {
  wchar_t full[kMaxPath];
  const DWORD n = GetFullPathNameW(name.c_str(), kMaxPath, full, nullptr);
  if (n == 0 || n >= kMaxPath) return -1;
  return tempFiles.List(full, n);
}

// A name that no other run picks at the same moment: the process id, a
// per-process counter and the clock, as letters and digits.
void FillRandom(std::string& pattern) {
  LARGE_INTEGER clock;
  QueryPerformanceCounter(&clock);
  FillTempName(pattern, static_cast<unsigned long long>(clock.QuadPart) ^
                            (static_cast<unsigned long long>(GetCurrentProcessId()) << 32));
}

}  // namespace

void InstallInterruptCleanup() { SetConsoleCtrlHandler(HandleControl, TRUE); }

int InterruptibleTempFile::Create(std::string& pattern, unsigned /*mode*/) {
  Release();
  for (int attempt = 0; attempt < 100; ++attempt) {
    FillRandom(pattern);
    const std::wstring name = Widen(pattern);
    slot_ = List(name);
    const HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD err = GetLastError();
      Release();
      if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS) continue;
      SetLastError(err);
      return -1;
    }
    if (tempFiles.Interrupted()) {
      DeleteFileW(name.c_str());
      for (;;) Sleep(INFINITE);
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), 0);
    if (fd < 0) {
      const DWORD err = GetLastError();
      CloseHandle(h);
      DeleteFileW(name.c_str());
      Release();
      SetLastError(err ? err : ERROR_TOO_MANY_OPEN_FILES);
    }
    return fd;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return -1;
}

void InterruptibleTempFile::ReleaseSlot(int slot) noexcept { tempFiles.Release(slot); }

}  // namespace qorvel
