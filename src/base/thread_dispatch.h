#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "base/dispatch.h"
#include "base/timed_task_list.h"

namespace tidyframe {

// Dispatch on real threads: each serial queue is a worker thread with a timed task list; the
// main queue is drained by whoever owns the main thread, either runMainLoop() for
// command-line modes or an event loop that calls drainMain() when woken.
class ThreadDispatch final : public Dispatch {
 public:
  // The constructing thread becomes the main thread.
  ThreadDispatch();
  ~ThreadDispatch() override;
  ThreadDispatch(const ThreadDispatch&) = delete;
  ThreadDispatch& operator=(const ThreadDispatch&) = delete;

  DispatchQueue& main() override;
  std::shared_ptr<DispatchQueue> makeSerialQueue(std::string label) override;
  std::unique_ptr<RepeatingTimer> scheduleRepeating(DispatchQueue& queue, double interval,
                                                    double tolerance, Task task) override;
  Date now() const override;
  void wait(double seconds) override;
  bool isCurrent(const DispatchQueue& queue) const override;

  // Runs main-queue tasks as they fall due until stopMainLoop() is called.
  void runMainLoop();
  // Safe from any thread; runMainLoop() returns after the task it is running.
  void stopMainLoop();
  // Runs the main-queue tasks due now and answers the seconds until the next one, if any.
  // Not re-entrant, like macOS's main queue: called from inside a main-queue task (a nested
  // event loop), it runs nothing and answers nothing; the outer drain goes on afterwards.
  std::optional<double> drainMain();
  // Called from any thread whenever the main queue gains a task, so an event loop can wake.
  void setMainWakeup(std::function<void()> wakeup);

  class TimedQueue;

 private:
  std::shared_ptr<TimedQueue> main_;
};

}  // namespace tidyframe
