// The desktop clipboard's conversion, for the web page's tests: the Linux
// half itself (cp936/cp936_icu.cpp, compiled in: ICU's "windows-936-2000"
// with '?' for every character it cannot map), applied to each record on
// standard input.
//
//   cp936_reference decode   records of bytes in, records of UTF-16 out
//   cp936_reference encode   records of UTF-16 in, records of bytes out
//
// A record is a 32-bit little-endian count (bytes, or UTF-16 units) and the
// data; UTF-16 units are little-endian. Every record is converted by itself.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "cp936/cp936.h"

namespace {

bool ReadAll(void* data, std::size_t size) { return size == 0 || std::fread(data, 1, size, stdin) == size; }

void WriteRecord(const void* data, std::size_t count, std::size_t unit) {
  const auto n = static_cast<std::uint32_t>(count);
  std::fwrite(&n, 4, 1, stdout);
  std::fwrite(data, unit, count, stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const bool decode = argc == 2 && std::strcmp(argv[1], "decode") == 0;
  if (!decode && !(argc == 2 && std::strcmp(argv[1], "encode") == 0)) {
    std::fprintf(stderr, "usage: cp936_reference decode|encode < records\n");
    return 2;
  }
  std::uint32_t count = 0;
  while (ReadAll(&count, 4) && !std::feof(stdin)) {
    if (decode) {
      std::string in(count, '\0');
      if (!ReadAll(in.data(), count)) return 1;
      const std::u16string out = qorvel::DecodeCp936Units(in);
      WriteRecord(out.data(), out.size(), sizeof(char16_t));
    } else {
      std::u16string in(count, u'\0');
      if (!ReadAll(in.data(), count * sizeof(char16_t))) return 1;
      const std::string out = qorvel::EncodeCp936Units(in);
      WriteRecord(out.data(), out.size(), 1);
    }
  }
  return 0;
}
