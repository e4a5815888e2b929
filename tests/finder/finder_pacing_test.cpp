#include <gtest/gtest.h>

#include "finder/finder_navigation_gate.h"
#include "finder/finder_polling_state.h"

namespace tidyframe {
namespace {

const Date start{800000000};

TEST(FinderPollingStateTest, BackOffAfterConsecutiveFailuresUntilASuccess) {
  EXPECT_TRUE(FinderPollingState{}.canQuery(Date::distantPast())) << "a new state allows a query at any time";
  const std::pair<int, double> cases[] = {{1, 4}, {2, 8}, {3, 16}, {4, 30}, {5, 30}, {9, 30}};
  for (const auto& [failures, delay] : cases) {
    FinderPollingState state;
    for (int i = 0; i < failures; ++i) state.failed(start);
    EXPECT_FALSE(state.canQuery(start + delay - 0.1)) << failures << " failures";
    EXPECT_TRUE(state.canQuery(start + delay)) << failures << " failures";
    state.succeeded();
    EXPECT_TRUE(state.canQuery(start)) << "a success clears the back-off";
    state.failed(start);
    EXPECT_FALSE(state.canQuery(start + 3.9)) << "the count starts over";
    EXPECT_TRUE(state.canQuery(start + 4)) << "the count starts over";
  }
}

TEST(FinderNavigationGateTest, QueriesOnlyWhenSomethingChanged) {
  using Signature = std::optional<std::string>;
  struct Case {
    Signature recorded;
    std::uint64_t recordedRevision;
    Signature current;
    std::uint64_t revision;
    double after;
    bool expected;
    const char* reason;
    bool heldForInput = false;
    double lastInput = -1;  // seconds after the window was settled
  };
  const Case cases[] = {
      {"412:77:/a:ListView", 1, "412:77:/a:ListView", 1, 60, false, "nothing changed, however long ago"},
      {"412:77:/a:ListView", 1, "412:77:/a:IconView", 1, 0, true, "another folder, window or view"},
      {"412:77:/a:ListView", 1, "412:77:/a:ListView", 2, 0, true, "a rule edit applies without navigating"},
      {std::nullopt, 1, std::nullopt, 1, 9, false, "an unreadable window waits"},
      {std::nullopt, 1, std::nullopt, 1, 10, true, "an unreadable window is asked every 10 seconds"},
      {"412:77:/a:ListView", 1, std::nullopt, 1, 9.9, false, "a window turned unreadable waits too"},
      {std::nullopt, 1, "412:77:/a:ListView", 1, 0, true, "a window turned readable is asked at once"},
      {std::nullopt, 1, std::nullopt, 2, 0, true, "a new revision outranks the pause"},
      {"412:77:/a:ListView", 1, "412:77:/a:ListView", 1, 60, false, "input does not reopen a settled window", false, 30},
      {"412:77:/a:ListView", 1, "412:77:/a:ListView", 1, 60, false, "held for input, and none came", true},
      {"412:77:/a:ListView", 1, "412:77:/a:ListView", 1, 0.5, true, "held for input: asked after it", true, 0.1},
      {"412:77:/a:ListView", 1, "412:77:/a:IconView", 1, 0, true, "held for input: a change still counts", true},
  };
  for (const auto& c : cases) {
    FinderNavigationGate gate;
    if (c.heldForInput) {
      gate.holdUntilInput(c.recorded, c.recordedRevision, start);
    } else {
      gate.record(c.recorded, c.recordedRevision, start);
    }
    EXPECT_EQ(gate.shouldQuery(c.current, c.revision, start + c.after, start + c.lastInput), c.expected) << c.reason;
  }
  EXPECT_TRUE(FinderNavigationGate{}.shouldQuery(std::nullopt, 0, Date::distantPast()))
      << "a new gate asks, even about an unreadable window";
}

}  // namespace
}  // namespace tidyframe
