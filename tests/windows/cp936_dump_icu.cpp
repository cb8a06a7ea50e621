// Linux: writes the dump of tests/windows/cp936_dump.h for ICU's
// "windows-936-2000" as cp936/cp936_icu.cpp sets it up ('?' for what it
// cannot encode), the reference that scripts/windows-cp936-check.sh holds
// the Windows converter to.
//
// Usage: cp936_dump_icu OUT

#include <unicode/ucnv.h>

#include <cstdio>
#include <memory>
#include <string>

#include "tests/windows/cp936_dump.h"

namespace {

struct ConverterClose {
  void operator()(UConverter* c) const { ucnv_close(c); }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cp936_dump_icu OUT\n");
    return 2;
  }
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, ConverterClose> conv(ucnv_open("windows-936-2000", &status));
  if (U_FAILURE(status) || !conv) {
    std::fprintf(stderr, "cp936_dump_icu: ICU has no converter windows-936-2000\n");
    return 1;
  }
  UConverter* c = conv.get();
  status = U_ZERO_ERROR;
  ucnv_setSubstChars(c, "?", 1, &status);
  bool failed = false;
  auto decode = [&](const std::string& bytes) {
    ucnv_reset(c);
    char16_t out[8];
    UErrorCode s = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(c, reinterpret_cast<UChar*>(out), 8, bytes.data(),
                                    static_cast<int32_t>(bytes.size()), &s);
    failed |= U_FAILURE(s);
    return U_FAILURE(s) ? std::u16string() : std::u16string(out, static_cast<std::size_t>(n));
  };
  auto encode = [&](const std::u16string& text) {
    ucnv_reset(c);
    char out[8];
    UErrorCode s = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(c, out, 8, reinterpret_cast<const UChar*>(text.data()),
                                      static_cast<int32_t>(text.size()), &s);
    failed |= U_FAILURE(s);
    return U_FAILURE(s) ? std::string() : std::string(out, static_cast<std::size_t>(n));
  };
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  qorvel::cp936dump::Write(out, decode, encode);
  if (std::fclose(out) != 0 || failed) {
    std::fprintf(stderr, "cp936_dump_icu: %s\n",
                 failed ? "ICU failed a conversion" : "cannot write the dump");
    return 1;
  }
  return 0;
}
