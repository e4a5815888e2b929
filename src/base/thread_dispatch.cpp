#include "base/thread_dispatch.h"

#include <atomic>
#include <cassert>
#include <future>

namespace tidyframe {

namespace {
using SteadyTime = std::chrono::steady_clock::time_point;

SteadyTime dueAfter(double seconds) {
  const auto delay = std::chrono::duration<double>(seconds > 0 ? seconds : 0);
  return std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(delay);
}
}  // namespace

// A timed task list guarded by a mutex. A worker queue runs it on its own thread; the main
// queue is run by the main thread through runMainLoop() or drainMain().
class ThreadDispatch::TimedQueue final : public DispatchQueue {
 public:
  explicit TimedQueue(std::string label) : label_(std::move(label)) {}
  ~TimedQueue() override { stopWorker(); }

  const std::string& label() const override { return label_; }
  void async(Task task) override { asyncAfter(0, std::move(task)); }
  void asyncAfter(double seconds, Task task) override {
    std::function<void()> wakeup;
    {
      std::lock_guard lock(mutex_);
      tasks_.push(dueAfter(seconds), 0, std::move(task));
      wakeup = wakeup_;
    }
    changed_.notify_all();
    if (wakeup) wakeup();
  }
  void sync(Task task) override {
    assert(!isCurrentThread() && "sync from the queue's own work would deadlock");
    std::promise<void> done;
    async([&] {
      task();
      done.set_value();
    });
    done.get_future().wait();
  }

  void startWorker() {
    worker_ = std::thread([this] {
      owner_ = std::this_thread::get_id();
      runUntilStopped();
    });
  }
  void adoptCurrentThread() { owner_ = std::this_thread::get_id(); }
  bool isCurrentThread() const { return owner_.load() == std::this_thread::get_id(); }

  void runUntilStopped() {
    std::unique_lock lock(mutex_);
    while (!stopped_) {
      if (runOneDue(lock)) continue;
      if (tasks_.empty()) {
        changed_.wait(lock);
      } else {
        changed_.wait_until(lock, tasks_.front().due);
      }
    }
    stopped_ = false;
  }
  void stop() {
    {
      std::lock_guard lock(mutex_);
      stopped_ = true;
    }
    changed_.notify_all();
  }
  std::optional<double> drainDue() {
    // A task that spins a nested event loop (a modal dialog) must not see other tasks run
    // under it; the drain it interrupted picks them up once it returns.
    if (draining_) return std::nullopt;
    draining_ = true;
    std::unique_lock lock(mutex_);
    while (runOneDue(lock)) {
    }
    draining_ = false;
    if (tasks_.empty()) return std::nullopt;
    return std::chrono::duration<double>(tasks_.front().due - std::chrono::steady_clock::now()).count();
  }
  void setWakeup(std::function<void()> wakeup) {
    std::lock_guard lock(mutex_);
    wakeup_ = std::move(wakeup);
  }

 private:
  // Runs the first task if it is due, with the lock released while it runs.
  bool runOneDue(std::unique_lock<std::mutex>& lock) {
    if (tasks_.empty() || tasks_.front().due > std::chrono::steady_clock::now()) return false;
    auto entry = tasks_.popFront();
    lock.unlock();
    entry.task();
    entry.task = nullptr;
    lock.lock();
    return true;
  }
  void stopWorker() {
    if (!worker_.joinable()) return;
    stop();
    worker_.join();
  }

  std::string label_;
  std::mutex mutex_;
  std::condition_variable changed_;
  TimedTaskList<SteadyTime> tasks_;
  std::function<void()> wakeup_;
  bool stopped_ = false;
  // Only touched by the thread that drains the main queue.
  bool draining_ = false;
  std::thread worker_;
  std::atomic<std::thread::id> owner_;
};

namespace {

// Fires on the target queue at fixed steps from its start: each firing is scheduled for the
// next step, not one interval after the last firing, so a poll keeps its rhythm however late a
// firing ran. Steps that passed while a firing was late are skipped, never bunched.
class ThreadTimer final : public RepeatingTimer {
 public:
  ThreadTimer(DispatchQueue& queue, double interval, Task task)
      : state_(std::make_shared<State>(queue, interval, std::move(task))) {
    schedule(state_);
  }
  ~ThreadTimer() override { cancel(); }
  void cancel() override { state_->cancelled = true; }

 private:
  struct State {
    State(DispatchQueue& q, double i, Task t)
        : queue(q), step(std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                        std::chrono::duration<double>(i > 0 ? i : 0))),
          next(std::chrono::steady_clock::now()), task(std::move(t)) {}
    DispatchQueue& queue;
    std::chrono::steady_clock::duration step;
    SteadyTime next;
    Task task;
    std::atomic<bool> cancelled = false;
  };
  // Only the firing itself reschedules, so `next` is touched by one task at a time.
  static void schedule(const std::shared_ptr<State>& state) {
    const auto now = std::chrono::steady_clock::now();
    do {
      state->next += state->step;
    } while (state->next <= now && state->step.count() > 0);
    std::weak_ptr<State> weak = state;
    state->queue.asyncAfter(std::chrono::duration<double>(state->next - now).count(), [weak] {
      auto strong = weak.lock();
      if (!strong || strong->cancelled) return;
      schedule(strong);
      strong->task();
    });
  }
  std::shared_ptr<State> state_;
};

}  // namespace

ThreadDispatch::ThreadDispatch() : main_(std::make_shared<TimedQueue>("main")) {
  main_->adoptCurrentThread();
}

ThreadDispatch::~ThreadDispatch() = default;

DispatchQueue& ThreadDispatch::main() { return *main_; }

std::shared_ptr<DispatchQueue> ThreadDispatch::makeSerialQueue(std::string label) {
  auto queue = std::make_shared<TimedQueue>(std::move(label));
  queue->startWorker();
  return queue;
}

std::unique_ptr<RepeatingTimer> ThreadDispatch::scheduleRepeating(DispatchQueue& queue, double interval, double,
                                                                  Task task) {
  return std::make_unique<ThreadTimer>(queue, interval, std::move(task));
}

Date ThreadDispatch::now() const {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  return Date::fromUnixTime(std::chrono::duration<double>(since).count());
}

void ThreadDispatch::wait(double seconds) {
  if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

bool ThreadDispatch::isCurrent(const DispatchQueue& queue) const {
  const auto* timed = dynamic_cast<const TimedQueue*>(&queue);
  return timed && timed->isCurrentThread();
}

void ThreadDispatch::runMainLoop() {
  main_->adoptCurrentThread();
  main_->runUntilStopped();
}

void ThreadDispatch::stopMainLoop() { main_->stop(); }

std::optional<double> ThreadDispatch::drainMain() { return main_->drainDue(); }

void ThreadDispatch::setMainWakeup(std::function<void()> wakeup) { main_->setWakeup(std::move(wakeup)); }

}  // namespace tidyframe
