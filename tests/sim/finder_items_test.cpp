#include "sim/finder_items.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "sim/sim_home.h"
#include "sim/sim_ports.h"
#include "sim/sim_scenario.h"

namespace tidyframe {
namespace {

using Layout = std::vector<std::pair<std::string, Strings>>;

// Noon on Monday 7 December 2026, UTC.
const Date now = Date::fromUnixTime(1796644800);

struct Ages {
  double created, modified, opened, added;  // days ago
};

FinderItem item(const char* name, ItemKind kind, const char* kindName, const char* application,
                std::optional<std::int64_t> size, Ages ages, std::vector<std::string> tags = {}) {
  const auto ago = [](double days) { return now - days * 86400; };
  return FinderItem{name, kind, kindName, application, size, ago(ages.created), ago(ages.modified),
                    ago(ages.opened), ago(ages.added), std::move(tags)};
}

// Eight items whose dates fall on both sides of every date group's edge.
std::vector<FinderItem> folder() {
  return {
      item("Reports", ItemKind::folder, "Folder", "Finder", std::nullopt, {402, 0.1, 0.1, 400}),
      item("invoice 10.pdf", ItemKind::pdf, "PDF document", "Preview", 95'000, {25, 1, 1, 20}, {"Work"}),
      item("Invoice 9.pdf", ItemKind::pdf, "PDF document", "Preview", 2'000'000, {45, 4, 3, 40}, {"Red"}),
      item("Beach.jpg", ItemKind::image, "JPEG image", "Preview", 5'000'000, {60, 60, 2, 60}, {"Blue", "Red"}),
      item("Trailer.mp4", ItemKind::movie, "MPEG-4 movie", "QuickTime Player", 2'000'000'000, {800, 400, 31, 1}),
      item("notes.txt", ItemKind::document, "Plain Text", "TextEdit", 0, {8, 0.2, 0.2, 8}, {"Orange"}),
      item("Tool.app", ItemKind::application, "Application", "Tool", 180'000'000, {30, 30, 7, 31}, {"Work"}),
      item("2026 plan.key", ItemKind::document, "Keynote presentation", "Keynote", 48'000'000, {9, 7, 9, 7},
           {"Green"}),
  };
}

Layout layout(const std::vector<FinderItemGroup>& groups) {
  Layout result;
  for (const auto& group : groups) {
    Strings names;
    for (const auto& shown : group.items) names.push_back(shown.name);
    result.emplace_back(group.header, names);
  }
  return result;
}

// Every grouping and several sortings, expected orders worked out by hand from the Finder's
// rules: groups by first letter (others first), by kind in the Finder's order, by application
// name, dates newest first (Today, Yesterday, Previous 7 Days, Previous 30 Days, then months of
// this year, then years), sizes largest first with folders uncounted, tags by colour then name
// then untagged; names compared without case and numbers by value.
TEST(FinderItemOrder, GroupsAndSortsAsTheFinderShowsThem) {
  using enum ArrangeKey;
  const std::tuple<FolderArrangement, Layout, const char*> rows[] = {
      {{false, kind, none}, {{"", {"Reports", "invoice 10.pdf", "Invoice 9.pdf", "Beach.jpg", "Trailer.mp4",
                                  "notes.txt", "Tool.app", "2026 plan.key"}}},
       "sorted by None, the order the items came in"},
      {{false, kind, name}, {{"", {"2026 plan.key", "Beach.jpg", "Invoice 9.pdf", "invoice 10.pdf", "notes.txt",
                                  "Reports", "Tool.app", "Trailer.mp4"}}},
       "names without case, 9 before 10, digits before letters"},
      {{false, kind, size}, {{"", {"Trailer.mp4", "Tool.app", "2026 plan.key", "Beach.jpg", "Invoice 9.pdf",
                                  "invoice 10.pdf", "notes.txt", "Reports"}}},
       "largest first, an empty file before an uncounted folder"},
      {{false, kind, kind}, {{"", {"Tool.app", "Reports", "Beach.jpg", "2026 plan.key", "Trailer.mp4",
                                  "Invoice 9.pdf", "invoice 10.pdf", "notes.txt"}}},
       "by the Kind column's words, ties by name"},
      {{false, kind, tags}, {{"", {"Invoice 9.pdf", "notes.txt", "2026 plan.key", "Beach.jpg", "invoice 10.pdf",
                                  "Tool.app", "Reports", "Trailer.mp4"}}},
       "colours in the Finder's order, then other tags, then the untagged"},
      {{false, kind, application}, {{"", {"Reports", "2026 plan.key", "Beach.jpg", "Invoice 9.pdf",
                                         "invoice 10.pdf", "Trailer.mp4", "notes.txt", "Tool.app"}}},
       "by application"},
      {{false, kind, lastOpened}, {{"", {"Reports", "notes.txt", "invoice 10.pdf", "Beach.jpg", "Invoice 9.pdf",
                                        "Tool.app", "2026 plan.key", "Trailer.mp4"}}},
       "last opened, newest first"},
      {{true, name, name},
       {{"#", {"2026 plan.key"}}, {"B", {"Beach.jpg"}}, {"I", {"Invoice 9.pdf", "invoice 10.pdf"}},
        {"N", {"notes.txt"}}, {"R", {"Reports"}}, {"T", {"Tool.app", "Trailer.mp4"}}},
       "first letters, whatever their case; a digit first"},
      {{true, kind, name},
       {{"Folders", {"Reports"}}, {"Documents", {"2026 plan.key", "notes.txt"}},
        {"PDF Documents", {"Invoice 9.pdf", "invoice 10.pdf"}}, {"Images", {"Beach.jpg"}},
        {"Movies", {"Trailer.mp4"}}, {"Applications", {"Tool.app"}}},
       "kinds in the Finder's order, empty kinds left out"},
      {{true, kind, modified},
       {{"Folders", {"Reports"}}, {"Documents", {"notes.txt", "2026 plan.key"}},
        {"PDF Documents", {"invoice 10.pdf", "Invoice 9.pdf"}}, {"Images", {"Beach.jpg"}},
        {"Movies", {"Trailer.mp4"}}, {"Applications", {"Tool.app"}}},
       "inside each kind newest first"},
      {{true, application, name},
       {{"Finder", {"Reports"}}, {"Keynote", {"2026 plan.key"}},
        {"Preview", {"Beach.jpg", "Invoice 9.pdf", "invoice 10.pdf"}}, {"QuickTime Player", {"Trailer.mp4"}},
        {"TextEdit", {"notes.txt"}}, {"Tool", {"Tool.app"}}},
       "applications by name"},
      {{true, added, name},
       {{"Yesterday", {"Trailer.mp4"}}, {"Previous 7 Days", {"2026 plan.key"}},
        {"Previous 30 Days", {"invoice 10.pdf", "notes.txt"}}, {"November", {"Tool.app"}},
        {"October", {"Beach.jpg", "Invoice 9.pdf"}}, {"2025", {"Reports"}}},
       "7 days back is the week, 30 the month, 31 its month, last year its year"},
      {{true, added, added},
       {{"Yesterday", {"Trailer.mp4"}}, {"Previous 7 Days", {"2026 plan.key"}},
        {"Previous 30 Days", {"notes.txt", "invoice 10.pdf"}}, {"November", {"Tool.app"}},
        {"October", {"Invoice 9.pdf", "Beach.jpg"}}, {"2025", {"Reports"}}},
       "inside each date group newest first"},
      {{true, modified, size},
       {{"Today", {"notes.txt", "Reports"}}, {"Yesterday", {"invoice 10.pdf"}},
        {"Previous 7 Days", {"2026 plan.key", "Invoice 9.pdf"}}, {"Previous 30 Days", {"Tool.app"}},
        {"October", {"Beach.jpg"}}, {"2025", {"Trailer.mp4"}}},
       "modified, each group largest first"},
      {{true, created, name},
       {{"Previous 30 Days", {"2026 plan.key", "invoice 10.pdf", "notes.txt", "Tool.app"}},
        {"October", {"Beach.jpg", "Invoice 9.pdf"}}, {"2025", {"Reports"}}, {"2024", {"Trailer.mp4"}}},
       "created, years newest first"},
      {{true, lastOpened, name},
       {{"Today", {"notes.txt", "Reports"}}, {"Yesterday", {"invoice 10.pdf"}},
        {"Previous 7 Days", {"Beach.jpg", "Invoice 9.pdf", "Tool.app"}}, {"Previous 30 Days", {"2026 plan.key"}},
        {"November", {"Trailer.mp4"}}},
       "last opened"},
      {{true, size, name},
       {{"Over 1 GB", {"Trailer.mp4"}}, {"100 MB to 1 GB", {"Tool.app"}},
        {"1 MB to 100 MB", {"2026 plan.key", "Beach.jpg", "Invoice 9.pdf"}}, {"Less than 100 KB", {"invoice 10.pdf"}},
        {"Zero KB", {"notes.txt", "Reports"}}},
       "size bands largest first, a folder with the empty"},
      {{true, tags, name},
       {{"Red", {"Invoice 9.pdf"}}, {"Orange", {"notes.txt"}}, {"Green", {"2026 plan.key"}},
        {"Blue", {"Beach.jpg"}}, {"Work", {"invoice 10.pdf", "Tool.app"}}, {"No Tags", {"Reports", "Trailer.mp4"}}},
       "an item under its first tag"},
  };
  for (const auto& [arrangement, expected, reason] : rows) {
    EXPECT_EQ(layout(arrangeFinderItems(folder(), arrangement, now)), expected) << reason;
  }
  EXPECT_EQ(arrangeFinderItems({}, {true, ArrangeKey::kind, ArrangeKey::name}, now), std::vector<FinderItemGroup>{})
      << "an empty folder has no groups";
}

// The items are the world's: the Finder's scripting counts them (dot files aside), and a card
// that goes takes its items along.
TEST_F(SimScenario, TheFinderCountsTheItemsOfAFolderOnTheVolumes) {
  SimVolumeCatalog volumes{dispatch};
  finder.setFileSystem(&volumes);
  SimHome::furnish(volumes);
  SimHome::insertCard(volumes);
  open(SimHome::documents);
  EXPECT_EQ(run("tell application \"Finder\" to count items of target of Finder window 1"), Strings{"7"});
  EXPECT_EQ(run("tell application \"Finder\" to count folders of target of Finder window 1"), Strings{"1"});
  EXPECT_EQ(volumes.items(SimHome::cardPhotos).size(), 12U);
  volumes.unmount(SimHome::card);
  EXPECT_EQ(volumes.items(SimHome::cardPhotos).size(), 0U);
}

}  // namespace
}  // namespace tidyframe
