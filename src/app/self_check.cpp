#include "app/self_check.h"

#include "i18n/l.h"
#include "model/rule_resolver.h"

namespace tidyframe {

namespace {

LocationRule deviceRule(std::string name, std::string path, std::string uuid, Grouping grouping) {
  LocationRule rule;
  rule.name = std::move(name);
  rule.path = std::move(path);
  rule.volumeID = std::move(uuid);
  rule.scope = RuleScope::device;
  rule.includeChildren = true;
  rule.grouping = grouping;
  return rule;
}

LocationRule folderRule(std::string name, std::string path, Grouping grouping) {
  LocationRule rule;
  rule.name = std::move(name);
  rule.path = std::move(path);
  rule.includeChildren = true;
  rule.grouping = grouping;
  return rule;
}

Preferences cardPreferences() {
  Preferences preferences;
  preferences.rules = {deviceRule("SD", "/Volumes/SD", "A", Grouping::created),
                       folderRule("Photos", "/Volumes/Renamed/DCIM", Grouping::modified),
                       folderRule("Day 2", "/Volumes/Renamed/DCIM/Day2", Grouping::tags)};
  return preferences;
}

std::string expectGrouping(const L& l, std::string_view path, const char* uuid, Grouping expected) {
  const auto preferences = cardPreferences();
  const auto volume = uuid ? std::optional<std::string>(uuid) : std::nullopt;
  const auto result = RuleResolver::resolve(path, volume, true, preferences, l);
  if (result.grouping == expected) return {};
  return std::string(path) + " resolved to " + std::string(rawValue(result.grouping)) + ", expected " +
         std::string(rawValue(expected));
}

std::vector<SelfCheck> ruleChecks(const L& l) {
  return {
      {"rules: a renamed card keeps its device rule",
       [&l] { return expectGrouping(l, "/Volumes/Renamed/Other", "A", Grouping::created); }},
      {"rules: the same name on another device takes the default",
       [&l] { return expectGrouping(l, "/Volumes/SD/DCIM", "B", Grouping::kind); }},
      {"rules: a folder rule beats a device rule",
       [&l] { return expectGrouping(l, "/Volumes/Renamed/DCIM/A", "A", Grouping::modified); }},
      {"rules: the deepest folder wins",
       [&l] { return expectGrouping(l, "/Volumes/Renamed/DCIM/Day2/A", "A", Grouping::tags); }},
      {"rules: containment stops at component boundaries",
       [&l] { return expectGrouping(l, "/Volumes/Renamed/DCIM-extra", "A", Grouping::created); }},
      {"rules: a switched-off scope is excluded",
       [&l] {
         auto preferences = cardPreferences();
         preferences.externalEnabled = false;
         const auto result = RuleResolver::resolve("/Volumes/Renamed/DCIM", "A", true, preferences, l);
         return result.excluded ? std::string{} : "an external folder was not excluded";
       }},
  };
}

std::vector<SelfCheck> deviceIdentityChecks() {
  const auto rule = deviceRule("SD", "/Volumes/SD", "A", Grouping::created);
  return {
      {"device identity: the UUID follows a renamed volume",
       [rule] {
         return RuleResolver::matchesDevice(rule, "A", "/Volumes/Renamed") ? std::string{}
                                                                           : "UUID A at a new path did not match";
       }},
      {"device identity: another UUID at the same path is another device",
       [rule] {
         return RuleResolver::matchesDevice(rule, "B", "/Volumes/SD") ? "UUID B took the rule of UUID A"
                                                                      : std::string{};
       }},
  };
}

}  // namespace

std::vector<SelfCheck> selfChecks(const L& l, const std::vector<std::filesystem::path>& tableRoots) {
  std::vector<SelfCheck> checks;
  for (auto group :
       {ruleChecks(l), deviceIdentityChecks(), finderChecks(), simulatedMacChecks(), persistenceChecks(),
        localeChecks(tableRoots)}) {
    for (auto& check : group) checks.push_back(std::move(check));
  }
  return checks;
}

bool runSelfChecks(const std::vector<SelfCheck>& checks, std::ostream& out) {
  int passed = 0;
  int failed = 0;
  for (const auto& check : checks) {
    const auto problem = check.run();
    if (problem.empty()) {
      ++passed;
      continue;
    }
    ++failed;
    out << "FAIL " << check.name << ": " << problem << '\n';
  }
  out << "self-test: " << passed << " passed, " << failed << " failed\n";
  return failed == 0;
}

}  // namespace tidyframe
