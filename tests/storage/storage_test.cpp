#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>

#include "base/temporary_folder.h"
#include "model/settings_document.h"
#include "storage/finder_layout_archive.h"
#include "storage/storage.h"

namespace tidyframe {
namespace {

namespace fs = std::filesystem;
using Names = std::set<std::string>;

// 6 December 2026, 14:30:00 UTC.
constexpr Date launch{818260200};

class StorageTest : public ::testing::Test {
 protected:
  TemporaryFolder folder;
  Storage storage{folder.path()};
};

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
      {"a relative value is ignored", StoragePlatform::other, "data", "/home/demo/.local/share/Tidyframe"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Storage::defaultDirectory(c.platform, "/home/demo", c.xdgDataHome), c.expected) << c.reason;
  }
}

TEST_F(StorageTest, SavesReplaceTheDocumentOrReportAndKeepIt) {
  ASSERT_TRUE(Storage::save(Json{{"path", "/Users/demo"}}, folder / "a/b/doc.json")) << "folders are made";
  ASSERT_TRUE(Storage::save(Json{{"n", 2}}, folder / "a/b/doc.json"));
  EXPECT_EQ(folder.contents("a/b/doc.json"), "{\n  \"n\" : 2\n}");
  EXPECT_EQ(TemporaryFolder::namesIn(folder / "a/b"), Names{"doc.json"});

  folder.write("blocker", "");
  fs::create_directory(folder / "taken.json");
  folder.write("doc.json", "{\"old\":true}");
  struct Case {
    const char* reason;
    Json value;
    const char* name;
  };
  const Case cases[] = {
      {"the folder cannot be created", Json{{"n", 1}}, "blocker/doc.json"},
      {"a folder is in the way", Json{{"n", 1}}, "taken.json"},
      {"a NaN has no JSON form", Json{{"n", std::nan("")}}, "doc.json"},
  };
  for (const auto& c : cases) {
    const auto result = Storage::save(c.value, folder / c.name);
    EXPECT_FALSE(result.has_value() || result.error().empty()) << c.reason;
  }
  EXPECT_EQ(folder.contents("doc.json"), "{\"old\":true}");
  EXPECT_EQ(folder.names(), (Names{"a", "blocker", "doc.json", "taken.json"})) << "no temporary file left";
}

TEST_F(StorageTest, ReadingAnswersNothingForAnythingButAValidDocument) {
  fs::create_directory(folder / "folder.json");
  ASSERT_EQ(::mkfifo((folder / "pipe.json").c_str(), 0600), 0);
  folder.write("huge.json", "");
  fs::resize_file(folder / "huge.json", Storage::maximumDocumentSize + 1);
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
      {"valid", "valid.json", true},
  };
  for (const auto& c : cases) EXPECT_EQ(Storage::readJson(folder / c.name).has_value(), c.readable) << c.reason;
}

// Every document type loads through the same path; the archive stands for all three.
TEST(StorageLoadTest, UndecodableDocumentsReadAsAbsentAndAreKeptAside) {
  struct Case {
    const char* reason;
    std::string bytes;
  };
  const Case cases[] = {
      {"truncated", R"({"originals":{},"confirmed":{)"},
      {"null", "null"},
      {"1000-deep nesting", std::string(1000, '[') + std::string(1000, ']')},
      {"invalid UTF-8", "{\"originals\":{},\"confirmed\":{\"\xc3\x28\":\"k\"}}"},
      {"50 MB that are no JSON", std::string(50u << 20, 'x')},
  };
  for (const auto& c : cases) {
    TemporaryFolder folder;
    folder.write("finder-layouts.json", c.bytes);
    const auto loaded = Storage(folder.path()).load<FinderLayoutArchive>("finder-layouts.json", launch);
    const auto kept = loaded.keptAside.transform([&](const auto& copy) { return folder.contents(copy.filename()); });
    EXPECT_TRUE(!loaded.value && kept == c.bytes) << "absent and kept aside: " << c.reason;
    EXPECT_TRUE(folder.contents("finder-layouts.json") == c.bytes) << "the original stays: " << c.reason;
  }
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
      {"before the reference date", Date{-31622401}, "preferences.unreadable-19991231-235959.json"},
  };
  folder.write("preferences.json", "{");
  for (const auto& c : cases) {
    const auto kept = storage.load<Preferences>("preferences.json", c.now).keptAside;
    EXPECT_EQ(kept.value_or("none").filename(), c.expected) << c.reason;
  }
  ASSERT_TRUE(Storage::save(Preferences{}, folder / "preferences.json"));
  for (const auto& c : cases) EXPECT_EQ(folder.contents(c.expected), "{") << "the next save keeps " << c.expected;
}

TEST_F(StorageTest, MissingLargeOrTolerableDocumentsAreNotCopied) {
  EXPECT_FALSE(storage.load<Preferences>("preferences.json", launch).value) << "missing";
  folder.write("preferences.json", R"({"updateFrequency":"hourly","future":1,"grouping":"size","grouping":"tags",)"
                                   R"("appearance":")" + std::string(50u << 20, 'a') + "\"}");
  const auto loaded = storage.load<Preferences>("preferences.json", launch);
  ASSERT_TRUE(loaded.value) << "a large document with an unknown frequency, unknown and duplicate keys reads";
  EXPECT_EQ(loaded.value->grouping, Grouping::tags);
  EXPECT_EQ(folder.names(), Names{"preferences.json"});
}

}  // namespace
}  // namespace tidyframe
