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

// Menus list the cases in this order, and the raw values are what the settings file holds.
TEST(EnumerationsTest, CasesInDisplayOrder) {
  EXPECT_EQ(rawValues<Grouping>(), (Raw{"kind", "name", "modified", "created", "added", "opened", "size", "tags", "none"}));
  EXPECT_EQ(rawValues<Sorting>(), (Raw{"name", "kind", "modified", "created", "added", "opened", "size", "tags"}));
  EXPECT_EQ(rawValues<AppLanguage>(), (Raw{"system", "en", "zh-Hans", "zh-Hant", "ja", "ko", "de", "fr", "es", "pt-BR",
                                            "it", "ru", "ar", "hi"}));
  for (auto sorting : allCases<Sorting>()) EXPECT_EQ(rawValue(grouping(sorting)), rawValue(sorting));
}

TEST(EnumerationsTest, ConstructionFromRawValuesIsExact) {
  EXPECT_FALSE(fromRaw<Sorting>(" name")) << "no surrounding space";
  EXPECT_FALSE(fromRaw<RuleScope>("")) << "empty text";
  EXPECT_EQ(fromRaw<AppLanguage>("pt-BR"), AppLanguage::ptBR);
}

TEST(FinderViewSupportTest, GalleryViewsCannotGroup) {
  struct Case {
    const char* view;
    bool groups;
  };
  const Case cases[] = {{"gallery view", false}, {"flow view", false},    {"group view", false},
                        {"list view", true},     {"Gallery View", true}, {"", true}};
  for (const auto& c : cases) {
    const auto expected = c.groups ? Grouping::kind : Grouping::none;
    EXPECT_EQ(FinderViewSupport::grouping(Grouping::kind, c.view), expected) << c.view;
    EXPECT_EQ(FinderViewSupport::supportsGrouping(c.view), c.groups) << c.view;
  }
}

TEST(PreferencesTest, AFreshRecordLeavesFinderAloneAndNewRulesAreDistinct) {
  EXPECT_FALSE(Preferences{}.engineEnabled) << "nothing is rearranged before the user turns it on";
  const LocationRule a;
  LocationRule b = a;
  EXPECT_EQ(a, b);
  b.bookmark = Bytes{1};
  EXPECT_NE(a, b) << "equality covers the bookmark";
  EXPECT_NE(LocationRule{}.id, LocationRule{}.id);
}

}  // namespace
}  // namespace tidyframe
