#include <benchmark/benchmark.h>

#include "text_gen.h"
#include "layout/layout.h"

namespace {

void BM_Layout(benchmark::State& state) {
  const std::string text = qorvel::bench::MakeText(state, qorvel::bench::QorvelUnits(), 1);
  for (auto _ : state) {
    qorvel::Layout layout = qorvel::LayOut(text, 500);
    benchmark::DoNotOptimize(layout.web.data());
  }
  qorvel::bench::SetThroughput(state, text);
}
BENCHMARK(BM_Layout)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
