#include "engine/engine_fixture.h"

namespace tidyframe {
namespace {

using Cycle = EngineTest;

constexpr FolderArrangement untouched{};

// One folder in front at launch: what the Finder shows afterwards and what the engine says.
TEST_F(Cycle, TheFirstFolderAfterLaunch) {
  struct Case {
    const char* reason;
    Preferences settings;
    FinderView view;
    FolderArrangement before, after;
    std::optional<std::string> title, message;
    std::string source;
    std::optional<FinderView> viewAfter = std::nullopt;
  };
  const Case cases[] = {
      {"arranged by the global default", engineOn(), FinderView::icon, untouched, kindByName, "已应用文件种类分组",
       std::nullopt, "全局默认"},
      {"an excluded folder is left alone but shows why",
       {.engineEnabled = true, .rules = {pathRule(pictures, Grouping::size, true)}}, FinderView::icon, untouched,
       untouched, std::nullopt, "old notice", "此位置已排除"},
      {"the gallery view only sorts", {.sorting = Sorting::modified, .engineEnabled = true, .rules = {}},
       FinderView::gallery, untouched, {false, ArrangeKey::kind, ArrangeKey::modified}, "已应用修改日期排序",
       "此 Finder 视图仅支持排序", "全局默认"},
      {"already arranged: confirmed and the notice cleared, nothing logged", engineOn(), FinderView::icon,
       kindByName, kindByName, std::nullopt, std::nullopt, "全局默认"},
      {"a list-view rule turns an icon window into list view and arranges it",
       withRules({viewRule(pictures, FinderViewChoice::list)}), FinderView::icon, untouched, kindByName,
       "已应用文件种类分组", std::nullopt, "Pictures", FinderView::list},
      {"a global gallery view: the view changed, then only sorted",
       {.sorting = Sorting::size, .engineEnabled = true, .rules = {}, .view = FinderViewChoice::gallery},
       FinderView::icon, untouched, {false, ArrangeKey::kind, ArrangeKey::size}, "已应用文件大小排序",
       "此 Finder 视图仅支持排序", "全局默认", FinderView::gallery},
      {"a rule without a view never changes the view, whatever the global one",
       {.engineEnabled = true, .rules = {pathRule(pictures)}, .view = FinderViewChoice::keep}, FinderView::column,
       untouched, kindByName, "已应用文件种类分组", std::nullopt, "Pictures"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    const int window = openFolder(pictures, c.view, c.before);
    launch(c.settings);
    model->setMessage("old notice");
    advance(6);
    const FinderView viewAfter = c.viewAfter.value_or(c.view);
    EXPECT_EQ(viewOf(window), viewAfter);
    EXPECT_EQ(shown(pictures, viewAfter), c.after);
    EXPECT_EQ(model->message().get(), c.message);
    EXPECT_EQ(model->currentPath().get(), pictures);
    EXPECT_EQ(model->currentSource().get(), c.source);
    EXPECT_EQ(model->activities()->empty() ? std::nullopt : std::optional(latest().title), c.title);
    EXPECT_EQ(confirmedKeys().size(), c.after == untouched ? 0u : 1u);
    EXPECT_EQ(model->activities()->empty() ? std::nullopt : latest().previousView,
              c.viewAfter ? std::optional<std::string>("icon view") : std::nullopt);
    forgetAll();
    sim.finder().closeWindow(window);
  }
}

// A view is set once per visit: a view the user picks while staying is theirs until the window
// shows another folder, and a window the Finder reopens in the wanted view costs one query.
TEST_F(Cycle, AViewRuleChangesTheViewOncePerVisit) {
  for (const auto& [wanted, view] : {std::pair(FinderViewChoice::list, FinderView::list),
                                    std::pair(FinderViewChoice::gallery, FinderView::gallery)}) {
    SCOPED_TRACE(std::string(rawValue(wanted)));
    const int viewScriptsBefore = viewChanges();
    int window = arrangeOnLaunch(pictures, withRules({viewRule(pictures, wanted)}));
    ASSERT_EQ(viewOf(window), view);
    ASSERT_EQ(viewChanges() - viewScriptsBefore, 1);
    struct Step {
      const char* reason;
      std::function<void()> change;
      FinderView view;
      int viewScripts, arranged;
      bool asks;
      std::optional<std::string> logged;
    };
    const Step steps[] = {
        {"staying", [] {}, view, 0, 0, false, std::nullopt},
        {"reopened in the view the Finder remembers",
         [&] {
           sim.finder().closeWindow(window);
           window = openFolder(pictures, view, sim.finder().arrangement(pictures, view));
         },
         view, 0, 0, true, std::nullopt},
        {"the user picks icons while staying", [&] { sim.finder().setView(window, FinderView::icon); },
         FinderView::icon, 0, 1, true, std::nullopt},
        {"another folder keeps its view", [&] { sim.finder().navigate(window, documents); }, FinderView::icon, 0, 1,
         true, std::nullopt},
        {"back again: a new visit, the view set alone", [&] { sim.finder().navigate(window, pictures); }, view, 1, 0,
         true, "显示 · " + title(wanted, l)},
        {"the user picks icons, then the settings choose columns for every place",
         [&] {
           sim.finder().setView(window, FinderView::icon);
           changeSettings([](Preferences& p) {
             p.rules.clear();
             p.view = FinderViewChoice::column;
           });
         },
         FinderView::column, 1, 1, true, std::nullopt},
    };
    for (const auto& step : steps) {
      SCOPED_TRACE(step.reason);
      const int events = allEvents(), scripts = viewChanges(), arranged = arrangements();
      const auto entries = model->activities()->size();
      step.change();
      advance(20);
      EXPECT_EQ(viewOf(window), step.view);
      EXPECT_EQ(viewChanges() - scripts, step.viewScripts);
      EXPECT_EQ(arrangements() - arranged, step.arranged);
      EXPECT_EQ(allEvents() > events, step.asks);
      if (step.logged) {
        ASSERT_EQ(model->activities()->size(), entries + 1);
        EXPECT_EQ(latest().title, *step.logged);
        EXPECT_EQ(latest().previousView, "icon view");
        EXPECT_FALSE(latest().previousGroup);
      }
    }
    forgetAll();
    sim.finder().closeWindow(window);
  }
}

// The window closes after the query saw it: the view script skips and nothing is recorded.
TEST_F(Cycle, AWindowClosedBeforeTheViewChangeIsASkipWithNothingRecorded) {
  const int window = openFolder(pictures);
  launch(withRules({viewRule(pictures, FinderViewChoice::list)}));
  auto subscription = model->currentPath().subscribe([&](const auto& path) {
    if (path == pictures) sim.finder().closeWindow(window);
  });
  advance(6);
  EXPECT_EQ(viewChanges(), 1);
  EXPECT_EQ(arrangements(), 0);
  EXPECT_TRUE(model->activities()->empty());
  EXPECT_EQ(model->layouts(), FinderLayoutArchive{});
  EXPECT_FALSE(model->message().get());
}

// What an arrangement replaced is logged for undo (the undo tests put it back); the folder is
// confirmed, so staying in it sends nothing more.
TEST_F(Cycle, AnArrangedFolderIsConfirmedAndStayingSendsNoAppleEventEvenAfterARelaunch) {
  arrangeOnLaunch(pictures);
  EXPECT_EQ(latest().detail, "全局默认 · 按名称排序");
  EXPECT_EQ(*model->layouts().confirmation(confirmedKeys().at(0)), "kind:name:false") << "as the earlier build stored it";
  for (const char* when : {"after arranging", "after a relaunch"}) {
    const int events = allEvents();
    advance(60);
    EXPECT_EQ(allEvents(), events) << when;
    shutDown();
    launch();
    advance(6);
  }
  EXPECT_EQ(model->activities()->size(), 1u) << "the confirmed folder was arranged again after the relaunch";
}

// Each change is looked at once the user's pause allows: the folder is not arranged while
// they are busy (`quiet` seconds) and is by `within` seconds (the arrangement script itself
// takes up to a second), although each change comes just after a tick of the poll timer.
TEST_F(Cycle, NavigatingSwitchingViewOrWindowOrAMountQueriesAgainOnceTheUserPauses) {
  arrangeOnLaunch(pictures);
  const auto front = [this] { return sim.finder().windows().front().id; };
  const auto later = [this](double seconds, std::function<void()> input) {
    dispatch.main().asyncAfter(seconds, std::move(input));
  };
  struct Step {
    const char* reason;
    std::function<void()> change;
    std::string expectedPath;
    FinderView view = FinderView::icon;
    double quiet = 0, within = 6;
  };
  const Step steps[] = {
      {"navigate to another folder", [&] { sim.finder().navigate(front(), documents); }, documents},
      {"switch the view", [&] { sim.finder().setView(front(), FinderView::list); }, documents, FinderView::list},
      {"another window on a folder", [&] { openFolder(reports); }, reports},
      {"a volume mounted", [&] { sim.workspace.postDidMount(); }, reports},
      {"a click opens a folder: looked at when the pause ends",
       [&] {
         sim.input.clicked();
         sim.finder().navigate(front(), SimHome::holidays);
       },
       SimHome::holidays, FinderView::icon, 1.9, 3.3},
      {"clicks every 1.5 seconds renew the pause",
       [&] {
         sim.input.clicked();
         sim.finder().navigate(front(), SimHome::invoices);
         for (int i = 1; i <= 4; ++i) later(1.5 * i, [this] { sim.input.clicked(); });
       },
       SimHome::invoices, FinderView::icon, 7.9, 9.3},
      {"a held mouse button: asked again until let go",
       [&] {
         sim.input.holdMouseButton(true);
         sim.finder().navigate(front(), SimHome::downloads);
         later(6, [this] {
           sim.input.holdMouseButton(false);
           sim.input.event(InputEventType::leftMouseUp);
         });
       },
       SimHome::downloads, FinderView::icon, 7.9, 9.3},
      {"a click while the query was on its way: the script queue's refusal is followed up",
       [&] {
         sim.mac.slowEvent({"Finder", "", ""}, 0.5);
         sim.finder().navigate(front(), pictures);
         sim.finder().setView(front(), FinderView::list);
         later(2.2, [this] { sim.input.clicked(); });
       },
       pictures, FinderView::list, 0, 5.5},
      {"a name edited over the window: asked again after the key that ends it",
       [&] {
         sim.finder().focusTextField(true);
         sim.finder().setView(front(), FinderView::column);
         later(10, [this] {
           sim.finder().focusTextField(false);
           sim.input.typed();
         });
       },
       pictures, FinderView::column, 11.9, 13.3},
      {"the Finder brought to the front",
       [&] {
         sim.finder().setFrontmost(false);
         sim.finder().navigate(front(), documents);
         sim.finder().setView(front(), FinderView::column);
         justAfterATick();
         sim.finder().setFrontmost(true);
       },
       documents, FinderView::column, 0, 1.3},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.reason);
    justAfterATick();
    const int before = finderEvents();
    step.change();
    advance(step.quiet);
    if (step.quiet > 0) {
      EXPECT_NE(shown(step.expectedPath, step.view), kindByName) << "arranged while the user was busy";
    }
    advance(step.within - step.quiet);
    EXPECT_GT(finderEvents(), before);
    EXPECT_EQ(model->currentPath().get(), step.expectedPath);
    EXPECT_EQ(shown(step.expectedPath, step.view), kindByName);
    advance(6);
  }
}

// Nothing is scheduled for the end of the user's pause while the engine is off or a reply is
// outstanding: the reply's handler decides what comes next.
TEST_F(Cycle, NoExtraCheckWhileOffOrWithAReplyOutstanding) {
  const int window = arrangeOnLaunch(pictures);
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"a query outstanding",
       [&] {
         sim.mac.slowEvent({"Finder", "", ""}, 5);
         sim.finder().navigate(window, documents);
         justAfterATick();
       }},
      {"the engine off", [&] { model->pause(); }},
  };
  for (const auto& [reason, setUp] : cases) {
    SCOPED_TRACE(reason);
    setUp();
    dispatch.runUntilIdle();
    const auto pending = dispatch.pendingCount();
    sim.input.clicked();
    sim.finder().setFrontmost(false);
    sim.finder().setFrontmost(true);
    dispatch.runUntilIdle();
    EXPECT_EQ(dispatch.pendingCount(), pending);
  }
}

