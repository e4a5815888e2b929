#include <gtest/gtest.h>

#include "finder/fake_ports.h"
#include "i18n/l.h"
#include "model/mounted_volume.h"

namespace tidyframe {
namespace {

// A volume that reports only its name, UUID and whether it is internal.
VolumeResourceValues reporting(std::optional<std::string> name, std::optional<std::string> uuid,
                               std::optional<bool> isInternal) {
  return {std::move(name), std::move(uuid), isInternal, std::nullopt, std::nullopt, std::nullopt, std::nullopt};
}

TEST(MountedVolumeTest, DiscoveryListsExternalVolumesInTheFindersNameOrder) {
  test_support::FakeCatalog volumes;
  volumes.mounted = {
      {"/", reporting("Macintosh HD", "SYS", true)},
      {"/Volumes/Disk 10", reporting("Disk 10", {}, false)},
      {"/Volumes/disk 2", reporting("disk 2", {}, false)},
      {"/Volumes/Broken", std::nullopt},
      {"/Volumes/Disk 1", reporting("Disk 1", {}, false)},
      {"/Volumes/Installer",
       VolumeResourceValues{"Installer", "C0FFEE", false, true, true, 64'000'000'000, 12'500'000'000}},
      {"/Volumes/Net", reporting("Net", {}, {})},
      {"/Volumes/Untitled", reporting({}, {}, false)},
      {"/Disk", reporting("Disk", "A", false)},
      {"/Disk 1", reporting("disk", "A", false)},
  };
  EXPECT_EQ(MountedVolume::discover(volumes, icu::Locale("en")),
            (std::vector<MountedVolume>{
                {"Disk", "/Disk", "A", true, false, false, 0, 0},
                {"disk", "/Disk 1", "A", true, false, false, 0, 0},
                {"Disk 1", "/Volumes/Disk 1", std::nullopt, true, false, false, 0, 0},
                {"disk 2", "/Volumes/disk 2", std::nullopt, true, false, false, 0, 0},
                {"Disk 10", "/Volumes/Disk 10", std::nullopt, true, false, false, 0, 0},
                {"Installer", "/Volumes/Installer", "C0FFEE", true, true, true, 64'000'000'000, 12'500'000'000},
                {"Net", "/Volumes/Net", std::nullopt, true, false, false, 0, 0},
                {"Untitled", "/Volumes/Untitled", std::nullopt, true, false, false, 0, 0},
            }))
      << "internal and unreadable volumes are left out; an unreported internal flag is listed; names that "
         "differ only in case keep the system's order; a missing name is the last path component; unreported "
         "values have their defaults";
}

TEST(FormattedBytesTest, PowersOfAThousandInTheInterfaceLanguage) {
  L l({TIDYFRAME_RESOURCE_DIR "/i18n"}, nullptr);
  struct Case {
    const char* language;
    std::int64_t bytes;
    const char* expected;
    const char* reason;
  };
  const Case cases[] = {
      {"en", 0, "0 B", "nothing"},
      {"en", 999, "999 B", "just below a kilobyte"},
      {"en", 1000, "1 KB", "a kilobyte is 1000 bytes"},
      {"en", 999'994, "999.99 KB", "rounds down below the next unit"},
      {"en", 999'999, "1 MB", "what would show as 1,000 KB steps up"},
      {"en", 1'234'567, "1.23 MB", "two fraction digits at most"},
      {"en", 1'500'000'000, "1.5 GB", "no trailing zero"},
      {"en", 2'000'000'000'000'000'000, "2,000 PB", "beyond 1000 PB stays in PB"},
      {"en", INT64_MAX, "9,223.37 PB", "the largest count"},
      {"en", -5, "-5 B", "a negative count is not divided"},
      {"de", 1'500'000'000, "1,5 GB", "German decimal comma"},
      {"fr", 2'000'000'000'000'000'000, "2\u202F000 PB", "French grouping"},
  };
  for (const auto& c : cases) {
    l.setLanguage(c.language);
    EXPECT_EQ(formattedBytes(c.bytes, l), c.expected) << c.reason;
  }
}

TEST(ReadablePathTest, HomeBecomesATilde) {
  struct Case {
    const char* path;
    const char* home;
    const char* expected;
    const char* reason;
  };
  const Case cases[] = {
      {"/Users/demo", "/Users/demo", "~", "the home folder itself"},
      {"/Users/demo/Pictures", "/Users/demo", "~/Pictures", "inside the home folder"},
      {"/Users/demo2/x", "/Users/demo", "/Users/demo2/x", "inside a sibling whose name starts the same"},
      {"/Users/demo/Pictures", "/Users/demo/", "~/Pictures", "a home given with a trailing slash"},
      {"/Users/demo", "", "/Users/demo", "no home known"},
      {"/Users", "/Users/demo", "/Users", "a parent of the home folder"},
  };
  for (const auto& c : cases) EXPECT_EQ(readablePath(c.path, c.home), c.expected) << c.reason;
}

}  // namespace
}  // namespace tidyframe
