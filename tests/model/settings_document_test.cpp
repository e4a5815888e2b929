#include <gtest/gtest.h>

#include "model/settings_document.h"

namespace tidyframe {
namespace {

std::optional<Preferences> read(std::string_view text) { return decodeJson<Preferences>(text); }

std::string written(const Preferences& preferences) { return writeJson(toJson(preferences)).value(); }

// As the earlier macOS build wrote it: keys sorted, "/" escaped, the bookmark in Base64, the
// absent volume UUID and bookmark of the second rule left out.
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

TEST(SettingsDocumentTest, ReadsAndWritesTheEarlierBuildsFormByteForByte) {
  const Preferences expected{
      .grouping = Grouping::modified, .sorting = Sorting::size, .internalEnabled = true, .externalEnabled = false,
      .hideOnNavigation = true, .appearance = "dark", .language = "zh-Hans",
      .updateFrequency = SoftwareUpdateFrequency::daily, .engineEnabled = true,
      .rules = {{"0E9D5C52-3F4B-4C8A-9D7E-1A2B3C4D5E6F", "SD 卡", "/Volumes/SD", "7A3F0C2E-1111-4222-8333-944455556666",
                 RuleScope::device, true, true, false, Grouping::created, Sorting::added, Bytes{'b', 'o', 'o', 'k'}},
                {"5B1C7E0A-9F8D-4E2B-A1C3-D5E7F9A1B3C5", "Downloads", "/Users/demo/Downloads", std::nullopt,
                 RuleScope::folder, false, false, true, Grouping::none, Sorting::modified, std::nullopt}}};
  EXPECT_EQ(read(earlierBuildDocument), expected);
  // Reading gives `expected` and writing it gives the text back, so every later round trip is stable too.
  EXPECT_EQ(written(expected), earlierBuildDocument) << "every key written, optionals left out";
}

// A document of one rule with one member replaced by `value`, or removed when it is empty.
std::string ruleDocument(const std::string& key, const std::string& value) {
  Json rule = {{"id", "0E9D5C52-3F4B-4C8A-9D7E-1A2B3C4D5E6F"}, {"name", "n"}, {"path", "/p"}, {"scope", "folder"},
               {"includeChildren", true}, {"enabled", true}, {"excluded", false}, {"grouping", "kind"},
               {"sorting", "name"}};
  if (value.empty()) {
    rule.erase(key);
  } else {
    rule[key] = parseJson(value).value();
  }
  return Json{{"rules", {rule}}}.dump();
}

// Older documents read with defaults for what they lack; a member of the wrong kind fails the whole document.
TEST(SettingsDocumentTest, ReadingOlderAndBrokenDocuments) {
  const Preferences older{.grouping = Grouping::modified, .sorting = Sorting::size, .externalEnabled = false,
                          .appearance = "dark", .rules = {}};
  const Preferences noInternal{.internalEnabled = false, .rules = {}};
  struct Case {
    const char* reason;
    std::string document;
    std::optional<Preferences> expected;
  };
  const Case cases[] = {
      {"an empty object is a fresh record", "{}", Preferences{}},
      {"written before languages and update checks",
       R"({"grouping":"modified","sorting":"size","externalEnabled":false,"appearance":"dark","rules":[]})", older},
      {"an unknown frequency reads weekly and keeps the rest",
       R"({"grouping":"modified","sorting":"size","externalEnabled":false,"appearance":"dark",)"
       R"("updateFrequency":"future"})",
       older},
      {"a frequency of the wrong type reads weekly", R"({"updateFrequency":7})", Preferences{}},
      {"a null member counts as missing", R"({"internalEnabled":null,"rules":null})", Preferences{}},
      {"unknown keys are ignored", R"({"internalEnabled":false,"futureSetting":{"a":[1,2]}})", noInternal},
      {"a view of a later build reads as the Finder's own", R"({"internalEnabled":false,"view":"hologram"})",
       noInternal},
      {"a view of the wrong type too", R"({"internalEnabled":false,"view":["list"]})", noInternal},
      {"of duplicate keys the last counts", R"({"internalEnabled":true,"internalEnabled":false})", noInternal},
      {"a number is not a boolean", R"({"internalEnabled":1})", std::nullopt},
      {"grouping raw values are case-sensitive", R"({"grouping":"Kind"})", std::nullopt},
      {"none groups but does not sort", R"({"sorting":"none"})", std::nullopt},
      {"rules must be an array", R"({"rules":{}})", std::nullopt},
      {"the document must be an object", "[]", std::nullopt},
      {"a rule without enabled", ruleDocument("enabled", ""), std::nullopt},
      {"a rule with a null name", ruleDocument("name", "null"), std::nullopt},
      {"an unknown scope", ruleDocument("scope", R"("volume")"), std::nullopt},
      {"an id that is no UUID", ruleDocument("id", R"("rule-1")"), std::nullopt},
      {"a bookmark that is not Base64", ruleDocument("bookmark", R"("not base64!")"), std::nullopt},
      {"a volume UUID that is a number", ruleDocument("volumeID", "42"), std::nullopt},
  };
  ASSERT_TRUE(read(ruleDocument("id", R"("0e9d5c52-3f4b-4c8a-9d7e-1a2b3c4d5e6f")"))) << "the base rule reads";
  for (const auto& c : cases) EXPECT_EQ(read(c.document), c.expected) << c.reason;
}

// Views are written only where chosen, so settings without them keep the earlier build's form
// (above); a rule's view of a later build reads as no view of its own.
TEST(SettingsDocumentTest, ViewsWhereChosen) {
  Preferences chosen{.rules = {{.name = "n", .path = "/p", .volumeID = {}, .bookmark = {}, .view = FinderViewChoice::gallery},
                               {.name = "m", .path = "/q", .volumeID = {}, .bookmark = {}}},
                     .view = FinderViewChoice::list};
  const auto text = written(chosen);
  EXPECT_TRUE(text.contains(R"("view" : "gallery")") && text.contains(R"("view" : "list")")) << text;
  EXPECT_EQ(read(text), chosen);
  const auto later = parseJson(ruleDocument("view", R"("hologram")")).value();
  const auto rule = read(later.dump()).value().rules.at(0);
  EXPECT_EQ(rule.view, std::nullopt);
  EXPECT_EQ(rule.name, "n") << "the rest of the rule reads";
}

// A first launch: defaults the user sees before changing anything, with the engine off.
TEST(SettingsDocumentTest, FreshSettingsAsStored) {
  EXPECT_EQ(written(Preferences{}),
            "{\n"
            "  \"appearance\" : \"system\",\n"
            "  \"engineEnabled\" : false,\n"
            "  \"externalEnabled\" : true,\n"
            "  \"grouping\" : \"kind\",\n"
            "  \"hideOnNavigation\" : false,\n"
            "  \"internalEnabled\" : true,\n"
            "  \"language\" : \"system\",\n"
            "  \"rules\" : [\n\n  ],\n"
            "  \"sorting\" : \"name\",\n"
            "  \"updateFrequency\" : \"weekly\"\n"
            "}");
}

}  // namespace
}  // namespace tidyframe