TEST_F(Cycle, ArrangementErrorIsNotRetriedForThirtySeconds) {
  FinderMenuStyle style;
  style.language = FinderMenuLanguage::dutch;
  sim.finder().setMenuStyle(style);
  arrangeOnLaunch(pictures, {.sorting = Sorting::tags, .engineEnabled = true, .rules = {}});
  ASSERT_TRUE(model->message().get());
  const int arranged = arrangements(), events = allEvents();
  advance(20);
  EXPECT_EQ(arrangements(), arranged) << "retried within 30 seconds";
  EXPECT_EQ(allEvents(), events) << "the unchanged window was queried during the pause";
  advance(16);
  EXPECT_GT(arrangements(), arranged) << "not retried after 30 seconds";
}

// A view change that times out is a failure like an arrangement's, not retried for thirty
// seconds; the view it read is kept as the Finder's own, since the change may still land.
TEST_F(Cycle, AViewChangeErrorIsAFailureAndKeepsTheOldView) {
  sim.mac.slowEvent({"Finder", "set", "current view"}, 6);
  const int window = arrangeOnLaunch(pictures, withRules({viewRule(pictures, FinderViewChoice::list)}));
  EXPECT_EQ(model->message().get(), "Finder 操作未完成");
  EXPECT_EQ(activityTitles(), std::vector<std::string>{"分组未完成"});
  EXPECT_EQ(model->layouts().originalView(pictures, rootUuid), "icon view");
  EXPECT_EQ(arrangements(), 0);
  advance(40);
  EXPECT_EQ(viewChanges(), 1) << "the late change landed: no second view script";
  EXPECT_EQ(viewOf(window), FinderView::list);
  EXPECT_EQ(shown(pictures, FinderView::list), kindByName);
}

