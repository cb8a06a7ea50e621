#pragma once
// The dump both converters write, one line per input, so that a plain diff
// shows where Windows' code page 936 and ICU's windows-936-2000 part:
//   D <bytes> <UTF-16 units>   every one-byte sequence 00..FF, then every
//                              two-byte one 0000..FFFF (65,792 in all)
//   E <code point> <bytes>     every BMP code point but the surrogates
// all in upper-case hex; "-" stands for no output at all.

#include <cstdio>
#include <string>

namespace qorvel::cp936dump {

template <typename Decode, typename Encode>
void Write(std::FILE* out, Decode decode, Encode encode) {
  auto units = [&](const std::u16string& s) {
    if (s.empty()) std::fputs(" -", out);
    for (char16_t u : s) std::fprintf(out, " %04X", static_cast<unsigned>(u));
    std::fputc('\n', out);
  };
  for (unsigned b = 0; b < 0x100; ++b) {
    std::fprintf(out, "D %02X", b);
    units(decode(std::string(1, static_cast<char>(b))));
  }
  for (unsigned first = 0; first < 0x100; ++first)
    for (unsigned second = 0; second < 0x100; ++second) {
      std::fprintf(out, "D %02X%02X", first, second);
      units(decode(std::string{static_cast<char>(first), static_cast<char>(second)}));
    }
  for (unsigned cp = 0; cp < 0x10000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    const std::string bytes = encode(std::u16string(1, static_cast<char16_t>(cp)));
    std::fprintf(out, "E %04X ", cp);
    if (bytes.empty()) std::fputc('-', out);
    for (char b : bytes) std::fprintf(out, "%02X", static_cast<unsigned char>(b));
    std::fputc('\n', out);
  }
}

}  // namespace qorvel::cp936dump
