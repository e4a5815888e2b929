#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tidyframe {

// Keeps an observer registered; destroying it (or calling reset) unregisters. It may outlive
// the value it observes.
class Subscription {
 public:
  Subscription() = default;
  explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
  Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
  Subscription& operator=(Subscription&& other) noexcept {
    if (this != &other) {
      reset();
      cancel_ = std::exchange(other.cancel_, nullptr);
    }
    return *this;
  }
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;
  ~Subscription() { reset(); }

  void reset() {
    if (cancel_) std::exchange(cancel_, nullptr)();
  }

 private:
  std::function<void()> cancel_;
};

// A value whose observers are told of every assignment, in the order they subscribed. Not
// synchronised: it lives on the queue of its owner (the engine's main queue).
template <class T>
class Published {
 public:
  using Observer = std::function<void(const T&)>;

  Published() = default;
  explicit Published(T initial) : value_(std::move(initial)) {}
  Published(const Published&) = delete;
  Published& operator=(const Published&) = delete;

  const T& get() const { return value_; }
  const T& operator*() const { return value_; }
  const T* operator->() const { return &value_; }

  // Assigns and notifies, even when the value is the same.
  void set(T value) {
    value_ = std::move(value);
    notify();
  }
  // Assigns and notifies only when the value differs; answers whether it did.
  bool setIfChanged(T value)
    requires std::equality_comparable<T>
  {
    if (value_ == value) return false;
    set(std::move(value));
    return true;
  }

  // Observing is not a change of the value, so a const Published can be observed.
  [[nodiscard]] Subscription subscribe(Observer observer) const {
    const auto id = nextId_++;
    observers_->push_back({id, std::make_shared<Observer>(std::move(observer))});
    std::weak_ptr<Observers> weak = observers_;
    return Subscription([weak, id] {
      if (auto list = weak.lock()) std::erase_if(*list, [id](const auto& entry) { return entry.first == id; });
    });
  }

 private:
  using Observers = std::vector<std::pair<std::uint64_t, std::shared_ptr<Observer>>>;

  // Iterates over a snapshot so observers may subscribe or unsubscribe while being told.
  void notify() {
    const Observers snapshot = *observers_;
    for (const auto& [id, observer] : snapshot) (*observer)(value_);
  }

  T value_{};
  std::shared_ptr<Observers> observers_ = std::make_shared<Observers>();
  mutable std::uint64_t nextId_ = 0;
};

}  // namespace tidyframe
