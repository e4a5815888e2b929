#pragma once

#include <string_view>

#include "model/grouping.h"

namespace tidyframe {

// Which Finder views can show groups. The Finder names its view as text; the gallery view
// (also called "flow view" and "group view" in its scripting vocabulary) cannot group.
namespace FinderViewSupport {

bool supportsGrouping(std::string_view view);

// `none` in a view that cannot group, else `grouping` unchanged.
Grouping grouping(Grouping grouping, std::string_view view);

}  // namespace FinderViewSupport

}  // namespace tidyframe
