#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "base/virtual_dispatch.h"

namespace tidyframe {
namespace {

class VirtualDispatchTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(dispatch.pendingCount(), 0u) << "a test left work pending"; }

  VirtualDispatch dispatch{Date{1000}};
  std::vector<std::string> events;
};

TEST_F(VirtualDispatchTest, RunsTasksInDueOrderThenSubmissionOrder) {
  auto queue = dispatch.makeSerialQueue("Tidyframe.test");
  queue->asyncAfter(2, [&] { events.push_back("late"); });
  queue->async([&] { events.push_back("first"); });
  dispatch.main().async([&] { events.push_back("main"); });
  queue->async([&] { events.push_back("second"); });
  dispatch.runUntilIdle();
  EXPECT_EQ(events, (std::vector<std::string>{"first", "main", "second"}));
  dispatch.advance(2);
  EXPECT_EQ(events.back(), "late");
}

TEST_F(VirtualDispatchTest, RunUntilIdleRunsWorkPostedForNowButLeavesTheClock) {
  dispatch.main().async([&] { dispatch.main().async([&] { events.push_back("chained"); }); });
  dispatch.runUntilIdle();
  EXPECT_EQ(events, std::vector<std::string>{"chained"});
  EXPECT_EQ(dispatch.now(), Date{1000});
}

TEST_F(VirtualDispatchTest, DelayedTasksSeeTheirDueTime) {
  const Date start = dispatch.now();
  std::vector<Date> seen;
  for (double delay : {0.25, 0.45, 0.15}) {
    dispatch.main().asyncAfter(delay, [&] { seen.push_back(dispatch.now()); });
  }
  dispatch.advance(0.2);
  EXPECT_EQ(seen, std::vector<Date>{start + 0.15});
  dispatch.advance(1);
  EXPECT_EQ(seen, (std::vector<Date>{start + 0.15, start + 0.25, start + 0.45}));
  EXPECT_EQ(dispatch.now(), start + 0.2 + 1);
}

TEST_F(VirtualDispatchTest, RepeatingTimerFiresAtFixedStepsUntilCancelled) {
  std::vector<double> fired;
  auto timer = dispatch.scheduleRepeating(dispatch.main(), 2.0, 0.2, [&] { fired.push_back(dispatch.now() - Date{1000}); });
  dispatch.advance(7);
  EXPECT_EQ(fired, (std::vector<double>{2, 4, 6}));
  timer->cancel();
  dispatch.advance(10);
  EXPECT_EQ(fired.size(), 3u);
}

TEST_F(VirtualDispatchTest, TimerMayBeDestroyedByItsOwnTask) {
  int fired = 0;
  std::unique_ptr<RepeatingTimer> timer;
  timer = dispatch.scheduleRepeating(dispatch.main(), 1, 0, [&] {
    ++fired;
    timer.reset();
  });
  dispatch.advance(5);
  EXPECT_EQ(fired, 1);
}

TEST_F(VirtualDispatchTest, ThirtySecondsOfPollingCostsNoRealTime) {
  int ticks = 0;
  auto timer = dispatch.scheduleRepeating(dispatch.main(), 2.0, 0.2, [&] { ++ticks; });
  const auto start = std::chrono::steady_clock::now();
  dispatch.advance(30);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(ticks, 15);
  EXPECT_LT(elapsed, std::chrono::milliseconds(50));
}

TEST_F(VirtualDispatchTest, WaitKeepsItsQueueBusyWhileOtherQueuesRun) {
  auto scripts = dispatch.makeSerialQueue("Tidyframe.apple-events");
  dispatch.main().asyncAfter(1, [&] { events.push_back("main at 1"); });
  scripts->asyncAfter(0.5, [&] { events.push_back("script queued behind"); });
  scripts->async([&] {
    events.push_back("script starts");
    dispatch.wait(3);
    events.push_back("script ends at " + std::to_string(int(dispatch.now() - Date{1000})));
    dispatch.main().async([&] { events.push_back("reply at " + std::to_string(int(dispatch.now() - Date{1000}))); });
  });
  dispatch.advance(5);
  EXPECT_EQ(events, (std::vector<std::string>{"script starts", "main at 1", "script ends at 3",
                                               "script queued behind", "reply at 3"}));
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

TEST_F(VirtualDispatchTest, DestroyedQueueDropsItsWork) {
  auto queue = dispatch.makeSerialQueue("Tidyframe.volumes");
  queue->asyncAfter(1, [&] { events.push_back("never"); });
  queue.reset();
  dispatch.advance(2);
  EXPECT_TRUE(events.empty());
}

TEST_F(VirtualDispatchTest, IsCurrentNamesTheRunningQueue) {
  auto queue = dispatch.makeSerialQueue("Tidyframe.environment");
  bool onQueue = false;
  bool onMain = true;
  queue->async([&] {
    onQueue = dispatch.isCurrent(*queue);
    onMain = dispatch.isCurrent(dispatch.main());
  });
  dispatch.runUntilIdle();
  EXPECT_TRUE(onQueue);
  EXPECT_FALSE(onMain);
  EXPECT_FALSE(dispatch.isCurrent(*queue));
  EXPECT_TRUE(dispatch.isCurrent(dispatch.main())) << "the test body plays the main thread";
}

}  // namespace
}  // namespace tidyframe
