#pragma once
// The clipboard as code page 936 bytes (plain text, CF_TEXT style). On
// Windows that is CF_TEXT itself, which Windows also offers Unicode programs
// (clipboard_win32.cpp). Elsewhere, through Qt (clipboard_qt.cpp):
//
// Putting text: the bytes go on the clipboard twice, as Unicode text for
// other programs (decoded from code page 936, see cp936.h) and unchanged
// under the private format kCp936MimeType, so that our own programs get back
// exactly the bytes they put there.
// Getting text: the private format if present, else the Unicode text
// encoded to code page 936 ('?' for what code page 936 cannot hold).
//
// The three helpers at the bottom are the ones the commands use:
//   std::size_t size = 0;
//   if (!GetClipboardTextSize(size)) return;          // no text
//   std::vector<char> buffer(size + 1);
//   GetClipboardText(buffer.data(), size + 1);          // block + NUL
// The "block" is the text followed by one NUL, as a CF_TEXT memory block.

#include <optional>
#include <string>
#include <string_view>
#include <cstddef>

namespace qorvel::platform {

inline constexpr const char* kCp936MimeType = "application/x-qorvel-cp936";

// The clipboard's text block as bytes, or nothing when it holds no text.
// The block is the text followed by its NUL; raw blocks put there by
// SetClipboardBlock are returned as they are.
std::optional<std::string> GetClipboardBlock();
// Puts `block` on the clipboard as it is (it should end in a NUL), together
// with its text (up to the first NUL) as Unicode.
void SetClipboardBlock(std::string_view block);
// As SetClipboardBlock, with the UTF-8 HTML fragment `html` beside the
// text, for programs that take HTML (a word processor, a web editor):
// text/html through Qt; CF_HTML (CfHtml) on Windows.
void SetClipboardBlockWithHtml(std::string_view block, std::string_view html);
// Empties the clipboard.
void ClearClipboard();

// The Windows clipboard's HTML format for a UTF-8 fragment: a header of
// byte offsets (StartHTML, EndHTML, StartFragment, EndFragment, ten digits
// each) before a document that holds the fragment between the
// StartFragment and EndFragment comments.
std::string CfHtml(std::string_view fragment);

}  // namespace qorvel::platform

// Stores the size in bytes of the clipboard's text block (text, NUL and
// whatever else the block holds). False, with `size` untouched, when the
// clipboard holds no text.
bool GetClipboardTextSize(std::size_t& size);
// Copies the first min(block size, capacity - 1) bytes of the block into
// `buffer` and writes a NUL behind them. False when there is no text (then
// an empty string is written if capacity allows) or capacity is 0.
bool GetClipboardText(char* buffer, std::size_t capacity);
// Empties the clipboard and puts the NUL-terminated `text` on it.
bool SetClipboardText(const char* text);
// The same, with the UTF-8 HTML fragment `html` as HTML beside it.
bool SetClipboardTextAndHtml(const char* text, std::string_view html);
