#include "command/command_runner.h"

#include <time.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "base/json.h"
#include "base/unicode.h"
#include "base/uuid.h"
#include "command/rule_explanation.h"
#include "model/preference_import.h"
#include "model/rule_editing.h"
#include "model/rule_resolver.h"
#include "model/settings_document.h"
#include "storage/storage.h"

namespace tidyframe {

namespace {

using Row = std::vector<std::string>;

CommandAnswer done(std::string output) { return {0, std::move(output), {}}; }
CommandAnswer failed(std::string why) { return {1, {}, "tidyframe: " + std::move(why) + "\n"}; }

CommandAnswer jsonAnswer(const Json& value) {
  auto text = writeJson(value);
  if (!text) return failed(text.error());
  return done(*text + "\n");
}

std::string yesNo(bool value) { return value ? "yes" : "no"; }
std::string inQuotes(std::string_view text) { return "\"" + std::string(text) + "\""; }

// Columns padded to their widest cell, counted in characters; no line ends in blanks.
std::string aligned(const std::vector<Row>& rows) {
  std::vector<std::size_t> widths;
  for (const auto& row : rows) {
    widths.resize(std::max(widths.size(), row.size()));
    for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], unicode::scalarCount(row[i]));
  }
  std::string out;
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      line += row[i];
      if (i + 1 < row.size()) line += std::string(widths[i] - unicode::scalarCount(row[i]) + 2, ' ');
    }
    out += line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
  }
  return out;
}

std::string place(const LocationRule& rule) {
  if (rule.scope == RuleScope::device && rule.volumeID) return rule.path + " (" + *rule.volumeID + ")";
  return rule.path;
}

std::string viewName(const std::optional<FinderViewChoice>& view) {
  return std::string(view ? rawValue(*view) : followDefaultView);
}

std::string describe(const LocationRule& rule) { return inQuotes(rule.name) + " (" + rule.id + ")"; }

// A rule's stored form without its bookmark, which belongs to this machine.
Json listed(LocationRule rule) {
  rule.bookmark.reset();
  return toJson(rule);
}

CommandAnswer listRules(const Preferences& preferences, bool json) {
  if (json) {
    Json rules = Json::array();
    for (const auto& rule : preferences.rules) rules.push_back(listed(rule));
    return jsonAnswer(rules);
  }
  if (preferences.rules.empty()) return done("no rules\n");
  std::vector<Row> rows{{"NAME", "PLACE", "SCOPE", "SUBFOLDERS", "ENABLED", "EXCLUDED", "GROUPING", "SORTING", "VIEW", "ID"}};
  for (const auto& rule : preferences.rules) {
    rows.push_back({rule.name, place(rule), std::string(rawValue(rule.scope)), yesNo(rule.includeChildren),
                    yesNo(rule.enabled), yesNo(rule.excluded), std::string(rawValue(rule.grouping)),
                    std::string(rawValue(rule.sorting)), viewName(rule.view), rule.id});
  }
  return done(aligned(rows));
}

std::string_view sourceName(RuleExplanation::Source source) {
  switch (source) {
    case RuleExplanation::Source::scopeSwitchedOff: return "switched off";
    case RuleExplanation::Source::folderRule: return "folder rule";
    case RuleExplanation::Source::deviceRule: return "device rule";
    case RuleExplanation::Source::globalDefault: return "global default";
  }
  return {};
}

std::string sourceText(const RuleExplanation& explanation) {
  if (!explanation.winner) return std::string(sourceName(explanation.source));
  return std::string(sourceName(explanation.source)) + " " + describe(*explanation.winner);
}

Json explanationJson(const std::string& path, const RuleExplanation& explanation) {
  Json passed = Json::array();
  for (const auto& lost : explanation.passedOver) passed.push_back({{"rule", listed(lost.rule)}, {"reason", lost.reason}});
  Json value{{"path", path},
             {"source", sourceName(explanation.source)},
             {"grouping", rawValue(explanation.grouping)},
             {"sorting", rawValue(explanation.sorting)},
             {"view", rawValue(explanation.view)},
             {"excluded", explanation.excluded},
             {"passedOver", passed}};
  if (explanation.winner) value["rule"] = listed(*explanation.winner);
  return value;
}

