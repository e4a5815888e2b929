#include "engine/engine_fixture.h"

namespace tidyframe {
namespace {

using Cycle = EngineTest;

constexpr FolderArrangement kindByName{true, ArrangeKey::kind, ArrangeKey::name};
constexpr FolderArrangement untouched{};

// One folder in front at launch: what the Finder shows afterwards and what the engine says.
TEST_F(Cycle, TheFirstFolderAfterLaunch) {
  struct Case {
    const char* reason;
    std::function<void(Preferences&)> settings;
    FinderView view;
    FolderArrangement before, after;
    std::optional<std::string> title, message;
    std::string source;
  };
  const Case cases[] = {
      {"arranged by the global default", [](Preferences&) {}, FinderView::icon, untouched, kindByName,
       "已应用文件种类分组", std::nullopt, "全局默认"},
      {"an excluded folder is left alone but shows why",
       [](Preferences& p) { p.rules = {pathRule(pictures, Grouping::size, true)}; }, FinderView::icon, untouched,
       untouched, std::nullopt, "old notice", "此位置已排除"},
      {"the gallery view only sorts", [](Preferences& p) { p.sorting = Sorting::modified; }, FinderView::gallery,
       untouched, {false, ArrangeKey::kind, ArrangeKey::modified}, "已应用修改日期排序", "此 Finder 视图仅支持排序",
       "全局默认"},
      {"already arranged: confirmed and the notice cleared, nothing logged", [](Preferences&) {}, FinderView::icon,
       kindByName, kindByName, std::nullopt, std::nullopt, "全局默认"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    auto preferences = engineOn();
    c.settings(preferences);
    writeSettings(preferences);
    openFolder(pictures, c.view, c.before);
    launch();
    model->setMessage("old notice");
    advance(6);
    EXPECT_EQ(shown(pictures, c.view), c.after);
    EXPECT_EQ(model->message().get(), c.message);
    EXPECT_EQ(model->currentPath().get(), pictures);
    EXPECT_EQ(model->currentSource().get(), c.source);
    EXPECT_EQ(model->activities()->empty() ? std::nullopt : std::optional(latest().title), c.title);
    EXPECT_EQ(model->layouts().confirmed.size(), c.after == untouched ? 0u : 1u);
    forgetAll();
  }
}

TEST_F(Cycle, TheEntryOfAnArrangementCarriesWhatItReplaced) {
  arrangeOnLaunch(pictures);
  const auto& entry = latest();
  EXPECT_EQ(entry.detail, "全局默认 · 按名称排序");
  EXPECT_EQ(entry.path, pictures);
  EXPECT_TRUE(entry.success);
  EXPECT_EQ(entry.previousGroup, "None");
  EXPECT_EQ(entry.previousSort, "Name");
  EXPECT_EQ(entry.windowID, "4001");
  EXPECT_EQ(model->layouts().confirmed.begin()->second, "kind:name:false");
}

TEST_F(Cycle, StayingInAFolderSendsNoAppleEventEvenAfterARelaunch) {
  arrangeOnLaunch(pictures);
  for (const char* when : {"after arranging", "after a relaunch"}) {
    const int events = allEvents();
    advance(60);
    EXPECT_EQ(allEvents(), events) << when;
    relaunch();
    advance(6);
  }
  EXPECT_EQ(model->activities()->size(), 1u) << "the confirmed folder was arranged again after the relaunch";
}

TEST_F(Cycle, NavigatingSwitchingViewOrWindowQueriesAgain) {
  const int window = arrangeOnLaunch(pictures);
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
  arrangeOnLaunch(package);
  advance(4);
  EXPECT_FALSE(model->currentPath().get()) << "a package is no folder to arrange";
  EXPECT_EQ(sim.mac.menuClicks(), 0);
  const int before = finderEvents();
  advance(2);
  EXPECT_GT(finderEvents(), before) << "not marked: the next tick asks again";
}

TEST_F(Cycle, ApplyNowRearrangesAConfirmedFolder) {
  arrangeOnLaunch(pictures);
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
  FinderMenuStyle style;
  style.language = FinderMenuLanguage::dutch;
  sim.finder().setMenuStyle(style);
  arrangeOnLaunch(pictures, preferences);
  ASSERT_TRUE(model->message().get());
  const int arranged = arrangements(), events = allEvents();
  advance(20);
  EXPECT_EQ(arrangements(), arranged) << "retried within 30 seconds";
  EXPECT_EQ(allEvents(), events) << "the unchanged window was queried during the pause";
  advance(16);
  EXPECT_GT(arrangements(), arranged) << "not retried after 30 seconds";
}

}  // namespace
}  // namespace tidyframe
