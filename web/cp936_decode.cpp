// Code page 936 to UTF-8 inside the WebAssembly core, which has no ICU: the
// clipboard's own answers, tabled at build time by web/tools/cp936_table
// (which fails unless ICU follows the rule below for every sequence), so that
// qorvel_html gives the page the bytes it gives the desktop.

#include <cstdint>
#include <string>
#include <string_view>

#include "cp936/cp936.h"
#include QORVEL_CP936_TABLE

namespace qorvel {
namespace {

bool IsLead(unsigned b) { return b >= 0x81 && b <= 0xFE; }
bool IsTrail(unsigned b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE); }

void AppendUtf8(std::string& out, char16_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

// A byte 0x00..0x80 or 0xFF is one character; a lead byte and a trail byte
// are one; a lead byte before any other byte, or at the end, is U+FFFD and
// the byte after it is read again. Every character is in the BMP.
std::string Cp936ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (!IsLead(b)) {
      AppendUtf8(out, kCp936Single[b]);
    } else if (i + 1 < bytes.size() && IsTrail(static_cast<unsigned char>(bytes[i + 1]))) {
      const auto t = static_cast<unsigned char>(bytes[++i]);
      AppendUtf8(out, kCp936Pairs[(b - 0x81) * 190 + (t < 0x7F ? t - 0x40 : t - 0x41)]);
    } else {
      AppendUtf8(out, u'\uFFFD');
    }
  }
  return out;
}

}  // namespace qorvel
