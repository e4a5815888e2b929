#include "posix/posix_process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <sstream>
#include <system_error>

#include "base/file_descriptor.h"
#include "base/unicode.h"

extern char** environ;

namespace tidyframe {
namespace {

// The spawn file actions and attributes, destroyed once the child has started.
class SpawnAttributes {
 public:
  SpawnAttributes() { ::posix_spawnattr_init(&attributes_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  ~SpawnAttributes() { ::posix_spawnattr_destroy(&attributes_); }

  posix_spawnattr_t* get() { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
};

class FileActions {
 public:
  FileActions() { ::posix_spawn_file_actions_init(&actions_); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  ~FileActions() { ::posix_spawn_file_actions_destroy(&actions_); }

  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

CommandResult launchFailure(int error) {
  return CommandResult{-1, std::system_category().message(error)};
}

// Both ends close on exec: the child gets the write end only through its dup2 onto 1 and 2, so
// no other program started meanwhile can hold the pipe open and keep the reader waiting.
// Answers 0 or the error number.
int makePipe(int (&fds)[2]) {
#ifdef __APPLE__
  if (::pipe(fds) != 0) return errno;
  ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  ::fcntl(fds[1], F_SETFD, FD_CLOEXEC);
  return 0;
#else
  return ::pipe2(fds, O_CLOEXEC) == 0 ? 0 : errno;
#endif
}

using Clock = std::chrono::steady_clock;

// Milliseconds left until `deadline`, rounded up so a wait never ends just before it.
int millisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, 60 * 60 * 1000));
}

// Everything written to `fd` until end of file; nothing when `deadline` passes first.
std::optional<std::string> readToEnd(int fd, Clock::time_point deadline) {
  std::string bytes;
  char buffer[4096];
  for (;;) {
    pollfd ready{fd, POLLIN, 0};
    const int waited = ::poll(&ready, 1, millisecondsUntil(deadline));
    if (waited < 0 && errno == EINTR) continue;
    if (waited == 0) return std::nullopt;
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count > 0) {
      bytes.append(buffer, static_cast<std::size_t>(count));
    } else if (count == 0 || errno != EINTR) {
      return bytes;
    }
  }
}

int exitStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// The exit status, or nothing when `deadline` passes first. A child may close its output and
// run on, so the wait after end of file is bounded too; it asks every few milliseconds.
std::optional<int> waitForExit(pid_t pid, Clock::time_point deadline) {
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) return exitStatus(status);
    if (done < 0 && errno != EINTR) return -1;
    if (Clock::now() >= deadline) return std::nullopt;
    ::usleep(2000);
  }
}

// Ends the child and everything it started (they share its process group), and reaps it.
void killGroup(pid_t pid) {
  ::kill(-pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

CommandResult timedOut(const std::string& executable, double timeout) {
  std::ostringstream text;
  text << executable << " did not finish within " << timeout << " seconds and was stopped";
  return CommandResult{-1, text.str()};
}

std::vector<char*> argumentVector(const std::string& executable, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 2);
  argv.push_back(const_cast<char*>(executable.c_str()));
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  return argv;
}

}  // namespace

CommandResult PosixProcessRunner::command(const std::string& executable, const std::vector<std::string>& arguments,
                                          double timeout) {
  int fds[2];
  if (const int error = makePipe(fds); error != 0) return launchFailure(error);
  FileDescriptor readEnd(fds[0]);
  FileDescriptor writeEnd(fds[1]);

  // Its own process group, so a time-out can end whatever it started as well.
  SpawnAttributes attributes;
  ::posix_spawnattr_setflags(attributes.get(), POSIX_SPAWN_SETPGROUP);
  ::posix_spawnattr_setpgroup(attributes.get(), 0);
  FileActions actions;
  ::posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  ::posix_spawn_file_actions_adddup2(actions.get(), writeEnd.get(), STDOUT_FILENO);
  ::posix_spawn_file_actions_adddup2(actions.get(), writeEnd.get(), STDERR_FILENO);

  // glibc (2.24 and later) and macOS report a failed exec as posix_spawn's own result, so a
  // missing or unusable program never shows up as a child that exits with 127.
  pid_t pid = 0;
  auto argv = argumentVector(executable, arguments);
  const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double>(std::clamp(timeout, 0.0, 3600.0)));
  const int error = ::posix_spawn(&pid, executable.c_str(), actions.get(), attributes.get(), argv.data(), environ);
  if (error != 0) return launchFailure(error);

  // Our copy of the write end must go, or the read below never sees end of file.
  writeEnd.reset();
  auto output = readToEnd(readEnd.get(), deadline);
  const auto status = output ? waitForExit(pid, deadline) : std::nullopt;
  if (!status) {
    killGroup(pid);
    return timedOut(executable, timeout);
  }
  if (!unicode::isValidUtf8(*output)) output->clear();
  return CommandResult{*status, std::move(*output)};
}

}  // namespace tidyframe
