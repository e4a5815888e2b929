#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "base/thread_dispatch.h"

namespace tidyframe {
namespace {

TEST(ThreadDispatchTest, SerialQueueRunsInSubmissionOrderOnItsOwnThread) {
  ThreadDispatch dispatch;
  auto queue = dispatch.makeSerialQueue("Tidyframe.test");
  std::vector<int> order;
  std::atomic<bool> offMain = true;
  const auto mainThread = std::this_thread::get_id();
  for (int i = 0; i < 200; ++i) {
    queue->async([&, i] {
      order.push_back(i);
      if (std::this_thread::get_id() == mainThread) offMain = false;
    });
  }
  queue->sync([] {});
  ASSERT_EQ(order.size(), 200u);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
  EXPECT_TRUE(offMain);
}

TEST(ThreadDispatchTest, WorkersHandResultsBackToTheMainLoop) {
  ThreadDispatch dispatch;
  std::vector<std::shared_ptr<DispatchQueue>> queues;
  for (const char* label : {"Tidyframe.apple-events", "Tidyframe.environment", "Tidyframe.volumes"}) {
    queues.push_back(dispatch.makeSerialQueue(label));
  }
  int results = 0;  // only touched on the main thread
  constexpr int perQueue = 100;
  for (auto& queue : queues) {
    for (int i = 0; i < perQueue; ++i) {
      queue->async([&] {
        dispatch.main().async([&] {
          EXPECT_TRUE(dispatch.isCurrent(dispatch.main()));
          if (++results == perQueue * 3) dispatch.stopMainLoop();
        });
      });
    }
  }
  dispatch.runMainLoop();
  EXPECT_EQ(results, perQueue * 3);
}

TEST(ThreadDispatchTest, DelayedTaskAndTimerFireOnTheMainLoop) {
  ThreadDispatch dispatch;
  int ticks = 0;
  bool delayed = false;
  auto timer = dispatch.scheduleRepeating(dispatch.main(), 0.01, 0.001, [&] {
    if (++ticks == 3) dispatch.main().asyncAfter(0.02, [&] {
      delayed = true;
      dispatch.stopMainLoop();
    });
  });
  const Date start = dispatch.now();
  dispatch.runMainLoop();
  timer->cancel();
  EXPECT_TRUE(delayed);
  EXPECT_GE(ticks, 3);
  EXPECT_GE(dispatch.now() - start, 0.05);
}

TEST(ThreadDispatchTest, DrainMainAnswersTheTimeToTheNextTask) {
  ThreadDispatch dispatch;
  int ran = 0;
  dispatch.main().async([&] { ++ran; });
  dispatch.main().asyncAfter(60, [&] { ++ran; });
  const auto next = dispatch.drainMain();
  EXPECT_EQ(ran, 1);
  ASSERT_TRUE(next.has_value());
  EXPECT_GT(*next, 50);
}

TEST(ThreadDispatchTest, WakeupIsCalledFromAnyThreadThatPostsToMain) {
  ThreadDispatch dispatch;
  std::atomic<int> wakeups = 0;
  dispatch.setMainWakeup([&] { ++wakeups; });
  auto queue = dispatch.makeSerialQueue("Tidyframe.test");
  queue->sync([&] { dispatch.main().async([] {}); });
  EXPECT_EQ(wakeups, 1);
  dispatch.drainMain();
}

TEST(ThreadDispatchTest, ClockIsSecondsSinceTwoThousandOne) {
  ThreadDispatch dispatch;
  const double year = 365.25 * 24 * 3600;
  EXPECT_GT(dispatch.now().secondsSinceReferenceDate, 24 * year);
  EXPECT_LT(dispatch.now().secondsSinceReferenceDate, 60 * year);
}

}  // namespace
}  // namespace tidyframe
