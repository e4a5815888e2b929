#include "app/command_line.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "update/running_version.h"

namespace tidyframe {

namespace {

constexpr std::array<std::pair<std::string_view, CommandLine::Mode>, 3> loneOptions{{
    {"--self-test", CommandLine::Mode::selfTest},
    {"--help", CommandLine::Mode::help},
    {"--version", CommandLine::Mode::version},
}};

std::string quoted(std::string_view option) { return "'" + std::string(option) + "'"; }

std::expected<CommandLine, std::string> parseMode(std::span<const std::string_view> arguments) {
  CommandLine command;
  bool demo = false;
  for (const auto argument : arguments) {
    const auto lone = std::ranges::find(loneOptions, argument, &std::pair<std::string_view, CommandLine::Mode>::first);
    if (lone != loneOptions.end()) {
      if (arguments.size() != 1) return std::unexpected(quoted(argument) + " stands alone");
      return CommandLine{lone->second};
    }
    if (argument != "--demo" && argument != "--diagnostics") return std::unexpected("unknown option " + quoted(argument));
    bool& seen = argument == "--demo" ? demo : command.diagnostics;
    if (seen) return std::unexpected(quoted(argument) + " given twice");
    seen = true;
  }
  if (demo) command.mode = CommandLine::Mode::demo;
  return command;
}

}  // namespace

std::expected<CommandLine, std::string> parseCommandLine(std::span<const std::string_view> arguments) {
  std::vector<std::string_view> rest(arguments.begin(), arguments.end());
  const auto simulated = std::erase(rest, "--simulated");
  if (simulated > 1) return std::unexpected("'--simulated' given twice");
  auto command = parseMode(rest);
  if (command) command->simulated = simulated == 1;
  return command;
}

std::string versionLine() {
  const auto version = RunningVersion::ofThisBuild();
  return "Tidyframe " + version.currentVersion + " (" + std::to_string(version.currentBuild) + ")";
}

}  // namespace tidyframe
