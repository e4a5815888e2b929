#pragma once

#include <expected>
#include <span>
#include <string>
#include <string_view>

namespace tidyframe {

// What the program was asked to do: by default the panel and its status icon; "--diagnostics"
// adds the engine's own lines to the application or to the demo, in either order.
// "--self-test", "--help" and "--version" stand alone. "--simulated" goes with any of them: on
// macOS it puts the simulated Mac in place of the native adapter (elsewhere the simulated Mac is
// all there is).
struct CommandLine {
  enum class Mode { application, help, version, selfTest, demo };
  Mode mode = Mode::application;
  bool diagnostics = false;
  bool simulated = false;

  friend bool operator==(const CommandLine&, const CommandLine&) = default;
};

inline constexpr std::string_view commandLineUsage =
    "usage: tidyframe [--self-test | [--demo] [--diagnostics] | --help | --version] [--simulated]\n"
    "       tidyframe status | rules ... | activity | on | off | completions  ('tidyframe rules --help')\n"
    "  (no argument)   show the status icon and the panel; off macOS also the Simulated Finder window\n"
    "  --self-test     run the built-in self-check and exit (0 when every check holds); on macOS it\n"
    "                  also reads every native service once, changing nothing\n"
    "  --demo          walk the engine through a short tour of a simulated Mac in real time and\n"
    "                  exit (0 when everything the tour expects happened)\n"
    "  --diagnostics   print the engine's poll, query and arrangement lines\n"
    "  --simulated     on macOS, use the simulated Mac instead of the native services\n"
    "  --help          print this text\n"
    "  --version       print the version and build number\n";

// The request of `arguments` (without the program name), or what is wrong with them: an
// unknown or repeated option, named, or a lone option combined with another.
std::expected<CommandLine, std::string> parseCommandLine(std::span<const std::string_view> arguments);

// "Tidyframe <version> (<build>)".
std::string versionLine();

}  // namespace tidyframe
