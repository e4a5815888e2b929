#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace tidyframe {

// What the program was asked to do. Until the panel exists, running with "--diagnostics" is
// running the demo with the engine's own lines added; "--demo" and "--diagnostics" combine in
// either order. "--self-test" stands alone.
struct CommandLine {
  enum class Mode { usage, selfTest, demo };
  Mode mode = Mode::usage;
  bool diagnostics = false;

  friend bool operator==(const CommandLine&, const CommandLine&) = default;
};

inline constexpr std::string_view commandLineUsage =
    "usage: tidyframe [--self-test | --demo [--diagnostics] | --diagnostics]\n"
    "  --self-test     run the built-in self-check and exit (0 when every check holds)\n"
    "  --demo          walk the engine through a short tour of a simulated Mac in real time and\n"
    "                  exit (0 when everything the tour expects happened)\n"
    "  --diagnostics   add the engine's poll, query and arrangement lines to the demo's output\n";

// The request of `arguments` (without the program name); nothing for an unknown or repeated
// argument or "--self-test" with another one.
std::optional<CommandLine> parseCommandLine(std::span<const std::string_view> arguments);

}  // namespace tidyframe
