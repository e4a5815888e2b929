#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/raw_enum.h"
#include "i18n/translatable.h"

namespace tidyframe {

class L;

// The Finder view a place is shown in. `keep` leaves the window in whatever view the Finder
// remembers for the folder.
enum class FinderViewChoice { keep, icon, list, column, gallery };

template <>
struct RawCases<FinderViewChoice> {
  static constexpr std::array<std::pair<FinderViewChoice, std::string_view>, 5> cases{{
      {FinderViewChoice::keep, "keep"},
      {FinderViewChoice::icon, "icon"},
      {FinderViewChoice::list, "list"},
      {FinderViewChoice::column, "column"},
      {FinderViewChoice::gallery, "gallery"},
  }};
};

// The word of the Finder's own View menu, heading the choice wherever it is offered.
inline constexpr std::string_view finderViewHeading = translatable("显示");
// A rule without a view of its own: it follows the global choice.
inline constexpr std::string_view finderViewAsDefault = translatable("跟随默认");

std::string title(FinderViewChoice view, const L& l);

// The term that sets the view in the Finder's scripting ("list view"); empty for `keep`. The
// gallery is "flow view" there, the only name the Finder accepts for it.
std::string_view scriptingName(FinderViewChoice view);

// The choice a window's reported view text names ("list view"; "gallery view", "flow view" and
// "group view" all name the gallery), or nothing for a text that names no known view.
std::optional<FinderViewChoice> reportedViewChoice(std::string_view reportedView);

// Whether a window reporting `reportedView` needs no view change for `wanted`: always for
// `keep`, else when the text names that very view.
bool showsView(std::string_view reportedView, FinderViewChoice wanted);

}  // namespace tidyframe
