#include <gtest/gtest.h>

#include <thread>
#include <tuple>

#include "base/virtual_dispatch.h"
#include "sim/simulated_mac.h"

namespace tidyframe {
namespace {

// Whether a thread other than the caller's could take the lock right now.
bool freeElsewhere(SimWorldLock& lock) {
  bool taken = false;
  std::thread([&] {
    taken = lock.try_lock();
    if (taken) lock.unlock();
  }).join();
  return taken;
}

// The waiting thread is one of its own, so that this one can play the other thread holding the lock.
TEST(SimWorldLock, WaitLetsGoOnlyOfWhatTheCallerHolds) {
  struct Case {
    const char* reason;
    int depth;        // how often the waiting thread took the lock
    bool otherHolds;  // another thread holds it throughout
    bool freeDuring;
    bool freeAfter;
  };
  const Case cases[] = {
      {"held once: let go for the wait, held again after", 1, false, true, false},
      {"re-entered: let go entirely, held at the same depth after", 3, false, true, false},
      {"not held: nothing to let go", 0, false, true, true},
      {"another thread's hold is never released by a wait", 0, true, false, false},
  };
  for (const auto& c : cases) {
    SimWorldLock lock;
    if (c.otherHolds) lock.lock();
    std::thread([&] {
      for (int i = 0; i < c.depth; ++i) lock.lock();
      bool freeDuring = false;
      lock.releasedDuring([&] { freeDuring = freeElsewhere(lock); });
      EXPECT_EQ(freeDuring, c.freeDuring) << c.reason;
      EXPECT_EQ(freeElsewhere(lock), c.freeAfter) << c.reason;
      for (int i = 1; i < c.depth; ++i) {
        lock.unlock();
        EXPECT_FALSE(freeElsewhere(lock)) << c.reason << ": depth lost after " << i << " unlocks";
      }
      if (c.depth > 0) lock.unlock();
    }).join();
    if (c.otherHolds) lock.unlock();
    EXPECT_TRUE(freeElsewhere(lock)) << c.reason << ": left locked";
  }
}

TEST(SimWorldLock, WorldTasksRunHoldingTheLockEvenAfterTheModelIsGone) {
  VirtualDispatch dispatch;
  auto queue = dispatch.makeSerialQueue("sim.world");
  std::shared_ptr<SimWorldLock> lock;
  bool ranLocked = false;
  {
    SimWorldGuard guard(dispatch, *queue);
    lock = guard.lock;
    guard.world.asyncAfter(1, [&] { ranLocked = !freeElsewhere(*lock); });
  }
  dispatch.advance(1);
  EXPECT_TRUE(ranLocked);
  EXPECT_TRUE(freeElsewhere(*lock));
}

// A user on another thread navigates the window while a script waits; the script, run through
// the guarded host as the engine runs it, must see the change once it goes on.
TEST(SimWorldLock, ScriptsLetTheWorldMoveWhileTheyWait) {
  const std::tuple<const char*, const char*, double> cases[] = {  // reason, script, seconds the Finder takes
      {"a delay", "delay 2\ntell application \"Finder\" to return {name of Finder window 1}", 0},
      {"a slow Apple event", "tell application \"Finder\" to return {name of Finder window 1}", 3},
  };
  for (const auto& [reason, script, slowEvent] : cases) {
    VirtualDispatch dispatch;
    auto world = dispatch.makeSerialQueue("sim.world");
    SimulatedMac sim(dispatch, *world);
    const int window = sim.finder().openWindow("/Users/demo/Pictures");
    if (slowEvent > 0) sim.mac.slowEvent({"Finder", "", ""}, slowEvent);
    // Runs within the script's wait, on the script's thread; the user acts from another.
    world->asyncAfter(1, [&] {
      std::thread([&] {
        std::unique_lock hold(*sim.guard.lock, std::try_to_lock);
        if (hold.owns_lock()) sim.finder().navigate(window, "/Users/demo/Documents");
      }).join();
    });
    const auto reply = sim.guarded.host.compile(script)->execute();
    ASSERT_TRUE(reply) << reason << ": " << reply.error().description;
    EXPECT_EQ(reply->text(1), "Documents") << reason << ": the world could not move during the wait";
  }
}

}  // namespace
}  // namespace tidyframe
