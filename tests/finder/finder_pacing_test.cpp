#include <gtest/gtest.h>

#include "finder/finder_hidden_repair_state.h"
#include "finder/finder_navigation_gate.h"
#include "finder/finder_polling_state.h"

namespace tidyframe {
namespace {

const Date start{800000000};

TEST(FinderPollingStateTest, BackOffAfterConsecutiveFailures) {
  EXPECT_TRUE(FinderPollingState{}.canQuery(Date::distantPast())) << "a new state allows a query at any time";
  struct Case {
    int failures;
    double delay;
  };
  const Case cases[] = {{1, 4}, {2, 8}, {3, 16}, {4, 30}, {5, 30}, {9, 30}};
  for (const auto& c : cases) {
    FinderPollingState state;
    for (int i = 0; i < c.failures; ++i) state.failed(start);
    EXPECT_FALSE(state.canQuery(start + c.delay - 0.1)) << c.failures << " failures";
    EXPECT_TRUE(state.canQuery(start + c.delay)) << c.failures << " failures";
    EXPECT_LE(state.failures, 4);
  }
}

TEST(FinderPollingStateTest, SuccessClearsTheBackOff) {
  FinderPollingState state;
  for (int i = 0; i < 3; ++i) state.failed(start);
  state.succeeded();
  EXPECT_TRUE(state.canQuery(start));
  EXPECT_EQ(state, FinderPollingState{});
  state.failed(start);
  EXPECT_TRUE(state.canQuery(start + 4)) << "the count starts over";
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
  };
  const Case cases[] = {
      {"412:77:/a:ListView", 1, "412:77:/a:ListView", 1, 60, false, "nothing changed, however long ago"},
      {"412:77:/a:ListView", 1, "412:77:/b:ListView", 1, 0, true, "another folder"},
      {"412:77:/a:ListView", 1, "412:78:/a:ListView", 1, 0, true, "another Finder window"},
      {"412:77:/a:ListView", 1, "412:77:/a:IconView", 1, 0, true, "the same folder in another view"},
      {"412:77:/a:ListView", 1, "412:77:/a:ListView", 2, 0, true, "a rule edit applies without navigating"},
      {std::nullopt, 1, std::nullopt, 1, 9, false, "an unreadable window waits"},
      {std::nullopt, 1, std::nullopt, 1, 10, true, "an unreadable window is asked every 10 seconds"},
      {"412:77:/a:ListView", 1, std::nullopt, 1, 9.9, false, "a window turned unreadable waits too"},
      {std::nullopt, 1, "412:77:/a:ListView", 1, 0, true, "a window turned readable is asked at once"},
      {std::nullopt, 1, std::nullopt, 2, 0, true, "a new revision outranks the pause"},
  };
  for (const auto& c : cases) {
    FinderNavigationGate gate;
    gate.record(c.recorded, c.recordedRevision, start);
    EXPECT_EQ(gate.shouldQuery(c.current, c.revision, start + c.after), c.expected) << c.reason;
  }
  FinderNavigationGate fresh;
  EXPECT_TRUE(fresh.shouldQuery("412:77:/a:ListView", 0, Date::distantPast())) << "a new gate asks";
  EXPECT_TRUE(fresh.shouldQuery(std::nullopt, 0, Date::distantPast())) << "a new gate asks even unreadable windows";
}

TEST(FinderHiddenRepairStateTest, ChecksEveryEightSecondsAndThirtyAfterAFailure) {
  FinderHiddenRepairState state;
  EXPECT_TRUE(state.isDue(Date::distantPast()));
  state.didCheck(start);
  EXPECT_FALSE(state.isDue(start + 7.9));
  EXPECT_TRUE(state.isDue(start + 8));
  state.failed(start);
  EXPECT_FALSE(state.isDue(start + 29));
  EXPECT_TRUE(state.isDue(start + 30));
}

}  // namespace
}  // namespace tidyframe
