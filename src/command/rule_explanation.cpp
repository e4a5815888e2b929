#include "command/rule_explanation.h"

#include <algorithm>
#include <iterator>

#include "base/unicode.h"
#include "model/rule_resolver.h"

namespace tidyframe {

namespace {

bool appliesTo(const LocationRule& rule, const std::string& path, const std::optional<std::string>& volumeID) {
  if (rule.scope == RuleScope::device) {
    if (rule.volumeID) return volumeID == rule.volumeID;
    return RuleResolver::contains(rule.path, path);
  }
  if (rule.includeChildren) return RuleResolver::contains(rule.path, path);
  return RuleResolver::normalized(rule.path) == path;
}

std::size_t depth(const LocationRule& rule) { return unicode::scalarCount(RuleResolver::normalized(rule.path)); }

std::string inQuotes(const LocationRule& rule) { return "\"" + rule.name + "\""; }

// The deepest folder rule, the first listed among equally deep ones.
const LocationRule* deepestFolderRule(const std::vector<const LocationRule*>& applying) {
  const LocationRule* best = nullptr;
  for (const auto* rule : applying) {
    if (rule->scope == RuleScope::folder && (!best || depth(*rule) > depth(*best))) best = rule;
  }
  return best;
}

const LocationRule* firstDeviceRule(const std::vector<const LocationRule*>& applying) {
  const auto found = std::ranges::find(applying, RuleScope::device, &LocationRule::scope);
  return found == applying.end() ? nullptr : *found;
}

std::string lostTo(const LocationRule& rule, const LocationRule& winner) {
  if (rule.scope == RuleScope::device && winner.scope == RuleScope::folder) return "a folder rule wins over device rules";
  if (rule.scope == RuleScope::device) return inQuotes(winner) + " is listed first";
  if (depth(rule) == depth(winner)) return inQuotes(winner) + " is as deep and listed first";
  return inQuotes(winner) + " is deeper";
}

}  // namespace

// Passed-over rules are listed in the user's order.
RuleExplanation explainRule(std::string_view path, const std::optional<std::string>& volumeID, bool isExternal,
                            const Preferences& preferences) {
  const auto folder = RuleResolver::normalized(path);
  std::vector<const LocationRule*> applying;
  for (const auto& rule : preferences.rules) {
    if (appliesTo(rule, folder, volumeID)) applying.push_back(&rule);
  }
  std::vector<const LocationRule*> enabled;
  std::ranges::copy_if(applying, std::back_inserter(enabled), &LocationRule::enabled);
  RuleExplanation explanation;
  explanation.grouping = preferences.grouping;
  explanation.sorting = preferences.sorting;
  explanation.view = preferences.view;
  const bool switchedOn = isExternal ? preferences.externalEnabled : preferences.internalEnabled;
  const LocationRule* winner = nullptr;
  if (!switchedOn) {
    explanation.source = RuleExplanation::Source::scopeSwitchedOff;
    explanation.excluded = true;
    explanation.view = FinderViewChoice::keep;
  } else if ((winner = deepestFolderRule(enabled)) || (winner = firstDeviceRule(enabled))) {
    explanation.source =
        winner->scope == RuleScope::folder ? RuleExplanation::Source::folderRule : RuleExplanation::Source::deviceRule;
    explanation.grouping = winner->grouping;
    explanation.sorting = winner->sorting;
    explanation.excluded = winner->excluded;
    explanation.view = winner->excluded ? FinderViewChoice::keep : winner->view.value_or(preferences.view);
    explanation.winner = *winner;
  }
  const std::string switchedOff = isExternal ? "external volumes are switched off" : "internal volumes are switched off";
  for (const auto* rule : applying) {
    if (rule == winner) continue;
    const auto reason = !rule->enabled ? "disabled" : !switchedOn ? switchedOff : lostTo(*rule, *winner);
    explanation.passedOver.push_back({*rule, reason});
  }
  return explanation;
}

const MountedVolume* volumeHolding(const std::vector<MountedVolume>& volumes, std::string_view path) {
  const MountedVolume* best = nullptr;
  for (const auto& volume : volumes) {
    if (!RuleResolver::contains(volume.path, path)) continue;
    if (!best || volume.path.size() > best->path.size()) best = &volume;
  }
  return best;
}

}  // namespace tidyframe
