#include "engine/engine_fixture.h"
#include "storage/activity_entry.h"

namespace tidyframe {
namespace {

using Lifecycle = EngineTest;

// Only a change to what arranges folders makes the shell close the panel and apply.
TEST_F(Lifecycle, OnlyArrangingSettingsApplyAndOnlyTheLanguageRedrawsTheMenu) {
  launch();
  struct Case {
    const char* reason;
    std::function<void(Preferences&)> change;
    bool applies;
  };
  const Case cases[] = {
      {"language alone", [](Preferences& p) { p.language = "de"; }, false},
      {"appearance alone", [](Preferences& p) { p.appearance = "dark"; }, false},
      {"update frequency alone", [](Preferences& p) { p.updateFrequency = SoftwareUpdateFrequency::daily; }, false},
      {"the master switch leaves the panel open", [](Preferences& p) { p.engineEnabled = !p.engineEnabled; }, false},
      {"hidden-file setting", [](Preferences& p) { p.hideOnNavigation = !p.hideOnNavigation; }, true},
      {"global sorting", [](Preferences& p) { p.sorting = Sorting::size; }, true},
      {"global view", [](Preferences& p) { p.view = FinderViewChoice::list; }, true},
      {"a rule's bookmark", [](Preferences& p) {
         if (p.rules.empty()) p.rules.push_back(LocationRule{});
         p.rules[0].bookmark = Bytes{1, 2};
       },
       true},
  };
  for (const auto& c : cases) {
    const int before = delegate.ruleChanges;
    changeSettings(c.change);
    EXPECT_EQ(delegate.ruleChanges - before, c.applies ? 1 : 0) << c.reason;
  }
  EXPECT_EQ(delegate.menuUpdates, 1) << "only the language change updates the menu";
  EXPECT_EQ(l.language(), "de");
}

// The Finder keeps a card's arrangement on the card, so a card is confirmed per device.
TEST_F(Lifecycle, ACardWithAVolumeIdIsConfirmedPerDevice) {
  launch(engineOn());
  struct Visit {
    const char* reason;
    std::string uuid;
    bool arranged;
  };
  const Visit visits[] = {
      {"the first visit", cardUuid, true},
      {"the same card mounted again", cardUuid, false},
      {"another card at the same path", otherCard, true},
      {"the first card once more", cardUuid, false},
  };
  for (const auto& visit : visits) {
    SCOPED_TRACE(visit.reason);
    mountCard(visit.uuid);
    sim.workspace.postDidMount();
    const int window = openFolder(cardPhotos, FinderView::icon, visit.arranged ? FolderArrangement{} : kindByName);
    const int before = arrangements();
    advance(6);
    EXPECT_EQ(arrangements() - before, visit.arranged ? 1 : 0) << diagnostics.str();
    EXPECT_EQ(shown(cardPhotos), kindByName);
    sim.finder().closeWindow(window);
    sim.volumes.unmount(card);
    sim.workspace.postDidUnmount();
  }
}

TEST_F(Lifecycle, QuittingWaitsForTheRunningScriptAndEverySave) {
  openFolder(pictures);
  launch(engineOn());
  AppModelTestPeer::log(*model, "before quitting");
  std::optional<Date> arrangedAt;
  auto watch = model->busy().subscribe([&](bool busy) {
    if (!busy) return;
    // The arrangement script is about to start: quit while it runs.
    dispatch.main().asyncAfter(0.01, [&] {
      model->prepareForQuit([&] {
        arrangedAt = dispatch.now();
        EXPECT_TRUE(shown(pictures).grouped) << "quit before the running script finished";
        EXPECT_EQ(Storage::read<std::vector<ActivityEntry>>(storageFolder() / "activity.json"),
                  model->activities().get());
        EXPECT_EQ(Storage::read<FinderLayoutArchive>(storageFolder() / "finder-layouts.json"), model->layouts())
            << "the original seen by the last script was not saved";
      });
    });
  });
  advance(10);
  ASSERT_TRUE(arrangedAt) << "quitting did not finish";
  const int events = allEvents();
  advance(30);
  EXPECT_EQ(allEvents(), events) << "polling went on after quitting";
  model.reset();
}

TEST_F(Lifecycle, LogKeepsTheNewestFiveHundred) {
  std::vector<ActivityEntry> full(500);
  for (int i = 0; i < 500; ++i) full[i].path = "/f" + std::to_string(i);
  std::filesystem::create_directories(storageFolder());
  ASSERT_TRUE(Storage::save(toJson(full), storageFolder() / "activity.json"));
  launch();
  AppModelTestPeer::log(*model, "newest");
  ASSERT_EQ(model->activities()->size(), 500u);
  EXPECT_EQ(latest().title, "newest");
  EXPECT_EQ(model->activities()->back().path, "/f498");
  advance(1);
  EXPECT_EQ(Storage::read<std::vector<ActivityEntry>>(storageFolder() / "activity.json"), model->activities().get());
}

TEST_F(Lifecycle, ExportWritesTheLogWhereTheUserChose) {
  launch();
  const auto target = root / "export.json";
  for (const auto& answer :
       {std::optional(target.string()), std::optional<std::string>(), std::optional((target / "x").string())}) {
    sim.alerts.answerPanel(answer);
    model->exportActivity();
  }
  EXPECT_EQ(sim.alerts.panels().front().proposedName, "Finder运行记录.json");
  EXPECT_EQ(contents(target), "[\n\n]") << "an empty log is an empty list";
  EXPECT_EQ(model->message().get(), "导出失败：Not a directory") << "a folder that is a file cannot hold it";
}

// Blocks that come back after the engine is gone find nothing to act on.
TEST_F(Lifecycle, AnEngineGoneWhileItsWorkRunsIsLeftAlone) {
  openFolder(pictures);
  sim.mac.setEventLatency(0.5);
  launch(engineOn());
  advance(2.2);
  model->refreshEnvironment(true);
  model->verifyAutomation();
  const int listings = sim.volumes.listings(), queries = sim.permissions.queries();
  const int events = allEvents(), clicks = sim.mac.menuClicks();
  // Posted after that work, so the engine goes once the work has begun and before it answers.
  dispatch.main().async([this] { model.reset(); });
  advance(30);
  EXPECT_EQ(sim.volumes.listings(), listings + 1) << "no volume refresh was pending";
  EXPECT_GT(sim.permissions.queries(), queries) << "no environment check was pending";
  EXPECT_GT(allEvents(), events) << "no script was pending";
  EXPECT_EQ(sim.mac.menuClicks(), clicks) << "an arrangement started for an engine that is gone";
}


TEST_F(Lifecycle, BookmarkedFoldersAreHeldOpenOnceEach) {
  auto preferences = engineOn();
  for (const auto& path : {pictures, documents}) {
    sim.bookmarks.setReachable(path, true);
    preferences.rules.push_back(pathRule(path));
    preferences.rules.back().bookmark = sim.bookmarks.create(path);
  }
  sim.bookmarks.setReachable(documents, false);
  launch(preferences);
  EXPECT_EQ(sim.bookmarks.accessed(), (std::map<std::string, int>{{pictures, 1}}))
      << "an unreachable bookmark is skipped";
  sim.bookmarks.setReachable(documents, true);
  model->openBookmarks();
  model->openBookmarks();
  dispatch.runUntilIdle();
  EXPECT_EQ(sim.bookmarks.accessed(), (std::map<std::string, int>{{pictures, 1}, {documents, 1}}))
      << "reopening must release the earlier accesses first";
  changeSettings([](Preferences& settings) { settings.rules.pop_back(); });
  model->openBookmarks();
  dispatch.runUntilIdle();
  EXPECT_EQ(sim.bookmarks.accessed(), (std::map<std::string, int>{{pictures, 1}}));
}

TEST_F(Lifecycle, OpenLocationBringsTheFinderForwardAndLooksSoonAfter) {
  launch(engineOn());
  sim.finder().setFrontmost(false);
  model->openLocation(documents);
  EXPECT_EQ(sim.workspace.openedFolders(), std::vector<std::string>{documents});
  EXPECT_TRUE(sim.finder().frontmost());
  advance(3);
  EXPECT_EQ(model->currentPath().get(), documents) << "the check 0.25 s later did not see the folder";
  EXPECT_TRUE(shown(documents).grouped);
}

TEST_F(Lifecycle, RefusedActivationFallsBackToTheActivationScript) {
  launch(engineOn());
  sim.finder().setFrontmost(false);
  sim.workspace.refuseActivation(true);
  sim.workspace.failOpening(true);
  model->openLocation(documents);
  EXPECT_EQ(model->message().get(), "Finder 操作未完成");
  const int before = finderEvents();
  model->activateFinderForAction();  // a second request while one is outstanding starts nothing
  advance(0.2);
  EXPECT_TRUE(sim.finder().frontmost()) << "the script did not activate the Finder";
  EXPECT_EQ(finderEvents(), before + 1) << "the activation script ran twice";
}

TEST_F(Lifecycle, AnActivationThatLeavesTheFinderBehindIsFollowedByTheActivationScript) {
  launch(engineOn());
  sim.workspace.ignoreActivation(true);
  const std::pair<const char*, std::function<void()>> commands[] = {
      {"open location", [this] { model->openLocation(documents); }},
      {"apply now", [this] { model->applyNow(); }},
  };
  for (const auto& [name, command] : commands) {
    SCOPED_TRACE(name);
    sim.finder().setFrontmost(false);
    command();
    EXPECT_FALSE(sim.finder().frontmost());
    advance(0.3);
    EXPECT_TRUE(sim.finder().frontmost()) << "the check did not bring the Finder forward by script";
  }
}

TEST_F(Lifecycle, SettingsDeepLinks) {
  launch();
  model->openAccessibility();
  model->openAutomation();
  EXPECT_EQ(sim.accessibility.prompts(), 1);
  EXPECT_EQ(sim.workspace.openedURLs(),
            (std::vector<std::string>{"x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility",
                                      "x-apple.systempreferences:com.apple.preference.security?Privacy_Automation"}));
}

}  // namespace
}  // namespace tidyframe
