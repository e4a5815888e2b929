#include "posix/posix_process_runner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "base/unicode.h"

extern char** environ;

namespace tidyframe {
namespace {

// Closes the descriptor it holds when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { reset(); }

  int get() const { return fd_; }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

// The spawn attributes that need destroying once the child has started.
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

std::string readToEnd(int fd) {
  std::string bytes;
  char buffer[4096];
  for (;;) {
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count > 0) {
      bytes.append(buffer, static_cast<std::size_t>(count));
    } else if (count == 0 || errno != EINTR) {
      return bytes;
    }
  }
}

int waitForExit(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
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

CommandResult PosixProcessRunner::command(const std::string& executable, const std::vector<std::string>& arguments) {
  int fds[2];
  if (const int error = makePipe(fds); error != 0) return launchFailure(error);
  FileDescriptor readEnd(fds[0]);
  FileDescriptor writeEnd(fds[1]);

  FileActions actions;
  ::posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  ::posix_spawn_file_actions_adddup2(actions.get(), writeEnd.get(), STDOUT_FILENO);
  ::posix_spawn_file_actions_adddup2(actions.get(), writeEnd.get(), STDERR_FILENO);

  // glibc (2.24 and later) and macOS report a failed exec as posix_spawn's own result, so a
  // missing or unusable program never shows up as a child that exits with 127.
  pid_t pid = 0;
  auto argv = argumentVector(executable, arguments);
  const int error = ::posix_spawn(&pid, executable.c_str(), actions.get(), nullptr, argv.data(), environ);
  if (error != 0) return launchFailure(error);

  // Our copy of the write end must go, or the read below never sees end of file.
  writeEnd.reset();
  std::string output = readToEnd(readEnd.get());
  const int status = waitForExit(pid);
  if (!unicode::isValidUtf8(output)) output.clear();
  return CommandResult{status, std::move(output)};
}

}  // namespace tidyframe
