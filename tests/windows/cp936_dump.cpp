// Windows: writes the dump of tests/windows/cp936_dump.h for the system's
// code page 936 as cp936/cp936_win32.cpp uses it, after checking
// that whole texts (the one-call path, the runs between bad lead bytes, the
// pieces) decode and encode as their sequences and characters do one by one.
// Run by scripts/windows-cp936-check.sh under Wine.
//
// Usage: cp936_dump.exe OUT

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "cp936/cp936.h"
#include "tests/windows/cp936_dump.h"

using qorvel::DecodeCp936Units;
using qorvel::EncodeCp936Units;

namespace {

bool IsLead(unsigned b) { return b >= 0x81 && b <= 0xFE; }
bool IsTrail(unsigned b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE); }

int failures = 0;

void Fail(const char* what, std::size_t piece, std::size_t text) {
  if (++failures <= 10)
    std::fprintf(stderr, "cp936_dump: %s differs (piece %zu, text %zu)\n", what, piece, text);
}

// Whole texts against the one-by-one answers: bytes weighted toward lead
// bytes, bad trail bytes and the user-defined area, and characters toward
// surrogates and characters without a code.
void CheckWholeTexts() {
  std::vector<std::u16string> single(0x100), pair(0x10000);
  for (unsigned b = 0; b < 0x100; ++b)
    single[b] = DecodeCp936Units(std::string(1, static_cast<char>(b)));
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
    for (unsigned trail = 0; trail < 0x100; ++trail)
      if (IsTrail(trail))
        pair[lead << 8 | trail] =
            DecodeCp936Units(std::string{static_cast<char>(lead), static_cast<char>(trail)});
  std::vector<std::string> code(0x10000);
  for (unsigned u = 0; u < 0x10000; ++u)
    if (u < 0xD800 || u > 0xDFFF)
      code[u] = EncodeCp936Units(std::u16string(1, static_cast<char16_t>(u)));

  constexpr unsigned kBytes[][2] = {{0, 0xFF}, {0x20, 0x7E}, {0x81, 0xFE}, {0xF8, 0xFE}};
  constexpr unsigned kUnits[][2] = {
      {0, 0xFFFF}, {0xD800, 0xDFFF}, {0x20, 0x7E}, {0x4E00, 0x9FA5}, {0xE234, 0xE4C5}};
  std::mt19937 rng(936);
  auto pick = [&](unsigned lo, unsigned hi) {
    return std::uniform_int_distribution<unsigned>(lo, hi)(rng);
  };
  for (std::size_t t = 0; t < 3000; ++t) {
    const std::size_t len = pick(0, t % 10 == 0 ? 5000 : 40);
    std::string bytes;
    std::u16string text;
    for (std::size_t k = 0; k < len; ++k) {
      const auto& b = kBytes[pick(0, 3)];
      bytes += static_cast<char>(pick(b[0], b[1]));
      if (b[0] == 0xF8) bytes += static_cast<char>(pick(0xA1, 0xFE));  // a glyph code
      const auto& u = kUnits[pick(0, 4)];
      text += static_cast<char16_t>(pick(u[0], u[1]));
    }
    std::u16string decoded;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const unsigned b = static_cast<unsigned char>(bytes[i]);
      if (!IsLead(b)) {
        decoded += single[b];
      } else if (i + 1 < bytes.size() && IsTrail(static_cast<unsigned char>(bytes[i + 1]))) {
        decoded += pair[b << 8 | static_cast<unsigned char>(bytes[++i])];
      } else {
        decoded += u'\uFFFD';
      }
    }
    std::string encoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char16_t u = text[i];
      if (u < 0xD800 || u > 0xDFFF) {
        encoded += code[u];
      } else {
        encoded += '?';
        if (u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
          ++i;
      }
    }
    for (std::size_t piece :
         {std::size_t{0}, std::size_t{2}, std::size_t{3}, std::size_t{7}, std::size_t{64}}) {
      if ((piece ? DecodeCp936Units(bytes, piece) : DecodeCp936Units(bytes)) != decoded)
        Fail("decoding", piece, t);
      if ((piece ? EncodeCp936Units(text, piece) : EncodeCp936Units(text)) != encoded)
        Fail("encoding", piece, t);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cp936_dump.exe OUT\n");
    return 2;
  }
  CheckWholeTexts();
  if (failures) return 1;
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  qorvel::cp936dump::Write(
      out, [](const std::string& b) { return DecodeCp936Units(b); },
      [](const std::u16string& s) { return EncodeCp936Units(s); });
  return std::fclose(out) == 0 ? 0 : 1;
}
