#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

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
// writes that the coalescing writer makes later on its own queue are not timed. With the
// argument 1 the settings want the list view and the window already shows it: the wanted view
// must cost no view script and nothing measurable.
void BM_QueryResolveApplyRound(benchmark::State& state) {
  const bool wantsView = state.range(0) == 1;
  const FinderView view = wantsView ? FinderView::list : FinderView::icon;
  ArrangedFolder scene(500, [wantsView](Preferences& preferences, SimulatedMac& sim) {
    if (!wantsView) return;
    preferences.view = FinderViewChoice::list;
    sim.finder().setView(sim.finder().windows().front().id, FinderView::list);
  });
  if (const auto fault = scene.fault(); !fault.empty()) {
    state.SkipWithError(fault.c_str());
    return;
  }
  const auto applied = scene.sim.finder().arrangement(pictures, view);
  const int clicks = scene.sim.mac.menuClicks();
  for (auto _ : state) {
    scene.sim.finder().setArrangement(pictures, view, FolderArrangement{});
    scene.model->applyNow();
    scene.dispatch.advance(0.25);
    state.PauseTiming();
    scene.dispatch.advance(1);
    state.ResumeTiming();
  }
  if (scene.sim.finder().arrangement(pictures, view) != applied || scene.sim.finder().windows().front().view != view) {
    state.SkipWithError("the last round did not arrange the folder in its view");
  }
  state.counters["clicks"] =
      benchmark::Counter(scene.sim.mac.menuClicks() - clicks, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_QueryResolveApplyRound)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

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
    ArrangedFolder folder(0, scene.prepare, true);
    folder.dispatch.advance(60);
    const int finder = folder.sim.mac.appleEvents("Finder");
    const int systemEvents = folder.sim.mac.appleEvents("System Events");
    const int reads = folder.sim.accessibility.attributeReads();
    folder.checks();
    folder.dispatch.advance(60);
    state.counters["Finder"] = folder.sim.mac.appleEvents("Finder") - finder;
    state.counters["SystemEvents"] = folder.sim.mac.appleEvents("System Events") - systemEvents;
    state.counters["AXReads"] = folder.sim.accessibility.attributeReads() - reads;
    state.counters["Ticks"] = folder.checks();
  }
  state.SetLabel(scene.name);
}
BENCHMARK(BM_IdleAppleEventsPerMinute)
    ->DenseRange(0, static_cast<int>(std::size(idleScenes)) - 1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// A user who opens folders with a click: each time a new folder, not yet arranged, in the
// window that shows the arranged Pictures, `phase` seconds after a tick of the poll timer; then
// they may keep clicking every `clickInterval` seconds until `clickingFor` seconds have passed.
// Measures in virtual time when the arrangement script was sent and how often the engine
// looked at the Finder meanwhile. One engine serves every opening.
class OpeningFolders {
 public:
  struct Opening {
    std::optional<double> sentAfterLastClick;  // seconds; none when nothing was arranged
    bool arrangedWhileClicking = false;
    int checksWhileClicking = 0;
    int clicks = 0;
  };

  OpeningFolders() {
    watch_ = scene.model->busy().subscribe([this](bool busy) {
      if (busy) {
        startedAt_ = scene.dispatch.now();
      } else if (!sentAt_ && scene.sim.finder().arrangement(folder_, FinderView::icon).grouped) {
        sentAt_ = startedAt_;
      }
    });
  }

  Opening open(double phase, double clickInterval = 0, double clickingFor = 0) {
    Opening result;
    prepareNextFolder(phase);
    const Date opened = scene.dispatch.now();
    scene.checks();
    Date lastClick = opened;
    for (double at = 0; at <= clickingFor; at += clickInterval) {
      scene.dispatch.advance(opened + at - scene.dispatch.now());
      scene.sim.input.clicked();
      lastClick = scene.dispatch.now();
      ++result.clicks;
      if (at == 0) scene.sim.finder().navigate(window(), folder_);
      if (clickInterval <= 0) break;
    }
    result.checksWhileClicking = scene.checks();
    result.arrangedWhileClicking = sentAt_.has_value();
    scene.dispatch.advance(6);
    if (sentAt_) result.sentAfterLastClick = *sentAt_ - lastClick;
    return result;
  }

  ArrangedFolder scene{0, {}, true};

 private:
  int window() { return scene.sim.finder().windows().front().id; }

  // Back in Pictures, which needs nothing, until `phase` seconds after a tick.
  void prepareNextFolder(double phase) {
    folder_ = pictures + "/Opened " + std::to_string(++opened_);
    scene.sim.volumes.addFolder(folder_);
    scene.sim.finder().navigate(window(), pictures);
    scene.dispatch.advance(3);
    const double running = scene.dispatch.now() - scene.launched;
    const double sinceTick = running - std::floor(running / AppModel::pollInterval) * AppModel::pollInterval;
    scene.dispatch.advance(AppModel::pollInterval - sinceTick + phase);
    startedAt_.reset();
    sentAt_.reset();
  }

  std::string folder_;
  int opened_ = 0;
  std::optional<Date> startedAt_, sentAt_;
  Subscription watch_;
};

// How long after the click that opened a folder its arrangement starts, over phases of the poll
// timer spread evenly across one interval; and a user who keeps clicking is left alone until
// they stop, without the engine looking more often than the timer does plus once per click.
void BM_ArrangementLatency(benchmark::State& state) {
  constexpr int phases = 1000, clickingPhases = 20;
  constexpr double clickInterval = 1.5, clickingFor = 10;
  for (auto _ : state) {
    OpeningFolders user;
    if (const auto fault = user.scene.fault(); !fault.empty()) {
      state.SkipWithError(fault.c_str());
      return;
    }
    std::vector<double> latencies;
    for (int i = 0; i < phases; ++i) {
      const auto opening = user.open(AppModel::pollInterval * i / phases);
      if (!opening.sentAfterLastClick) {
        state.SkipWithError("a folder opened with a click was never arranged");
        return;
      }
      latencies.push_back(*opening.sentAfterLastClick);
    }
    std::ranges::sort(latencies);
    const auto at = [&](double share) { return latencies[static_cast<std::size_t>(share * (latencies.size() - 1))]; };
    state.counters["p50_s"] = at(0.5);
    state.counters["p95_s"] = at(0.95);
    state.counters["max_s"] = latencies.back();

    double slowest = 0, checksPerMinute = 0, allowedPerMinute = 0;
    int arrangedWhileClicking = 0;
    for (int i = 0; i < clickingPhases; ++i) {
      const auto opening = user.open(AppModel::pollInterval * i / clickingPhases, clickInterval, clickingFor);
      const double minutes = clickInterval * (opening.clicks - 1) / 60;
      arrangedWhileClicking += opening.arrangedWhileClicking ? 1 : 0;
      slowest = std::max(slowest, opening.sentAfterLastClick.value_or(1e9));
      checksPerMinute = std::max(checksPerMinute, opening.checksWhileClicking / minutes);
      allowedPerMinute = 60 / AppModel::pollInterval + opening.clicks / minutes;
    }
    state.counters["clicking_arranged"] = arrangedWhileClicking;
    state.counters["after_last_click_max_s"] = slowest;
    state.counters["clicking_checks_per_min"] = checksPerMinute;
    state.counters["clicking_allowed_per_min"] = allowedPerMinute;
  }
}
BENCHMARK(BM_ArrangementLatency)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tidyframe
