#include <gtest/gtest.h>

#include "storage/activity_entry.h"

namespace tidyframe {
namespace {

using Entries = std::vector<ActivityEntry>;

std::optional<Entries> decode(std::string_view text) {
  const auto json = parseJson(text);
  if (!json) return std::nullopt;
  return fromJson(*json, std::type_identity<Entries>{});
}

std::string written(const Entries& entries) { return writeJson(toJson(entries)).value(); }

// As the earlier macOS build wrote it: newest first, a date with a fraction, the optional keys
// of the failure entry left out.
constexpr std::string_view earlierBuildLog = R"([
  {
    "date" : 786543210.1234567,
    "detail" : "按种类 · 名称",
    "id" : "3F2504E0-4F89-41D3-9A0C-0305E82C3301",
    "path" : "\/Users\/demo\/Photos",
    "previousGroup" : "None",
    "previousSort" : "Name",
    "success" : true,
    "title" : "已应用种类分组",
    "windowID" : "4711"
  },
  {
    "date" : 786543000,
    "detail" : "Finder 没有响应",
    "id" : "9C858901-8A57-4791-81FE-4C455B099BC9",
    "success" : false,
    "title" : "查询失败"
  }
])";

Entries earlierBuildEntries() {
  return {
      ActivityEntry{.id = "3F2504E0-4F89-41D3-9A0C-0305E82C3301", .date = Date{786543210.1234567},
                    .title = "已应用种类分组", .detail = "按种类 · 名称", .path = "/Users/demo/Photos", .success = true,
                    .previousGroup = "None", .previousSort = "Name", .windowID = "4711"},
      ActivityEntry{.id = "9C858901-8A57-4791-81FE-4C455B099BC9", .date = Date{786543000}, .title = "查询失败",
                    .detail = "Finder 没有响应", .path = std::nullopt, .success = false,
                    .previousGroup = std::nullopt, .previousSort = std::nullopt, .windowID = std::nullopt},
  };
}

TEST(ActivityEntryTest, ReadsAndWritesTheEarlierBuildsFormByteForByte) {
  const auto entries = decode(earlierBuildLog);
  ASSERT_TRUE(entries);
  EXPECT_EQ(*entries, earlierBuildEntries()) << "order, every field, the date to the double";
  EXPECT_EQ(written(*entries), earlierBuildLog);
}

TEST(ActivityEntryTest, AbsentOptionalsAreLeftOutAndReadBackEqual) {
  ActivityEntry entry;
  entry.date = Date{1.5};
  entry.title = "t";
  entry.detail = "d";
  const auto json = toJson(entry);
  for (const char* key : {"path", "previousGroup", "previousSort", "windowID"}) EXPECT_FALSE(json.contains(key)) << key;
  EXPECT_EQ(decode(written({entry})), Entries{entry});
}

TEST(ActivityEntryTest, AnEmptyLogIsAnEmptyArray) { EXPECT_EQ(decode(written({})), Entries{}); }

TEST(ActivityEntryTest, OneMalformedEntryEmptiesTheWholeList) {
  const Json good = toJson(earlierBuildEntries()[0]);
  auto with = [&](const char* key, Json value) {
    Json bad = good;
    if (value.is_discarded()) {
      bad.erase(key);
    } else {
      bad[key] = std::move(value);
    }
    return Json::array({good, bad}).dump();
  };
  const Json removed(Json::value_t::discarded);
  struct Case {
    const char* reason;
    std::string document;
  };
  const Case cases[] = {
      {"no id", with("id", removed)},
      {"an id that is no UUID", with("id", "entry-1")},
      {"no date", with("date", removed)},
      {"a date as text", with("date", "2026-12-06")},
      {"a date beyond any double", R"([{"id":"3F2504E0-4F89-41D3-9A0C-0305E82C3301","date":1e400,"title":"t",)"
                                   R"("detail":"d","success":true}])"},
      {"a null title", with("title", nullptr)},
      {"no detail", with("detail", removed)},
      {"success as a number", with("success", 1)},
      {"a path that is a number", with("path", 3.7)},
      {"a window id that is a number", with("windowID", 4711)},
      {"an entry that is no object", Json::array({good, "entry"}).dump()},
      {"a list that is an object", good.dump()},
  };
  ASSERT_TRUE(decode(Json::array({good, good}).dump())) << "the good entry reads";
  for (const auto& c : cases) {
    const auto entries = decode(c.document);
    EXPECT_FALSE(entries) << c.reason;
  }
}

}  // namespace
}  // namespace tidyframe
