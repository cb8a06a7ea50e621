#pragma once
// What random inputs of each code are made of, for the tests and the
// fuzzers: the code's units (look-ahead units with the units that join them,
// often) and what stands between words.

#include <string>
#include <string_view>
#include <vector>

namespace qorvel {

struct Alphabet {
  std::vector<std::string> units;
  std::vector<std::string> separators;
};

// The alphabet of the registry's code `codecName`; empty for a code that has
// none here (it is then fed random bytes only).
Alphabet AlphabetOf(std::string_view codecName);

}  // namespace qorvel
