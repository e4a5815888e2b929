#include <gtest/gtest.h>

#include "finder/fake_ports.h"
#include "finder/finder_location.h"

namespace tidyframe {
namespace {

using test_support::replyOf;

FileResourceValues item(std::optional<std::string> uuid, std::optional<bool> internal, bool isDirectory = true,
                        bool isPackage = false) {
  return {.volumeUUID = std::move(uuid), .volumeIsInternal = internal, .isDirectory = isDirectory,
          .isPackage = isPackage};
}

TEST(FinderLocationTest, QueryRepliesBecomeLocations) {
  test_support::FakeCatalog catalog;
  catalog.items = {
      {"/Users/demo/My Folder", item("D1", true)},
      {"/Volumes/SD/DCIM", item("A", false)},
      {"/Volumes/Net/share", item(std::nullopt, std::nullopt)},
      {"/Applications/Mail.app", item("D1", true, true, true)},
      {"/Users/demo/notes.txt", item("D1", true, false)},
  };
  struct Case {
    ScriptReply reply;
    std::optional<FinderLocation> expected;
    const char* reason;
  };
  const Case cases[] = {
      {replyOf({"file:///Users/demo/My%20Folder/", "12", "list view"}),
       FinderLocation{"file:///Users/demo/My%20Folder/", "/Users/demo/My Folder", "12", "list view", "D1", false},
       "an internal folder, percent-decoded"},
      {replyOf({"file:///Volumes/SD/DCIM/", "3"}),
       FinderLocation{"file:///Volumes/SD/DCIM/", "/Volumes/SD/DCIM", "3", "", "A", true},
       "an external card; no view item gives an empty view"},
      {replyOf({"file:///Volumes/Net/share/", "4", "column view"}),
       FinderLocation{"file:///Volumes/Net/share/", "/Volumes/Net/share", "4", "column view", std::nullopt, false},
       "an unreported internal flag counts as internal"},
      {replyOf({"skip"}), std::nullopt, "a skip is no location"},
      {replyOf({}), std::nullopt, "an empty reply"},
      {replyOf({"file:///Applications/Mail.app/", "5", "icon view"}), std::nullopt, "a package"},
      {replyOf({"file:///Users/demo/notes.txt", "5", "icon view"}), std::nullopt, "not a folder"},
      {replyOf({"file:///Users/demo/gone/", "5", "icon view"}), std::nullopt, "resource values cannot be read"},
      {replyOf({"afp://server/share/", "5", "icon view"}), std::nullopt, "not a file URL"},
      {ScriptReply({{"file:///Volumes/SD/DCIM/", std::nullopt}, {std::nullopt, 5}}), std::nullopt,
       "a window id that is not text"},
  };
  for (const auto& c : cases) EXPECT_EQ(FinderLocation::inspect(c.reply, catalog), c.expected) << c.reason;
}

TEST(FinderLocationTest, FilePathsOfURLs) {
  struct Case {
    const char* url;
    std::optional<std::string> path;
    const char* reason;
  };
  const Case cases[] = {
      {"file:///", "/", "the root keeps its slash"},
      {"FILE:///Users/demo/", "/Users/demo", "the scheme ignores case; the trailing slash goes"},
      {"file://localhost/Users/demo/", "/Users/demo", "the local host may be named"},
      {"file:///a/%2e%2E/b/", "/b", "escaped dots are resolved like plain ones"},
      {"file:///a/./b/../c/", "/a/c", "dot segments are resolved"},
      {"file:///Users//demo//", "/Users/demo", "empty components leave no trailing or double slash"},
      {"file:///../../etc/", "/etc", "nothing climbs above the root"},
      {"file:///a/?x#y", "/a", "a real query and fragment are not"},
      {"file:///a%2Fb/", "/a/b", "an escaped slash decodes to a slash, as Foundation's path does"},
      {"file://server/share/", std::nullopt, "a remote host"},
      {"file:///bad%zz/", std::nullopt, "a malformed escape"},
      {"file:///cut%4", std::nullopt, "an escape cut short"},
      {"file:///nul%00here/", std::nullopt, "a NUL would cut the path short"},
      {"file:///bad%FF/", std::nullopt, "bytes that are not UTF-8"},
      {"file:///line\nfeed/", std::nullopt, "a raw control character or space is not part of a URL"},
      {"file:", std::nullopt, "a scheme alone"},
      {"https://example.com/", std::nullopt, "another scheme"},
  };
  for (const auto& c : cases) EXPECT_EQ(filePath(c.url), c.path) << c.reason << ": " << c.url;
}

TEST(FinderLocationTest, AFolderPathSurvivesTheTripThroughItsURL) {
  for (const char* path : {"/", "/a b/\"q\"/\\", "/%/#/?/+/~", "/照 é/'/..x"}) {
    EXPECT_EQ(folderURL(path).and_then(filePath), path);
  }
  EXPECT_EQ(folderURL(""), std::nullopt);
  EXPECT_EQ(folderURL("relative/path"), std::nullopt);
}

}  // namespace
}  // namespace tidyframe
