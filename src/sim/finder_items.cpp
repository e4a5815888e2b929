#include "sim/finder_items.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cmath>
#include <iterator>
#include <string_view>
#include <utility>

namespace tidyframe {

namespace {

// How the Finder orders groups and items and where it draws its bands: inferred, not observed
// (nothing documents it), and kept in this one table so that a person with a Mac can correct
// it. Headers are the English Finder's.
struct InferredFinderOrder {
  // Groups by Kind, in this order.
  std::array<std::pair<ItemKind, std::string_view>, 9> kinds;
  // Groups by Size, largest first: the least size of each band in bytes. A folder's size is
  // not counted, so folders fall in the last band.
  std::array<std::pair<std::int64_t, std::string_view>, 6> sizeBands;
  // Groups by a date, newest first: how many days back each recent group reaches; older dates
  // of this year group by month, those of earlier years by year.
  std::array<std::pair<int, std::string_view>, 4> recentDays;
  std::array<std::string_view, 12> months;
  // Groups by Tags, by an item's first tag: the colours in this order, other tags by name, then
  // the untagged.
  std::array<std::string_view, 7> tagColours;
  std::string_view untagged;
  // Groups by Name, by first letter: names that start with anything else come first.
  std::string_view notALetter;
  // Which sort keys put the largest first (every date newest first); the others go ascending.
  std::array<bool, arrangeKeyCount> descending;
};

constexpr InferredFinderOrder inferred{
    .kinds = {{{ItemKind::folder, "Folders"},
               {ItemKind::document, "Documents"},
               {ItemKind::pdf, "PDF Documents"},
               {ItemKind::image, "Images"},
               {ItemKind::movie, "Movies"},
               {ItemKind::music, "Music"},
               {ItemKind::archive, "Archives"},
               {ItemKind::application, "Applications"},
               {ItemKind::other, "Other"}}},
    .sizeBands = {{{1'000'000'000, "Over 1 GB"},
                   {100'000'000, "100 MB to 1 GB"},
                   {1'000'000, "1 MB to 100 MB"},
                   {100'000, "100 KB to 1 MB"},
                   {1, "Less than 100 KB"},
                   {0, "Zero KB"}}},
    .recentDays = {{{0, "Today"}, {1, "Yesterday"}, {7, "Previous 7 Days"}, {30, "Previous 30 Days"}}},
    .months = {"January", "February", "March", "April", "May", "June", "July", "August", "September", "October",
               "November", "December"},
    .tagColours = {"Red", "Orange", "Yellow", "Green", "Blue", "Purple", "Gray"},
    .untagged = "No Tags",
    .notALetter = "#",
    // none, name, kind, application, last opened, added, modified, created, size, tags
    .descending = {false, false, false, false, true, true, true, true, true, false},
};

// Where an item's group stands: groups go by rank, then by header.
struct GroupPlace {
  int rank = 0;
  std::string header;
};

int compare(const GroupPlace& a, const GroupPlace& b) {
  if (a.rank != b.rank) return a.rank < b.rank ? -1 : 1;
  return compareFinderNames(a.header, b.header);
}

std::chrono::sys_days day(Date date) {
  const auto days = static_cast<int>(std::floor(date.unixTime() / 86400));
  return std::chrono::sys_days{std::chrono::days{days}};
}

Date dateOf(const FinderItem& item, ArrangeKey key) {
  switch (key) {
    case ArrangeKey::lastOpened: return item.lastOpened;
    case ArrangeKey::added: return item.added;
    case ArrangeKey::created: return item.created;
    default: return item.modified;
  }
}

GroupPlace datePlace(Date date, Date now) {
  const auto today = day(now);
  const auto shown = day(date);
  const auto daysAgo = (today - shown).count();
  for (std::size_t i = 0; i < inferred.recentDays.size(); ++i) {
    const auto& [reach, header] = inferred.recentDays[i];
    if (daysAgo <= reach) return {static_cast<int>(i), std::string(header)};
  }
  const std::chrono::year_month_day then{shown}, current{today};
  const int years = static_cast<int>(current.year()) - static_cast<int>(then.year());
  const auto month = static_cast<unsigned>(then.month());
  if (years == 0) return {100 - static_cast<int>(month), std::string(inferred.months[month - 1])};
  return {100 + years, std::to_string(static_cast<int>(then.year()))};
}

GroupPlace namePlace(const std::string& name) {
  if (name.empty()) return {0, std::string(inferred.notALetter)};
  const auto first = static_cast<unsigned char>(name.front());
  if (std::isalpha(first)) return {1, std::string(1, static_cast<char>(std::toupper(first)))};
  if (first < 0x80) return {0, std::string(inferred.notALetter)};
  // A letter beyond ASCII heads its own group, whole.
  std::size_t length = 1;
  while (length < name.size() && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80) ++length;
  return {1, name.substr(0, length)};
}

GroupPlace tagPlace(const FinderItem& item) {
  if (item.tags.empty()) return {2, std::string(inferred.untagged)};
  const auto& tag = item.tags.front();
  const auto colour = std::ranges::find(inferred.tagColours, tag);
  if (colour == inferred.tagColours.end()) return {1, tag};
  return {0, std::string(1, static_cast<char>('a' + (colour - inferred.tagColours.begin())))};
}

GroupPlace sizePlace(const FinderItem& item) {
  const std::int64_t size = item.size.value_or(0);
  for (std::size_t i = 0; i < inferred.sizeBands.size(); ++i) {
    if (size >= inferred.sizeBands[i].first) return {static_cast<int>(i), std::string(inferred.sizeBands[i].second)};
  }
  return {static_cast<int>(inferred.sizeBands.size()), std::string(inferred.sizeBands.back().second)};
}

GroupPlace kindPlace(ItemKind kind) {
  for (std::size_t i = 0; i < inferred.kinds.size(); ++i) {
    if (inferred.kinds[i].first == kind) return {static_cast<int>(i), std::string(inferred.kinds[i].second)};
  }
  return {static_cast<int>(inferred.kinds.size()), std::string(inferred.kinds.back().second)};
}

GroupPlace placeOf(const FinderItem& item, ArrangeKey key, Date now) {
  switch (key) {
    case ArrangeKey::name: return namePlace(item.name);
    case ArrangeKey::kind: return kindPlace(item.kind);
    case ArrangeKey::application: return {0, item.application};
    case ArrangeKey::size: return sizePlace(item);
    case ArrangeKey::tags: return tagPlace(item);
    case ArrangeKey::lastOpened:
    case ArrangeKey::added:
    case ArrangeKey::modified:
    case ArrangeKey::created: return datePlace(dateOf(item, key), now);
    case ArrangeKey::none: break;
  }
  return {};
}

// The header a colour tag's group shows (its place carries a letter that orders the colours).
std::string headerOf(const GroupPlace& place, const FinderItem& first, ArrangeKey key) {
  if (key == ArrangeKey::tags && place.rank == 0) return first.tags.front();
  return place.header;
}

int compareByKey(const FinderItem& a, const FinderItem& b, ArrangeKey key) {
  switch (key) {
    case ArrangeKey::none:
    case ArrangeKey::name: return 0;
    case ArrangeKey::kind: return compareFinderNames(a.kindName, b.kindName);
    case ArrangeKey::application: return compareFinderNames(a.application, b.application);
    case ArrangeKey::tags: return compare(tagPlace(a), tagPlace(b));
    case ArrangeKey::size: {
      const auto x = a.size.value_or(-1), y = b.size.value_or(-1);
      return x == y ? 0 : (x < y ? -1 : 1);
    }
    default: {
      const Date x = dateOf(a, key), y = dateOf(b, key);
      return x == y ? 0 : (x < y ? -1 : 1);
    }
  }
}

void sortItems(std::vector<FinderItem>& items, ArrangeKey key) {
  if (key == ArrangeKey::none) return;
  const int direction = inferred.descending[static_cast<std::size_t>(key)] ? -1 : 1;
  std::ranges::stable_sort(items, [key, direction](const FinderItem& a, const FinderItem& b) {
    const int byKey = compareByKey(a, b, key) * direction;
    return byKey != 0 ? byKey < 0 : compareFinderNames(a.name, b.name) < 0;
  });
}

std::size_t digitRun(const std::string& text, std::size_t from) {
  std::size_t end = from;
  while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
  return end;
}

// Two runs of digits by value: fewer significant digits is smaller.
int compareNumbers(std::string_view a, std::string_view b) {
  a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
  b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

}  // namespace

int compareFinderNames(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[j]);
    if (std::isdigit(x) && std::isdigit(y)) {
      const std::size_t endA = digitRun(a, i), endB = digitRun(b, j);
      if (const int order = compareNumbers(std::string_view(a).substr(i, endA - i),
                                           std::string_view(b).substr(j, endB - j))) {
        return order;
      }
      i = endA;
      j = endB;
      continue;
    }
    const int lowerX = std::tolower(x), lowerY = std::tolower(y);
    if (lowerX != lowerY) return lowerX < lowerY ? -1 : 1;
    ++i;
    ++j;
  }
  if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j ? -1 : 1;
  return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

std::vector<FinderItemGroup> arrangeFinderItems(std::vector<FinderItem> items, const FolderArrangement& arrangement,
                                                Date now) {
  if (items.empty()) return {};
  sortItems(items, arrangement.sortKey);
  const ArrangeKey key = arrangement.groupKey;
  if (!arrangement.grouped || key == ArrangeKey::none) return {FinderItemGroup{"", std::move(items)}};
  std::vector<std::pair<GroupPlace, FinderItemGroup>> groups;
  for (auto& item : items) {
    GroupPlace place = placeOf(item, key, now);
    auto group = std::ranges::find_if(groups, [&](const auto& g) { return compare(g.first, place) == 0; });
    if (group == groups.end()) {
      const std::string header = headerOf(place, item, key);
      groups.emplace_back(std::move(place), FinderItemGroup{header, {}});
      group = std::prev(groups.end());
    }
    group->second.items.push_back(std::move(item));
  }
  std::ranges::stable_sort(groups, [](const auto& a, const auto& b) { return compare(a.first, b.first) < 0; });
  std::vector<FinderItemGroup> result;
  for (auto& [place, group] : groups) result.push_back(std::move(group));
  return result;
}

}  // namespace tidyframe
