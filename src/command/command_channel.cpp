#include "command/command_channel.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/file_descriptor.h"

namespace tidyframe::CommandChannel {

namespace {

#ifdef MSG_NOSIGNAL
constexpr int sendFlags = MSG_NOSIGNAL;
#else
constexpr int sendFlags = 0;
#endif

std::string systemError(std::string_view what) { return std::string(what) + ": " + std::strerror(errno); }

// FNV-1a: the same name for the same folder in every process of every build.
std::string folderHash(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  std::array<char, 17> hex{};
  std::snprintf(hex.data(), hex.size(), "%016llx", static_cast<unsigned long long>(hash));
  return hex.data();
}

// A folder that is the user's alone: made so, or found so (owned by the user, no link), with
// any access of others taken away.
std::expected<void, std::string> userOnlyFolder(const std::filesystem::path& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::unexpected(systemError(folder.string()));
  struct stat status {};
  if (::lstat(folder.c_str(), &status) != 0) return std::unexpected(systemError(folder.string()));
  if (!S_ISDIR(status.st_mode) || status.st_uid != ::geteuid()) {
    return std::unexpected(folder.string() + " is not a folder of this user");
  }
  if ((status.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
    return std::unexpected(systemError(folder.string()));
  }
  return {};
}

std::unique_ptr<FileDescriptor> connected(const std::filesystem::path& socket) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const auto text = socket.string();
  if (text.size() >= sizeof(address.sun_path)) return nullptr;
  std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
  auto fd = std::make_unique<FileDescriptor>(::socket(AF_UNIX, SOCK_STREAM, 0));
  if (!fd->valid()) return nullptr;
  ::fcntl(fd->get(), F_SETFD, FD_CLOEXEC);
#ifdef SO_NOSIGPIPE
  const int on = 1;
  ::setsockopt(fd->get(), SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
  const timeval timeout{answerSeconds, 0};
  ::setsockopt(fd->get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  if (::connect(fd->get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return nullptr;
  return fd;
}

// Writes what the peer takes; a peer that closes early stops the writing, not the caller.
void sendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const auto sent = ::send(fd, bytes.data(), bytes.size(), sendFlags);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
}

// Everything up to the end of the stream, a time-out or the answer limit.
std::string receiveAll(int fd) {
  std::string received;
  std::array<char, 65536> buffer{};
  while (received.size() <= CommandMessages::maximumAnswerSize) {
    const auto count = ::recv(fd, buffer.data(), buffer.size(), 0);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    received.append(buffer.data(), static_cast<std::size_t>(count));
  }
  return received;
}

}  // namespace

// A runtime folder too deep for a socket gives way to "/tmp", where the user's own folder is
// made just the same.
std::expected<std::filesystem::path, std::string> socketPath(const std::filesystem::path& runtimeFolder,
                                                             const std::filesystem::path& storageFolder) {
  const auto name = folderHash(storageFolder.lexically_normal().string()) + ".socket";
  const auto user = "tidyframe-" + std::to_string(::geteuid());
  auto folder = runtimeFolder / user;
  if ((folder / name).string().size() > maximumSocketPath) folder = std::filesystem::path("/tmp") / user;
  if (auto made = userOnlyFolder(folder); !made) return std::unexpected(made.error());
  return folder / name;
}

std::optional<std::string> exchange(const std::filesystem::path& socket, std::string_view bytes) {
  const auto fd = connected(socket);
  if (!fd) return std::nullopt;
  sendAll(fd->get(), bytes);
  return receiveAll(fd->get());
}

std::expected<CommandAnswer, Refusal> ask(const std::filesystem::path& socket, const CommandRequest& request) {
  const auto received = CommandChannel::exchange(socket, CommandMessages::encode(request));
  if (!received) return std::unexpected(Refusal{Failure::noListener, {}});
  std::string_view line = *received;
  if (!line.ends_with('\n')) return std::unexpected(Refusal{Failure::noAnswer, "the application ended the connection"});
  line.remove_suffix(1);
  auto answer = CommandMessages::decodeAnswer(line);
  if (!answer) return std::unexpected(Refusal{Failure::noAnswer, answer.error()});
  return *answer;
}

}  // namespace tidyframe::CommandChannel
