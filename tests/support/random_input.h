#pragma once
// Random inputs for a code, for the tests that hold the converters against
// the references.

#include <random>
#include <string>
#include <vector>

#include "reference/alphabet.h"

namespace qorvel::testing {

// About `size` bytes: units, separators and now and then any byte; in long
// inputs now and then a run of thousands of bytes of units with a line feed
// here and there (a long word). With `nul`, one NUL at a random place.
inline std::string RandomInput(std::mt19937& rng, const Alphabet& a, std::size_t size, bool nul) {
  std::uniform_int_distribution<int> roll(0, 999), byte(1, 255), runLength(300, 3000);
  const auto pick = [&](const std::vector<std::string>& v) {
    return v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rng)];
  };
  std::string s;
  while (s.size() < size) {
    const int r = roll(rng);
    if (a.units.empty() || r < 80) {
      s += static_cast<char>(byte(rng));
    } else if (r < 250) {
      s += pick(a.separators);
    } else if (r == 999 && size > 5000) {
      for (int k = runLength(rng); k > 0; --k) s += k % 200 == 0 ? "\n" : pick(a.units);
    } else {
      s += pick(a.units);
    }
  }
  if (nul) s.insert(std::uniform_int_distribution<std::size_t>(0, s.size())(rng), 1, '\0');
  return s;
}

inline std::string AnyBytes(std::mt19937& rng, std::size_t maxSize) {
  std::string s(std::uniform_int_distribution<std::size_t>(0, maxSize)(rng), '\0');
  for (char& c : s) c = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
  return s;
}

}  // namespace qorvel::testing
