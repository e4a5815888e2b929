#include "app/program.h"

#include <iostream>
#include <memory>
#include <string_view>
#include <vector>

#include "app/application.h"
#include "app/command_line.h"
#include "app/demo.h"
#include "app/environment_languages.h"
#include "app/resource_locations.h"
#include "app/self_check.h"
#include "app/storage_location.h"
#include "app/subcommands.h"
#include "command/subcommand_line.h"
#include "i18n/l.h"

namespace tidyframe {

namespace {

// On a Mac the subcommands act on the application over the real Finder.
int runSubcommandLine(std::span<const std::string_view> arguments, std::ostream& out, const NativeEntry* native) {
  const auto storage = native ? storageDirectory() : simulatedStorageDirectory();
  std::error_code unknown;
  auto working = std::filesystem::current_path(unknown);
  auto volumes = native ? native->volumes : StorageCommandBackend::VolumeList([storage] { return simulatedVolumes(storage); });
  return runSubcommand(arguments, {storage, runtimeFolder(), std::move(working), stringTableRoots(), std::move(volumes)},
                       out, std::cerr);
}

}  // namespace

int runProgram(int argc, char** argv, std::ostream& out, const NativeEntry* native) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  if (!arguments.empty() && SubcommandLine::startsSubcommand(arguments.front())) {
    return runSubcommandLine(arguments, out, native);
  }
  const auto command = parseCommandLine(arguments);
  if (!command) {
    std::cerr << "tidyframe: " << command.error() << "\n" << commandLineUsage;
    return 2;
  }
  if (command->mode == CommandLine::Mode::help) {
    out << commandLineUsage;
    return 0;
  }
  if (command->mode == CommandLine::Mode::version) {
    out << versionLine() << "\n";
    return 0;
  }
  const auto roots = stringTableRoots();
  if (command->simulated) native = nullptr;
  if (command->mode == CommandLine::Mode::selfTest) {
    const L l(roots, std::make_shared<EnvironmentLanguages>());
    bool passed = runSelfChecks(selfChecks(l, roots), out);
    if (native) passed = native->check(out) && passed;
    return passed ? 0 : 1;
  }
  if (command->mode == CommandLine::Mode::demo) return runDemo(out, command->diagnostics, roots) ? 0 : 1;
  if (native) return native->run(argc, argv, command->diagnostics, roots);
  return runApplication(argc, argv, command->diagnostics, roots);
}

}  // namespace tidyframe
