#include "base/virtual_dispatch.h"

#include <algorithm>
#include <cassert>

namespace tidyframe {

class VirtualDispatch::Queue final : public DispatchQueue {
 public:
  Queue(VirtualDispatch& owner, std::string label) : owner_(&owner), label_(std::move(label)) {}
  ~Queue() override {
    if (owner_) owner_->tasks_.eraseIf([this](const auto& entry) { return entry.key.queue == this; });
  }

  const std::string& label() const override { return label_; }
  void async(Task task) override { asyncAfter(0, std::move(task)); }
  void asyncAfter(double seconds, Task task) override {
    if (owner_) owner_->post(this, seconds, std::move(task));
  }
  void sync(Task task) override {
    assert(owner_ && !owner_->isBusy(this) && "sync onto a busy queue would deadlock");
    auto& tasks = owner_->tasks_;
    const Date now = owner_->now_;
    while (const auto* entry = tasks.findFirst([&](const auto& e) { return e.key.queue == this && e.due <= now; })) {
      auto taken = tasks.take(*entry);
      owner_->runTask(this, taken.task);
    }
    owner_->runTask(this, task);
  }
  void detach() { owner_ = nullptr; }

 private:
  VirtualDispatch* owner_;
  std::string label_;
};

// Re-posts itself at fixed steps from its first due time; tolerance is ignored, so firings
// are exact and tests can count them. Cancelling removes the pending firing at once.
class VirtualDispatch::Timer final : public RepeatingTimer {
 public:
  Timer(VirtualDispatch& owner, Queue& queue, double interval, Task task)
      : state_(std::make_shared<State>(State{&owner, &queue, interval, std::move(task), false})) {
    schedule(state_);
  }
  ~Timer() override { cancel(); }
  void cancel() override {
    state_->cancelled = true;
    state_->owner->cancelTimer(state_.get());
  }

 private:
  // Shared with the pending firing, so a timer destroyed by its own task stays valid until
  // that task returns.
  struct State {
    VirtualDispatch* owner;
    Queue* queue;
    double interval;
    Task task;
    bool cancelled;
  };
  static void schedule(const std::shared_ptr<State>& state) {
    state->owner->post(state->queue, state->interval, [state] {
      if (state->cancelled) return;
      schedule(state);
      state->task();
    }, state.get());
  }

  std::shared_ptr<State> state_;
};

VirtualDispatch::VirtualDispatch(Date start)
    : now_(start), main_(std::make_unique<Queue>(*this, "main")) {}

VirtualDispatch::~VirtualDispatch() {
  main_->detach();
  tasks_.eraseIf([](const auto&) { return true; });
}

DispatchQueue& VirtualDispatch::main() { return *main_; }

std::shared_ptr<DispatchQueue> VirtualDispatch::makeSerialQueue(std::string label) {
  return std::make_shared<Queue>(*this, std::move(label));
}

std::unique_ptr<RepeatingTimer> VirtualDispatch::scheduleRepeating(DispatchQueue& queue, double interval,
                                                                   double, Task task) {
  return std::make_unique<Timer>(*this, static_cast<Queue&>(queue), interval, std::move(task));
}

Date VirtualDispatch::now() const { return now_; }

void VirtualDispatch::wait(double seconds) {
  const Date target = now_ + std::max(0.0, seconds);
  runDueUntil(target);
  now_ = std::max(now_, target);
}

// Outside every task the caller is the test's own thread, which plays the main thread.
bool VirtualDispatch::isCurrent(const DispatchQueue& queue) const {
  if (running_.empty()) return &queue == main_.get();
  return running_.back() == &queue;
}

void VirtualDispatch::runUntilIdle() { runDueUntil(now_); }

void VirtualDispatch::advance(double seconds) { wait(seconds); }

std::size_t VirtualDispatch::pendingCount() const { return tasks_.size(); }

void VirtualDispatch::post(Queue* queue, double delay, Task task, const void* timer) {
  tasks_.push(now_ + std::max(0.0, delay), Key{queue, timer}, std::move(task));
}

void VirtualDispatch::cancelTimer(const void* timer) {
  tasks_.eraseIf([timer](const auto& entry) { return entry.key.timer == timer; });
}

void VirtualDispatch::runDueUntil(Date limit) {
  while (runNextDue(limit)) {
  }
}

bool VirtualDispatch::runNextDue(Date limit) {
  const auto* entry = tasks_.findFirst([&](const auto& e) { return e.due <= limit && !isBusy(e.key.queue); });
  if (!entry) return false;
  auto taken = tasks_.take(*entry);
  now_ = std::max(now_, taken.due);
  runTask(taken.key.queue, taken.task);
  return true;
}

bool VirtualDispatch::isBusy(const Queue* queue) const {
  return std::find(running_.begin(), running_.end(), queue) != running_.end();
}

void VirtualDispatch::runTask(Queue* queue, Task& task) {
  running_.push_back(queue);
  task();
  running_.pop_back();
}

}  // namespace tidyframe