// Without a volume given, the folder's volume is the mounted one that holds it.
RuleExplanation explainFor(const CommandRequest& request, CommandBackend& backend, const Preferences& preferences) {
  auto volumeID = request.volumeID;
  bool external = request.external;
  if (!volumeID && !external) {
    const auto volumes = backend.volumes();
    if (const auto* volume = volumeHolding(volumes, request.path)) {
      volumeID = volume->uuid;
      external = volume->external;
    }
  }
  return explainRule(request.path, volumeID, external, preferences);
}

CommandAnswer explain(const CommandRequest& request, CommandBackend& backend) {
  const auto path = RuleResolver::normalized(request.path);
  const auto explanation = explainFor(request, backend, backend.preferences());
  if (request.json) return jsonAnswer(explanationJson(path, explanation));
  std::vector<Row> rows{{"folder", path},
                        {"grouping", std::string(rawValue(explanation.grouping))},
                        {"sorting", std::string(rawValue(explanation.sorting))},
                        {"view", std::string(rawValue(explanation.view))},
                        {"excluded", yesNo(explanation.excluded)},
                        {"source", sourceText(explanation)}};
  std::string out = aligned(rows);
  if (explanation.passedOver.empty()) return done(out);
  out += "passed over\n";
  for (const auto& lost : explanation.passedOver) out += "  " + describe(lost.rule) + ": " + lost.reason + "\n";
  return done(out);
}

void applyChanges(LocationRule& rule, const RuleChanges& changes) {
  if (changes.name) rule.name = *changes.name;
  if (changes.grouping) rule.grouping = *changes.grouping;
  if (changes.sorting) rule.sorting = *changes.sorting;
  if (changes.view) rule.view = *changes.view;
  if (changes.includeChildren) rule.includeChildren = *changes.includeChildren;
  if (changes.excluded) rule.excluded = *changes.excluded;
  rule.name = RuleEditing::storedName(rule.name, rule.path);
}

CommandAnswer saved(CommandBackend& backend, const LocationRule& rule, std::string_view verb, bool json) {
  if (auto outcome = backend.saveRule(rule); !outcome) return failed("the rule could not be saved: " + outcome.error());
  if (json) return jsonAnswer(listed(rule));
  return done(std::string(verb) + " rule " + describe(rule) + "\n");
}

CommandAnswer existing(const LocationRule& rule) {
  return failed("a rule for this place exists already: " + describe(rule) + "; change it with 'tidyframe rules set'");
}

// A new rule is made as the panel makes one: subfolders included, the global arrangement.
LocationRule newRule(const Preferences& preferences, RuleScope scope, std::string path) {
  LocationRule rule;
  rule.scope = scope;
  rule.path = std::move(path);
  rule.includeChildren = true;
  rule.grouping = preferences.grouping;
  rule.sorting = preferences.sorting;
  return rule;
}

CommandAnswer addRule(const CommandRequest& request, CommandBackend& backend) {
  const auto preferences = backend.preferences();
  const auto path = RuleResolver::normalized(request.path);
  LocationRule rule;
  if (request.device) {
    const auto volumes = backend.volumes();
    const auto volume = std::ranges::find_if(volumes, [&](const auto& v) { return RuleResolver::normalized(v.path) == path; });
    if (volume == volumes.end()) return failed("no volume is mounted at " + path);
    if (const auto* found = RuleEditing::deviceRule(preferences.rules, *volume)) return existing(*found);
    rule = newRule(preferences, RuleScope::device, volume->path);
    rule.name = volume->name;
    rule.volumeID = volume->uuid;
  } else {
    if (const auto* found = RuleEditing::folderRule(preferences.rules, path)) return existing(*found);
    rule = newRule(preferences, RuleScope::folder, path);
  }
  applyChanges(rule, request.changes);
  return saved(backend, rule, "added", request.json);
}

