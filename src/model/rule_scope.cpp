#include "model/rule_scope.h"

#include "i18n/l.h"
#include "i18n/translatable.h"

namespace tidyframe {

namespace {

std::string_view titleSource(RuleScope scope) {
  switch (scope) {
    case RuleScope::folder: return translatable("文件夹");
    case RuleScope::device: return translatable("整个设备");
  }
  return {};
}

std::string_view titleSource(SoftwareUpdateFrequency frequency) {
  switch (frequency) {
    case SoftwareUpdateFrequency::daily: return translatable("每天");
    case SoftwareUpdateFrequency::weekly: return translatable("每周");
    case SoftwareUpdateFrequency::manual: return translatable("手动");
  }
  return {};
}

}  // namespace

std::string title(RuleScope scope, const L& l) { return l.t(titleSource(scope)); }

std::string title(SoftwareUpdateFrequency frequency, const L& l) { return l.t(titleSource(frequency)); }

}  // namespace tidyframe
