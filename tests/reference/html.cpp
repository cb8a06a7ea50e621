// The HTML columns by another route than layout/html.cpp: the wrapped text
// cut at its CR LFs, each line decoded alone to UTF-16 and written out one
// character at a time, references for markup, UTF-8 by hand.

#include <string>

#include "reference/reference.h"

namespace qorvel {
namespace {

// UTF-8 from its definition: a lead byte with as many high ones as the
// sequence has bytes (none for one byte), then six bits a byte, high first.
void AppendUtf8(std::string& out, char32_t c) {
  const int n = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
  const unsigned lead = n == 1 ? 0 : (0xFF00u >> n) & 0xFF;
  out += static_cast<char>(lead | (c >> (6 * (n - 1))));
  for (int k = n - 2; k >= 0; --k) out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
}

std::string Column(const std::u16string& line) {
  if (line.empty()) return "<div><br></div>";
  std::string out = "<div>";
  for (std::size_t i = 0; i < line.size(); ++i) {
    char32_t c = line[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < line.size())
      c = 0x10000 + ((c - 0xD800) << 10) + (line[++i] - 0xDC00);
    switch (c) {
      case U'&': out += "&amp;"; break;
      case U'<': out += "&lt;"; break;
      case U'>': out += "&gt;"; break;
      case U'"': out += "&quot;"; break;
      case U'\'': out += "&#39;"; break;
      default: AppendUtf8(out, c);
    }
  }
  return out + "</div>";
}

}  // namespace

std::string ReferenceHtmlColumns(std::string_view wrapped, std::u16string (*decode)(std::string_view),
                                 std::string_view face, int size) {
  std::string out = "<div style=\"writing-mode:vertical-lr;text-orientation:sideways;white-space:pre;font-family:&quot;" +
                    std::string(face) + "&quot;;font-size:" + std::to_string(size * 2 + size / 2) +
                    "px;line-height:" + std::to_string(size * 3) + "px\">";
  for (std::size_t end; (end = wrapped.find("\r\n")) != std::string_view::npos; wrapped.remove_prefix(end + 2))
    out += Column(decode(wrapped.substr(0, end)));
  return out + "</div>";
}

}  // namespace qorvel