// RULE names a rule by id, by name when only one rule has it, or by path.
std::expected<LocationRule, std::string> findRule(const std::vector<LocationRule>& rules, const std::string& reference) {
  const auto id = canonicalUuid(reference);
  const auto byId = std::ranges::find_if(rules, [&](const auto& rule) { return id && rule.id == *id; });
  if (byId != rules.end()) return *byId;
  std::vector<const LocationRule*> named;
  for (const auto& rule : rules) {
    if (rule.name == reference) named.push_back(&rule);
  }
  if (named.empty() && reference.starts_with('/')) {
    const auto path = RuleResolver::normalized(reference);
    for (const auto& rule : rules) {
      if (RuleResolver::normalized(rule.path) == path) named.push_back(&rule);
    }
  }
  if (named.size() == 1) return *named.front();
  if (named.empty()) return std::unexpected("no rule is called or lies at " + inQuotes(reference));
  std::string candidates;
  for (const auto* rule : named) candidates += (candidates.empty() ? "" : ", ") + rule->id + " " + place(*rule);
  return std::unexpected(inQuotes(reference) + " names several rules; give one id: " + candidates);
}

CommandAnswer changeRule(const CommandRequest& request, CommandBackend& backend) {
  auto rule = findRule(backend.preferences().rules, request.rule);
  if (!rule) return failed(rule.error());
  switch (request.command) {
    case Subcommand::rulesRemove:
      if (auto outcome = backend.deleteRule(rule->id); !outcome) return failed("the rule could not be removed: " + outcome.error());
      return done("removed rule " + describe(*rule) + "\n");
    case Subcommand::rulesEnable:
    case Subcommand::rulesDisable:
      rule->enabled = request.command == Subcommand::rulesEnable;
      return saved(backend, *rule, rule->enabled ? "enabled" : "disabled", request.json);
    default:
      applyChanges(*rule, request.changes);
      return saved(backend, *rule, "changed", request.json);
  }
}

CommandAnswer exportRules(const CommandRequest& request, CommandBackend& backend) {
  const auto portable = PreferenceImport::portable(backend.preferences());
  if (auto saved = Storage::save(portable, request.path); !saved) return failed("cannot write " + request.path + ": " + saved.error());
  return done("exported " + std::to_string(portable.rules.size()) + " rules to " + request.path + "\n");
}

// What an import would change, one line each, in the current settings' terms.
std::vector<std::string> differences(const Preferences& current, const Preferences& next) {
  std::vector<std::string> lines;
  const auto setting = [&](std::string_view name, std::string_view from, std::string_view to) {
    if (from != to) lines.push_back(std::string(name) + ": " + std::string(from) + " -> " + std::string(to));
  };
  setting("grouping", rawValue(current.grouping), rawValue(next.grouping));
  setting("sorting", rawValue(current.sorting), rawValue(next.sorting));
  setting("internal volumes", yesNo(current.internalEnabled), yesNo(next.internalEnabled));
  setting("external volumes", yesNo(current.externalEnabled), yesNo(next.externalEnabled));
  setting("hide dot files", yesNo(current.hideOnNavigation), yesNo(next.hideOnNavigation));
  setting("appearance", current.appearance, next.appearance);
  setting("language", current.language, next.language);
  setting("update checks", rawValue(current.updateFrequency), rawValue(next.updateFrequency));
  setting("view", rawValue(current.view), rawValue(next.view));
  const auto byId = [](const std::vector<LocationRule>& rules, const std::string& id) {
    const auto found = std::ranges::find(rules, id, &LocationRule::id);
    return found == rules.end() ? nullptr : &*found;
  };
  for (const auto& rule : current.rules) {
    if (!byId(next.rules, rule.id)) lines.push_back("remove " + describe(rule));
  }
  for (const auto& rule : next.rules) {
    const auto* old = byId(current.rules, rule.id);
    if (!old) lines.push_back("add " + describe(rule) + " " + place(rule));
    else if (*old != rule) lines.push_back("change " + describe(rule));
  }
  return lines;
}

CommandAnswer importRules(const CommandRequest& request, CommandBackend& backend) {
  const auto imported = Storage::read<Preferences>(request.path);
  if (!imported || !PreferenceImport::validate(*imported)) return failed(request.path + " is not a valid Tidyframe rules file");
  const auto count = std::to_string(imported->rules.size());
  if (request.confirmed) {
    if (auto outcome = backend.importPreferences(*imported); !outcome) {
      return failed("the current settings could not be backed up, nothing was imported: " + outcome.error());
    }
    return done("imported " + count + " rules; the previous settings are in " + std::string(Storage::importBackupFile) + "\n");
  }
  const auto current = backend.preferences();
  auto next = PreferenceImport::portable(*imported);
  next.engineEnabled = current.engineEnabled;
  std::string out = "importing " + request.path + " would replace the settings with " + count + " rules:\n";
  const auto lines = differences(current, next);
  for (const auto& line : lines) out += "  " + line + "\n";
  if (lines.empty()) out += "  (no differences)\n";
  return done(out + "nothing was changed; add --yes to import (the settings are backed up first)\n");
}