// A window showing no folder, a place of the Finder's own or a package, costs one query per
// change.
TEST_F(Cycle, AWindowShowingNoFolderIsNeitherArrangedNorAFailure) {
  const int window = arrangeOnLaunch(pictures);
  const int clicks = sim.mac.menuClicks();
  for (const std::string& place : {std::string("Recents"), std::string("AirDrop"), std::string("Search"),
                                   std::string("Network"), package}) {
    SCOPED_TRACE(place);
    sim.finder().navigate(window, place);
    advance(6);
    const int afterTheFirstQuery = allEvents();
    advance(60);
    EXPECT_EQ(allEvents(), afterTheFirstQuery);
    EXPECT_NE(model->currentPath().get(), place);
    EXPECT_FALSE(model->message().get());
  }
  EXPECT_EQ(sim.mac.menuClicks(), clicks);
  EXPECT_EQ(activityTitles(), std::vector<std::string>{"已应用文件种类分组"}) << "no failure was logged";
}

// A card without a volume UUID is never confirmed, and the Finder forgets its arrangement: it is
// arranged on every return, whatever the way back, but once per visit.
TEST_F(Cycle, ACardWithoutVolumeIdIsArrangedOnEveryReturn) {
  mountCard(std::nullopt);
  const int window =
      arrangeOnLaunch(pictures, {.engineEnabled = true, .rules = {pathRule(documents, Grouping::kind, true)}});
  for (const std::string& through : {pictures, documents, std::string("Recents")}) {
    SCOPED_TRACE(through);
    sim.finder().setArrangement(cardPhotos, FinderView::icon, {});
    sim.finder().navigate(window, cardPhotos);
    advance(6);
    EXPECT_EQ(shown(cardPhotos), kindByName);
    const int arranged = arrangements();
    advance(20);
    EXPECT_EQ(arrangements(), arranged) << "arranged twice within one visit";
    sim.finder().navigate(window, through);
    advance(6);
  }
}

