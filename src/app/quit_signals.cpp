#include "app/quit_signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

#include <QSocketNotifier>

namespace tidyframe {

namespace {

// The signal handler may only write to a descriptor; the main thread reads the other end.
int signalPipe[2] = {-1, -1};
struct sigaction earlierInterrupt {};
struct sigaction earlierTerminate {};

void onSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> quit) : quit_(std::move(quit)) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(signalPipe[1], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
    char byte = 0;
    [[maybe_unused]] const auto read = ::read(signalPipe[1], &byte, 1);
    quit_();
  });
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, &earlierInterrupt);
  ::sigaction(SIGTERM, &action, &earlierTerminate);
}

QuitSignals::~QuitSignals() {
  if (!notifier_) return;
  ::sigaction(SIGINT, &earlierInterrupt, nullptr);
  ::sigaction(SIGTERM, &earlierTerminate, nullptr);
  notifier_.reset();
  ::close(signalPipe[0]);
  ::close(signalPipe[1]);
  signalPipe[0] = signalPipe[1] = -1;
}

}  // namespace tidyframe
