#include <gtest/gtest.h>

#include <map>

#include "finder/finder_menu_names.h"
#include "finder/finder_scripts.h"
#include "finder/fixture_text.h"

namespace tidyframe {
namespace {

using test_support::choiceLiterals;

TEST(FinderMenuNamesTest, EveryListHoldsTheFinderTitlesInStoredOrderAndNoTitleTwice) {
  const auto literals = choiceLiterals();
  const std::pair<const char*, std::span<const std::string_view>> menus[] = {
      {"view", FinderMenuNames::view()},
      {"useGroups", FinderMenuNames::useGroups()},
      {"group", FinderMenuNames::group()},
      {"sort", FinderMenuNames::sort()},
  };
  for (const auto& [name, titles] : menus) EXPECT_EQ(FinderScripts::list(titles), literals.at(name)) << name;
  // A title read back from the Finder must name a single choice.
  std::map<std::string_view, Grouping> owner;
  for (auto grouping : allCases<Grouping>()) {
    EXPECT_EQ(FinderScripts::list(menuNames(grouping)), literals.at(std::string(rawValue(grouping))))
        << rawValue(grouping);
    for (auto title : menuNames(grouping)) {
      const auto [at, inserted] = owner.emplace(title, grouping);
      EXPECT_TRUE(inserted) << title << " is in " << rawValue(at->second) << " and " << rawValue(grouping);
    }
  }
  for (auto sorting : allCases<Sorting>()) {
    EXPECT_TRUE(std::ranges::equal(menuNames(sorting), menuNames(grouping(sorting)))) << "sort by " << rawValue(sorting);
  }
}

TEST(FinderMenuNamesTest, TitlesReadBackWidenToTheirWholeChoice) {
  using Titles = std::vector<std::string>;
  const auto whole = [](Grouping grouping) {
    const auto names = menuNames(grouping);
    return Titles(names.begin(), names.end());
  };
  struct Case {
    std::string title;
    Titles expected;
    const char* reason;
  };
  const Case cases[] = {
      {"Date d’ajout", whole(Grouping::added), "a French Finder with a typographic apostrophe"},
      {"Date d'ajout", whole(Grouping::added), "a French Finder with a straight apostrophe"},
      {"по\u00A0имени", whole(Grouping::name), "the Russian wording with its no-break space"},
      {"Tipo", whole(Grouping::kind), "a title shared by several languages"},
      {"name", {"name"}, "matching is exact, so another case stays alone"},
      {"Dátum", {"Dátum"}, "a language the lists do not know stays alone"},
      {"", {""}, "an empty title stays alone"},
  };
  for (const auto& c : cases) EXPECT_EQ(widenedMenuNames(c.title), c.expected) << c.reason;
}

}  // namespace
}  // namespace tidyframe
