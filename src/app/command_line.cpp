#include "app/command_line.h"

namespace tidyframe {

std::optional<CommandLine> parseCommandLine(std::span<const std::string_view> arguments) {
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

}  // namespace tidyframe
