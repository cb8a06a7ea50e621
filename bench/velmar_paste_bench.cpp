// Velmar's paste of a large Qorvel text, as the user sees it: 10 MB of text
// on the clipboard, the paste command (OnPastePlain) appends it to the
// source text and lays it out, then the view repaints its visible area
// (rendered offscreen). The counters split the time: the paste command, the
// layout within it, and the paint.

#include <QApplication>
#include <QClipboard>
#include <QPixmap>
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/cp936.h"
#include "text_gen.h"
#include "velmar/text_store.h"
#include "velmar/velmar_view.h"

namespace {

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Arg 0: the text as Velmar's own copy leaves it (the bytes themselves);
// arg 1: as another program's copy leaves it (Unicode only, encoded to code
// page 936 on the way in).
void BM_VelmarPastePlain(benchmark::State& state) {
  const std::string text = qorvel::bench::MakeText(state, qorvel::bench::QorvelUnits(), 5);
  if (state.range(1) == 0)
    SetClipboardText(text.c_str());
  else
    QGuiApplication::clipboard()->setText(qorvel::platform::DecodeCp936(text));
  CVelmarView view;
  view.resize(1000, 700);
  view.OnInitialUpdate();
  double pasteMs = 0, layoutMs = 0, paintMs = 0;
  for (auto _ : state) {
    state.PauseTiming();
    g_strSource.clear();
    state.ResumeTiming();

    auto start = std::chrono::steady_clock::now();
    view.OnPastePlain();  // clipboard, append, LayoutText, invalidate
    pasteMs += MillisecondsSince(start);
    start = std::chrono::steady_clock::now();
    const QPixmap picture = view.grab();
    benchmark::DoNotOptimize(picture.cacheKey());
    paintMs += MillisecondsSince(start);

    // The layout alone, untimed, to split it off the paste command.
    state.PauseTiming();
    start = std::chrono::steady_clock::now();
    CVelmarView::LayoutText();
    layoutMs += MillisecondsSince(start);
    state.ResumeTiming();
  }
  if (g_strSource != text) state.SkipWithError("the pasted text is not the clipboard's text");
  const auto n = static_cast<double>(state.iterations());
  state.counters["paste_ms"] = pasteMs / n;    // the whole command
  state.counters["layout_ms"] = layoutMs / n;  // of which the layout
  state.counters["paint_ms"] = paintMs / n;
  qorvel::bench::SetThroughput(state, text);
}
BENCHMARK(BM_VelmarPastePlain)->Args({10, 0})->Args({10, 1})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  // No display is needed: the view is rendered offscreen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
