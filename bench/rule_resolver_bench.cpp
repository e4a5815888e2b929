#include <benchmark/benchmark.h>

#include "i18n/l.h"
#include "model/rule_resolver.h"

namespace tidyframe {
namespace {

// 500 enabled folder rules with children on deep paths, every tenth with a decomposed accent,
// and a few device rules after them; with `views`, a global view and one of its own in every
// rule but each fifth, which follows the global one.
Preferences manyRules(bool views = false) {
  Preferences preferences;
  if (views) preferences.view = FinderViewChoice::list;
  for (int i = 0; i < 500; ++i) {
    LocationRule rule;
    rule.name = "Rule " + std::to_string(i);
    const std::string accent = i % 10 == 0 ? "Cafe\xCC\x81" : "Projects";
    rule.path = "/Users/demo/Documents/" + accent + "/client-" + std::to_string(i % 50) + "/year-" +
                std::to_string(2000 + i % 25) + "/batch-" + std::to_string(i);
    rule.includeChildren = true;
    if (views && i % 5 != 0) rule.view = allCases<FinderViewChoice>()[static_cast<std::size_t>(i % 5)];
    preferences.rules.push_back(rule);
  }
  for (int i = 0; i < 5; ++i) {
    LocationRule device;
    device.name = "Card " + std::to_string(i);
    device.path = "/Volumes/Card" + std::to_string(i);
    device.scope = RuleScope::device;
    device.volumeID = "UUID-" + std::to_string(i);
    preferences.rules.push_back(device);
  }
  return preferences;
}

const std::string deepPath =
    "/Users/demo/Documents/Projects/client-7/year-2007/batch-257/photos/2026/raw/selected/final";

// Each with and without views (argument 1 and 0), which must cost about the same.
void BM_ResolveFresh(benchmark::State& state) {
  const auto preferences = manyRules(state.range(0) != 0);
  L l({}, nullptr);
  l.setLanguage("zh-Hans");
  for (auto _ : state) {
    benchmark::DoNotOptimize(RuleResolver::resolve(deepPath, std::nullopt, false, preferences, l));
  }
}
BENCHMARK(BM_ResolveFresh)->ArgName("views")->Arg(0)->Arg(1);

void BM_ResolveIndexed(benchmark::State& state) {
  const RuleIndex index(manyRules(state.range(0) != 0));
  L l({}, nullptr);
  l.setLanguage("zh-Hans");
  for (auto _ : state) benchmark::DoNotOptimize(index.resolve(deepPath, std::nullopt, false, l));
}
BENCHMARK(BM_ResolveIndexed)->ArgName("views")->Arg(0)->Arg(1);

void BM_ResolveIndexedDecomposedQuery(benchmark::State& state) {
  const RuleIndex index(manyRules());
  L l({}, nullptr);
  l.setLanguage("zh-Hans");
  const std::string path = "/Users/demo/Documents/Cafe\xCC\x81/client-0/year-2000/batch-0/x/y/z";
  for (auto _ : state) benchmark::DoNotOptimize(index.resolve(path, std::nullopt, false, l));
}
BENCHMARK(BM_ResolveIndexedDecomposedQuery);

}  // namespace
}  // namespace tidyframe
