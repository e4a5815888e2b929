#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/mounted_volume.h"
#include "model/preferences.h"

namespace tidyframe {

// Why a folder gets the arrangement it gets: the answer of resolution with the rule that won
// and every rule that applies to the folder but lost, each with its reason. Pure; any thread.
struct RuleExplanation {
  enum class Source { scopeSwitchedOff, folderRule, deviceRule, globalDefault };
  struct PassedOver {
    LocationRule rule;
    std::string reason;
  };

  Source source = Source::globalDefault;
  Grouping grouping = Grouping::kind;
  Sorting sorting = Sorting::name;
  // `keep` where nothing is arranged.
  FinderViewChoice view = FinderViewChoice::keep;
  bool excluded = false;
  std::optional<LocationRule> winner;
  std::vector<PassedOver> passedOver;
};

// Takes the same decisions as RuleResolver::resolve for the same arguments.
RuleExplanation explainRule(std::string_view path, const std::optional<std::string>& volumeID, bool isExternal,
                            const Preferences& preferences);

// The mounted volume that holds `path` (the deepest mount point containing it), if any.
const MountedVolume* volumeHolding(const std::vector<MountedVolume>& volumes, std::string_view path);

}  // namespace tidyframe
