#pragma once

#include <unistd.h>

#include <cerrno>

namespace tidyframe {

// Owns one open file descriptor and closes it when it goes out of scope. A close error matters
// only after writing, where the writer calls close() itself and looks at the answer.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

  // Closes now, ignoring any error.
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  // Closes now; answers 0 or the error number of a failed close.
  int close() {
    const int result = fd_ >= 0 ? ::close(fd_) : 0;
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

}  // namespace tidyframe
