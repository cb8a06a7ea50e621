// Writes a benchmark input of a code's random units to standard output:
// mostly units of the code (about two in three of a unit code's units look
// ahead, and most of those join), with spaces, line ends, punctuation and
// now and then any byte between them. This is the branchy, look-ahead-heavy
// text where a scan that is quick on repeated samples loses.
//   qorvel_bench_input CODE MB [SEED]
// CODE is a code of 'qorvel convert --list', or "qorvel" for Qorvel text
// (glyph codes and GBK in words, for the layout).

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "reference/alphabet.h"

namespace {

qorvel::Alphabet QorvelAlphabet() {
  qorvel::Alphabet a;
  for (int b = 0xA2; b <= 0xFE; ++b) a.units.push_back(std::string{'\xF8', static_cast<char>(b)});
  a.units.push_back("\xB0\xA1");
  a.units.push_back("A");
  a.separators = {" ", " ", " ", "\r\n", "\n", ",", "  "};
  return a;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: qorvel_bench_input CODE MB [SEED]\n");
    return 2;
  }
  const std::string code = argv[1];
  const std::size_t bytes = std::strtoull(argv[2], nullptr, 10) << 20;
  std::mt19937 rng(argc > 3 ? static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10)) : 1);
  const qorvel::Alphabet a = code == "qorvel" ? QorvelAlphabet() : qorvel::AlphabetOf(code);
  if (a.units.empty()) {
    std::fprintf(stderr, "qorvel_bench_input: no alphabet for '%s'\n", argv[1]);
    return 2;
  }
  std::uniform_int_distribution<int> roll(0, 99), byte(1, 255);
  std::uniform_int_distribution<std::size_t> unit(0, a.units.size() - 1), sep(0, a.separators.size() - 1);
  std::string block;
  std::size_t written = 0;
  while (written < bytes) {
    block.clear();
    while (block.size() < (1 << 20)) {
      const int r = roll(rng);
      if (r < 2) block += static_cast<char>(byte(rng));
      else if (r < 20) block += a.separators[sep(rng)];
      else block += a.units[unit(rng)];
    }
    const std::size_t n = std::min(block.size(), bytes - written);
    if (std::fwrite(block.data(), 1, n, stdout) != n) return 1;
    written += n;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
