#include <benchmark/benchmark.h>

#include "mengkeli/mengkeli_table.h"
#include "mengkeli/paste.h"
#include "orlenta/core/mengkeli_file.h"
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

std::string Text(const benchmark::State& state) {
  return qorvel::bench::MakeText(static_cast<std::size_t>(state.range(0)) << 20, MengkeliUnits(), 7);
}

void BM_MengkeliPaste(benchmark::State& state) {
  const std::string text = Text(state);
  std::string out;
  for (auto _ : state) {
    out.clear();
    qorvel::ConvertMengkeliPaste(text, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_MengkeliPaste)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();

// The file conversion as the driver runs it: 1 MB chunks, output drained.
void BM_MengkeliFile(benchmark::State& state) {
  const std::string text = Text(state);
  constexpr std::size_t kChunk = 1 << 20;
  std::string out;
  for (auto _ : state) {
    qorvel::MengkeliFileConverter conv;
    for (std::size_t at = 0; at < text.size(); at += kChunk) {
      out.clear();
      conv.Feed(std::string_view(text).substr(at, kChunk), out);
      benchmark::DoNotOptimize(out.data());
    }
    conv.Finish(out);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_MengkeliFile)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
