// The desktop clipboard's conversion, for the web page's tests: ICU's
// "windows-936-2000" with '?' as the substitute, as cp936/cp936_icu.cpp
// sets it up, applied to each record on standard input.
//
//   cp936_reference decode   records of bytes in, records of UTF-16 out
//   cp936_reference encode   records of UTF-16 in, records of bytes out
//
// A record is a 32-bit little-endian count (bytes, or UTF-16 units) and the
// data; UTF-16 units are little-endian. Every record is converted by itself.

#include <unicode/ucnv.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct ConverterClose {
  void operator()(UConverter* c) const { ucnv_close(c); }
};

bool ReadAll(void* data, std::size_t size) { return size == 0 || std::fread(data, 1, size, stdin) == size; }

void WriteRecord(const void* data, std::uint32_t count, std::size_t unit) {
  std::fwrite(&count, 4, 1, stdout);
  std::fwrite(data, unit, count, stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const bool decode = argc == 2 && std::strcmp(argv[1], "decode") == 0;
  if (!decode && !(argc == 2 && std::strcmp(argv[1], "encode") == 0)) {
    std::fprintf(stderr, "usage: cp936_reference decode|encode < records\n");
    return 2;
  }
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, ConverterClose> conv(ucnv_open("windows-936-2000", &status));
  if (U_FAILURE(status)) return 1;
  ucnv_setSubstChars(conv.get(), "?", 1, &status);

  std::uint32_t count = 0;
  while (ReadAll(&count, 4) && !std::feof(stdin)) {
    ucnv_reset(conv.get());
    status = U_ZERO_ERROR;
    if (decode) {
      std::string in(count, '\0');
      if (!ReadAll(in.data(), count)) return 1;
      std::vector<UChar> out(count + 1);
      const int32_t n = ucnv_toUChars(conv.get(), out.data(), static_cast<int32_t>(out.size()), in.data(),
                                      static_cast<int32_t>(count), &status);
      if (U_FAILURE(status)) return 1;
      WriteRecord(out.data(), static_cast<std::uint32_t>(n), sizeof(UChar));
    } else {
      std::vector<UChar> in(count);
      if (!ReadAll(in.data(), count * sizeof(UChar))) return 1;
      std::string out(2 * count + 1, '\0');
      const int32_t n = ucnv_fromUChars(conv.get(), out.data(), static_cast<int32_t>(out.size()), in.data(),
                                        static_cast<int32_t>(count), &status);
      if (U_FAILURE(status)) return 1;
      WriteRecord(out.data(), static_cast<std::uint32_t>(n), 1);
    }
  }
  return 0;
}
