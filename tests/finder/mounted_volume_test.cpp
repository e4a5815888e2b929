#include <gtest/gtest.h>

#include "finder/fake_ports.h"
#include "i18n/l.h"
#include "model/mounted_volume.h"

namespace tidyframe {
namespace {

VolumeResourceValues external(const char* name, const char* uuid = nullptr) {
  VolumeResourceValues values;
  if (name) values.name = name;
  if (uuid) values.uuid = uuid;
  values.isInternal = false;
  return values;
}

TEST(MountedVolumeTest, DiscoveryListsExternalVolumesInTheFindersNameOrder) {
  test_support::FakeCatalog volumes;
  auto image = external("Installer", "C0FFEE");
  image.isRemovable = true;
  image.isReadOnly = true;
  image.totalCapacity = 64'000'000'000;
  image.availableCapacity = 12'500'000'000;
  auto unknown = external("Net");
  unknown.isInternal.reset();
  auto internal = external("Macintosh HD", "SYS");
  internal.isInternal = true;
  volumes.mounted = {
      {"/", internal},
      {"/Volumes/Disk 10", external("Disk 10")},
      {"/Volumes/disk 2", external("disk 2")},
      {"/Volumes/Broken", std::nullopt},
      {"/Volumes/Disk 1", external("Disk 1")},
      {"/Volumes/Installer", image},
      {"/Volumes/Net", unknown},
      {"/Volumes/Untitled", external(nullptr)},
      {"/Disk", external("Disk", "A")},
      {"/Disk 1", external("disk", "A")},
  };
  const auto listed = MountedVolume::discover(volumes, icu::Locale("en"));
  std::vector<std::string> names;
  for (const auto& volume : listed) names.push_back(volume.name + " @ " + volume.path);
  EXPECT_EQ(names, (std::vector<std::string>{
                       "Disk @ /Disk",
                       "disk @ /Disk 1",
                       "Disk 1 @ /Volumes/Disk 1",
                       "disk 2 @ /Volumes/disk 2",
                       "Disk 10 @ /Volumes/Disk 10",
                       "Installer @ /Volumes/Installer",
                       "Net @ /Volumes/Net",
                       "Untitled @ /Volumes/Untitled",
                   }))
      << "internal and unreadable volumes are left out; an unreported internal flag is listed; names that "
         "differ only in case keep the system's order; a missing name is the last path component";
  EXPECT_EQ(listed[2], (MountedVolume{"Disk 1", "/Volumes/Disk 1", std::nullopt, true, false, false, 0, 0}))
      << "unreported values have their defaults";
  EXPECT_EQ(listed[5], (MountedVolume{"Installer", "/Volumes/Installer", "C0FFEE", true, true, true, 64'000'000'000,
                                      12'500'000'000}));
  EXPECT_TRUE(MountedVolume::discover(*std::make_unique<test_support::FakeCatalog>(), icu::Locale("en")).empty());
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
