#include "model/finder_view_support.h"

namespace tidyframe::FinderViewSupport {

bool supportsGrouping(std::string_view view) {
  return view != "gallery view" && view != "flow view" && view != "group view";
}

Grouping grouping(Grouping grouping, std::string_view view) {
  return supportsGrouping(view) ? grouping : Grouping::none;
}

}  // namespace tidyframe::FinderViewSupport
