#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/base64.h"
#include "base/uuid.h"
#include "model/finder_view_choice.h"
#include "model/grouping.h"
#include "model/rule_scope.h"

namespace tidyframe {

// One rule for a folder (optionally with everything below it) or for a whole device. Its
// identity in lists is `id`; equality compares every field.
struct LocationRule {
  std::string id = makeUuid();
  std::string name;
  // The folder of a folder rule; the mount point of a device rule when it was made.
  std::string path;
  // Volume UUID of a device rule; absent for folder rules and devices without one.
  std::optional<std::string> volumeID;
  RuleScope scope = RuleScope::folder;
  bool includeChildren = false;
  bool enabled = true;
  bool excluded = false;
  Grouping grouping = Grouping::kind;
  Sorting sorting = Sorting::name;
  // Security-scoped bookmark of the folder, so it can be reopened later.
  std::optional<Bytes> bookmark;
  // The view this place is shown in; absent: the global choice.
  std::optional<FinderViewChoice> view = std::nullopt;

  friend bool operator==(const LocationRule&, const LocationRule&) = default;
};

// The settings record. A default-constructed value is the fresh record of a first launch:
// the engine stays off until the user turns it on.
struct Preferences {
  Grouping grouping = Grouping::kind;
  Sorting sorting = Sorting::name;
  bool internalEnabled = true;
  bool externalEnabled = true;
  bool hideOnNavigation = false;
  std::string appearance = "system";
  std::string language = "system";
  SoftwareUpdateFrequency updateFrequency = SoftwareUpdateFrequency::weekly;
  bool engineEnabled = false;
  std::vector<LocationRule> rules;
  FinderViewChoice view = FinderViewChoice::keep;

  friend bool operator==(const Preferences&, const Preferences&) = default;
};

// What resolution answers for one folder, and why.
struct EffectiveRule {
  Grouping grouping = Grouping::kind;
  Sorting sorting = Sorting::name;
  // The winning rule's name, or the localized global-default or excluded text.
  std::string source;
  bool excluded = false;
  // `keep` where nothing is to be arranged.
  FinderViewChoice view = FinderViewChoice::keep;

  friend bool operator==(const EffectiveRule&, const EffectiveRule&) = default;
};

}  // namespace tidyframe
