#include "model/settings_document.h"

#include "base/base64.h"
#include "model/json_fields.h"

namespace tidyframe {

namespace {

// The document's member names, shared with files of the earlier build.
namespace member {
constexpr const char* updateFrequency = "updateFrequency";
constexpr const char* grouping = "grouping";
constexpr const char* sorting = "sorting";
constexpr const char* internalEnabled = "internalEnabled";
constexpr const char* externalEnabled = "externalEnabled";
constexpr const char* hideOnNavigation = "hideOnNavigation";
constexpr const char* appearance = "appearance";
constexpr const char* language = "language";
constexpr const char* engineEnabled = "engineEnabled";
constexpr const char* rules = "rules";
constexpr const char* id = "id";
constexpr const char* name = "name";
constexpr const char* path = "path";
constexpr const char* volumeID = "volumeID";
constexpr const char* scope = "scope";
constexpr const char* includeChildren = "includeChildren";
constexpr const char* enabled = "enabled";
constexpr const char* excluded = "excluded";
constexpr const char* bookmark = "bookmark";
constexpr const char* view = "view";
}  // namespace member

std::string raw(auto value) { return std::string(rawValue(value)); }

std::optional<Bytes> bookmark(JsonFields& fields) {
  const auto text = fields.optionalText(member::bookmark);
  if (!text) return std::nullopt;
  auto bytes = base64Decode(*text);
  if (!bytes) fields.fail();
  return bytes;
}

// Null reads as no rules, like a missing member; a repeated member keeps its last list.
bool readRules(JsonReader& reader, std::vector<LocationRule>& rules) {
  rules.clear();
  if (reader.peek() == JsonReader::Kind::null) return reader.skip();
  return reader.array([&] {
    auto rule = fromJson(reader, std::type_identity<LocationRule>{});
    if (rule) rules.push_back(std::move(*rule));
    return rule.has_value();
  });
}

// Settings written before the update checker existed, or by a later version with another
// choice, must not fail as a whole: they get weekly checks.
SoftwareUpdateFrequency updateFrequency(const JsonFields& fields) {
  const Json* value = fields.member(member::updateFrequency);
  if (!value || !value->is_string()) return SoftwareUpdateFrequency::weekly;
  return fromRaw<SoftwareUpdateFrequency>(value->get_ref<const std::string&>())
      .value_or(SoftwareUpdateFrequency::weekly);
}

// A view named by a later build, or of the wrong type, reads as no choice, so that such a
// document stays readable: the place then follows the default.
std::optional<FinderViewChoice> view(const JsonFields& fields) {
  const Json* value = fields.member(member::view);
  if (!value || !value->is_string()) return std::nullopt;
  return fromRaw<FinderViewChoice>(value->get_ref<const std::string&>());
}

}  // namespace

Json toJson(const LocationRule& rule) {
  Json object = {
      {member::id, rule.id},
      {member::name, rule.name},
      {member::path, rule.path},
      {member::scope, raw(rule.scope)},
      {member::includeChildren, rule.includeChildren},
      {member::enabled, rule.enabled},
      {member::excluded, rule.excluded},
      {member::grouping, raw(rule.grouping)},
      {member::sorting, raw(rule.sorting)},
  };
  if (rule.volumeID) object[member::volumeID] = *rule.volumeID;
  if (rule.bookmark) object[member::bookmark] = base64Encode(*rule.bookmark);
  if (rule.view) object[member::view] = raw(*rule.view);
  return object;
}

Json toJson(const Preferences& preferences) {
  Json rules = Json::array();
  for (const auto& rule : preferences.rules) rules.push_back(toJson(rule));
  Json object = {
      {member::updateFrequency, raw(preferences.updateFrequency)},
      {member::grouping, raw(preferences.grouping)},
      {member::sorting, raw(preferences.sorting)},
      {member::internalEnabled, preferences.internalEnabled},
      {member::externalEnabled, preferences.externalEnabled},
      {member::hideOnNavigation, preferences.hideOnNavigation},
      {member::appearance, preferences.appearance},
      {member::language, preferences.language},
      {member::engineEnabled, preferences.engineEnabled},
      {member::rules, std::move(rules)},
  };
  // Written only when chosen, so settings without a view stay as the earlier build wrote them.
  if (preferences.view != FinderViewChoice::keep) object[member::view] = raw(preferences.view);
  return object;
}

std::optional<LocationRule> fromJson(JsonReader& reader, std::type_identity<LocationRule>) {
  JsonFields fields(reader, {member::id, member::name, member::path, member::volumeID, member::scope,
                             member::includeChildren, member::enabled, member::excluded, member::grouping,
                             member::sorting, member::bookmark, member::view});
  LocationRule rule{
      .id = fields.uuid(member::id),
      .name = fields.text(member::name),
      .path = fields.text(member::path),
      .volumeID = fields.optionalText(member::volumeID),
      .scope = fields.choice<RuleScope>(member::scope),
      .includeChildren = fields.flag(member::includeChildren),
      .enabled = fields.flag(member::enabled),
      .excluded = fields.flag(member::excluded),
      .grouping = fields.choice<Grouping>(member::grouping),
      .sorting = fields.choice<Sorting>(member::sorting),
      .bookmark = bookmark(fields),
      .view = view(fields),
  };
  if (fields.failed()) return std::nullopt;
  return rule;
}

std::optional<Preferences> fromJson(JsonReader& reader, std::type_identity<Preferences>) {
  const Preferences fresh;
  std::vector<LocationRule> rules;
  JsonFields fields(reader,
                    {member::updateFrequency, member::grouping, member::sorting, member::internalEnabled,
                     member::externalEnabled, member::hideOnNavigation, member::appearance, member::language,
                     member::engineEnabled, member::view},
                    {{member::rules, [&](JsonReader& list) { return readRules(list, rules); }}});
  Preferences preferences{
      .grouping = fields.optionalChoice<Grouping>(member::grouping).value_or(fresh.grouping),
      .sorting = fields.optionalChoice<Sorting>(member::sorting).value_or(fresh.sorting),
      .internalEnabled = fields.optionalFlag(member::internalEnabled).value_or(fresh.internalEnabled),
      .externalEnabled = fields.optionalFlag(member::externalEnabled).value_or(fresh.externalEnabled),
      .hideOnNavigation = fields.optionalFlag(member::hideOnNavigation).value_or(fresh.hideOnNavigation),
      .appearance = fields.optionalText(member::appearance).value_or(fresh.appearance),
      .language = fields.optionalText(member::language).value_or(fresh.language),
      .updateFrequency = updateFrequency(fields),
      .engineEnabled = fields.optionalFlag(member::engineEnabled).value_or(fresh.engineEnabled),
      .rules = std::move(rules),
      .view = view(fields).value_or(fresh.view),
  };
  if (fields.failed()) return std::nullopt;
  return preferences;
}

}  // namespace tidyframe
