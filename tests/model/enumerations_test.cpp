#include <gtest/gtest.h>

#include "i18n/app_language.h"
#include "model/finder_view_support.h"
#include "model/grouping.h"
#include "model/preferences.h"
#include "model/rule_scope.h"

namespace tidyframe {
namespace {

template <class E>
std::vector<std::string_view> rawValues() {
  std::vector<std::string_view> values;
  for (auto value : allCases<E>()) values.push_back(rawValue(value));
  return values;
}

using Raw = std::vector<std::string_view>;

TEST(EnumerationsTest, CasesInDisplayOrder) {
  EXPECT_EQ(rawValues<Grouping>(), (Raw{"kind", "name", "modified", "created", "added", "opened", "size", "tags", "none"}));
  EXPECT_EQ(rawValues<Sorting>(), (Raw{"name", "kind", "modified", "created", "added", "opened", "size", "tags"}));
  EXPECT_EQ(rawValues<RuleScope>(), (Raw{"folder", "device"}));
  EXPECT_EQ(rawValues<SoftwareUpdateFrequency>(), (Raw{"daily", "weekly", "manual"}));
  EXPECT_EQ(rawValues<AppLanguage>(), (Raw{"system", "en", "zh-Hans", "zh-Hant", "ja", "ko", "de", "fr", "es", "pt-BR",
                                            "it", "ru", "ar", "hi"}));
}

TEST(EnumerationsTest, ConstructionFromRawValuesIsExact) {
  struct Case {
    const char* reason;
    bool constructed;
    bool expected;
  };
  const Case cases[] = {
      {"none is a grouping", fromRaw<Grouping>("none").has_value(), true},
      {"none is not a sorting", fromRaw<Sorting>("none").has_value(), false},
      {"raw values are case-sensitive", fromRaw<Grouping>("Kind").has_value(), false},
      {"no surrounding space", fromRaw<Sorting>(" name").has_value(), false},
      {"empty text", fromRaw<RuleScope>("").has_value(), false},
      {"language codes keep their case", fromRaw<AppLanguage>("zh-hans").has_value(), false},
      {"pt-BR is a language", fromRaw<AppLanguage>("pt-BR").has_value(), true},
  };
  for (const auto& c : cases) EXPECT_EQ(c.constructed, c.expected) << c.reason;
}

TEST(EnumerationsTest, EverySortingHasTheGroupingOfTheSameRawValue) {
  for (auto sorting : allCases<Sorting>()) EXPECT_EQ(rawValue(grouping(sorting)), rawValue(sorting));
}

TEST(FinderViewSupportTest, GalleryViewsCannotGroup) {
  struct Case {
    const char* view;
    Grouping expected;
  };
  const Case cases[] = {{"gallery view", Grouping::none}, {"flow view", Grouping::none}, {"group view", Grouping::none},
                        {"list view", Grouping::kind},    {"icon view", Grouping::kind}, {"column view", Grouping::kind},
                        {"Gallery View", Grouping::kind}, {"", Grouping::kind}};
  for (const auto& c : cases) {
    EXPECT_EQ(FinderViewSupport::grouping(Grouping::kind, c.view), c.expected) << c.view;
    EXPECT_EQ(FinderViewSupport::supportsGrouping(c.view), c.expected == Grouping::kind) << c.view;
  }
}

TEST(PreferencesTest, FreshRecordHasTheEngineOffAndNoRules) {
  const Preferences fresh;
  EXPECT_EQ(fresh.grouping, Grouping::kind);
  EXPECT_EQ(fresh.sorting, Sorting::name);
  EXPECT_TRUE(fresh.internalEnabled);
  EXPECT_TRUE(fresh.externalEnabled);
  EXPECT_FALSE(fresh.hideOnNavigation);
  EXPECT_EQ(fresh.appearance, "system");
  EXPECT_EQ(fresh.language, "system");
  EXPECT_EQ(fresh.updateFrequency, SoftwareUpdateFrequency::weekly);
  EXPECT_FALSE(fresh.engineEnabled);
  EXPECT_TRUE(fresh.rules.empty());
}

TEST(PreferencesTest, NewRulesGetDistinctIdsAndEqualityCoversEveryField) {
  const LocationRule a;
  LocationRule b = a;
  EXPECT_EQ(a, b);
  b.bookmark = Bytes{1};
  EXPECT_NE(a, b);
  EXPECT_NE(LocationRule{}.id, LocationRule{}.id);
  EXPECT_TRUE(a.enabled);
}

}  // namespace
}  // namespace tidyframe
