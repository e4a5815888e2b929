#include "storage/finder_layout_archive.h"

#include "model/json_fields.h"
#include "model/rule_resolver.h"

namespace tidyframe {

namespace {

// The document's member names, shared with files of the earlier build.
namespace member {
constexpr const char* originals = "originals";
constexpr const char* confirmed = "confirmed";
constexpr const char* path = "path";
constexpr const char* view = "view";
constexpr const char* volumeID = "volumeID";
constexpr const char* group = "group";
constexpr const char* sort = "sort";
}  // namespace member

constexpr std::string_view externalVolumes = "/Volumes";

std::string keyPrefix(std::string_view path) { return RuleResolver::normalized(path) + '\n'; }

Json toJson(const OriginalFinderLayout& layout) {
  Json object = {{member::path, layout.path},
                 {member::view, layout.view},
                 {member::group, layout.group},
                 {member::sort, layout.sort}};
  if (layout.volumeID) object[member::volumeID] = *layout.volumeID;
  return object;
}

std::optional<OriginalFinderLayout> layoutFromJson(const Json& value) {
  JsonFields fields(value);
  OriginalFinderLayout layout{
      .path = fields.text(member::path),
      .view = fields.text(member::view),
      .volumeID = fields.optionalText(member::volumeID),
      .group = fields.text(member::group),
      .sort = fields.text(member::sort),
  };
  if (fields.failed()) return std::nullopt;
  return layout;
}

template <class T, class Decode>
std::optional<std::map<std::string, T>> mapFromJson(const Json* object, Decode decode) {
  if (!object || !object->is_object()) return std::nullopt;
  std::map<std::string, T> result;
  for (const auto& [key, member] : object->items()) {
    auto value = decode(member);
    if (!value) return std::nullopt;
    result.emplace_hint(result.end(), key, std::move(*value));
  }
  return result;
}

std::optional<std::string> fingerprintFromJson(const Json& value) {
  if (!value.is_string()) return std::nullopt;
  return value.get<std::string>();
}

}  // namespace

std::string FinderLayoutArchive::key(std::string_view path, std::string_view view,
                                     const std::optional<std::string>& volumeID) {
  std::string result = keyPrefix(path);
  result += view;
  result += '\n';
  if (volumeID) result += *volumeID;
  return result;
}

std::string FinderLayoutArchive::fingerprint(Grouping group, Sorting sort, bool hide) {
  return std::string(rawValue(group)) + ":" + std::string(rawValue(sort)) + ":" + (hide ? "true" : "false");
}

void FinderLayoutArchive::remember(const OriginalFinderLayout& layout, const std::optional<std::string>& fingerprint) {
  const auto archiveKey = key(layout.path, layout.view, layout.volumeID);
  if (!layout.group.empty() && !layout.sort.empty()) originals.try_emplace(archiveKey, layout);
  if (fingerprint) confirmed.insert_or_assign(archiveKey, *fingerprint);
}

std::optional<OriginalFinderLayout> FinderLayoutArchive::original(std::string_view path, std::string_view view,
                                                                  const std::optional<std::string>& volumeID) const {
  const auto find = [this](const std::string& archiveKey) -> std::optional<OriginalFinderLayout> {
    const auto found = originals.find(archiveKey);
    if (found == originals.end()) return std::nullopt;
    return found->second;
  };
  if (auto exact = find(key(path, view, volumeID))) return exact;
  if (auto everyViewOnVolume = find(key(path, everyView, volumeID))) return everyViewOnVolume;
  if (RuleResolver::contains(externalVolumes, path)) return std::nullopt;
  return find(key(path, everyView, std::nullopt));
}

void FinderLayoutArchive::forgetConfirmation(std::string_view path) {
  const auto prefix = keyPrefix(path);
  auto entry = confirmed.lower_bound(prefix);
  while (entry != confirmed.end() && entry->first.starts_with(prefix)) entry = confirmed.erase(entry);
}

void FinderLayoutArchive::seed(const std::vector<ActivityEntry>& activities) {
  for (auto entry = activities.rbegin(); entry != activities.rend(); ++entry) {
    if (!entry->success || !entry->path || !entry->previousGroup || !entry->previousSort) continue;
    remember({*entry->path, std::string(everyView), std::nullopt, *entry->previousGroup, *entry->previousSort},
             std::nullopt);
  }
}

Json toJson(const FinderLayoutArchive& archive) {
  Json originals = Json::object();
  for (const auto& [key, layout] : archive.originals) originals[key] = toJson(layout);
  Json confirmed = Json::object();
  for (const auto& [key, fingerprint] : archive.confirmed) confirmed[key] = fingerprint;
  return {{member::originals, std::move(originals)}, {member::confirmed, std::move(confirmed)}};
}

std::optional<FinderLayoutArchive> fromJson(const Json& value, std::type_identity<FinderLayoutArchive>) {
  const JsonFields fields(value);
  auto originals = mapFromJson<OriginalFinderLayout>(fields.member(member::originals), layoutFromJson);
  auto confirmed = mapFromJson<std::string>(fields.member(member::confirmed), fingerprintFromJson);
  if (!originals || !confirmed) return std::nullopt;
  return FinderLayoutArchive{std::move(*originals), std::move(*confirmed)};
}

}  // namespace tidyframe