// Apply now arranges the next folder processed even when it is confirmed, and only that one.
TEST_F(Cycle, ApplyNowRearrangesAConfirmedFolderAndEndsWithTheNextProcessedOne) {
  arrangeOnLaunch(pictures);
  sim.finder().setArrangement(pictures, FinderView::icon, untouched);
  sim.finder().setFrontmost(false);
  model->applyNow();
  EXPECT_TRUE(sim.finder().frontmost()) << "the Finder was brought forward";
  advance(6);
  EXPECT_EQ(shown(pictures), kindByName);
  struct Case {
    const char* reason;
    std::function<void()> before, after;
  };
  const Case cases[] = {
      {"no Finder running", [this] { sim.finder().quit(); }, [this] { sim.finder().launch(); }},
      {"an empty answer", [this] { openFolder(package); }, [] {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    c.before();
    model->applyNow();
    advance(6);
    c.after();
    openFolder(pictures, FinderView::icon, {});
    advance(20);
    EXPECT_EQ(shown(pictures), FolderArrangement{}) << "the user's own arrangement of a confirmed folder was replaced";
  }
}

TEST_F(Cycle, TwoFailuresTenSecondsApartMakeOneLogEntryAndTwoMessages) {
  launch(engineOn());
  std::vector<std::string> messages;
  auto subscription = model->message().subscribe([&](const auto& text) {
    if (text) messages.push_back(*text);
  });
  AppModelTestPeer::fail(*model, ScriptFailure{-1719, "x"});
  advance(10);
  AppModelTestPeer::fail(*model, ScriptFailure{-2700, "此系统语言暂未支持该排序选项"});
  EXPECT_EQ(messages, (std::vector<std::string>{"请为 Tidyframe开启辅助功能权限。", "此系统语言暂未支持该排序选项"}));
  EXPECT_EQ(activityTitles(), std::vector<std::string>{"分组未完成"});
  advance(31);
  AppModelTestPeer::fail(*model, ScriptFailure{-1712, "timed out"});
  EXPECT_EQ(activityTitles(), (std::vector<std::string>{"分组未完成", "分组未完成"}));
  EXPECT_EQ(model->activities()->front().detail, "Finder 操作未完成");
  EXPECT_FALSE(model->activities()->front().success);
}

TEST_F(Cycle, QueryTimeOutPausesTheEngineAndSaysSo) {
  sim.mac.busy("Finder", 0, 400);
  arrangeOnLaunch(pictures);
  advance(200);
  EXPECT_FALSE(model->preferences()->engineEnabled);
  EXPECT_EQ(model->message().get(), "Finder 操作未完成 · 自动分组已暂停");
  ASSERT_EQ(activityTitles(), std::vector<std::string>{"自动分组已暂停"});
  EXPECT_EQ(latest().detail, "Finder 保留当前显示状态；可随时继续");
}

// Refused while a script runs, the permission is cleared at once; polling stops until the
// minute's permission refresh sees it granted again.
TEST_F(Cycle, RefusedAutomationStopsPollingUntilGrantedAgain) {
  openFolder(pictures);
  launch(engineOn());
  ASSERT_TRUE(model->automationGranted().get());
  sim.mac.setAutomation("Finder", AutomationConsent::refused);
  advance(3);
  EXPECT_FALSE(model->automationGranted().get());
  EXPECT_EQ(model->message().get(), "请在系统设置 → 隐私与安全性 → 自动化中允许 Finder 和 System Events。");
  const int events = allEvents();
  advance(30);
  EXPECT_EQ(allEvents(), events) << "polling went on without permission";
  sim.mac.setAutomation("Finder", AutomationConsent::allowed);
  advance(40);
  EXPECT_TRUE(model->automationGranted().get());
  advance(6);
  EXPECT_TRUE(shown(pictures).grouped);
}

// Without settings the engine starts off. System Events quits when idle, and the permission
// query then can only say "unknown".
TEST_F(Cycle, WithoutSettingsTheEngineIsOffAndUnknownAutomationIsProbedOnlyWithItOn) {
  const int window = openFolder(pictures);
  advance(200);
  launch();
  advance(6);
  EXPECT_EQ(model->preferences().get(), Preferences{});
  EXPECT_EQ(model->currentSource().get(), "等待打开 Finder 文件夹");
  EXPECT_TRUE(Storage::read<FinderLayoutArchive>(storageFolder() / "finder-layouts.json")) << "saved at launch";
  EXPECT_EQ(allEvents(), 0) << "the engine is off: no probe";
  EXPECT_FALSE(model->automationGranted().get());
  shutDown();
  launch(engineOn());
  advance(6);
  EXPECT_TRUE(model->automationGranted().get()) << "the probe script launched System Events again";
  EXPECT_TRUE(shown(pictures).grouped);
  const int events = allEvents();
  advance(200);
  EXPECT_EQ(allEvents(), events) << "an idle window's permission refreshes sent a probe";
  sim.finder().navigate(window, documents);
  advance(6);
  EXPECT_TRUE(shown(documents).grouped);
}

TEST_F(Cycle, StartTurnsTheEngineOnOnlyWithAccessibility) {
  openFolder(pictures);
  for (const bool trusted : {false, true}) {
    SCOPED_TRACE(trusted ? "trusted" : "not trusted");
    sim.mac.setAccessibilityTrusted(trusted);
    launch();
    model->start();
    advance(8);
    EXPECT_EQ(model->showSetup().get(), !trusted) << "the setup guide";
    EXPECT_EQ(model->preferences()->engineEnabled, trusted);
    EXPECT_EQ(allEvents() > 0, trusted);
    EXPECT_EQ(shown(pictures).grouped, trusted);
    EXPECT_EQ(trusted ? activityTitles().back() : "", trusted ? "自动分组已开启" : "");
    shutDown();
  }
}

TEST_F(Cycle, RefreshesDoNotPileUpAndNoneStartsOnceQuittingBegan) {
  launch(engineOn());
  advance(1);
  const auto work = [this] { return std::tuple(sim.permissions.queries(), sim.volumes.listings(), allEvents()); };
  const auto [queries, listings, events] = work();
  for (int i = 0; i < 2; ++i) model->refreshEnvironment(false);
  for (int i = 0; i < 3; ++i) model->refreshVolumes();
  advance(1);
  EXPECT_EQ(sim.permissions.queries(), queries + 2) << "one check for both targets, not two";
  EXPECT_EQ(sim.volumes.listings(), listings + 2) << "one running and exactly one more";

  model->prepareForQuit([] {});
  const auto beforeQuitting = work();
  model->refreshEnvironment(true);
  model->refreshVolumes();
  model->verifyAutomation();
  advance(5);
  EXPECT_EQ(work(), beforeQuitting) << "(permission queries, volume listings, Apple events) after quitting began";
  model.reset();
}

// Dot files shown in a folder the engine already arranged: only the periodic repair acts.
class HiddenFiles : public EngineTest {
 protected:
  void arrangedFolderWithDotFiles(bool hideSetting = true) {
    arrangeOnLaunch(pictures, engineOn(hideSetting));
    presses = sim.mac.keyPresses();
    sim.finder().setShowsAllFiles(true);
  }
  int newPresses() const { return sim.mac.keyPresses() - presses; }
  int presses = 0;
};

TEST_F(HiddenFiles, KeyPressOnceThenAtMostEveryEightSecondsWhileShown) {
  arrangedFolderWithDotFiles();
  advance(8);
  EXPECT_EQ(newPresses(), 1);
  EXPECT_FALSE(sim.finder().showsAllFiles());
  sim.finder().setShowsAllFiles(true);
  advance(2);
  EXPECT_EQ(newPresses(), 1) << "checked on a 2-second tick instead of every 8 seconds";
  advance(7);
  EXPECT_EQ(newPresses(), 2);
  advance(30);
  EXPECT_EQ(newPresses(), 2) << "a key press while dot files were already hidden";
}

TEST_F(HiddenFiles, NothingWithTheSettingOffAndAtOnceWhenSwitchedOn) {
  arrangedFolderWithDotFiles(false);
  advance(30);
  EXPECT_EQ(newPresses(), 0);
  EXPECT_TRUE(sim.finder().showsAllFiles());
  changeSettings([](Preferences& preferences) { preferences.hideOnNavigation = true; });
  advance(3);
  EXPECT_FALSE(sim.finder().showsAllFiles()) << "the change re-arranges with a hide request or repairs at once";
}

TEST_F(HiddenFiles, NeverWhileTheUserTypesOrTheFinderIsBehind) {
  arrangedFolderWithDotFiles();
  for (int i = 0; i < 10; ++i) {
    sim.input.typed();
    advance(1);
  }
  EXPECT_EQ(newPresses(), 0) << "pressed keys while the user typed";
  sim.finder().setFrontmost(false);
  advance(20);
  EXPECT_EQ(newPresses(), 0) << "pressed keys into another application";
  sim.finder().setFrontmost(true);
  advance(3);
  EXPECT_EQ(newPresses(), 1);
}

TEST_F(HiddenFiles, ThirtySecondsAfterAFailure) {
  arrangedFolderWithDotFiles();
  sim.mac.setAccessibilityTrusted(false);
  advance(8);
  EXPECT_EQ(model->message().get(), "请为 Tidyframe开启辅助功能权限。");
  sim.mac.setAccessibilityTrusted(true);
  advance(20);
  EXPECT_EQ(newPresses(), 0) << "retried before 30 seconds";
  advance(12);
  EXPECT_EQ(newPresses(), 1);
}

// The Finder writes its preference up to a second after a key press, so a press that lands just
// before the next poll must not be answered by another.
TEST_F(HiddenFiles, NeverPressedTwiceWhileThePreferenceCatchesUp) {
  for (const bool navigate : {false, true}) {
    SCOPED_TRACE(navigate ? "the next folder's arrangement" : "the next poll's repair");
    sim.finder().setShowsAllFiles(true);
    const int window = openFolder(pictures);
    // The arrangement's key press lands between two polls, less than a second before the next.
    sim.mac.slowEvent({"System Events", "key code", ""}, 1.0);
    if (navigate) sim.mac.at(3.95, [window](SimFinder& finder) { finder.navigate(window, documents); });
    const int before = sim.mac.keyPresses();
    launch(engineOn(true));
    advance(8);
    EXPECT_EQ(sim.mac.keyPresses(), before + 1) << diagnostics.str();
    EXPECT_FALSE(sim.finder().showsAllFiles());
    forgetAll();
  }
}

}  // namespace
}  // namespace tidyframe
