#include "model/rule_resolver.h"

#include <filesystem>
#include <system_error>

#include "base/unicode.h"
#include "i18n/l.h"

namespace tidyframe {

namespace {

std::string currentDirectory() {
  std::error_code error;
  auto directory = std::filesystem::current_path(error);
  return error ? std::string("/") : directory.string();
}

void appendComponent(std::vector<std::string_view>& components, std::string_view component) {
  if (component.empty() || component == ".") return;
  if (component == "..") {
    if (!components.empty()) components.pop_back();
    return;
  }
  components.push_back(component);
}

// Containment of two paths that are already normalised.
bool containsNormalized(std::string_view parent, std::string_view child) {
  if (parent == child) return true;
  if (parent == "/") return child.starts_with('/');
  return child.size() > parent.size() && child.starts_with(parent) && child[parent.size()] == '/' &&
         unicode::isCharacterBoundary(child, parent.size() + 1);
}


// Whether an absolute path has nothing to collapse: no empty, "." or ".." component and no
// trailing "/". Most paths are like that, and they skip the component walk.
bool isLexicallyClean(std::string_view path) {
  if (path == "/") return true;
  if (!path.starts_with('/')) return false;
  for (std::size_t start = 1; start <= path.size();) {
    const auto end = std::min(path.find('/', start), path.size());
    const auto component = path.substr(start, end - start);
    if (component.empty() || component == "." || component == "..") return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

namespace RuleResolver {

std::string normalized(std::string_view path) {
  if (isLexicallyClean(path) && unicode::isValidUtf8(path)) return unicode::nfc(path);
  std::string text = unicode::repairedUtf8(path);
  if (!text.starts_with('/')) text = currentDirectory() + "/" + text;
  std::vector<std::string_view> components;
  std::size_t start = 0;
  while (start <= text.size()) {
    const auto end = std::min(text.find('/', start), text.size());
    appendComponent(components, std::string_view(text).substr(start, end - start));
    start = end + 1;
  }
  if (components.empty()) return "/";
  std::string result;
  result.reserve(text.size());
  for (const auto component : components) {
    result += '/';
    result += component;
  }
  return unicode::nfc(result);
}

bool isNormalized(std::string_view path) {
  return isLexicallyClean(path) && unicode::isNfc(path);
}

bool contains(std::string_view parent, std::string_view child) {
  return containsNormalized(normalized(parent), normalized(child));
}

bool matchesDevice(const LocationRule& rule, const std::optional<std::string>& uuid, std::string_view path) {
  if (rule.scope != RuleScope::device) return false;
  if (rule.volumeID) return uuid && *uuid == *rule.volumeID;
  return normalized(rule.path) == normalized(path);
}

EffectiveRule resolve(std::string_view path, const std::optional<std::string>& volumeID, bool isExternal,
                      const Preferences& preferences, const L& l) {
  return RuleIndex(preferences).resolve(path, volumeID, isExternal, l);
}

}  // namespace RuleResolver

RuleIndex::RuleIndex(const Preferences& preferences)
    : grouping_(preferences.grouping),
      sorting_(preferences.sorting),
      internalEnabled_(preferences.internalEnabled),
      externalEnabled_(preferences.externalEnabled),
      view_(preferences.view) {
  for (const auto& rule : preferences.rules) {
    if (!rule.enabled) continue;
    auto path = RuleResolver::normalized(rule.path);
    const auto length = unicode::scalarCount(path);
    auto& list = rule.scope == RuleScope::folder ? folderRules_ : deviceRules_;
    list.push_back(Entry{rule.name, std::move(path), length, rule.volumeID, rule.includeChildren,
                         rule.excluded, rule.grouping, rule.sorting, rule.view});
  }
}

EffectiveRule RuleIndex::resolve(std::string_view path, const std::optional<std::string>& volumeID,
                                 bool isExternal, const L& l) const {
  const bool scopeEnabled = isExternal ? externalEnabled_ : internalEnabled_;
  if (!scopeEnabled) return EffectiveRule{grouping_, sorting_, l.t("此位置已排除"), true};
  const std::string normalizedPath = RuleResolver::normalized(path);
  const Entry* winner = deepestFolderRule(normalizedPath);
  if (!winner) winner = firstDeviceRule(normalizedPath, volumeID);
  if (!winner) return EffectiveRule{grouping_, sorting_, l.t("全局默认"), false, view_};
  // An excluded place is left as the Finder shows it, its view included.
  const auto view = winner->excluded ? FinderViewChoice::keep : winner->view.value_or(view_);
  return EffectiveRule{winner->grouping, winner->sorting, winner->name, winner->excluded, view};
}

// The longest matching rule path; on equal lengths the rule listed first.
const RuleIndex::Entry* RuleIndex::deepestFolderRule(const std::string& path) const {
  const Entry* best = nullptr;
  for (const auto& rule : folderRules_) {
    const bool matches = rule.includeChildren ? containsNormalized(rule.path, path) : rule.path == path;
    if (matches && (!best || rule.length > best->length)) best = &rule;
  }
  return best;
}

const RuleIndex::Entry* RuleIndex::firstDeviceRule(const std::string& path,
                                                   const std::optional<std::string>& volumeID) const {
  for (const auto& rule : deviceRules_) {
    const bool matches = rule.volumeID ? volumeID && *volumeID == *rule.volumeID : containsNormalized(rule.path, path);
    if (matches) return &rule;
  }
  return nullptr;
}

}  // namespace tidyframe
