#include "model/grouping.h"

#include "i18n/l.h"
#include "i18n/translatable.h"

namespace tidyframe {

Grouping grouping(Sorting sorting) { return *fromRaw<Grouping>(rawValue(sorting)); }

std::string_view titleSource(Grouping grouping) {
  switch (grouping) {
    case Grouping::kind: return translatable("文件种类");
    case Grouping::name: return translatable("名称");
    case Grouping::modified: return translatable("修改日期");
    case Grouping::created: return translatable("创建日期");
    case Grouping::added: return translatable("添加日期");
    case Grouping::opened: return translatable("上次打开日期");
    case Grouping::size: return translatable("文件大小");
    case Grouping::tags: return translatable("标签");
    case Grouping::none: return translatable("不分组");
  }
  return {};
}

std::string title(Grouping grouping, const L& l) { return l.t(titleSource(grouping)); }

std::string title(Sorting sorting, const L& l) { return title(grouping(sorting), l); }

std::string_view symbol(Grouping grouping) {
  switch (grouping) {
    case Grouping::kind: return "square.grid.2x2";
    case Grouping::name: return "textformat.abc";
    case Grouping::modified:
    case Grouping::created:
    case Grouping::added:
    case Grouping::opened: return "calendar";
    case Grouping::size: return "arrow.up.arrow.down";
    case Grouping::tags: return "tag";
    case Grouping::none: return "list.bullet";
  }
  return {};
}

}  // namespace tidyframe
