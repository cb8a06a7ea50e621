#include "cli/console.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>

#include "fileio/win32_text.h"
#endif

namespace qorvel::cli {

void WriteText(std::FILE* stream, std::string_view utf8) {
  std::fflush(stream);  // what the C library holds goes first
#ifdef _WIN32
  const HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  // Fails on a file or a pipe: those get the bytes.
  if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
    const std::wstring wide = Widen(utf8);
    const wchar_t* rest = wide.data();
    std::size_t left = wide.size();
    while (left > 0) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 16384));
      if (!WriteConsoleW(handle, rest, chunk, &written, nullptr) || written == 0) return;
      rest += written;
      left -= written;
    }
    return;
  }
#endif
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
  std::fflush(stream);
}

}  // namespace qorvel::cli
