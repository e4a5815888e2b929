#include "command/storage_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace tidyframe {

namespace {

StorageLock::Refusal unusable(std::string description) {
  return {StorageLock::Failure::unusable, std::move(description)};
}

}  // namespace

std::expected<StorageLock, StorageLock::Refusal> StorageLock::tryAcquire(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) return std::unexpected(unusable(error.message()));
  auto file = std::make_unique<FileDescriptor>(::open((folder / fileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!file->valid()) return std::unexpected(unusable(std::strerror(errno)));
  if (::flock(file->get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) return std::unexpected(Refusal{Failure::held, {}});
    return std::unexpected(unusable(std::strerror(errno)));
  }
  return StorageLock(std::move(file));
}

}  // namespace tidyframe
