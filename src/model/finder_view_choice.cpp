#include "model/finder_view_choice.h"

#include "i18n/l.h"

namespace tidyframe {

namespace {

std::string_view titleSource(FinderViewChoice view) {
  switch (view) {
    case FinderViewChoice::keep: return translatable("保持 Finder 原有显示");
    case FinderViewChoice::icon: return translatable("图标");
    case FinderViewChoice::list: return translatable("列表");
    case FinderViewChoice::column: return translatable("分栏");
    case FinderViewChoice::gallery: return translatable("画廊");
  }
  return {};
}

}  // namespace

std::string title(FinderViewChoice view, const L& l) { return l.t(titleSource(view)); }

std::string_view scriptingName(FinderViewChoice view) {
  switch (view) {
    case FinderViewChoice::keep: return {};
    case FinderViewChoice::icon: return "icon view";
    case FinderViewChoice::list: return "list view";
    case FinderViewChoice::column: return "column view";
    case FinderViewChoice::gallery: return "flow view";
  }
  return {};
}

std::optional<FinderViewChoice> reportedViewChoice(std::string_view reportedView) {
  if (reportedView == "icon view") return FinderViewChoice::icon;
  if (reportedView == "list view") return FinderViewChoice::list;
  if (reportedView == "column view") return FinderViewChoice::column;
  if (reportedView == "gallery view" || reportedView == "flow view" || reportedView == "group view") {
    return FinderViewChoice::gallery;
  }
  return std::nullopt;
}

bool showsView(std::string_view reportedView, FinderViewChoice wanted) {
  return wanted == FinderViewChoice::keep || reportedViewChoice(reportedView) == wanted;
}

}  // namespace tidyframe
