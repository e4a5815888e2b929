#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/date.h"
#include "sim/sim_finder.h"

namespace tidyframe {

// What the Finder's Kind grouping puts an item under.
enum class ItemKind { folder, document, pdf, image, movie, music, archive, application, other };

// One item of a folder as the Finder knows it. A name that starts with "." is a dot file, which
// a Finder window shows only while it shows all files.
struct FinderItem {
  std::string name;
  ItemKind kind = ItemKind::other;
  std::string kindName;              // what the Kind column says: "Folder", "JPEG image", ...
  std::string application;           // what opens it
  std::optional<std::int64_t> size;  // bytes; a folder's is not counted
  Date created, modified, lastOpened, added;
  std::vector<std::string> tags;

  bool isDotFile() const { return name.starts_with('.'); }
  friend bool operator==(const FinderItem&, const FinderItem&) = default;
};

// A run of items under one header; the header is empty when the folder is not grouped.
struct FinderItemGroup {
  std::string header;
  std::vector<FinderItem> items;

  friend bool operator==(const FinderItemGroup&, const FinderItemGroup&) = default;
};

// The items as a Finder window lays them out under `arrangement` (as shown in the window's view)
// on the day of `now`: grouped in the Finder's order when grouped, else one group without a
// header; inside each group sorted by the sort key, ties by name, while sorting by None keeps
// the order given. Days are those of the simulated Mac's time zone, UTC. No items, no groups.
std::vector<FinderItemGroup> arrangeFinderItems(std::vector<FinderItem> items, const FolderArrangement& arrangement,
                                                Date now);

// Names the way the Finder compares them: letters without regard to case, runs of digits by
// their value ("Invoice 9" before "Invoice 10"). Negative, zero or positive.
int compareFinderNames(const std::string& a, const std::string& b);

}  // namespace tidyframe
