#include <benchmark/benchmark.h>

#include "codec/mengkeli_table.h"
#include "codec/mengkeli_paste.h"
#include "codec/mengkeli_file.h"
#include "text_gen.h"

namespace {

// Every Mengkeli unit that has an entry or a look-ahead rule.
std::vector<std::string> MengkeliUnits() {
  std::vector<std::string> units;
  const qorvel::UnitTable& t = qorvel::MengkeliUnitTable();
  for (int lead = 0xF8; lead <= 0xFB; ++lead)
    for (int second = 0; second < 256; ++second)
      if (t.Find(static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(second))->kind !=
          qorvel::UnitKind::kNoEntry)
        units.push_back({static_cast<char>(lead), static_cast<char>(second)});
  return units;
}

void BM_MengkeliPaste(benchmark::State& state) {
  qorvel::bench::RunPaste(state, qorvel::bench::MakeText(state, MengkeliUnits(), 7),
                          [](std::string_view t, std::string& o) { qorvel::ConvertMengkeliPaste(t, o); });
}
BENCHMARK(BM_MengkeliPaste)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MengkeliFile(benchmark::State& state) {
  qorvel::bench::RunStream<qorvel::MengkeliFileConverter>(state, qorvel::bench::MakeText(state, MengkeliUnits(), 7));
}
BENCHMARK(BM_MengkeliFile)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
