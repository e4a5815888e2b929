#pragma once

#include <filesystem>

namespace tidyframe {

// The user's home: $HOME when absolute, else the user database's, else the temporary folder.
std::filesystem::path homeFolder();

// The user's storage folder for this platform, from $HOME (else the user database) and
// $XDG_DATA_HOME.
std::filesystem::path storageDirectory();

// The folder for the user's sockets: $TMPDIR on macOS (a folder of the user's own there),
// $XDG_RUNTIME_DIR elsewhere, each only when absolute, else "/tmp".
std::filesystem::path runtimeFolder();

// The file of the user defaults off macOS, from $HOME (else the user database) and
// $XDG_CONFIG_HOME.
std::filesystem::path userDefaultsFile();

}  // namespace tidyframe
