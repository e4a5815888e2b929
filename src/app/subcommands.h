#pragma once

#include <filesystem>
#include <ostream>
#include <span>
#include <string_view>
#include <vector>

#include "command/storage_command_backend.h"

namespace tidyframe {

// Where the subcommands of one program run find what they act on.
struct SubcommandPlace {
  std::filesystem::path storageFolder;
  // The user's runtime or temporary folder, which holds the channel's folder.
  std::filesystem::path runtimeFolder;
  // Relative paths on the command line are taken from here.
  std::filesystem::path workingFolder;
  std::vector<std::filesystem::path> tableRoots;
  // The mounted volumes, for device rules while no application runs.
  StorageCommandBackend::VolumeList volumes;
};

// Runs the subcommand of `arguments` (without the program name): through the application on
// the storage folder when it runs, else on the storage folder itself under its lock. Waits
// while another process holds the lock without answering (an application starting, another
// subcommand writing), for at most `lockWaitSeconds`. Never starts the application. Answers
// the exit status: 0 done, 1 not done (one line on `err`), 2 a usage error.
int runSubcommand(std::span<const std::string_view> arguments, const SubcommandPlace& place, std::ostream& out,
                  std::ostream& err);

inline constexpr double lockWaitSeconds = 10;

// The mounted volumes of the simulated Mac that the application on `storageFolder` shows: the
// card where the Simulated Finder window left it.
std::vector<MountedVolume> simulatedVolumes(const std::filesystem::path& storageFolder);

}  // namespace tidyframe
