#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/virtual_dispatch.h"
#include "finder/finder_menu_names.h"
#include "finder/finder_scripts.h"
#include "sim/sim_mac.h"

namespace tidyframe {

using Strings = std::vector<std::string>;

// The title list the engine sends for `grouping` (sorts use the grouping of the same key).
inline Strings titles(Grouping grouping) {
  auto names = menuNames(grouping);
  return Strings(names.begin(), names.end());
}

inline const Strings kKind = titles(Grouping::kind);
inline const Strings kName = titles(Grouping::name);
inline const Strings kAdded = titles(Grouping::added);
inline const Strings kSize = titles(Grouping::size);
inline const Strings kNone = titles(Grouping::none);

inline void PrintTo(const FolderArrangement& a, std::ostream* out) {
  *out << (a.grouped ? "grouped by " : "ungrouped, group key ") << static_cast<int>(a.groupKey) << ", sorted by "
       << static_cast<int>(a.sortKey);
}

// A simulated Mac in virtual time, its world events on a queue of their own, with helpers that
// run the application's script texts the way the engine does: query first, then arrange what
// the query saw.
struct SimWorld {
  VirtualDispatch dispatch{Date{1000}};
  std::shared_ptr<DispatchQueue> world = dispatch.makeSerialQueue("sim.world");
  SimMac mac{dispatch, *world};
  SimFinder& finder = mac.finder();

  int open(const std::string& path, FinderView view = FinderView::icon, FolderArrangement arrangement = {}) {
    finder.setArrangement(path, view, arrangement);
    return finder.openWindow(path, view);
  }

  // A reply as texts ("ok", "Kind", "-2700"); a failed run as {"failed", number, message}.
  static Strings texts(const applescript::RunResult& result) {
    if (!result) return {"failed", std::to_string(result.error().number), result.error().message};
    return *result ? texts(**result) : Strings{};
  }
  static Strings texts(const applescript::Value& v) {
    if (!v.is<applescript::ValueList>()) return {applescript::textValue(v)};
    Strings out;
    for (const auto& item : v.as<applescript::ValueList>()) out.push_back(applescript::textValue(item));
    return out;
  }

  Strings run(std::string_view script) { return texts(mac.run(script)); }
  Strings query() { return run(FinderScripts::query()); }

  // Arranges the window `location` names, as the query answered it.
  Strings apply(const Strings& location, const Strings& groups, const Strings& sorts, bool hide = false) {
    if (location.size() < 2) return location;
    return run(FinderScripts::apply(location[0], location[1], groups, sorts, hide));
  }
  Strings apply(const Strings& groups, const Strings& sorts, bool hide = false) {
    return apply(query(), groups, sorts, hide);
  }

  FolderArrangement shown(const std::string& path, FinderView view = FinderView::icon) const {
    return SimFinder::effective(finder.arrangement(path, view), view);
  }
};

class SimScenario : public ::testing::Test, public SimWorld {};

}  // namespace tidyframe
