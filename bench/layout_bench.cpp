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

// The command line's way: the web-format text streamed in blocks to a sink
// that only looks at them.
void BM_WriteLayout(benchmark::State& state) {
  struct Discard final : qorvel::ByteSink {
    void Write(std::string_view bytes) override { benchmark::DoNotOptimize(bytes.data()); }
  };
  const std::string text = qorvel::bench::MakeText(state, qorvel::bench::QorvelUnits(), 1);
  Discard sink;
  for (auto _ : state) qorvel::WriteLayout(text, 500, qorvel::LayoutText::kWeb, sink);
  qorvel::bench::SetThroughput(state, text);
}
BENCHMARK(BM_WriteLayout)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
