#pragma once

#include <expected>
#include <filesystem>
#include <memory>
#include <string>

#include "base/file_descriptor.h"

namespace tidyframe {

// The advisory lock of a storage folder: the application holds it for as long as it runs, a
// subcommand for one read-modify-write of the documents, so only one of them writes the
// folder at a time. The lock goes with the process, so one that dies frees it. Any thread.
class StorageLock {
 public:
  static constexpr std::string_view fileName = "tidyframe.lock";

  enum class Failure { held, unusable };
  struct Refusal {
    Failure failure;
    // The system's description when the lock file cannot be made or locked.
    std::string description;
  };

  // Takes the lock of `folder` if nobody holds it, creating the folder and the lock file as
  // needed; answers at once either way.
  static std::expected<StorageLock, Refusal> tryAcquire(const std::filesystem::path& folder);

 private:
  explicit StorageLock(std::unique_ptr<FileDescriptor> file) : file_(std::move(file)) {}

  std::unique_ptr<FileDescriptor> file_;
};

}  // namespace tidyframe
