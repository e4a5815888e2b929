#pragma once

#include <cstddef>

#include "model/preferences.h"

namespace tidyframe {

// The checks a rules file must pass before it replaces the current settings, and the form in
// which settings leave the machine.
namespace PreferenceImport {

inline constexpr std::size_t maximumRuleCount = 500;

// False when the document holds more than 500 rules, two rules with one id, an appearance
// other than "system", "light" or "dark", a language that is no interface language, or a rule
// path that is not absolute or holds a control or format character (a carriage return, a
// bidirectional override). Names, volume UUIDs and bookmarks are not examined.
bool validate(const Preferences& preferences);

// A copy with the engine off and no bookmarks: both belong to the machine that wrote them.
Preferences portable(const Preferences& preferences);

}  // namespace PreferenceImport

}  // namespace tidyframe
