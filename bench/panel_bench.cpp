#include <benchmark/benchmark.h>

#include <QApplication>

#include "arranged_folder.h"
#include "sim/sim_session.h"
#include "ui/activity_view.h"

namespace tidyframe {
namespace {

// What the main thread spends when the activity page opens over a full log of 500 entries:
// the page made, its rows filled and laid out at the panel's width.
void BM_OpenActivityPageOverAFullLog(benchmark::State& state) {
  ArrangedFolder scene(500);
  if (const auto fault = scene.fault(); !fault.empty()) {
    state.SkipWithError(fault.c_str());
    return;
  }
  SimAlerts alerts;
  PanelServices services{alerts, scene.dispatch, "/Users/demo", {}, [] {}, [] {}};
  for (auto _ : state) {
    ActivityView page(*scene.model, services);
    page.refresh(scene.l);
    page.resize(320, 260);
    page.layout()->activate();
    benchmark::DoNotOptimize(page.rows().size());
  }
}
BENCHMARK(BM_OpenActivityPageOverAFullLog)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tidyframe

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
