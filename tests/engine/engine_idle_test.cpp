#include "engine/engine_fixture.h"

namespace tidyframe {
namespace {

// What the engine does, and what it costs, while the front window does not change.
using Idle = EngineTest;

constexpr FolderArrangement kindByName{true, ArrangeKey::kind, ArrangeKey::name};

TEST_F(Idle, AWindowShowingNoFolderCostsOneQueryPerChange) {
  const int window = arrangeOnLaunch(pictures);
  for (const char* place : {"Recents", "AirDrop", "Search", "Network"}) {
    SCOPED_TRACE(place);
    sim.finder().navigate(window, place);
    advance(6);
    const int afterTheFirstQuery = finderEvents();
    advance(60);
    EXPECT_EQ(finderEvents(), afterTheFirstQuery);
    EXPECT_FALSE(model->message().get());
  }
  EXPECT_EQ(activityTitles(), std::vector<std::string>{"已应用文件种类分组"}) << "no failure was logged";
}

// A card without a volume UUID is never confirmed, and the Finder forgets its arrangement: it is
// arranged on every return, whatever the way back, but once per visit.
TEST_F(Idle, ACardWithoutVolumeIdIsArrangedOnEveryReturn) {
  mountCard(std::nullopt);
  auto preferences = engineOn();
  preferences.rules = {pathRule(documents, Grouping::kind, true)};
  const int window = arrangeOnLaunch(pictures, preferences);
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

TEST_F(Idle, ApplyNowEndsWithTheNextProcessedFolder) {
  arrangeOnLaunch(pictures);
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

TEST_F(Idle, NoNewWorkOnceQuittingBegan) {
  writeSettings(engineOn());
  launch();
  advance(1);
  model->prepareForQuit([] {});
  const int queries = sim.permissions.queries(), listings = sim.volumes.listings(), events = allEvents();
  model->refreshEnvironment(true);
  model->refreshVolumes();
  model->verifyAutomation();
  advance(5);
  EXPECT_EQ(sim.permissions.queries(), queries);
  EXPECT_EQ(sim.volumes.listings(), listings);
  EXPECT_EQ(allEvents(), events);
  model.reset();
}

}  // namespace
}  // namespace tidyframe
