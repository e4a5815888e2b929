#include "ui/main_queue_pump.h"

#include <cmath>
#include <mutex>

#include "base/thread_dispatch.h"

namespace tidyframe {

struct MainQueuePump::Link {
  std::mutex mutex;
  MainQueuePump* pump = nullptr;
};

MainQueuePump::MainQueuePump(ThreadDispatch& dispatch, QObject* parent)
    : QObject(parent), dispatch_(dispatch), link_(std::make_shared<Link>()) {
  link_->pump = this;
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] { drain(); });
  dispatch_.setMainWakeup([link = link_] {
    const std::lock_guard lock(link->mutex);
    if (link->pump) QMetaObject::invokeMethod(link->pump, [pump = link->pump] { pump->drain(); }, Qt::QueuedConnection);
  });
  QMetaObject::invokeMethod(this, [this] { drain(); }, Qt::QueuedConnection);
}

MainQueuePump::~MainQueuePump() {
  dispatch_.setMainWakeup(nullptr);
  const std::lock_guard lock(link_->mutex);
  link_->pump = nullptr;
}

// A drain inside a nested event loop answers nothing and leaves the timer to the outer one.
void MainQueuePump::drain() {
  const auto next = dispatch_.drainMain();
  if (!next) return;
  timer_.start(static_cast<int>(std::ceil(std::max(0.0, *next) * 1000)));
}

}  // namespace tidyframe
