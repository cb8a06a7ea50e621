// The text edge in UTF-8, through UTF-16 and the platform's code page 936.
#include <cstdint>

#include "cp936/cp936.h"

namespace qorvel {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The length of the well-formed UTF-8 sequence at the start of `s` (the
// table of well-formed byte sequences of the Unicode standard), 0 if there
// is none; `c` gets its character.
std::size_t ReadUtf8(std::string_view s, char32_t& c) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = b(0);
  if (lead < 0x80) {
    c = lead;
    return 1;
  }
  std::size_t len;
  unsigned char lo = 0x80, hi = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) {
    len = 2;
    c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    len = 3;
    c = lead & 0x0F;
    if (lead == 0xE0) lo = 0xA0;  // no overlong form
    if (lead == 0xED) hi = 0x9F;  // no surrogate
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    len = 4;
    c = lead & 0x07;
    if (lead == 0xF0) lo = 0x90;  // no overlong form
    if (lead == 0xF4) hi = 0x8F;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  if (s.size() < len || b(1) < lo || b(1) > hi) return 0;
  for (std::size_t i = 1; i < len; ++i) {
    if ((b(i) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b(i) & 0x3F);
  }
  return len;
}

}  // namespace

std::string Cp936ToUtf8(std::string_view bytes) {
  const std::u16string units = DecodeCp936Units(bytes);
  std::string out;
  out.reserve(units.size() * 3);
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    // Code page 936 decodes into the BMP; a surrogate would be a broken
    // table, and is written as the replacement character, never as CESU.
    if (c >= 0xD800 && c <= 0xDFFF) c = kReplacement;
    AppendUtf8(c, out);
  }
  return out;
}

std::u16string Utf8ToUnits(std::string_view text) {
  std::u16string units;
  units.reserve(text.size());
  while (!text.empty()) {
    char32_t c;
    std::size_t len = ReadUtf8(text, c);
    if (len == 0) {
      // An ill-formed sequence: the lead byte and the continuation bytes
      // after it, as one character no code page holds.
      len = 1;
      while (len < text.size() && len < 4 && (static_cast<unsigned char>(text[len]) & 0xC0) == 0x80) ++len;
      units += u'\xD800';  // a lone surrogate: one '?' by the encoding's rule
    } else if (c >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(c);
    }
    text.remove_prefix(len);
  }
  return units;
}

std::string Utf8ToCp936(std::string_view text) { return EncodeCp936Units(Utf8ToUnits(text)); }

}  // namespace qorvel
