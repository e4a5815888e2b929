#include "model/settings_document.h"

#include "base/base64.h"
#include "model/json_fields.h"

namespace tidyframe {

namespace {

std::string raw(auto value) { return std::string(rawValue(value)); }

std::optional<Bytes> bookmark(JsonFields& fields) {
  const auto text = fields.optionalText("bookmark");
  if (!text) return std::nullopt;
  auto bytes = base64Decode(*text);
  if (!bytes) fields.fail();
  return bytes;
}

std::optional<std::vector<LocationRule>> rules(const JsonFields& fields) {
  const Json* list = fields.member("rules");
  if (!list) return std::vector<LocationRule>{};
  if (!list->is_array()) return std::nullopt;
  std::vector<LocationRule> result;
  result.reserve(list->size());
  for (const auto& element : *list) {
    auto rule = fromJson(element, std::type_identity<LocationRule>{});
    if (!rule) return std::nullopt;
    result.push_back(std::move(*rule));
  }
  return result;
}

// Settings written before the update checker existed, or by a later version with another
// choice, must not fail as a whole: they get weekly checks.
SoftwareUpdateFrequency updateFrequency(const JsonFields& fields) {
  const Json* value = fields.member("updateFrequency");
  if (!value || !value->is_string()) return SoftwareUpdateFrequency::weekly;
  return fromRaw<SoftwareUpdateFrequency>(value->get_ref<const std::string&>())
      .value_or(SoftwareUpdateFrequency::weekly);
}

}  // namespace

Json toJson(const LocationRule& rule) {
  Json object = {
      {"id", rule.id},
      {"name", rule.name},
      {"path", rule.path},
      {"scope", raw(rule.scope)},
      {"includeChildren", rule.includeChildren},
      {"enabled", rule.enabled},
      {"excluded", rule.excluded},
      {"grouping", raw(rule.grouping)},
      {"sorting", raw(rule.sorting)},
  };
  if (rule.volumeID) object["volumeID"] = *rule.volumeID;
  if (rule.bookmark) object["bookmark"] = base64Encode(*rule.bookmark);
  return object;
}

Json toJson(const Preferences& preferences) {
  Json rules = Json::array();
  for (const auto& rule : preferences.rules) rules.push_back(toJson(rule));
  return {
      {"updateFrequency", raw(preferences.updateFrequency)},
      {"grouping", raw(preferences.grouping)},
      {"sorting", raw(preferences.sorting)},
      {"internalEnabled", preferences.internalEnabled},
      {"externalEnabled", preferences.externalEnabled},
      {"hideOnNavigation", preferences.hideOnNavigation},
      {"appearance", preferences.appearance},
      {"language", preferences.language},
      {"engineEnabled", preferences.engineEnabled},
      {"rules", std::move(rules)},
  };
}

std::optional<LocationRule> fromJson(const Json& value, std::type_identity<LocationRule>) {
  JsonFields fields(value);
  LocationRule rule{
      .id = fields.uuid("id"),
      .name = fields.text("name"),
      .path = fields.text("path"),
      .volumeID = fields.optionalText("volumeID"),
      .scope = fields.choice<RuleScope>("scope"),
      .includeChildren = fields.flag("includeChildren"),
      .enabled = fields.flag("enabled"),
      .excluded = fields.flag("excluded"),
      .grouping = fields.choice<Grouping>("grouping"),
      .sorting = fields.choice<Sorting>("sorting"),
      .bookmark = bookmark(fields),
  };
  if (fields.failed()) return std::nullopt;
  return rule;
}

std::optional<Preferences> fromJson(const Json& value, std::type_identity<Preferences>) {
  const Preferences fresh;
  JsonFields fields(value);
  auto rules = tidyframe::rules(fields);
  if (!rules) return std::nullopt;
  Preferences preferences{
      .grouping = fields.optionalChoice<Grouping>("grouping").value_or(fresh.grouping),
      .sorting = fields.optionalChoice<Sorting>("sorting").value_or(fresh.sorting),
      .internalEnabled = fields.optionalFlag("internalEnabled").value_or(fresh.internalEnabled),
      .externalEnabled = fields.optionalFlag("externalEnabled").value_or(fresh.externalEnabled),
      .hideOnNavigation = fields.optionalFlag("hideOnNavigation").value_or(fresh.hideOnNavigation),
      .appearance = fields.optionalText("appearance").value_or(fresh.appearance),
      .language = fields.optionalText("language").value_or(fresh.language),
      .updateFrequency = updateFrequency(fields),
      .engineEnabled = fields.optionalFlag("engineEnabled").value_or(fresh.engineEnabled),
      .rules = std::move(*rules),
  };
  if (fields.failed()) return std::nullopt;
  return preferences;
}

}  // namespace tidyframe
