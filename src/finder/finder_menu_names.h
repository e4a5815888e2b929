#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/grouping.h"

namespace tidyframe {

// The titles under which the Finder shows its View menu and the choices in it, in every
// system language the scripts support (each list starts with the English title). They depend
// on the language of the Mac, not on this application's interface language, so one list
// serves every Mac. Constant data; any thread.
namespace FinderMenuNames {

// The View menu-bar item.
std::span<const std::string_view> view();
// The View menu item that turns groups on while they are off.
std::span<const std::string_view> useGroups();
// The Group By submenu.
std::span<const std::string_view> group();
// The Sort By submenu, in its plain wording and in the wording used while groups are on.
std::span<const std::string_view> sort();

}  // namespace FinderMenuNames

// The titles of `grouping` in the Group By submenu; never empty. The list of `none` holds
// "None", the title the arrangement script reports for a window without groups.
std::span<const std::string_view> menuNames(Grouping grouping);
// The titles of `sorting` in the Sort By submenu: those of the grouping of the same raw value.
std::span<const std::string_view> menuNames(Sorting sorting);

// A title read back from the Finder widened to every wording of its choice: the whole list of
// the first grouping, in enumeration order, that holds the title exactly; a title no list
// holds (a language added later) stays alone.
std::vector<std::string> widenedMenuNames(std::string_view title);

}  // namespace tidyframe
