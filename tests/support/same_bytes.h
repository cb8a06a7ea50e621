#pragma once
// Comparing outputs in the tests: where two byte strings first differ, in
// hexadecimal. Apart from hex.h, which the references (and the fuzzers with
// them) use without GoogleTest.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace qorvel::testing {

// Bytes as hexadecimal, for failure messages.
inline std::string Hex(std::string_view bytes) {
  std::string s;
  for (unsigned char c : bytes) {
    s += "0123456789ABCDEF"[c >> 4];
    s += "0123456789ABCDEF"[c & 15];
    s += ' ';
  }
  return s;
}

// Equal bytes, or where they first differ.
inline ::testing::AssertionResult SameBytes(std::string_view got, std::string_view want) {
  if (got == want) return ::testing::AssertionSuccess();
  std::size_t k = 0;
  while (k < got.size() && k < want.size() && got[k] == want[k]) ++k;
  const std::size_t from = k < 8 ? 0 : k - 8;
  return ::testing::AssertionFailure() << "outputs of " << got.size() << " and " << want.size()
                                       << " bytes first differ at byte " << k << "\n     got from byte " << from
                                       << ": " << Hex(got.substr(from, 24)) << "\n  wanted from byte " << from
                                       << ": " << Hex(want.substr(from, 24));
}

}  // namespace qorvel::testing
