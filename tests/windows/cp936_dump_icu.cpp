// Linux: writes the dump of tests/windows/cp936_dump.h for the Linux half
// itself (cp936/cp936_icu.cpp, compiled in: ICU's "windows-936-2000" with
// '?' for every character it cannot map), the reference that
// scripts/windows-cp936-check.sh holds the Windows converter to.
//
// Usage: cp936_dump_icu OUT

#include <cstdio>
#include <string>

#include "cp936/cp936.h"
#include "tests/windows/cp936_dump.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cp936_dump_icu OUT\n");
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  qorvel::cp936dump::Write(
      out, [](const std::string& b) { return qorvel::DecodeCp936Units(b); },
      [](const std::u16string& s) { return qorvel::EncodeCp936Units(s); });
  if (std::fclose(out) != 0) {
    std::fprintf(stderr, "cp936_dump_icu: cannot write the dump\n");
    return 1;
  }
  return 0;
}
