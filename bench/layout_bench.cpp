#include <benchmark/benchmark.h>

#include "text_gen.h"
#include "velmar/core/layout.h"

namespace {

void BM_Layout(benchmark::State& state) {
  const std::string text = qorvel::bench::MakeText(static_cast<std::size_t>(state.range(0)) << 20,
                                                   qorvel::bench::QorvelUnits(), 1);
  for (auto _ : state) {
    qorvel::Layout layout = qorvel::LayOut(text, 500);
    benchmark::DoNotOptimize(layout.web.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_Layout)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
