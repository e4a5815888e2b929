#include <gtest/gtest.h>

#include "model/settings_document.h"

namespace tidyframe {
namespace {

std::optional<Preferences> read(std::string_view text) {
  const auto document = parseJson(text);
  if (!document) return std::nullopt;
  return fromJson(*document, std::type_identity<Preferences>{});
}

std::string written(const Preferences& preferences) { return writeJson(toJson(preferences)).value(); }

// The document as the earlier macOS build wrote it: keys sorted, "/" escaped, the bookmark in
// Base64, the absent volume UUID and bookmark of the second rule left out.
constexpr std::string_view earlierBuildDocument = R"({
  "appearance" : "dark",
  "engineEnabled" : true,
  "externalEnabled" : false,
  "grouping" : "modified",
  "hideOnNavigation" : true,
  "internalEnabled" : true,
  "language" : "zh-Hans",
  "rules" : [
    {
      "bookmark" : "Ym9vaw==",
      "enabled" : true,
      "excluded" : false,
      "grouping" : "created",
      "id" : "0E9D5C52-3F4B-4C8A-9D7E-1A2B3C4D5E6F",
      "includeChildren" : true,
      "name" : "SD 卡",
      "path" : "\/Volumes\/SD",
      "scope" : "device",
      "sorting" : "added",
      "volumeID" : "7A3F0C2E-1111-4222-8333-944455556666"
    },
    {
      "enabled" : false,
      "excluded" : true,
      "grouping" : "none",
      "id" : "5B1C7E0A-9F8D-4E2B-A1C3-D5E7F9A1B3C5",
      "includeChildren" : false,
      "name" : "Downloads",
      "path" : "\/Users\/demo\/Downloads",
      "scope" : "folder",
      "sorting" : "modified"
    }
  ],
  "sorting" : "size",
  "updateFrequency" : "daily"
})";

Preferences earlierBuildPreferences() {
  Preferences preferences;
  preferences.appearance = "dark";
  preferences.engineEnabled = true;
  preferences.externalEnabled = false;
  preferences.grouping = Grouping::modified;
  preferences.hideOnNavigation = true;
  preferences.language = "zh-Hans";
  preferences.sorting = Sorting::size;
  preferences.updateFrequency = SoftwareUpdateFrequency::daily;
  preferences.rules = {
      LocationRule{.id = "0E9D5C52-3F4B-4C8A-9D7E-1A2B3C4D5E6F", .name = "SD 卡", .path = "/Volumes/SD",
                   .volumeID = "7A3F0C2E-1111-4222-8333-944455556666", .scope = RuleScope::device,
                   .includeChildren = true, .enabled = true, .excluded = false, .grouping = Grouping::created,
                   .sorting = Sorting::added, .bookmark = Bytes{'b', 'o', 'o', 'k'}},
      LocationRule{.id = "5B1C7E0A-9F8D-4E2B-A1C3-D5E7F9A1B3C5", .name = "Downloads",
                   .path = "/Users/demo/Downloads", .volumeID = std::nullopt, .scope = RuleScope::folder,
                   .includeChildren = false, .enabled = false, .excluded = true, .grouping = Grouping::none,
                   .sorting = Sorting::modified, .bookmark = std::nullopt},
  };
  return preferences;
}

TEST(SettingsDocumentTest, ReadsAndWritesTheEarlierBuildsFormByteForByte) {
  const auto preferences = read(earlierBuildDocument);
  ASSERT_TRUE(preferences);
  EXPECT_EQ(*preferences, earlierBuildPreferences());
  EXPECT_EQ(written(*preferences), earlierBuildDocument);
  EXPECT_EQ(written(read(written(*preferences)).value()), earlierBuildDocument) << "a second write is stable";
}

TEST(SettingsDocumentTest, FreshSettingsListEveryKey) {
  const std::string expected = R"({
  "appearance" : "system",
  "engineEnabled" : false,
  "externalEnabled" : true,
  "grouping" : "kind",
  "hideOnNavigation" : false,
  "internalEnabled" : true,
  "language" : "system",
  "rules" : [

  ],
  "sorting" : "name",
  "updateFrequency" : "weekly"
})";
  EXPECT_EQ(written(Preferences{}), expected);
}

