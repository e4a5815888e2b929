#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/date.h"

namespace tidyframe {

using Task = std::function<void()>;

// A serial queue: tasks run one at a time, in order of due time and then of submission.
class DispatchQueue {
 public:
  virtual ~DispatchQueue() = default;

  virtual const std::string& label() const = 0;
  virtual void async(Task task) = 0;
  // A negative or zero delay behaves like async.
  virtual void asyncAfter(double seconds, Task task) = 0;
  // Runs `task` on this queue after the work already due there and returns once it has run.
  // Calling it from this queue's own work is a programming error.
  virtual void sync(Task task) = 0;
};

// Handle of a repeating timer; destroying the handle cancels the timer.
class RepeatingTimer {
 public:
  virtual ~RepeatingTimer() = default;
  // After cancel returns no further firing starts.
  virtual void cancel() = 0;
};

// The one source of queues, timers and time. Code never asks the system for the time or
// sleeps: it asks its Dispatch, which is real threads in the program and virtual time in tests.
class Dispatch {
 public:
  virtual ~Dispatch() = default;

  virtual DispatchQueue& main() = 0;
  virtual std::shared_ptr<DispatchQueue> makeSerialQueue(std::string label) = 0;
  // Fires every `interval` seconds on `queue`; `tolerance` lets the system fire up to that
  // much later to save power.
  virtual std::unique_ptr<RepeatingTimer> scheduleRepeating(DispatchQueue& queue, double interval,
                                                            double tolerance, Task task) = 0;
  virtual Date now() const = 0;
  // Blocks the calling queue's work for `seconds`; other queues go on meanwhile.
  virtual void wait(double seconds) = 0;
  // Whether the caller is running work of `queue` (for confinement checks).
  virtual bool isCurrent(const DispatchQueue& queue) const = 0;
};

}  // namespace tidyframe
