// UTF-8 read from its definition rather than from a table of byte ranges: a
// scalar value (U+0000..U+10FFFF less the surrogates U+D800..U+DFFF) has
// exactly one encoding, the shortest bit pattern it fits in, so a run of
// bytes is a well-formed sequence exactly when the bits it carries name a
// scalar value whose encoding is that run.
#include <cstdint>

#include "reference/reference.h"

namespace qorvel {
namespace {

// The one encoding of scalar value `c`: 0xxxxxxx, 110xxxxx 10xxxxxx,
// 1110xxxx 10xxxxxx 10xxxxxx or 11110xxx 10xxxxxx 10xxxxxx 10xxxxxx, the
// first that holds its bits.
std::string Encode(char32_t c) {
  std::string out;
  int bits = 7;
  int n = 1;
  while (n < 4 && c >> bits) {
    ++n;
    bits = 5 * n + 1;  // 11, 16, 21: the payload of an n-byte form
  }
  if (n == 1) return std::string(1, static_cast<char>(c));
  const unsigned lead = (0xFF00u >> n) & 0xFF;  // n ones, then a zero
  out += static_cast<char>(lead | (c >> (6 * (n - 1))));
  for (int k = n - 2; k >= 0; --k) out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
  return out;
}

bool IsScalar(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// The bits the `n` bytes of `run` carry if read as an n-byte form: the low
// 7 - n bits of the first byte (all 7 for one byte) and the low six bits
// of each other byte, in order.
char32_t Payload(std::string_view run) {
  const std::size_t n = run.size();
  const unsigned first = static_cast<unsigned char>(run[0]);
  char32_t c = n == 1 ? first & 0x7F : first & (0x7Fu >> n);
  for (std::size_t k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(run[k]) & 0x3F);
  return c;
}

}  // namespace

std::u16string ReferenceUtf8ToUnits(std::string_view text) {
  std::u16string out;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t taken = 0;
    for (std::size_t n = 1; n <= 4 && i + n <= text.size(); ++n) {
      const std::string_view run = text.substr(i, n);
      const char32_t c = Payload(run);
      if (!IsScalar(c) || Encode(c) != run) continue;
      if (c < 0x10000) {
        out += static_cast<char16_t>(c);
      } else {
        out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
      }
      taken = n;
      break;
    }
    if (taken == 0) {
      // Ill-formed: this byte and the continuation bytes right after it,
      // four bytes at most, are one character no code page holds.
      taken = 1;
      while (taken < 4 && i + taken < text.size() && IsContinuation(static_cast<unsigned char>(text[i + taken])))
        ++taken;
      out += u'\xD800';
    }
    i += taken;
  }
  return out;
}

}  // namespace qorvel
