#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/virtual_dispatch.h"

namespace tidyframe {
namespace {

class VirtualDispatchTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(dispatch.pendingCount(), 0u) << "a test left work pending"; }

  // Seconds since the dispatch started, as a whole number for event texts.
  int elapsed() const { return static_cast<int>(dispatch.now() - Date{1000}); }

  VirtualDispatch dispatch{Date{1000}};
  std::vector<std::string> events;
};

TEST_F(VirtualDispatchTest, RunsTasksInDueOrderThenSubmissionOrder) {
  auto queue = dispatch.makeSerialQueue("Tidyframe.test");
  for (double delay : {0.45, 0.25}) {
    queue->asyncAfter(delay, [&] { events.push_back("due at " + std::to_string(dispatch.now() - Date{1000})); });
  }
  queue->async([&] { events.push_back("first"); });
  dispatch.main().async([&] {
    events.push_back("main");
    dispatch.main().async([&] { events.push_back("chained"); });
  });
  queue->async([&] { events.push_back("second"); });
  dispatch.runUntilIdle();
  events.push_back("idle at " + std::to_string(dispatch.now() - Date{1000}));
  dispatch.advance(1);
  // Running what is due leaves the clock; delayed tasks see their due time.
  EXPECT_EQ(events, (std::vector<std::string>{"first", "main", "second", "chained", "idle at 0.000000",
                                               "due at 0.250000", "due at 0.450000"}));
}

TEST_F(VirtualDispatchTest, ThirtySecondsOfPollingAtFixedStepsCostNoRealTime) {
  std::vector<double> fired;
  auto timer = dispatch.scheduleRepeating(dispatch.main(), 2.0, 0.2, [&] { fired.push_back(dispatch.now() - Date{1000}); });
  dispatch.advance(30);
  timer->cancel();
  dispatch.advance(10);
  EXPECT_EQ(fired, (std::vector<double>{2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30}))
      << "fixed steps, none after cancelling";
}

TEST_F(VirtualDispatchTest, TimerMayBeDestroyedByItsOwnTaskAndAQueueDropsItsWork) {
  int fired = 0;
  std::unique_ptr<RepeatingTimer> timer = dispatch.scheduleRepeating(dispatch.main(), 1, 0, [&] {
    ++fired;
    timer.reset();
  });
  auto queue = dispatch.makeSerialQueue("Tidyframe.volumes");
  queue->asyncAfter(1, [&] { ++fired; });
  queue.reset();
  dispatch.advance(5);
  EXPECT_EQ(fired, 1);
}

TEST_F(VirtualDispatchTest, WaitKeepsItsQueueBusyWhileOtherQueuesRun) {
  auto scripts = dispatch.makeSerialQueue("Tidyframe.apple-events");
  dispatch.main().asyncAfter(1, [&] { events.push_back("main at 1"); });
  scripts->asyncAfter(0.5, [&] { events.push_back("script queued behind"); });
  scripts->async([&] {
    const bool onScripts = dispatch.isCurrent(*scripts) && !dispatch.isCurrent(dispatch.main());
    events.push_back(onScripts ? "script starts" : "script starts on the wrong queue");
    dispatch.wait(3);
    events.push_back("script ends at " + std::to_string(elapsed()));
    dispatch.main().async([&] { events.push_back("reply at " + std::to_string(elapsed())); });
  });
  dispatch.advance(5);
  EXPECT_EQ(events, (std::vector<std::string>{"script starts", "main at 1", "script ends at 3",
                                               "script queued behind", "reply at 3"}));
  EXPECT_FALSE(dispatch.isCurrent(*scripts));
  EXPECT_TRUE(dispatch.isCurrent(dispatch.main())) << "the test body plays the main thread";
}

TEST_F(VirtualDispatchTest, SyncRunsDueWorkOfThatQueueFirst) {
  auto queue = dispatch.makeSerialQueue("Tidyframe.persistence");
  queue->async([&] { events.push_back("due"); });
  queue->asyncAfter(0.15, [&] { events.push_back("coalesced"); });
  queue->sync([&] { events.push_back("sync"); });
  EXPECT_EQ(events, (std::vector<std::string>{"due", "sync"}));
  dispatch.advance(0.15);
  EXPECT_EQ(events.back(), "coalesced");
}

}  // namespace
}  // namespace tidyframe
