#include "engine/engine_fixture.h"

namespace tidyframe {
namespace {

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
  EXPECT_FALSE(sim.finder().showsAllFiles());
  advance(30);
  EXPECT_EQ(newPresses(), 2) << "a key press while dot files were already hidden";
}

TEST_F(HiddenFiles, NothingWithTheSettingOffAndAtOnceWhenSwitchedOn) {
  arrangedFolderWithDotFiles(false);
  advance(30);
  EXPECT_EQ(newPresses(), 0);
  EXPECT_TRUE(sim.finder().showsAllFiles());
  auto preferences = model->preferences().get();
  preferences.hideOnNavigation = true;
  model->setPreferences(preferences);
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
    writeSettings(engineOn(true));
    launch();
    advance(8);
    EXPECT_EQ(sim.mac.keyPresses(), before + 1) << diagnostics.str();
    EXPECT_FALSE(sim.finder().showsAllFiles());
    forgetAll();
  }
}

}  // namespace
}  // namespace tidyframe
