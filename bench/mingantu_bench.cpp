#include <benchmark/benchmark.h>

#include "text_gen.h"
#include "codec/mingantu.h"

namespace {

// Every Mingantu unit that has an entry, a look-ahead rule or a skip.
std::vector<std::string> MingantuUnits() {
  std::vector<std::string> units;
  const qorvel::UnitTable& t = qorvel::MingantuUnitTable();
  for (int li = 0; li < t.leadCount; ++li)
    for (int second = 0; second < 256; ++second)
      if (t.units[static_cast<std::size_t>(li)][static_cast<std::size_t>(second)].kind != qorvel::UnitKind::kNoEntry)
        units.push_back({static_cast<char>(t.leads[static_cast<std::size_t>(li)]), static_cast<char>(second)});
  return units;
}

void BM_MingantuPaste(benchmark::State& state) {
  qorvel::bench::RunPaste(state, qorvel::bench::MakeText(state, MingantuUnits(), 11),
                          [](std::string_view t, std::string& o) { qorvel::ConvertMingantuPaste(t, o); });
}
BENCHMARK(BM_MingantuPaste)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
