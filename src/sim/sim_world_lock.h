#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "base/dispatch.h"

namespace tidyframe {

// Keeps the simulated Mac's model (the Finder, System Events, permissions, fault settings and
// counters) to one thread at a time when it runs on real threads: every port the engine calls
// from its queues, every world event and every step of a scripted user takes it around the
// access. A script lets go of it while it waits (a `delay`, a slow or timed-out event), so the
// world and the other queues move on meanwhile, as they do in virtual time.
//
// Re-entrant: a thread that holds it may take it again. Usable from any thread.
class SimWorldLock {
 public:
  // Named as the standard's lockable types are, so std::lock_guard and std::unique_lock take it.
  void lock();
  bool try_lock();
  void unlock();

  // Runs `wait` with the lock let go entirely if the calling thread holds it, and takes it back
  // at the same depth afterwards; otherwise just runs `wait`.
  template <class Wait>
  void releasedDuring(Wait&& wait) {
    if (owner_.load() != std::this_thread::get_id()) {
      wait();
      return;
    }
    const Release release(*this);
    wait();
  }

 private:
  // Lets go in its constructor and takes the lock back in its destructor.
  class Release {
   public:
    explicit Release(SimWorldLock& lock);
    ~Release();
    Release(const Release&) = delete;
    Release& operator=(const Release&) = delete;

   private:
    SimWorldLock& lock_;
    int depth_;
  };

  std::mutex mutex_;
  std::atomic<std::thread::id> owner_;
  int depth_ = 0;  // changed by the owner only
};

// The dispatch as the simulated Mac's scripts see it: the same queues and clock, but a wait lets
// go of the world lock. Borrows both.
class SimWorldDispatch final : public Dispatch {
 public:
  SimWorldDispatch(Dispatch& inner, SimWorldLock& lock) : inner_(inner), lock_(lock) {}

  DispatchQueue& main() override { return inner_.main(); }
  std::shared_ptr<DispatchQueue> makeSerialQueue(std::string label) override {
    return inner_.makeSerialQueue(std::move(label));
  }
  std::unique_ptr<RepeatingTimer> scheduleRepeating(DispatchQueue& queue, double interval, double tolerance,
                                                    Task task) override {
    return inner_.scheduleRepeating(queue, interval, tolerance, std::move(task));
  }
  Date now() const override { return inner_.now(); }
  void wait(double seconds) override {
    lock_.releasedDuring([&] { inner_.wait(seconds); });
  }
  bool isCurrent(const DispatchQueue& queue) const override { return inner_.isCurrent(queue); }

 private:
  Dispatch& inner_;
  SimWorldLock& lock_;
};

// The world queue as the simulated Mac posts to it: every task runs holding the world lock.
// Borrows the queue; shares the lock, so a task that runs after the model is gone still finds it.
class SimWorldQueue final : public DispatchQueue {
 public:
  SimWorldQueue(DispatchQueue& inner, std::shared_ptr<SimWorldLock> lock) : inner_(inner), lock_(std::move(lock)) {}

  const std::string& label() const override { return inner_.label(); }
  void async(Task task) override { inner_.async(locked(std::move(task))); }
  void asyncAfter(double seconds, Task task) override { inner_.asyncAfter(seconds, locked(std::move(task))); }
  void sync(Task task) override { inner_.sync(locked(std::move(task))); }

 private:
  Task locked(Task task) const {
    return [lock = lock_, task = std::move(task)] {
      const std::lock_guard hold(*lock);
      task();
    };
  }

  DispatchQueue& inner_;
  std::shared_ptr<SimWorldLock> lock_;
};

// The lock with the dispatch and world queue that the simulated Mac's model is given.
struct SimWorldGuard {
  SimWorldGuard(Dispatch& realDispatch, DispatchQueue& realWorld)
      : dispatch(realDispatch, *lock), world(realWorld, lock) {}

  std::shared_ptr<SimWorldLock> lock = std::make_shared<SimWorldLock>();
  SimWorldDispatch dispatch;
  SimWorldQueue world;
};

}  // namespace tidyframe
