#include <gtest/gtest.h>

#include "posix/os_release_system_information.h"

namespace tidyframe {
namespace {

TEST(OsReleaseTest, NamesTheRunningSystemAsItNamesItself) {
  struct Case {
    const char* text;
    OperatingSystemVersion version;
  } cases[] = {
      {"NAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\nVERSION=\"12 (bookworm)\"\n",
       {"Debian GNU/Linux", "12 (bookworm)"}},
      {"NAME='Arch Linux'\nVERSION_ID=rolling\n", {"Arch Linux", "rolling"}},  // no VERSION
      {"# NAME=x\nNAME=\"Say \\\"hi\\\"\"\nVERSION=\"1\n", {"Say \"hi\"", ""}},  // escapes; an unclosed quote
      {"", {"Linux", ""}},  // an empty file still names a system
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OsReleaseSystemInformation::versionOf(OsReleaseSystemInformation::parse(c.text)), c.version) << c.text;
  }
  const auto kernel = OsReleaseSystemInformation({"/nonexistent/os-release"}).operatingSystem();
  EXPECT_FALSE(kernel.name.empty() || kernel.name == "macOS") << "without the file, the kernel as it is";
}

}  // namespace
}  // namespace tidyframe
