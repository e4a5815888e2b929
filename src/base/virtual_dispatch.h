#pragma once

#include <memory>
#include <vector>

#include "base/dispatch.h"
#include "base/timed_task_list.h"

namespace tidyframe {

// Deterministic dispatch for tests: one thread, one manual clock. Every queue's tasks run in
// order of due time, then submission. Time moves only through advance() and wait(), so a
// 30-second back-off costs microseconds and never flakes.
//
// A task that calls wait() keeps its queue busy until its start plus the waited time; tasks of
// other queues that fall due meanwhile run inside that wait, as they would on other threads.
class VirtualDispatch final : public Dispatch {
 public:
  explicit VirtualDispatch(Date start = Date{0});
  ~VirtualDispatch() override;
  VirtualDispatch(const VirtualDispatch&) = delete;
  VirtualDispatch& operator=(const VirtualDispatch&) = delete;

  DispatchQueue& main() override;
  std::shared_ptr<DispatchQueue> makeSerialQueue(std::string label) override;
  std::unique_ptr<RepeatingTimer> scheduleRepeating(DispatchQueue& queue, double interval,
                                                    double tolerance, Task task) override;
  Date now() const override;
  void wait(double seconds) override;
  bool isCurrent(const DispatchQueue& queue) const override;

  // Runs every task due now, including those that due tasks post for now. The clock stays.
  void runUntilIdle();
  // Moves the clock forward by `seconds`, running each task at its due time.
  void advance(double seconds);
  // Tasks not yet run, whatever their due time (repeating timers count once).
  std::size_t pendingCount() const;

  class Queue;

 private:
  friend class Queue;
  class Timer;

  struct Key {
    Queue* queue;
    const void* timer;
  };

  void post(Queue* queue, double delay, Task task, const void* timer = nullptr);
  void cancelTimer(const void* timer);
  void runDueUntil(Date limit);
  bool runNextDue(Date limit);
  bool isBusy(const Queue* queue) const;
  void runTask(Queue* queue, Task& task);

  Date now_;
  TimedTaskList<Date, Key> tasks_;
  std::vector<const Queue*> running_;
  std::unique_ptr<Queue> main_;
};

}  // namespace tidyframe
