#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace tidyframe {

// Turns SIGINT and SIGTERM into a call of `quit` on the main thread, so that an interrupted or
// terminated application stops as its menu does: after the engine's last script and every
// save. One at a time in a process; the signals' earlier handling returns when it goes.
class QuitSignals {
 public:
  explicit QuitSignals(std::function<void()> quit);
  ~QuitSignals();
  QuitSignals(const QuitSignals&) = delete;
  QuitSignals& operator=(const QuitSignals&) = delete;

 private:
  std::function<void()> quit_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tidyframe
