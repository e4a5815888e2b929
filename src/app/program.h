#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <vector>

#include "model/mounted_volume.h"

namespace tidyframe {

// What a Mac adds: a look at its native services for the self-check, and the application over
// them in place of the simulated Mac.
struct NativeEntry {
  std::function<bool(std::ostream&)> check;
  std::function<int(int argc, char** argv, bool diagnostics, const std::vector<std::filesystem::path>& tableRoots)>
      run;
  // The Mac's mounted volumes, for subcommands while the application does not run.
  std::function<std::vector<MountedVolume>()> volumes = {};
};

// The program: "--self-test" runs the self-check and nothing else (no icon, no engine, no
// timer), "--demo" the tour, a first word such as "rules" a subcommand, anything else valid
// the application. `native`, when given, is used
// unless "--simulated" was asked for. Answers the exit status.
int runProgram(int argc, char** argv, std::ostream& out, const NativeEntry* native = nullptr);

}  // namespace tidyframe
