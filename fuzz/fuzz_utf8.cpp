// The UTF-8 edge of code page 936 against the slow reference: any bytes
// (ill-formed sequences, overlong forms, surrogates, values past U+10FFFF,
// sequences cut short) read as the reference reads them, and encode to the
// code page as what the reference read does; and what code page 936 decodes
// to is written as well-formed UTF-8 that reads back as the same text.

#include <cstdint>
#include <string>

#include "cp936/cp936.h"
#include "fuzz_check.h"
#include "reference/reference.h"

namespace {

// The bytes where the rules change (ASCII, continuation bytes and the
// limits that tell overlong forms, surrogates and values past U+10FFFF from
// the rest; lead bytes that never start a sequence). Each input is also
// checked spelled in these alone, one per input byte, since raw bytes meet
// a run such as ED A0 80 only by chance.
constexpr unsigned char kEdges[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0,
                                    0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED, 0xEE, 0xEF, 0xF0,
                                    0xF1, 0xF3, 0xF4, 0xF5, 0xF7, 0xF8, 0xFE, 0xFF};

void Check(std::string_view bytes) {
  const std::u16string units = qorvel::ReferenceUtf8ToUnits(bytes);
  FUZZ_CHECK(qorvel::Utf8ToUnits(bytes) == units);
  FUZZ_CHECK(qorvel::Utf8ToCp936(bytes) == qorvel::EncodeCp936Units(units));

  std::u16string decoded = qorvel::DecodeCp936Units(bytes);
  for (char16_t& c : decoded)
    if (c >= 0xD800 && c <= 0xDFFF) c = u'\xFFFD';  // never written as a half of a pair
  FUZZ_CHECK(qorvel::ReferenceUtf8ToUnits(qorvel::Cp936ToUtf8(bytes)) == decoded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Check(bytes);
  std::string spelled(size, '\0');
  for (std::size_t i = 0; i < size; ++i) spelled[i] = static_cast<char>(kEdges[data[i] % sizeof kEdges]);
  Check(spelled);
  return 0;
}
