#pragma once
// Seeded synthetic text for the benchmarks: words of glyph codes, spaces,
// line ends and punctuation in roughly the proportions of real text.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace qorvel::bench {

// Words are drawn from `units` (each a byte string, e.g. a two-byte code
// unit), 2..8 units a word; one word in 12 ends a line with CR LF, one in 20
// is followed by an ASCII punctuation byte.
inline std::string MakeText(std::size_t bytes, const std::vector<std::string>& units, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> wordLen(2, 8), pick(0, static_cast<int>(units.size()) - 1),
      roll(0, 239);
  std::string text;
  text.reserve(bytes + 64);
  while (text.size() < bytes) {
    const int len = wordLen(rng);
    for (int k = 0; k < len; ++k) text += units[static_cast<std::size_t>(pick(rng))];
    const int r = roll(rng);
    if (r < 20) text += "\r\n";
    else if (r < 32) text += ", ";
    else text += ' ';
  }
  text.resize(bytes);
  return text;
}

// Two-byte Qorvel glyph codes F8A2..F8FE.
inline std::vector<std::string> QorvelUnits() {
  std::vector<std::string> units;
  for (int b = 0xA2; b <= 0xFE; ++b) units.push_back(std::string{'\xF8', static_cast<char>(b)});
  return units;
}

// The benchmark's text: state.range(0) MB drawn from `units`.
inline std::string MakeText(const benchmark::State& state, const std::vector<std::string>& units,
                            std::uint32_t seed) {
  return MakeText(static_cast<std::size_t>(state.range(0)) << 20, units, seed);
}

inline void SetThroughput(benchmark::State& state, const std::string& text) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}

}  // namespace qorvel::bench
