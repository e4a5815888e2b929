#pragma once

#include <expected>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "command/command_request.h"

namespace tidyframe {

// The subcommands of the program's command line: `tidyframe rules add ~/Pictures --group
// kind` and the like. Pure; any thread.
namespace SubcommandLine {

// What the words ask for: a request, the subcommands' help, or a shell's completion script.
struct Parsed {
  enum class Kind { request, help, completions };
  Kind kind = Kind::request;
  CommandRequest request;
  // "bash" or "zsh" for completions.
  std::string shell;
};

// Whether `word`, the program's first argument, starts a subcommand.
bool startsSubcommand(std::string_view word);

// Parses `arguments` (without the program name). Relative paths are taken from
// `workingFolder`; a RULE stays as written. The error is one line for a usage message.
std::expected<Parsed, std::string> parse(std::span<const std::string_view> arguments,
                                         const std::filesystem::path& workingFolder);

// The subcommands' help, with the grouping and sorting names.
std::string usage();

// The completion script for `shell` ("bash" or "zsh").
std::string completions(std::string_view shell);

}  // namespace SubcommandLine

}  // namespace tidyframe
