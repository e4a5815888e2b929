#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace tidyframe {

// The language the simulated Finder's menus are shown in: the 13 languages the application
// supports, and Dutch, which its title lists do not know.
enum class FinderMenuLanguage {
  english, simplifiedChinese, traditionalChinese, japanese, korean, german, french, spanish,
  portuguese, italian, russian, arabic, hindi, dutch
};

inline constexpr std::array<FinderMenuLanguage, 14> allFinderMenuLanguages = {
    FinderMenuLanguage::english,    FinderMenuLanguage::simplifiedChinese, FinderMenuLanguage::traditionalChinese,
    FinderMenuLanguage::japanese,   FinderMenuLanguage::korean,            FinderMenuLanguage::german,
    FinderMenuLanguage::french,     FinderMenuLanguage::spanish,           FinderMenuLanguage::portuguese,
    FinderMenuLanguage::italian,    FinderMenuLanguage::russian,           FinderMenuLanguage::arabic,
    FinderMenuLanguage::hindi,      FinderMenuLanguage::dutch};

// What the Finder can group or sort a folder by, in the order of its Group By and Sort By menus.
enum class ArrangeKey { none, name, kind, application, lastOpened, added, modified, created, size, tags };

inline constexpr std::size_t arrangeKeyCount = 10;

// Titles of the Finder's menus in one language, as that Finder shows them.
struct FinderMenuTitles {
  std::string file, edit, view, go, window, help;
  std::string asIcons, asList, asColumns, asGallery;
  std::string useGroups, groupBy, sortBy, sortGroupsBy;
  std::array<std::string, arrangeKeyCount> keys;  // by ArrangeKey

  const std::string& key(ArrangeKey k) const { return keys[static_cast<std::size_t>(k)]; }
};

// A Finder's wording: its language and the variants Finders of different versions show.
struct FinderMenuStyle {
  FinderMenuLanguage language = FinderMenuLanguage::english;
  bool straightApostrophes = false;  // "Date d'ajout" where others write "Date d’ajout"
  // Submenu titles of a Finder that words them differently (the items keep their shortcuts).
  std::optional<std::string> groupByTitle;
  std::optional<std::string> sortByTitle;
};

FinderMenuTitles finderMenuTitles(const FinderMenuStyle& style);

}  // namespace tidyframe
