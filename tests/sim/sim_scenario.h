#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "base/virtual_dispatch.h"
#include "finder/finder_menu_names.h"
#include "finder/finder_scripts.h"
#include "sim/sim_mac.h"

namespace tidyframe {

// The application's own script texts and title lists, as the engine sends them.
namespace fixtures {

using Titles = std::vector<std::string>;

inline Titles titlesOf(Grouping grouping) {
  auto names = menuNames(grouping);
  return Titles(names.begin(), names.end());
}

inline const Titles kKindChoice = titlesOf(Grouping::kind);
inline const Titles kNameChoice = titlesOf(Grouping::name);
inline const Titles kModifiedChoice = titlesOf(Grouping::modified);
inline const Titles kCreatedChoice = titlesOf(Grouping::created);
inline const Titles kAddedChoice = titlesOf(Grouping::added);
inline const Titles kOpenedChoice = titlesOf(Grouping::opened);
inline const Titles kSizeChoice = titlesOf(Grouping::size);
inline const Titles kTagsChoice = titlesOf(Grouping::tags);
inline const Titles kNoneChoice = titlesOf(Grouping::none);

inline std::string query() { return std::string(FinderScripts::query()); }
inline std::string keepHidden() { return std::string(FinderScripts::keepHidden()); }
inline const std::string kActivate{FinderScripts::activate()};
inline const std::string kAutomationCheck{FinderScripts::automationCheck()};

inline std::string apply(const std::string& url, const std::string& windowID, const Titles& groups,
                         const Titles& sorts, bool hide) {
  return FinderScripts::apply(url, windowID, groups, sorts, hide);
}

}  // namespace fixtures

inline void PrintTo(const FolderArrangement& a, std::ostream* out) {
  *out << (a.grouped ? "grouped by " : "ungrouped, group key ") << static_cast<int>(a.groupKey) << ", sorted by "
       << static_cast<int>(a.sortKey);
}

// A simulated Mac in virtual time, its world events on a queue of their own.
struct SimWorld {
  VirtualDispatch dispatch{Date{1000}};
  std::shared_ptr<DispatchQueue> queue = dispatch.makeSerialQueue("sim.world");
  SimMac mac{dispatch, *queue};
};

// A simulated Mac in virtual time with one Finder window, and helpers that run the application's
// script texts against it the way the engine does: query first, then arrange what the query saw.
class SimScenario : public ::testing::Test {
 protected:
  VirtualDispatch dispatch{Date{1000}};
  std::shared_ptr<DispatchQueue> world = dispatch.makeSerialQueue("sim.world");
  SimMac mac{dispatch, *world};
  SimFinder& finder = mac.finder();

  int open(const std::string& path, FinderView view = FinderView::icon, FolderArrangement arrangement = {}) {
    finder.setArrangement(path, view, arrangement);
    return finder.openWindow(path, view);
  }

  // A reply as texts ("ok", "Kind", "-2700"); a failed run as {"failed", number, message}.
  static std::vector<std::string> texts(const applescript::RunResult& result) {
    if (!result) return {"failed", std::to_string(result.error().number), result.error().message};
    if (!*result) return {};
    const applescript::Value& v = **result;
    if (!v.is<applescript::ValueList>()) return {applescript::textValue(v)};
    std::vector<std::string> out;
    for (const auto& item : v.as<applescript::ValueList>()) out.push_back(applescript::textValue(item));
    return out;
  }

  std::vector<std::string> query() { return texts(mac.run(fixtures::query())); }

  // Arranges the window the query finds, with the URL and id it answered.
  std::vector<std::string> apply(const fixtures::Titles& groups, const fixtures::Titles& sorts, bool hide = false) {
    auto location = query();
    if (location.size() < 2) return location;
    return texts(mac.run(fixtures::apply(location[0], location[1], groups, sorts, hide)));
  }

  FolderArrangement shown(const std::string& path, FinderView view = FinderView::icon) const {
    return SimFinder::effective(finder.arrangement(path, view), view);
  }
};

}  // namespace tidyframe
