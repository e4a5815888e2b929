#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tidyframe {

// The version of the running program: the text people see and the build number that orders
// releases.
struct RunningVersion {
  std::string currentVersion;
  std::int64_t currentBuild = 0;

  // From the bundle's texts. The build is a decimal whole number with an optional sign; an
  // empty text, anything else or a number out of range counts as build 0.
  static RunningVersion parse(std::string_view version, std::string_view build);
  // This program's, as the build system set it (the same values the macOS bundle carries).
  static RunningVersion ofThisBuild();

  friend bool operator==(const RunningVersion&, const RunningVersion&) = default;
};

// Where this build looks for newer releases, as the build system set it. Without a release
// host the default names one under ".invalid", which never resolves.
std::string_view updateFeedURL();

}  // namespace tidyframe
