#include <benchmark/benchmark.h>

#include "codec/hasi.h"
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

void BM_HasiConvert(benchmark::State& state) {
  qorvel::bench::RunStream<qorvel::HasiConverter>(state, qorvel::bench::MakeText(state, HasiUnits(), 4));
}
BENCHMARK(BM_HasiConvert)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
