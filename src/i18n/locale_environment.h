#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tidyframe {

// Reads a variable of the process environment; nothing when it is unset.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// The preferred languages a Linux user states through the locale variables, as language tags:
// the LANGUAGE list (colon-separated) first, then the first set of LC_ALL, LC_MESSAGES and
// LANG. "de_DE.UTF-8" becomes "de-DE"; "C", "POSIX" and empty values say nothing.
std::vector<std::string> languagesFromLocaleEnvironment(const EnvironmentLookup& lookup);

}  // namespace tidyframe
