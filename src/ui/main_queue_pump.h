#pragma once

#include <memory>

#include <QObject>
#include <QTimer>

namespace tidyframe {

class ThreadDispatch;

// Drains the dispatch's main queue from Qt's event loop, so every engine block runs on the GUI
// thread between events. Woken from any thread when a task is posted; a timer covers delayed
// tasks. Lives on the GUI thread and borrows the dispatch, which must outlive it.
class MainQueuePump final : public QObject {
 public:
  explicit MainQueuePump(ThreadDispatch& dispatch, QObject* parent = nullptr);
  ~MainQueuePump() override;
  MainQueuePump(const MainQueuePump&) = delete;
  MainQueuePump& operator=(const MainQueuePump&) = delete;

 private:
  struct Link;
  void drain();

  ThreadDispatch& dispatch_;
  QTimer timer_;
  // Shared with the wake-up, which other threads call; cut when the pump goes away.
  std::shared_ptr<Link> link_;
};

}  // namespace tidyframe
