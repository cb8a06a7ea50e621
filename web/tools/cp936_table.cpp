// Writes the page's code page 936 <-> Unicode tables, taken from the
// desktop clipboard's conversion on Linux (cp936/cp936_icu.cpp, compiled in:
// ICU's "windows-936-2000" with '?' for every character it cannot map). The
// browser's own GBK decoder follows GB18030 and differs from it (0xFF, the
// vertical forms, the A6D9.. and FE50.. areas, a lead byte before a digit),
// so the page carries those answers instead.
//
// The page decodes with two tables and one rule, and this program fails
// unless ICU agrees with that rule for every one- and two-byte sequence:
//   - a byte 0x00..0x80 or 0xFF is one character (the single table);
//   - a lead byte 0x81..0xFE and a trail byte 0x40..0x7E or 0x80..0xFE are
//     one character (the pair table);
//   - a lead byte before any other byte, or at the end, is U+FFFD and the
//     byte after it is read again.
// It encodes with the reverse of those tables: a character no sequence
// decodes to is '?' (the clipboard's substitute, also for the
// default-ignorable characters, as on Windows). This program fails unless
// the encoder agrees for every code point.
//
// Usage: cp936_table > cp936_table.js
//        cp936_table --cpp > cp936_table.inc   (the decoding tables as C++,
//        for the WebAssembly core's Cp936ToUtf8, web/cp936_decode.cpp)

#include <unicode/uversion.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "cp936/cp936.h"

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "cp936_table: %s\n", what.c_str());
  std::exit(1);
}

std::u16string Decode(const std::string& bytes) { return qorvel::DecodeCp936Units(bytes); }

std::string Encode(std::uint32_t cp) {
  std::u16string units;
  if (cp < 0x10000) {
    units += static_cast<char16_t>(cp);
  } else {
    units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
    units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
  }
  return qorvel::EncodeCp936Units(units);
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

void PrintCpp(const char* name, const std::vector<char16_t>& units) {
  std::printf("constexpr char16_t %s[%zu] = {", name, units.size());
  for (std::size_t i = 0; i < units.size(); ++i)
    std::printf("%s0x%04X,", i % 12 ? "" : "\n   ", static_cast<unsigned>(units[i]));
  std::printf("\n};\n");
}

}  // namespace

int main(int argc, char** argv) {
  const bool cpp = argc > 1 && std::string(argv[1]) == "--cpp";
  std::vector<char16_t> single(256);
  std::map<std::uint32_t, std::string> reverse;  // character -> its bytes
  auto addReverse = [&](char16_t u, std::string bytes) {
    if (!reverse.emplace(u, bytes).second) Fail("two byte sequences decode to one character");
  };
  for (unsigned b = 0; b < 256; ++b) {
    const std::u16string s = Decode(std::string(1, static_cast<char>(b)));
    if (s.size() != 1) Fail("a single byte is not one character");
    if (IsLead(b) != (s[0] == 0xFFFD)) Fail("a lead byte alone is not U+FFFD, or another byte is");
    single[b] = s[0];
    if (!IsLead(b)) addReverse(s[0], std::string(1, static_cast<char>(b)));
  }

  std::vector<char16_t> pairs;  // lead 0x81..0xFE, then its trail bytes in order
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0; trail < 256; ++trail) {
      const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string s = Decode(bytes);
      if (IsTrail(trail)) {
        if (s.size() != 1 || s[0] == 0xFFFD) Fail("a lead and a trail byte are not one character");
        pairs.push_back(s[0]);
        addReverse(s[0], bytes);
      } else if (s != std::u16string{u'\uFFFD', single[trail]}) {
        Fail("a lead byte before a non-trail byte is not U+FFFD and that byte");
      }
    }
  }

  // Every code point: the encoder gives the reverse of the decoding, and
  // '?' for a character no sequence decodes to; a lone surrogate is one '?'.
  for (std::uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    const auto it = reverse.find(cp);
    if (Encode(cp) != (it != reverse.end() ? it->second : "?"))
      Fail("the encoder is not the reverse of the decoder, with '?' for the rest");
  }
  for (char16_t lone : {u'\xD800', u'\xDC00'})
    if (qorvel::EncodeCp936Units(std::u16string(1, lone)) != "?") Fail("a lone surrogate is not one '?'");

  std::printf("// Generated by web/tools/cp936_table from cp936/cp936_icu.cpp on ICU %s (windows-936-2000).\n",
              U_ICU_VERSION);
  if (cpp) {
    // single[byte]; pairs[(lead - 0x81) * 190 + k], k counting the trail
    // bytes 0x40..0x7E, 0x80..0xFE in order.
    PrintCpp("kCp936Single", single);
    PrintCpp("kCp936Pairs", pairs);
    return 0;
  }
  std::printf("var QV_CP936 = {\n");
  std::printf("  single: \"%s\",\n", Base64(single).c_str());
  std::printf("  pairs: \"%s\",\n", Base64(pairs).c_str());
  std::printf("};\n");
  return 0;
}
