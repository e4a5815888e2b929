#include "engine/engine_fixture.h"

namespace tidyframe {
namespace {

using Locations = EngineTest;

TEST_F(Locations, BookmarkedFoldersAreHeldOpenOnceEach) {
  auto preferences = engineOn();
  for (const auto& path : {pictures, documents}) {
    sim.bookmarks.setReachable(path, true);
    preferences.rules.push_back(pathRule(path));
    preferences.rules.back().bookmark = sim.bookmarks.create(path);
  }
  sim.bookmarks.setReachable(documents, false);
  writeSettings(preferences);
  launch();
  EXPECT_EQ(sim.bookmarks.accessed(), (std::map<std::string, int>{{pictures, 1}}))
      << "an unreachable bookmark is skipped";
  sim.bookmarks.setReachable(documents, true);
  model->openBookmarks();
  model->openBookmarks();
  dispatch.runUntilIdle();
  EXPECT_EQ(sim.bookmarks.accessed(), (std::map<std::string, int>{{pictures, 1}, {documents, 1}}))
      << "reopening must release the earlier accesses first";
  auto fewer = model->preferences().get();
  fewer.rules.pop_back();
  model->setPreferences(fewer);
  model->openBookmarks();
  dispatch.runUntilIdle();
  EXPECT_EQ(sim.bookmarks.accessed(), (std::map<std::string, int>{{pictures, 1}}));
}

TEST_F(Locations, OpenLocationBringsTheFinderForwardAndLooksSoonAfter) {
  writeSettings(engineOn());
  launch();
  sim.finder().setFrontmost(false);
  model->openLocation(documents);
  EXPECT_EQ(sim.workspace.openedFolders(), std::vector<std::string>{documents});
  EXPECT_TRUE(sim.finder().frontmost());
  advance(3);
  EXPECT_EQ(model->currentPath().get(), documents) << "the check 0.25 s later did not see the folder";
  EXPECT_TRUE(shown(documents).grouped);
}

TEST_F(Locations, RefusedActivationFallsBackToTheActivationScript) {
  writeSettings(engineOn());
  launch();
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

TEST_F(Locations, SettingsDeepLinks) {
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
