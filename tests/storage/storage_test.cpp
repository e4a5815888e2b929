#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>

#include "model/settings_document.h"
#include "storage/activity_entry.h"
#include "storage/finder_layout_archive.h"
#include "storage/storage.h"
#include "storage/temporary_folder.h"

namespace tidyframe {
namespace {

namespace fs = std::filesystem;

// 6 December 2026, 14:30:00 UTC.
constexpr Date launch{818260200};

class StorageTest : public ::testing::Test {
 protected:
  TemporaryFolder folder;
  Storage storage{folder.path()};
};

TEST_F(StorageTest, DocumentNamesAreThoseOfTheEarlierBuild) {
  EXPECT_EQ(storage.preferencesURL(), folder / "preferences.json");
  EXPECT_EQ(storage.layoutsURL(), folder / "finder-layouts.json");
  EXPECT_EQ(storage.activityURL(), folder / "activity.json");
}

TEST(StorageFolderTest, FolderPerPlatform) {
  struct Case {
    const char* reason;
    StoragePlatform platform;
    std::optional<std::string_view> xdgDataHome;
    const char* expected;
  };
  const Case cases[] = {
      {"macOS keeps the earlier build's folder", StoragePlatform::macOS, "/data",
       "/home/demo/Library/Application Support/Tidyframe"},
      {"XDG data home when set", StoragePlatform::other, "/data", "/data/Tidyframe"},
      {"the XDG default when unset", StoragePlatform::other, std::nullopt, "/home/demo/.local/share/Tidyframe"},
      {"an empty value counts as unset", StoragePlatform::other, "", "/home/demo/.local/share/Tidyframe"},
      {"a relative value is ignored", StoragePlatform::other, "data", "/home/demo/.local/share/Tidyframe"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Storage::defaultDirectory(c.platform, "/home/demo", c.xdgDataHome), c.expected) << c.reason;
  }
}

TEST_F(StorageTest, SaveWritesTheStoredStyleIntoMissingFolders) {
  const Json value = {{"path", "/Users/demo"}, {"list", Json::array()}};
  const auto location = folder / "a/b/doc.json";
  ASSERT_TRUE(Storage::save(value, location));
  EXPECT_EQ(folder.contents("a/b/doc.json"), writeJson(value).value());
  EXPECT_EQ(Storage::readJson(location), value);
  EXPECT_EQ(folder.names(), (std::set<std::string>{"a"}));
}

TEST_F(StorageTest, SaveReplacesTheDocumentAndLeavesNoTemporaryFile) {
  const auto location = storage.url("doc.json");
  ASSERT_TRUE(Storage::save(Json{{"n", 1}}, location));
  ASSERT_TRUE(Storage::save(Json{{"n", 2}}, location));
  EXPECT_EQ(Storage::readJson(location), (Json{{"n", 2}}));
  EXPECT_EQ(folder.names(), (std::set<std::string>{"doc.json"}));
}

TEST_F(StorageTest, FailedSavesReportAndKeepTheOldDocument) {
  folder.write("blocker", "a file where a folder should be");
  fs::create_directory(folder / "taken.json");
  folder.write("doc.json", "{\"old\":true}");
  struct Case {
    const char* reason;
    Json value;
    fs::path location;
  };
  const Case cases[] = {
      {"the folder cannot be created", Json{{"n", 1}}, folder / "blocker/doc.json"},
      {"a folder is in the way", Json{{"n", 1}}, folder / "taken.json"},
      {"a NaN has no JSON form", Json{{"n", std::nan("")}}, folder / "doc.json"},
  };
  for (const auto& c : cases) {
    const auto result = Storage::save(c.value, c.location);
    ASSERT_FALSE(result) << c.reason;
    EXPECT_FALSE(result.error().empty()) << c.reason;
  }
  EXPECT_EQ(folder.contents("doc.json"), "{\"old\":true}");
  EXPECT_EQ(folder.names(), (std::set<std::string>{"blocker", "doc.json", "taken.json"})) << "no temporary file left";
}

TEST_F(StorageTest, ReadingAnswersNothingForAnythingButAValidDocument) {
  fs::create_directory(folder / "folder.json");
  ASSERT_EQ(::mkfifo((folder / "pipe.json").c_str(), 0600), 0);
  folder.write("huge.json", "");
  fs::resize_file(folder / "huge.json", Storage::maximumDocumentSize + 1);
  folder.write("empty.json", "");
  folder.write("truncated.json", R"({"grouping":"ki)");
  folder.write("utf8.json", "{\"name\":\"\xff\xfe\"}");
  folder.write("deep.json", std::string(1000, '[') + std::string(1000, ']'));
  folder.write("valid.json", "[1]");
  struct Case {
    const char* reason;
    const char* name;
    bool readable;
  };
  const Case cases[] = {
      {"missing", "missing.json", false},
      {"a folder", "folder.json", false},
      {"a pipe nobody writes to must not hang", "pipe.json", false},
      {"larger than any document", "huge.json", false},
      {"empty", "empty.json", false},
      {"truncated", "truncated.json", false},
      {"invalid UTF-8", "utf8.json", false},
      {"1000-deep nesting", "deep.json", false},
      {"valid", "valid.json", true},
  };
  for (const auto& c : cases) EXPECT_EQ(Storage::readJson(folder / c.name).has_value(), c.readable) << c.reason;
}

TEST_F(StorageTest, AFailingSaveInAReadOnlyFolderReports) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(Storage::save(Json{{"n", 1}}, storage.url("doc.json")));
}

// Documents that do not decode, each written as the file of every one of the three documents.
struct BadDocument {
  const char* reason;
  std::string bytes;
};

std::vector<BadDocument> badDocuments() {
  return {
      {"truncated", R"({"originals":{},"confirmed":{)"},
      {"the wrong top-level type", R"("text")"},
      {"null", "null"},
      {"a huge number", R"([{"date":1e400}])"},
      {"1000-deep nesting", std::string(1000, '[') + std::string(1000, ']')},
      {"invalid UTF-8", "{\"appearance\":\"\xc3\x28\"}"},
      {"a byte order mark and garbage", "\xef\xbb\xbf\x01\x02"},
      {"an object with wrong member types", R"({"rules":"none","originals":[],"confirmed":7})"},
      {"an array of nulls", "[null,null]"},
  };
}

template <class T>
void expectBadDocumentsKeptAside(const char* fileName) {
  for (const auto& bad : badDocuments()) {
    TemporaryFolder folder;
    const Storage storage(folder.path());
    folder.write(fileName, bad.bytes);

    const auto loaded = storage.load<T>(fileName, launch);

    EXPECT_FALSE(loaded.value) << fileName << ": " << bad.reason;
    ASSERT_TRUE(loaded.keptAside) << fileName << ": " << bad.reason;
    EXPECT_EQ(folder.contents(loaded.keptAside->filename()), bad.bytes) << bad.reason;
    EXPECT_EQ(folder.contents(fileName), bad.bytes) << "the original stays: " << bad.reason;
  }
}

TEST(StorageLoadTest, UndecodableDocumentsReadAsAbsentAndAreKeptAside) {
  expectBadDocumentsKeptAside<Preferences>("preferences.json");
  expectBadDocumentsKeptAside<FinderLayoutArchive>("finder-layouts.json");
  expectBadDocumentsKeptAside<std::vector<ActivityEntry>>("activity.json");
}

TEST_F(StorageTest, AFiftyMegabyteFileIsHandled) {
  std::string garbage(50u << 20, 'x');
  folder.write("activity.json", garbage);
  const auto garbageLoad = storage.load<std::vector<ActivityEntry>>("activity.json", launch);
  EXPECT_FALSE(garbageLoad.value);
  EXPECT_TRUE(garbageLoad.keptAside);

  const std::string bigText = R"({"appearance":")" + std::string(50u << 20, 'a') + R"("})";
  folder.write("preferences.json", bigText);
  const auto bigLoad = storage.load<Preferences>("preferences.json", launch);
  ASSERT_TRUE(bigLoad.value) << "a large but valid document still reads";
  EXPECT_EQ(bigLoad.value->appearance.size(), 50u << 20);
}

TEST_F(StorageTest, KeptCopiesAreNamedByTheUtcTimeAndNeverReplaced) {
  struct Case {
    const char* reason;
    Date now;
    const char* expected;
  };
  const Case cases[] = {
      {"the launch time in UTC", launch, "preferences.unreadable-20261206-143000.json"},
      {"the same second again gets a number", launch + 0.5, "preferences.unreadable-20261206-143000-2.json"},
      {"and again", launch, "preferences.unreadable-20261206-143000-3.json"},
      {"the reference date", Date{0}, "preferences.unreadable-20010101-000000.json"},
      {"before the reference date", Date{-31622401}, "preferences.unreadable-19991231-235959.json"},
  };
  folder.write("preferences.json", "{");
  for (const auto& c : cases) {
    const auto aside = Storage::keepAside(storage.preferencesURL(), c.now);
    ASSERT_TRUE(aside) << c.reason;
    EXPECT_EQ(aside->filename(), c.expected) << c.reason;
  }
  for (const auto& name : folder.names()) EXPECT_EQ(folder.contents(name), "{") << name;
}

TEST_F(StorageTest, MissingOrDecodableDocumentsAreNotCopied) {
  EXPECT_FALSE(storage.load<Preferences>("preferences.json", launch).value) << "missing";
  folder.write("preferences.json", R"({"updateFrequency":"hourly","future":1,"grouping":"size","grouping":"tags"})");
  const auto loaded = storage.load<Preferences>("preferences.json", launch);
  ASSERT_TRUE(loaded.value) << "tolerated: unknown frequency, unknown key, duplicate key";
  EXPECT_EQ(loaded.value->grouping, Grouping::tags);
  EXPECT_FALSE(loaded.keptAside);
  EXPECT_EQ(folder.names(), (std::set<std::string>{"preferences.json"}));
}

TEST_F(StorageTest, AKeptCopySurvivesTheNextSave) {
  folder.write("finder-layouts.json", R"({"originals":{}})");
  const auto loaded = storage.load<FinderLayoutArchive>("finder-layouts.json", launch);
  ASSERT_TRUE(loaded.keptAside);
  ASSERT_TRUE(Storage::save(FinderLayoutArchive{}, storage.layoutsURL()));
  EXPECT_EQ(folder.contents(loaded.keptAside->filename()), R"({"originals":{}})");
  EXPECT_EQ(Storage::read<FinderLayoutArchive>(storage.layoutsURL()), FinderLayoutArchive{});
}

}  // namespace
}  // namespace tidyframe
