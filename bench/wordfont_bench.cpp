#include <benchmark/benchmark.h>

#include "text_gen.h"
#include "codec/wordfont.h"

namespace {

// Word-font text: words of the letters, digits and punctuation its font maps.
std::vector<std::string> WordFontUnits() {
  std::vector<std::string> units;
  for (char c = 'A'; c <= 'Z'; ++c) units.emplace_back(1, c);
  for (char c = 'a'; c <= 'z'; ++c) units.emplace_back(1, c);
  for (char c : std::string_view("0123456789.,;:?!{}|")) units.emplace_back(1, c);
  return units;
}

void BM_WordFontPaste(benchmark::State& state) {
  qorvel::bench::RunPaste(state, qorvel::bench::MakeText(state, WordFontUnits(), 3),
                          [](std::string_view t, std::string& o) { qorvel::ConvertWordFontPaste(t, o); });
}
BENCHMARK(BM_WordFontPaste)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