std::string dateText(Date date) {
  const auto seconds = static_cast<time_t>(date.unixTime());
  tm parts{};
  if (!gmtime_r(&seconds, &parts)) return "?";
  std::array<char, 32> text{};
  std::strftime(text.data(), text.size(), "%Y-%m-%d %H:%M:%S", &parts);
  return text.data();
}

CommandAnswer activity(const CommandRequest& request, CommandBackend& backend) {
  auto entries = backend.activities();
  if (entries.size() > static_cast<std::size_t>(request.count)) entries.resize(static_cast<std::size_t>(request.count));
  if (request.json) return jsonAnswer(toJson(entries));
  if (entries.empty()) return done("no activity\n");
  std::vector<Row> rows;
  for (const auto& entry : entries) {
    rows.push_back({dateText(entry.date), entry.success ? "ok" : "failed", entry.title, entry.detail, entry.path.value_or("")});
  }
  return done(aligned(rows));
}

CommandAnswer switchEngine(const CommandRequest& request, CommandBackend& backend) {
  const bool on = request.command == Subcommand::on;
  if (auto outcome = backend.setEngineEnabled(on); !outcome) return failed("the switch could not be saved: " + outcome.error());
  const std::string state = on ? "automatic arrangement is on" : "automatic arrangement is off";
  if (backend.running()) return done(state + "\n");
  return done(state + "; Tidyframe is not running, so it takes effect at its next launch\n");
}

std::string_view granted(bool value) { return value ? "granted" : "not granted"; }

CommandAnswer status(const CommandRequest& request, CommandBackend& backend) {
  const auto preferences = backend.preferences();
  const auto running = backend.running();
  Json json{{"running", running.has_value()}, {"engineEnabled", preferences.engineEnabled}};
  std::vector<Row> rows{{"application", running ? "running" : "not running"},
                        {"engine", preferences.engineEnabled ? "on" : "off"}};
  if (running) {
    json.update({{"accessibilityGranted", running->accessibilityGranted},
                 {"automationGranted", running->automationGranted},
                 {"legacyRunning", running->legacyRunning}});
    rows.push_back({"accessibility", std::string(granted(running->accessibilityGranted))});
    rows.push_back({"automation", std::string(granted(running->automationGranted))});
    rows.push_back({"earlier service", running->legacyRunning ? "running" : "not running"});
    rows.push_back({"current folder", running->currentPath.value_or("none")});
  }
  if (running && running->currentPath) {
    CommandRequest explainRequest;
    explainRequest.path = *running->currentPath;
    const auto explanation = explainFor(explainRequest, backend, preferences);
    json["currentFolder"] = explanationJson(RuleResolver::normalized(*running->currentPath), explanation);
    rows.push_back({"arranged by", sourceText(explanation)});
  }
  return request.json ? jsonAnswer(json) : done(aligned(rows));
}

}  // namespace

CommandAnswer runCommand(const CommandRequest& request, CommandBackend& backend) {
  switch (request.command) {
    case Subcommand::status: return status(request, backend);
    case Subcommand::rulesList: return listRules(backend.preferences(), request.json);
    case Subcommand::rulesExplain: return explain(request, backend);
    case Subcommand::rulesAdd: return addRule(request, backend);
    case Subcommand::rulesSet:
    case Subcommand::rulesEnable:
    case Subcommand::rulesDisable:
    case Subcommand::rulesRemove: return changeRule(request, backend);
    case Subcommand::rulesExport: return exportRules(request, backend);
    case Subcommand::rulesImport: return importRules(request, backend);
    case Subcommand::activity: return activity(request, backend);
    case Subcommand::on:
    case Subcommand::off: return switchEngine(request, backend);
  }
  return failed("unknown command");
}

}  // namespace tidyframe
