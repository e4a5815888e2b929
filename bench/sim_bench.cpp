#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "base/virtual_dispatch.h"
#include "finder/finder_menu_names.h"
#include "finder/finder_scripts.h"
#include "sim/sim_mac.h"

namespace tidyframe {
namespace {

std::vector<std::string> titles(std::span<const std::string_view> names) { return {names.begin(), names.end()}; }

// One full arrangement on the simulated Mac: the guard twice, the Finder re-check, two View menu
// openings and two clicks. Each run flips the folder between two layouts so every run clicks.
void BM_InterpretApply(benchmark::State& state) {
  VirtualDispatch dispatch;
  auto world = dispatch.makeSerialQueue("sim.world");
  SimMac mac(dispatch, *world);
  const std::string path = "/Users/demo/Documents";
  int id = mac.finder().openWindow(path, FinderView::list);
  const std::string url = finderFolderUrl(path);
  const auto toKind = mac.compile(FinderScripts::apply(url, std::to_string(id), titles(menuNames(Grouping::kind)),
                                                       titles(menuNames(Sorting::size)), false));
  const auto toName = mac.compile(FinderScripts::apply(url, std::to_string(id), titles(menuNames(Grouping::name)),
                                                       titles(menuNames(Sorting::modified)), false));
  bool flip = false;
  for (auto _ : state) {
    auto result = mac.run(**(flip ? toKind : toName));
    benchmark::DoNotOptimize(result);
    flip = !flip;
  }
}
BENCHMARK(BM_InterpretApply)->Unit(benchmark::kMicrosecond);

void BM_CompileApply(benchmark::State& state) {
  VirtualDispatch dispatch;
  auto world = dispatch.makeSerialQueue("sim.world");
  SimMac mac(dispatch, *world);
  const std::string text = FinderScripts::apply("file:///Users/demo/Documents/", "4001",
                                                titles(menuNames(Grouping::kind)), titles(menuNames(Sorting::size)), true);
  for (auto _ : state) benchmark::DoNotOptimize(mac.compile(text));
}
BENCHMARK(BM_CompileApply)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tidyframe
