#include "app/command_line.h"

#include <vector>

namespace tidyframe {

namespace {

std::optional<CommandLine> parseMode(std::span<const std::string_view> arguments) {
  if (arguments.size() == 1 && arguments.front() == "--self-test") return CommandLine{CommandLine::Mode::selfTest};
  CommandLine command;
  bool demo = false;
  for (const auto argument : arguments) {
    bool& seen = argument == "--demo" ? demo : command.diagnostics;
    if ((argument != "--demo" && argument != "--diagnostics") || seen) return std::nullopt;
    seen = true;
  }
  if (demo || command.diagnostics) command.mode = CommandLine::Mode::demo;
  return command;
}

}  // namespace

std::optional<CommandLine> parseCommandLine(std::span<const std::string_view> arguments) {
  std::vector<std::string_view> rest(arguments.begin(), arguments.end());
  const auto simulated = std::erase(rest, "--simulated");
  if (simulated > 1) return std::nullopt;
  auto command = parseMode(rest);
  if (command) command->simulated = simulated == 1;
  return command;
}

}  // namespace tidyframe
