#pragma once
// Properties shared by the paste converters: the clipboard text ends at its
// first NUL, so the output never holds a NUL byte, bytes after the NUL make
// no difference, and the text is never read past its end (the input is
// handed over in a buffer of exactly its size, so AddressSanitizer sees any
// overrun).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "fuzz_check.h"

inline void CheckPasteConverter(void (*convert)(std::string_view, std::string&), const std::uint8_t* data,
                                std::size_t size) {
  std::unique_ptr<char[]> exact(new char[size]);
  std::copy(data, data + size, exact.get());
  const std::string_view text(exact.get(), size);
  std::string out;
  convert(text, out);
  FUZZ_CHECK(out.find('\0') == std::string::npos);

  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) {
    std::string prefix;
    convert(text.substr(0, nul), prefix);
    FUZZ_CHECK(prefix == out);
  }
  // Appending: the output goes behind what the string already holds.
  std::string appended = "held";
  convert(text, appended);
  FUZZ_CHECK(appended == "held" + out);
}
