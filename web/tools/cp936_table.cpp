// Writes the page's code page 936 <-> Unicode tables, taken from ICU's
// "windows-936-2000", the converter behind the desktop clipboard
// (cp936/cp936_icu.cpp). The browser's own GBK decoder follows GB18030 and
// differs from it (0xFF, the vertical forms, the A6D9.. and FE50.. areas, a
// lead byte before a digit), so the page carries ICU's answers instead.
//
// The page decodes with two tables and one rule, and this program fails
// unless ICU agrees with that rule for every one- and two-byte sequence:
//   - a byte 0x00..0x80 or 0xFF is one character (the single table);
//   - a lead byte 0x81..0xFE and a trail byte 0x40..0x7E or 0x80..0xFE are
//     one character (the pair table);
//   - a lead byte before any other byte, or at the end, is U+FFFD and the
//     byte after it is read again.
// It encodes with the reverse of those tables: a character no sequence
// decodes to is '?' (the clipboard's substitute), except the characters ICU
// drops, listed in `dropped`. This program fails unless ICU's encoder agrees
// for every code point.
//
// Usage: cp936_table > cp936_table.js

#include <unicode/ucnv.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

struct ConverterClose {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterClose>;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "cp936_table: %s\n", what.c_str());
  std::exit(1);
}

Converter Open() {
  UErrorCode status = U_ZERO_ERROR;
  Converter c(ucnv_open("windows-936-2000", &status));
  if (U_FAILURE(status) || !c) Fail("ICU has no converter windows-936-2000");
  status = U_ZERO_ERROR;
  ucnv_setSubstChars(c.get(), "?", 1, &status);  // as cp936/cp936_icu.cpp
  return c;
}

std::u16string Decode(UConverter* c, const std::string& bytes) {
  ucnv_reset(c);
  char16_t out[16];
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = ucnv_toUChars(c, reinterpret_cast<UChar*>(out), 16, bytes.data(),
                                  static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status)) Fail("decoding failed");
  return std::u16string(out, static_cast<std::size_t>(n));
}

std::string Encode(UConverter* c, std::uint32_t cp) {
  char16_t units[2];
  int32_t len = 1;
  if (cp < 0x10000) {
    units[0] = static_cast<char16_t>(cp);
  } else {
    units[0] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
    units[1] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    len = 2;
  }
  ucnv_reset(c);
  char out[16];
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = ucnv_fromUChars(c, out, 16, reinterpret_cast<const UChar*>(units), len, &status);
  if (U_FAILURE(status)) Fail("encoding failed");
  return std::string(out, static_cast<std::size_t>(n));
}

bool IsLead(unsigned b) { return b >= 0x81 && b <= 0xFE; }
bool IsTrail(unsigned b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE); }

std::string Base64(const std::vector<char16_t>& units) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string bytes;
  for (char16_t u : units) {  // little-endian, as a Uint16Array reads it
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 2]);
    out += kDigits[(v >> 18) & 63];
    out += kDigits[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(v >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[v & 63] : '=';
  }
  return out;
}

}  // namespace

int main() {
  Converter conv = Open();
  UConverter* c = conv.get();

  std::vector<char16_t> single(256);
  std::map<std::uint32_t, std::string> reverse;  // character -> its bytes
  auto addReverse = [&](char16_t u, std::string bytes) {
    if (!reverse.emplace(u, bytes).second) Fail("two byte sequences decode to one character");
  };
  for (unsigned b = 0; b < 256; ++b) {
    const std::u16string s = Decode(c, std::string(1, static_cast<char>(b)));
    if (s.size() != 1) Fail("a single byte is not one character");
    if (IsLead(b) != (s[0] == 0xFFFD)) Fail("a lead byte alone is not U+FFFD, or another byte is");
    single[b] = s[0];
    if (!IsLead(b)) addReverse(s[0], std::string(1, static_cast<char>(b)));
  }

  std::vector<char16_t> pairs;  // lead 0x81..0xFE, then its trail bytes in order
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0; trail < 256; ++trail) {
      const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string s = Decode(c, bytes);
      if (IsTrail(trail)) {
        if (s.size() != 1 || s[0] == 0xFFFD) Fail("a lead and a trail byte are not one character");
        pairs.push_back(s[0]);
        addReverse(s[0], bytes);
      } else if (s != std::u16string{u'\uFFFD', single[trail]}) {
        Fail("a lead byte before a non-trail byte is not U+FFFD and that byte");
      }
    }
  }

  // Every code point: ICU's encoder gives the reverse of the decoding, '?'
  // for a character no sequence decodes to, or nothing (ICU drops the
  // default-ignorable code points it cannot map).
  std::vector<std::pair<std::uint32_t, std::uint32_t>> dropped;
  for (std::uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    const std::string got = Encode(c, cp);
    const auto it = reverse.find(cp);
    if (it != reverse.end() ? got == it->second : got == "?") continue;
    if (it != reverse.end() || !got.empty()) Fail("the encoder is not the reverse of the decoder");
    if (!dropped.empty() && dropped.back().second + 1 == cp)
      dropped.back().second = cp;
    else
      dropped.emplace_back(cp, cp);
  }
  // A lone surrogate is one '?'.
  for (char16_t lone : {u'\xD800', u'\xDC00'}) {
    ucnv_reset(c);
    char out[8];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(c, out, 8, reinterpret_cast<const UChar*>(&lone), 1, &status);
    if (U_FAILURE(status) || n != 1 || out[0] != '?') Fail("a lone surrogate is not one '?'");
  }

  std::printf("// Generated by web/tools/cp936_table from ICU %s, converter windows-936-2000.\n",
              U_ICU_VERSION);
  std::printf("var QV_CP936 = {\n");
  std::printf("  single: \"%s\",\n", Base64(single).c_str());
  std::printf("  pairs: \"%s\",\n", Base64(pairs).c_str());
  std::printf("  dropped: [");
  for (std::size_t i = 0; i < dropped.size(); ++i)
    std::printf("%s[0x%X, 0x%X]", i ? ", " : "", dropped[i].first, dropped[i].second);
  std::printf("],\n};\n");
  return 0;
}
