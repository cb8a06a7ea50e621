// The clipboard on Windows: CF_TEXT itself, the code page 936 bytes with
// their CR LF line ends, as the programs of this suite have always
// exchanged them. Going through Qt's Unicode text instead would turn every
// CR LF into LF on the way in; Windows itself offers the text to Unicode
// programs (CF_UNICODETEXT, converted with the system's code page).
#include <windows.h>

#include <cstring>

#include "platform/clipboard.h"

namespace qorvel::platform {
namespace {

// The clipboard is held only while one of these lives. It is opened for the
// active window of the program, or none: Windows refuses SetClipboardData
// after EmptyClipboard on a clipboard opened without an owner on some
// versions.
class OpenedClipboard {
 public:
  OpenedClipboard() : m_bOpen(::OpenClipboard(::GetActiveWindow()) != 0) {}
  ~OpenedClipboard() {
    if (m_bOpen) ::CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool IsOpen() const { return m_bOpen; }

 private:
  bool m_bOpen;
};

}  // namespace

std::optional<std::string> GetClipboardBlock() {
  if (!::IsClipboardFormatAvailable(CF_TEXT)) return std::nullopt;
  const OpenedClipboard clipboard;
  if (!clipboard.IsOpen()) return std::nullopt;
  const HANDLE hData = ::GetClipboardData(CF_TEXT);
  if (hData == nullptr) return std::nullopt;
  const auto* bytes = static_cast<const char*>(::GlobalLock(hData));
  if (bytes == nullptr) return std::nullopt;
  std::string block(bytes, ::GlobalSize(hData));
  ::GlobalUnlock(hData);
  return block;
}

namespace {

// Puts `bytes` on the open clipboard under `format`.
void Put(UINT format, std::string_view bytes) {
  const HGLOBAL hData = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (hData == nullptr) return;
  if (void* dest = ::GlobalLock(hData)) {
    std::memcpy(dest, bytes.data(), bytes.size());
    ::GlobalUnlock(hData);
    if (::SetClipboardData(format, hData) != nullptr) return;  // the clipboard owns it now
  }
  ::GlobalFree(hData);
}

}  // namespace

void SetClipboardBlock(std::string_view block) {
  const OpenedClipboard clipboard;
  if (!clipboard.IsOpen()) return;
  ::EmptyClipboard();
  Put(CF_TEXT, block);
}

void SetClipboardBlockWithHtml(std::string_view block, std::string_view html) {
  const OpenedClipboard clipboard;
  if (!clipboard.IsOpen()) return;
  ::EmptyClipboard();
  Put(CF_TEXT, block);
  // Readers expect the format's text NUL-terminated.
  if (const UINT format = ::RegisterClipboardFormatW(L"HTML Format"))
    Put(format, CfHtml(html) + std::string(1, '\0'));
}

void ClearClipboard() {
  const OpenedClipboard clipboard;
  if (clipboard.IsOpen()) ::EmptyClipboard();
}

}  // namespace qorvel::platform
