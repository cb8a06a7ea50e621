#include <benchmark/benchmark.h>

#include "text_gen.h"
#include "velmar/core/wordfont.h"

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
  const std::string text =
      qorvel::bench::MakeText(static_cast<std::size_t>(state.range(0)) << 20, WordFontUnits(), 3);
  std::string out;
  for (auto _ : state) {
    out.clear();
    qorvel::ConvertWordFontPaste(text, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_WordFontPaste)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
