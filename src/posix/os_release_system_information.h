#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_information.h"

namespace tidyframe {

// The running system as its os-release file names it ("Debian GNU/Linux", "12 (bookworm)"),
// read once when made. Without a readable file it is the kernel's name and release as uname
// gives them ("Linux", "6.1.0-18-amd64"). Never claims to be macOS. Any thread.
class OsReleaseSystemInformation final : public SystemInformation {
 public:
  // Reads the first of `files` that can be read.
  explicit OsReleaseSystemInformation(std::vector<std::filesystem::path> files = {"/etc/os-release",
                                                                                  "/usr/lib/os-release"});
  OperatingSystemVersion operatingSystem() const override { return version_; }

  // The assignments of an os-release text: KEY=value lines, values bare or in single or double
  // quotes, with backslash escapes inside double quotes; comments and malformed lines ignored.
  static std::map<std::string, std::string, std::less<>> parse(std::string_view text);
  // NAME (by default "Linux") and VERSION, else VERSION_ID.
  static OperatingSystemVersion versionOf(const std::map<std::string, std::string, std::less<>>& fields);

 private:
  OperatingSystemVersion version_;
};

}  // namespace tidyframe
