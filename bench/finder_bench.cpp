#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "finder/finder_menu_names.h"
#include "finder/finder_scripts.h"
#include "finder/finder_window_probe.h"
#include "platform/accessibility.h"
#include "platform/input_state.h"

namespace tidyframe {
namespace {

std::vector<std::string> titles(std::span<const std::string_view> names) { return {names.begin(), names.end()}; }

void BM_ApplyText(benchmark::State& state) {
  const auto groups = titles(menuNames(Grouping::added));
  const auto sorts = titles(menuNames(Sorting::modified));
  const std::string url = "file:///Volumes/Card%201/DCIM/%E7%85%A7%E7%89%87%20%22new%22/";
  const bool hide = state.range(0) != 0;
  for (auto _ : state) benchmark::DoNotOptimize(FinderScripts::apply(url, "4711", groups, sorts, hide));
}
BENCHMARK(BM_ApplyText)->Arg(0)->Arg(1);

class TreeElement final : public AccessibilityElement {
 public:
  explicit TreeElement(std::uint64_t hash) : hash_(hash) {}
  std::map<std::string, AccessibilityValue, std::less<>> attributes;
  std::expected<AccessibilityValue, std::int32_t> attribute(std::string_view name) const override {
    const auto found = attributes.find(name);
    if (found == attributes.end()) return std::unexpected(-25205);
    return found->second;
  }
  std::uint64_t hash() const override { return hash_; }

 private:
  std::uint64_t hash_;
};

class TreeAccessibility final : public Accessibility {
 public:
  std::shared_ptr<TreeElement> application = std::make_shared<TreeElement>(1);
  bool isProcessTrusted() const override { return true; }
  bool isProcessTrustedPrompting() override { return true; }
  AccessibilityElementRef applicationElement(std::int32_t, double) override { return application; }
};

class IdleInput final : public InputState {
 public:
  double secondsSinceLastEvent(InputEventType) const override { return 60; }
  std::uint32_t pressedMouseButtons() const override { return 0; }
};

std::shared_ptr<TreeElement> node(const char* role, std::vector<AccessibilityElementRef> children = {}) {
  auto made = std::make_shared<TreeElement>(77);
  made->attributes["AXRole"] = AccessibilityValue(std::string(role));
  made->attributes["AXChildren"] = AccessibilityValue(std::move(children));
  return made;
}

// A Finder window as it usually looks: toolbar, sidebar, then the view two levels down.
void BM_Snapshot(benchmark::State& state) {
  TreeAccessibility accessibility;
  IdleInput input;
  auto view = node("AXOutline");
  view->attributes["AXIdentifier"] = AccessibilityValue(std::string("ListView"));
  auto content = node("AXScrollArea", {view});
  auto sidebar = node("AXScrollArea", {node("AXOutline"), node("AXScrollBar")});
  auto split = node("AXSplitGroup", {sidebar, node("AXSplitter"), content});
  auto window = node("AXWindow", {node("AXToolbar"), split, node("AXButton"), node("AXButton"), node("AXStaticText")});
  window->attributes["AXDocument"] = AccessibilityValue(std::string("file:///Users/demo/Downloads/"));
  accessibility.application->attributes["AXFocusedWindow"] = AccessibilityValue(AccessibilityElementRef(window));
  const FinderWindowProbe probe(accessibility, input);
  for (auto _ : state) benchmark::DoNotOptimize(probe.snapshot(412));
}
BENCHMARK(BM_Snapshot);

}  // namespace
}  // namespace tidyframe
