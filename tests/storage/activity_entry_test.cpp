#include <gtest/gtest.h>

#include "storage/activity_entry.h"

namespace tidyframe {
namespace {

using Entries = std::vector<ActivityEntry>;

std::optional<Entries> decode(std::string_view text) { return decodeJson<Entries>(text); }

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

TEST(ActivityEntryTest, ReadsAndWritesTheEarlierBuildsFormByteForByte) {
  const Entries expected = {
      {"3F2504E0-4F89-41D3-9A0C-0305E82C3301", Date{786543210.1234567}, "已应用种类分组", "按种类 · 名称",
       "/Users/demo/Photos", true, "None", "Name", "4711"},
      {"9C858901-8A57-4791-81FE-4C455B099BC9", Date{786543000}, "查询失败", "Finder 没有响应", std::nullopt, false,
       std::nullopt, std::nullopt, std::nullopt},
  };
  EXPECT_EQ(decode(earlierBuildLog), expected) << "order, every field, the date to the double";
  EXPECT_EQ(writeJson(toJson(expected)).value(), earlierBuildLog) << "absent optionals are left out";
  EXPECT_EQ(decode(writeJson(toJson(Entries{})).value()), Entries{}) << "an empty log";
  auto viewChanged = expected;
  viewChanged[0].previousView = "icon view";
  const auto written = writeJson(toJson(viewChanged)).value();
  EXPECT_TRUE(written.contains(R"("previousView" : "icon view")")) << written;
  EXPECT_EQ(decode(written), viewChanged);
}

TEST(ActivityEntryTest, OneMalformedEntryEmptiesTheWholeList) {
  const Json good = parseJson(earlierBuildLog).value()[0];
  // A list of the good entry and a copy with `key` set to `value`, or removed when there is none.
  auto with = [&](const char* key, std::optional<Json> value = std::nullopt) {
    Json bad = good;
    if (value) bad[key] = *value;
    else bad.erase(key);
    return Json::array({good, bad}).dump();
  };
  struct Case {
    const char* reason;
    std::string document;
  };
  const Case cases[] = {
      {"no id", with("id")},
      {"an id that is no UUID", with("id", "entry-1")},
      {"no date", with("date")},
      {"a date as text", with("date", "2026-12-06")},
      {"a null title", with("title", nullptr)},
      {"success as a number", with("success", 1)},
      {"a path that is a number", with("path", 3.7)},
      {"a replaced view that is a number", with("previousView", 2)},
      {"an entry that is no object", Json::array({good, "entry"}).dump()},
      {"a list that is an object", good.dump()},
  };
  ASSERT_TRUE(decode(Json::array({good, good}).dump())) << "the good entry reads";
  for (const auto& c : cases) EXPECT_FALSE(decode(c.document)) << c.reason;
}

}  // namespace
}  // namespace tidyframe
