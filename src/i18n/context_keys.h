#pragma once

#include <string_view>

#include "i18n/translatable.h"

namespace tidyframe {

// A source text that needs different words in different places gets one key per place,
// written "place|text", so each language can translate it for where it is shown.

// The rule editor's "显示方式" picker: the choice that applies the rule's own grouping and
// sorting, a singular choice where the rules page's title "专属规则" is a plural heading.
inline constexpr std::string_view arrangementCustomRuleChoice = translatable("显示方式|专属规则");

}  // namespace tidyframe
