#pragma once

#include <filesystem>
#include <vector>

namespace tidyframe {

// Runs the status icon and the panel over the native adapter, so the engine arranges the real
// Finder, with the engine's documents in the user's Application Support folder, until the user
// quits. `diagnostics` adds the engine's own lines on standard output. Answers the exit status.
// macOS only.
int runNativeApplication(int argc, char** argv, bool diagnostics,
                         const std::vector<std::filesystem::path>& tableRoots);

}  // namespace tidyframe