TEST(SettingsDocumentTest, TolerantReadingOfOlderDocuments) {
  Preferences older;
  older.grouping = Grouping::modified;
  older.sorting = Sorting::size;
  older.externalEnabled = false;
  older.appearance = "dark";
  Preferences daily;
  daily.updateFrequency = SoftwareUpdateFrequency::daily;
  Preferences noInternal;
  noInternal.internalEnabled = false;

  struct Case {
    const char* reason;
    std::string_view document;
    Preferences expected;
  };
  const Case cases[] = {
      {"an empty object is a fresh record", "{}", Preferences{}},
      {"written before languages and update checks",
       R"({"grouping":"modified","sorting":"size","externalEnabled":false,"appearance":"dark","rules":[]})", older},
      {"an unknown frequency reads weekly and keeps the rest",
       R"({"grouping":"modified","sorting":"size","externalEnabled":false,"appearance":"dark","updateFrequency":"future"})",
       older},
      {"only an unknown frequency", R"({"updateFrequency":"future"})", Preferences{}},
      {"a frequency of the wrong type reads weekly", R"({"updateFrequency":7})", Preferences{}},
      {"a known frequency is kept", R"({"updateFrequency":"daily"})", daily},
      {"frequency raw values are case-sensitive", R"({"updateFrequency":"Daily"})", Preferences{}},
      {"a null member counts as missing", R"({"internalEnabled":null,"rules":null})", Preferences{}},
      {"unknown keys are ignored", R"({"internalEnabled":false,"futureSetting":{"a":[1,2]}})", noInternal},
      {"of duplicate keys the last counts", R"({"internalEnabled":true,"internalEnabled":false})", noInternal},
  };
  for (const auto& c : cases) {
    const auto preferences = read(c.document);
    ASSERT_TRUE(preferences) << c.reason;
    EXPECT_EQ(*preferences, c.expected) << c.reason;
  }
}

constexpr std::string_view validRule =
    R"({"id":"0E9D5C52-3F4B-4C8A-9D7E-1A2B3C4D5E6F","name":"n","path":"/p","scope":"folder",)"
    R"("includeChildren":true,"enabled":true,"excluded":false,"grouping":"kind","sorting":"name"})";

// The same rule with one member replaced (or removed when `value` is empty).
std::string ruleDocument(const std::string& key, const std::string& value) {
  Json rule = parseJson(validRule).value();
  if (value.empty()) {
    rule.erase(key);
  } else {
    rule[key] = parseJson(value).value();
  }
  return R"({"rules":[)" + rule.dump() + "]}";
}

TEST(SettingsDocumentTest, StrictMembersFailTheWholeDocument) {
  struct Case {
    const char* reason;
    std::string document;
  };
  const Case cases[] = {
      {"a number is not a boolean", R"({"internalEnabled":1})"},
      {"a text is not a boolean", R"({"engineEnabled":"true"})"},
      {"grouping raw values are case-sensitive", R"({"grouping":"Kind"})"},
      {"none groups but does not sort", R"({"sorting":"none"})"},
      {"appearance must be a text", R"({"appearance":3})"},
      {"rules must be an array", R"({"rules":{}})"},
      {"a rule must be an object", R"({"rules":[null]})"},
      {"the document must be an object", "[]"},
      {"a bare text is no document", R"("preferences")"},
      {"a rule without enabled", ruleDocument("enabled", "")},
      {"a rule without an id", ruleDocument("id", "")},
      {"a rule with a null name", ruleDocument("name", "null")},
      {"an unknown scope", ruleDocument("scope", R"("volume")")},
      {"an unknown rule sorting", ruleDocument("sorting", R"("none")")},
      {"an id that is no UUID", ruleDocument("id", R"("rule-1")")},
      {"a bookmark that is not Base64", ruleDocument("bookmark", R"("not base64!")")},
      {"a volume UUID that is a number", ruleDocument("volumeID", "42")},
      {"includeChildren as a number", ruleDocument("includeChildren", "0")},
  };
  ASSERT_TRUE(read(ruleDocument("name", R"("ok")"))) << "the base rule itself reads";
  for (const auto& c : cases) EXPECT_FALSE(read(c.document)) << c.reason;
}

TEST(SettingsDocumentTest, RoundTripKeepsEveryField) {
  Preferences preferences = earlierBuildPreferences();
  LocationRule odd;
  odd.name = "引号 \"x\" / \\ tab\t";
  odd.path = "/Users/demo/Folder \"中文\"";
  odd.bookmark = Bytes{0, 255, 10, 13};
  preferences.rules.push_back(odd);
  preferences.appearance = "unchecked appearance";
  const auto back = read(written(preferences));
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, preferences);
}

TEST(SettingsDocumentTest, LowerCaseRuleIdsReadAsCanonicalUpperCase) {
  const auto preferences = read(ruleDocument("id", R"("0e9d5c52-3f4b-4c8a-9d7e-1a2b3c4d5e6f")"));
  ASSERT_TRUE(preferences);
  EXPECT_EQ(preferences->rules.at(0).id, "0E9D5C52-3F4B-4C8A-9D7E-1A2B3C4D5E6F");
}

}  // namespace
}  // namespace tidyframe
