#include <benchmark/benchmark.h>

#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "arranged_folder.h"

namespace tidyframe {
namespace {

// One poll of a window that did not change: the main-queue checks, the accessibility snapshot
// and the gate on the script queue, and the main-queue reply. No Apple event may be sent.
void BM_TickOnUnchangedWindow(benchmark::State& state) {
  ArrangedFolder scene(500);
  if (const auto fault = scene.fault(); !fault.empty()) {
    state.SkipWithError(fault.c_str());
    return;
  }
  const int events = scene.appleEvents();
  const int reads = scene.sim.accessibility.attributeReads();
  for (auto _ : state) {
    scene.dispatch.advance(AppModel::pollInterval);
  }
  if (scene.appleEvents() != events) state.SkipWithError("an unchanged window was asked with Apple events");
  if (scene.sim.accessibility.attributeReads() == reads) state.SkipWithError("the tick never took a snapshot");
  state.counters["reads"] = benchmark::Counter(scene.sim.accessibility.attributeReads() - reads,
                                               benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_TickOnUnchangedWindow)->Unit(benchmark::kMicrosecond);

// One full round on the simulated Mac: the user put the Finder's own arrangement back, and
// "apply now" makes the engine query the window, resolve the rule, run the arrangement script
// (two menus, two clicks) and record the original, the confirmation and a log entry. The
// writes that the coalescing writer makes later on its own queue are not timed.
void BM_QueryResolveApplyRound(benchmark::State& state) {
  ArrangedFolder scene(500);
  if (const auto fault = scene.fault(); !fault.empty()) {
    state.SkipWithError(fault.c_str());
    return;
  }
  const auto applied = scene.sim.finder().arrangement(pictures, FinderView::icon);
  const int clicks = scene.sim.mac.menuClicks();
  for (auto _ : state) {
    scene.sim.finder().setArrangement(pictures, FinderView::icon, FolderArrangement{});
    scene.model->applyNow();
    scene.dispatch.advance(0.25);
    state.PauseTiming();
    scene.dispatch.advance(1);
    state.ResumeTiming();
  }
  if (scene.sim.finder().arrangement(pictures, FinderView::icon) != applied) {
    state.SkipWithError("the last round did not arrange the folder");
  }
  state.counters["clicks"] =
      benchmark::Counter(scene.sim.mac.menuClicks() - clicks, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_QueryResolveApplyRound)->Unit(benchmark::kMicrosecond);

// Apple events sent in one minute while the front window does not change, in each state the
// engine can idle in. Measured in virtual time on the simulated Mac, after the state settled;
// the counters are the result, the run time only says what a minute of it costs to simulate.
struct IdleScene {
  const char* name;
  std::function<void(Preferences&, SimulatedMac&)> prepare;
};

const IdleScene idleScenes[] = {
    {"confirmed", [](Preferences&, SimulatedMac&) {}},
    {"excluded",
     [](Preferences& p, SimulatedMac&) {
       LocationRule rule;
       rule.name = "Pictures";
       rule.path = pictures;
       rule.excluded = true;
       p.rules = {rule};
     }},
    {"error pause",
     [](Preferences& p, SimulatedMac& mac) {
       // A Dutch Finder whose Sort By menu has no item the tags sorting knows.
       p.sorting = Sorting::tags;
       FinderMenuStyle style;
       style.language = FinderMenuLanguage::dutch;
       mac.finder().setMenuStyle(style);
     }},
    {"empty answer (a package)",
     [](Preferences&, SimulatedMac& mac) { mac.finder().navigate(mac.finder().windows().front().id, SimHome::package); }},
    {"text field has focus", [](Preferences&, SimulatedMac& mac) { mac.finder().focusTextField(true); }},
    {"window showing no folder (Recents)",
     [](Preferences&, SimulatedMac& mac) { mac.finder().navigate(mac.finder().windows().front().id, "Recents"); }},
};

void BM_IdleAppleEventsPerMinute(benchmark::State& state) {
  const auto& scene = idleScenes[state.range(0)];
  for (auto _ : state) {
    ArrangedFolder folder(0, scene.prepare);
    folder.dispatch.advance(60);
    const int finder = folder.sim.mac.appleEvents("Finder");
    const int systemEvents = folder.sim.mac.appleEvents("System Events");
    folder.dispatch.advance(60);
    state.counters["Finder"] = folder.sim.mac.appleEvents("Finder") - finder;
    state.counters["SystemEvents"] = folder.sim.mac.appleEvents("System Events") - systemEvents;
  }
  state.SetLabel(scene.name);
}
BENCHMARK(BM_IdleAppleEventsPerMinute)
    ->DenseRange(0, static_cast<int>(std::size(idleScenes)) - 1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tidyframe
