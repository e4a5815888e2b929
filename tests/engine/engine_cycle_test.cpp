#include "engine/engine_fixture.h"

namespace tidyframe {
namespace {

using Cycle = EngineTest;

constexpr FolderArrangement kindByName{true, ArrangeKey::kind, ArrangeKey::name};
constexpr FolderArrangement untouched{};

TEST_F(Cycle, FirstFolderAfterLaunchIsQueriedAndArranged) {
  writeSettings(engineOn());
  openFolder(pictures);
  launch();
  advance(6);
  EXPECT_EQ(shown(pictures), kindByName);
  ASSERT_EQ(model->activities()->size(), 1u) << diagnostics.str();
  const auto& entry = model->activities()->front();
  EXPECT_EQ(entry.title, "已应用文件种类分组");
  EXPECT_EQ(entry.detail, "全局默认 · 按名称排序");
  EXPECT_EQ(entry.path, pictures);
  EXPECT_TRUE(entry.success);
  EXPECT_EQ(entry.previousGroup, "None");
  EXPECT_EQ(entry.previousSort, "Name");
  EXPECT_EQ(entry.windowID, "4001");
  EXPECT_EQ(model->currentPath().get(), pictures);
  EXPECT_EQ(model->currentSource().get(), "全局默认");
  EXPECT_FALSE(model->message().get());
}

TEST_F(Cycle, StayingInAFolderSendsNoAppleEventEvenAfterARelaunch) {
  writeSettings(engineOn());
  openFolder(pictures);
  launch();
  advance(6);
  const int afterArranging = allEvents();
  advance(60);
  EXPECT_EQ(allEvents(), afterArranging) << "an unchanged window was asked again";

  relaunch();
  advance(6);
  const int systemEventsBefore = sim.mac.appleEvents("System Events");
  const int afterRelaunch = allEvents();
  advance(60);
  EXPECT_EQ(allEvents(), afterRelaunch);
  EXPECT_EQ(sim.mac.appleEvents("System Events"), systemEventsBefore);
  EXPECT_EQ(model->activities()->size(), 1u) << "the confirmed folder was arranged again after the relaunch";
}

TEST_F(Cycle, NavigatingSwitchingViewOrWindowQueriesAgain) {
  writeSettings(engineOn());
  const int window = openFolder(pictures);
  launch();
  advance(6);
  struct Step {
    const char* reason;
    std::function<void()> change;
    std::string expectedPath;
  };
  const Step steps[] = {
      {"navigate to another folder", [&] { sim.finder().navigate(window, documents); }, documents},
      {"switch the view", [&] { sim.finder().setView(window, FinderView::list); }, documents},
      {"another window on a folder", [&] { openFolder(reports); }, reports},
  };
  for (const auto& step : steps) {
    const int before = finderEvents();
    step.change();
    advance(6);
    EXPECT_GT(finderEvents(), before) << step.reason;
    EXPECT_EQ(model->currentPath().get(), step.expectedPath) << step.reason;
  }
  EXPECT_EQ(shown(documents, FinderView::list), kindByName);
  EXPECT_EQ(shown(reports), kindByName);
}

TEST_F(Cycle, EmptyFinderAnswerMarksNothing) {
  writeSettings(engineOn());
  openFolder(package);
  launch();
  advance(10);
  EXPECT_FALSE(model->currentPath().get()) << "a package is no folder to arrange";
  EXPECT_EQ(sim.mac.menuClicks(), 0);
  const int before = finderEvents();
  advance(2);
  EXPECT_GT(finderEvents(), before) << "not marked: the next tick asks again";
}

TEST_F(Cycle, ExcludedFolderIsNeverArrangedButShowsItsSource) {
  auto preferences = engineOn();
  LocationRule rule;
  rule.name = "Pictures";
  rule.path = pictures;
  rule.includeChildren = true;
  rule.excluded = true;
  preferences.rules = {rule};
  writeSettings(preferences);
  openFolder(pictures);
  launch();
  advance(10);
  EXPECT_EQ(shown(pictures), untouched);
  EXPECT_EQ(model->currentSource().get(), "此位置已排除");
  EXPECT_TRUE(model->activities()->empty());
}

TEST_F(Cycle, GalleryViewGetsTheSortOnly) {
  auto preferences = engineOn();
  preferences.sorting = Sorting::modified;
  writeSettings(preferences);
  openFolder(pictures, FinderView::gallery);
  launch();
  advance(6);
  EXPECT_EQ(shown(pictures, FinderView::gallery).sortKey, ArrangeKey::modified);
  EXPECT_FALSE(shown(pictures, FinderView::gallery).grouped);
  EXPECT_EQ(model->message().get(), "此 Finder 视图仅支持排序");
  ASSERT_FALSE(model->activities()->empty());
  EXPECT_EQ(model->activities()->front().title, "已应用修改日期排序");
}

TEST_F(Cycle, UnchangedReplyConfirmsAndClearsTheMessageWithoutALogEntry) {
  writeSettings(engineOn());
  openFolder(pictures, FinderView::icon, kindByName);
  launch();
  model->setMessage("old notice");
  advance(6);
  EXPECT_FALSE(model->message().get());
  EXPECT_TRUE(model->activities()->empty());
  const auto& confirmed = model->layouts().confirmed;
  ASSERT_EQ(confirmed.size(), 1u);
  EXPECT_TRUE(confirmed.begin()->first.starts_with(std::string(pictures) + "\nicon view\n"));
  EXPECT_EQ(confirmed.begin()->second, "kind:name:false");
}

TEST_F(Cycle, RuleChangeRearrangesTheOpenFolder) {
  writeSettings(engineOn());
  openFolder(pictures);
  launch();
  advance(6);
  auto preferences = model->preferences().get();
  preferences.grouping = Grouping::size;
  model->setPreferences(preferences);
  EXPECT_EQ(delegate.ruleChanges, 1);
  advance(6);
  EXPECT_EQ(shown(pictures), (FolderArrangement{true, ArrangeKey::size, ArrangeKey::name}));
  EXPECT_EQ(model->activities()->front().title, "已应用文件大小分组");
}

TEST_F(Cycle, ApplyNowRearrangesAConfirmedFolder) {
  writeSettings(engineOn());
  openFolder(pictures);
  launch();
  advance(6);
  sim.finder().setArrangement(pictures, FinderView::icon, untouched);
  advance(10);
  EXPECT_EQ(shown(pictures), untouched) << "without a change the engine leaves the window alone";
  sim.finder().setFrontmost(false);
  model->applyNow();
  EXPECT_TRUE(sim.finder().frontmost()) << "the Finder was brought forward";
  advance(6);
  EXPECT_EQ(shown(pictures), kindByName);
}

TEST_F(Cycle, ArrangementErrorIsNotRetriedForThirtySeconds) {
  auto preferences = engineOn();
  preferences.sorting = Sorting::tags;
  writeSettings(preferences);
  FinderMenuStyle style;
  style.language = FinderMenuLanguage::dutch;
  sim.finder().setMenuStyle(style);
  openFolder(pictures);
  launch();
  advance(6);
  ASSERT_TRUE(model->message().get());
  const int arrangements = sim.mac.scriptsCompiled(), events = allEvents();
  advance(20);
  EXPECT_EQ(sim.mac.scriptsCompiled(), arrangements) << "retried within 30 seconds";
  EXPECT_EQ(allEvents(), events) << "the unchanged window was queried during the pause";
  advance(16);
  EXPECT_GT(sim.mac.scriptsCompiled(), arrangements) << "not retried after 30 seconds";
}

}  // namespace
}  // namespace tidyframe
