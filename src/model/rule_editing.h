#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/mounted_volume.h"
#include "model/preferences.h"

namespace tidyframe {

class L;

// How the rule editor finds, names and stores rules. Pure; any thread.
namespace RuleEditing {

// The first folder rule for the folder at `path`, both paths compared after normalisation;
// null when there is none.
const LocationRule* folderRule(const std::vector<LocationRule>& rules, std::string_view path);

// The first rule of the device: by volume UUID, so a renamed or re-mounted card finds its rule
// and another card under the same name does not; null when there is none.
const LocationRule* deviceRule(const std::vector<LocationRule>& rules, const MountedVolume& volume);

// The name a rule is stored under: `name` without surrounding white space (Unicode's, line
// breaks included), or the last component of `path` when that leaves nothing.
std::string storedName(std::string_view name, std::string_view path);

// The activity detail of a saved rule: its name and its grouping, or that it keeps the
// Finder's own settings.
std::string savedDetail(const LocationRule& rule, const L& l);

// Puts `rule` in place of the first rule with its id, or at the end when no rule has it.
void put(std::vector<LocationRule>& rules, LocationRule rule);

}  // namespace RuleEditing

}  // namespace tidyframe
