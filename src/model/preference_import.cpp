#include "model/preference_import.h"

#include <algorithm>
#include <array>
#include <set>
#include <string_view>

#include "base/unicode.h"
#include "i18n/app_language.h"

namespace tidyframe::PreferenceImport {

namespace {

bool hasDistinctIds(const std::vector<LocationRule>& rules) {
  std::set<std::string_view> ids;
  for (const auto& rule : rules) ids.insert(rule.id);
  return ids.size() == rules.size();
}

bool isKnownAppearance(std::string_view appearance) {
  constexpr std::array<std::string_view, 3> appearances{"system", "light", "dark"};
  return std::ranges::find(appearances, appearance) != appearances.end();
}

bool isAcceptablePath(std::string_view path) {
  return path.starts_with('/') && !unicode::containsControlOrFormat(path);
}

}  // namespace

bool validate(const Preferences& preferences) {
  const auto& rules = preferences.rules;
  if (rules.size() > maximumRuleCount) return false;
  if (!hasDistinctIds(rules)) return false;
  if (!isKnownAppearance(preferences.appearance)) return false;
  if (!fromRaw<AppLanguage>(preferences.language)) return false;
  return std::ranges::all_of(rules, [](const LocationRule& rule) { return isAcceptablePath(rule.path); });
}

Preferences portable(const Preferences& preferences) {
  Preferences copy = preferences;
  copy.engineEnabled = false;
  for (auto& rule : copy.rules) rule.bookmark.reset();
  return copy;
}

}  // namespace tidyframe::PreferenceImport
