#pragma once

#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "command/command_request.h"

namespace tidyframe {

// The client end of the running application's channel, and where the channel lives: a socket
// named after the storage folder in a folder that only the user may enter, so no other user
// can reach the application, read its answers or put a socket of their own in its place.
namespace CommandChannel {

// Longest socket path this channel uses: macOS's sun_path holds 104 bytes with the final NUL,
// and Qt binds a user-only socket under a temporary name 9 bytes longer before renaming it.
inline constexpr std::size_t maximumSocketPath = 103 - 9;
// How long a subcommand waits for the application's answer, which a modal alert may delay.
inline constexpr int answerSeconds = 30;

// The socket of the application on `storageFolder`, in a "tidyframe-<uid>" folder inside
// `runtimeFolder` (the user's runtime or temporary folder), or in "/tmp" when the path would be
// too long for a socket there. The folder is made with access for the user alone; one that
// exists must be a real folder owned by the user, and is closed to everyone else if it was
// not. Answers why when that cannot be had.
std::expected<std::filesystem::path, std::string> socketPath(const std::filesystem::path& runtimeFolder,
                                                             const std::filesystem::path& storageFolder);

enum class Failure {
  // Nobody listens: no application runs, or it has not started listening yet.
  noListener,
  // The application took the request but gave no readable answer; it may have carried it out.
  noAnswer,
};
struct Refusal {
  Failure failure;
  std::string description;
};

// Sends `request` to the application listening on `socket` and waits for its answer.
std::expected<CommandAnswer, Refusal> ask(const std::filesystem::path& socket, const CommandRequest& request);

// Sends `bytes` as they are and reads whatever comes back, up to the answer limit; for tests
// that play a hostile client. Nothing when no one listens.
std::optional<std::string> exchange(const std::filesystem::path& socket, std::string_view bytes);

}  // namespace CommandChannel

}  // namespace tidyframe
