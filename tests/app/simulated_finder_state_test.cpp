#include <gtest/gtest.h>

#include "app/simulated_finder_state.h"
#include "base/virtual_dispatch.h"
#include "sim/sim_home.h"

namespace tidyframe {
namespace {

// A Mac as the application furnishes it before restoring.
struct FreshMac {
  FreshMac() {
    SimHome::furnish(mac.volumes);
    SimHome::insertCard(mac.volumes);
    mac.finder().openWindow(SimHome::pictures);
  }
  VirtualDispatch dispatch;
  std::shared_ptr<DispatchQueue> world = dispatch.makeSerialQueue("world");
  SimulatedMac mac{dispatch, *world};
};

TEST(SimulatedFinderStateTest, ARestoredFinderShowsWhatWasCaptured) {
  FreshMac before, restored;
  SimFinder& finder = before.mac.finder();
  finder.setArrangement(SimHome::cardPhotos, FinderView::list, {true, ArrangeKey::modified, ArrangeKey::size});
  finder.openWindow(SimHome::documents, FinderView::gallery);
  finder.setShowsAllFiles(true);
  FinderMenuStyle german;
  german.language = FinderMenuLanguage::german;
  finder.setMenuStyle(german);
  before.mac.volumes.unmount(SimHome::card);
  SimHome::insertCard(before.mac.volumes, "/Volumes/TRIP");
  const Json state = SimulatedFinderState::capture(before.mac);
  ASSERT_TRUE(SimulatedFinderState::restore(restored.mac, state));
  EXPECT_EQ(SimulatedFinderState::capture(restored.mac), state);
}

TEST(SimulatedFinderStateTest, DamagedStateNeverBreaksTheFinder) {
  struct Row {
    const char* reason;
    const char* document;
    bool restores;
    std::size_t windows;
  };
  const Row rows[] = {
      {"not a state at all", R"([1, 2])", false, 1},
      {"no window list", R"({"card" : "/Volumes/SD"})", false, 1},
      {"no windows: the Finder shows none", R"({"windows" : []})", true, 0},
      {"a window with an unknown view or a relative path is left out",
       R"({"windows" : [{"path" : "/Users/demo", "view" : "cover flow"}, {"path" : "demo", "view" : "icon view"},
                        {"path" : "/Users/demo", "view" : "list view"}]})", true, 1},
      {"keys and languages out of range are skipped",
       R"({"windows" : [], "language" : 99, "arrangements" : [{"path" : "/x", "view" : "icon view", "grouped" : true,
           "group" : 40, "sort" : -1}]})", true, 0},
  };
  for (const auto& row : rows) {
    FreshMac mac;
    EXPECT_EQ(SimulatedFinderState::restore(mac.mac, *parseJson(row.document)), row.restores) << row.reason;
    EXPECT_EQ(mac.mac.finder().windows().size(), row.windows) << row.reason;
    EXPECT_TRUE(mac.mac.finder().arrangements().empty()) << row.reason;
    EXPECT_EQ(mac.mac.finder().menuStyle().language, FinderMenuLanguage::english) << row.reason;
  }
}

}  // namespace
}  // namespace tidyframe
