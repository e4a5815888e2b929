#pragma once

#include <filesystem>
#include <memory>
#include <vector>

class QApplication;

namespace tidyframe {

// Qt's application object as the panel wants it: the Fusion style, kept running with no window
// open, holding the lock of `storageFolder` while it lives. Nothing when an instance already
// running on `storageFolder` took over (it shows its panel then), or another process holds the
// folder without answering. `argc` must outlive the answer, as Qt keeps it.
std::unique_ptr<QApplication> startQt(int& argc, char** argv, const std::filesystem::path& storageFolder);

// The storage folder of the application over the simulated Mac.
std::filesystem::path simulatedStorageDirectory();

// Runs the status icon and the panel over the simulated Mac on real threads, with the
// engine's documents in the user's storage folder and the update checker on the real network
// and user defaults, until the user quits. `diagnostics` adds
// the engine's own lines on standard output. Answers the exit status.
int runApplication(int argc, char** argv, bool diagnostics, const std::vector<std::filesystem::path>& tableRoots);

}  // namespace tidyframe
