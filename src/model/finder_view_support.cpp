#include "model/finder_view_support.h"

#include "model/finder_view_choice.h"

namespace tidyframe::FinderViewSupport {

bool supportsGrouping(std::string_view view) {
  return reportedViewChoice(view) != FinderViewChoice::gallery;
}

Grouping grouping(Grouping grouping, std::string_view view) {
  return supportsGrouping(view) ? grouping : Grouping::none;
}

}  // namespace tidyframe::FinderViewSupport
