#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "base/thread_dispatch.h"

namespace tidyframe {
namespace {

// Each worker queue hands its numbers to the main loop; the main loop sees every queue's
// numbers in submission order and none of the work ran on the main thread.
TEST(ThreadDispatchTest, WorkersRunInOrderOffMainAndHandResultsBack) {
  constexpr int perQueue = 200;
  ThreadDispatch dispatch;
  const auto mainThread = std::this_thread::get_id();
  std::vector<std::shared_ptr<DispatchQueue>> queues;
  for (const char* label : {"Tidyframe.apple-events", "Tidyframe.environment", "Tidyframe.volumes"}) {
    queues.push_back(dispatch.makeSerialQueue(label));
  }
  std::vector<std::vector<int>> received(queues.size());  // only touched on the main thread
  int results = 0;
  for (std::size_t q = 0; q < queues.size(); ++q) {
    for (int i = 0; i < perQueue; ++i) {
      queues[q]->async([&, q, i] {
        EXPECT_NE(std::this_thread::get_id(), mainThread) << "worker task on the main thread";
        dispatch.main().async([&, q, i] {
          EXPECT_TRUE(dispatch.isCurrent(dispatch.main()));
          received[q].push_back(i);
          if (++results == perQueue * 3) dispatch.stopMainLoop();
        });
      });
    }
  }
  dispatch.runMainLoop();
  std::vector<int> expected(perQueue);
  for (int i = 0; i < perQueue; ++i) expected[static_cast<std::size_t>(i)] = i;
  for (const auto& numbers : received) EXPECT_EQ(numbers, expected);
}

TEST(ThreadDispatchTest, DelayedTaskAndTimerFireOnTheMainLoop) {
  ThreadDispatch dispatch;
  // Taken before the timer starts counting its steps, so a busy machine cannot shorten the span.
  const Date start = dispatch.now();
  int ticks = 0;
  bool delayed = false;
  auto timer = dispatch.scheduleRepeating(dispatch.main(), 0.01, 0.001, [&] {
    if (++ticks == 3) dispatch.main().asyncAfter(0.02, [&] {
      delayed = true;
      dispatch.stopMainLoop();
    });
  });
  dispatch.runMainLoop();
  EXPECT_TRUE(delayed) << "the third tick's delayed task ran";
  EXPECT_GE(dispatch.now() - start, 0.05);
}

TEST(ThreadDispatchTest, PostingToMainWakesItAndDrainingAnswersTheTimeToTheNextTask) {
  ThreadDispatch dispatch;
  std::atomic<int> wakeups = 0;
  int ran = 0;
  dispatch.main().asyncAfter(60, [&] { ++ran; });
  dispatch.setMainWakeup([&] { ++wakeups; });
  dispatch.makeSerialQueue("Tidyframe.test")->sync([&] { dispatch.main().async([&] { ++ran; }); });
  EXPECT_EQ(wakeups, 1) << "posted from another thread";
  const auto next = dispatch.drainMain();
  EXPECT_EQ(ran, 1);
  EXPECT_GT(next.value_or(0), 50);
}

TEST(ThreadDispatchTest, ClockCountsFromTheFirstOfJanuary2001) {
  constexpr double unixTimeOfReferenceDate = 978307200;
  const double unixNow = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
  EXPECT_NEAR(ThreadDispatch().now().secondsSinceReferenceDate, unixNow - unixTimeOfReferenceDate, 5);
}

}  // namespace
}  // namespace tidyframe
