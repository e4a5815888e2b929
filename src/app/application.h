#pragma once

#include <filesystem>
#include <vector>

namespace tidyframe {

// Runs the status icon and the panel over the simulated Mac on real threads, with the
// engine's documents in the user's storage folder and the update checker on the real network
// and user defaults, until the user quits. `diagnostics` adds
// the engine's own lines on standard output. Answers the exit status.
int runApplication(int argc, char** argv, bool diagnostics, const std::vector<std::filesystem::path>& tableRoots);

}  // namespace tidyframe
