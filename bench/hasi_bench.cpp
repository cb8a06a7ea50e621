#include <benchmark/benchmark.h>

#include "kestrum/core/hasi.h"
#include "text_gen.h"

namespace {

// Hasi text: mostly letters, with digits and punctuation, a few prefix units
// and some Chinese (GBK pairs) mixed in.
std::vector<std::string> HasiUnits() {
  std::vector<std::string> units;
  for (char c = 'A'; c <= 'Z'; ++c) units.emplace_back(1, c);
  for (char c = 'a'; c <= 'z'; ++c) units.emplace_back(1, c);
  for (const char* u : {".", "1", "`s", "~B", "`~v", "\xB0\xA1"}) units.emplace_back(u);
  return units;
}

// Fed in 1 MB chunks, the output taken away after each, as the file driver does.
void BM_HasiConvert(benchmark::State& state) {
  const std::string text =
      qorvel::bench::MakeText(static_cast<std::size_t>(state.range(0)) << 20, HasiUnits(), 4);
  constexpr std::size_t kChunk = 1 << 20;
  std::string out;
  out.reserve(4 * kChunk);
  for (auto _ : state) {
    qorvel::HasiConverter conv;
    for (std::size_t pos = 0; pos < text.size(); pos += kChunk) {
      out.clear();
      conv.Feed(std::string_view(text).substr(pos, kChunk), out);
      benchmark::DoNotOptimize(out.data());
    }
    conv.Finish(out);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_HasiConvert)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
