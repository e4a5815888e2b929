#include "sim/sim_world_lock.h"

namespace tidyframe {

void SimWorldLock::lock() {
  const auto self = std::this_thread::get_id();
  if (owner_.load() == self) {
    ++depth_;
    return;
  }
  mutex_.lock();
  owner_.store(self);
  depth_ = 1;
}

bool SimWorldLock::try_lock() {
  const auto self = std::this_thread::get_id();
  if (owner_.load() == self) {
    ++depth_;
    return true;
  }
  if (!mutex_.try_lock()) return false;
  owner_.store(self);
  depth_ = 1;
  return true;
}

void SimWorldLock::unlock() {
  if (--depth_ > 0) return;
  owner_.store(std::thread::id{});
  mutex_.unlock();
}

SimWorldLock::Release::Release(SimWorldLock& lock) : lock_(lock), depth_(lock.depth_) {
  lock_.depth_ = 0;
  lock_.owner_.store(std::thread::id{});
  lock_.mutex_.unlock();
}

SimWorldLock::Release::~Release() {
  lock_.mutex_.lock();
  lock_.owner_.store(std::this_thread::get_id());
  lock_.depth_ = depth_;
}

}  // namespace tidyframe
