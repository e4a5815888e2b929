#include "app/quit_signals.h"

#include <fcntl.h>
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

// Neither end may leak into a process this one starts; macOS has no SOCK_CLOEXEC, so there the flag
// is set on each end right after.
bool openSignalPipe() {
#ifdef SOCK_CLOEXEC
  return ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) == 0;
#else
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return false;
  if (::fcntl(signalPipe[0], F_SETFD, FD_CLOEXEC) == 0 && ::fcntl(signalPipe[1], F_SETFD, FD_CLOEXEC) == 0) return true;
  ::close(signalPipe[0]);
  ::close(signalPipe[1]);
  signalPipe[0] = signalPipe[1] = -1;
  return false;
#endif
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> quit) : quit_(std::move(quit)) {
  if (!openSignalPipe()) return;
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
