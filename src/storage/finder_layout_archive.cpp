#include "storage/finder_layout_archive.h"

#include <algorithm>

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

// The stored key with its path part normalised, so that a path the Finder reported decomposed
// matches the lookups. The view and the volume UUID never hold a line feed, so the key splits
// from the right; a key without both line feeds stays as stored.
std::string normalizedKey(const std::string& stored) {
  const auto volume = stored.rfind('\n');
  if (volume == std::string::npos || volume == 0) return stored;
  const auto view = stored.rfind('\n', volume - 1);
  if (view == std::string::npos) return stored;
  return keyPrefix(std::string_view(stored).substr(0, view)) + stored.substr(view + 1);
}

// Per normalised key, every stored key that normalises to it with its value, in byte order of
// the stored keys (the order in which a JSON object lists its members).
template <class T>
using Candidates = std::map<std::string, std::vector<std::pair<std::string, T>>>;

template <class T, class Decode>
std::optional<Candidates<T>> candidatesFromJson(const Json* object, Decode decode) {
  if (!object || !object->is_object()) return std::nullopt;
  Candidates<T> result;
  for (const auto& [stored, member] : object->items()) {
    auto value = decode(member);
    if (!value) return std::nullopt;
    result[normalizedKey(stored)].emplace_back(stored, std::move(*value));
  }
  return result;
}

// The record stored under the normalised key itself wins, else that of the byte-smallest key.
std::map<std::string, OriginalFinderLayout> chosenOriginals(Candidates<OriginalFinderLayout> candidates) {
  std::map<std::string, OriginalFinderLayout> result;
  for (auto& [key, stored] : candidates) {
    auto winner = std::ranges::find(stored, key, &std::pair<std::string, OriginalFinderLayout>::first);
    if (winner == stored.end()) winner = stored.begin();
    result.emplace_hint(result.end(), key, std::move(winner->second));
  }
  return result;
}

// Confirmations that disagree about one folder vouch for nothing: it is simply arranged again.
std::map<std::string, std::string> agreedConfirmations(const Candidates<std::string>& candidates) {
  std::map<std::string, std::string> result;
  for (const auto& [key, stored] : candidates) {
    const auto& first = stored.front().second;
    const bool agree = std::ranges::all_of(stored, [&](const auto& entry) { return entry.second == first; });
    if (agree) result.emplace_hint(result.end(), key, first);
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

// A record for every view, or one seeded from the log, was made before the titles read now,
// which may already show this system's own arrangement: the first known original wins.
void FinderLayoutArchive::remember(const OriginalFinderLayout& layout, const std::optional<std::string>& fingerprint) {
  const auto archiveKey = key(layout.path, layout.view, layout.volumeID);
  if (!layout.group.empty() && !layout.sort.empty() && !originals.contains(archiveKey)) {
    auto record = layout;
    if (const auto earlier = original(layout.path, layout.view, layout.volumeID)) {
      record.group = earlier->group;
      record.sort = earlier->sort;
    }
    originals.emplace(archiveKey, std::move(record));
  }
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
  auto originals = candidatesFromJson<OriginalFinderLayout>(fields.member(member::originals), layoutFromJson);
  auto confirmed = candidatesFromJson<std::string>(fields.member(member::confirmed), fingerprintFromJson);
  if (!originals || !confirmed) return std::nullopt;
  return FinderLayoutArchive{chosenOriginals(std::move(*originals)), agreedConfirmations(*confirmed)};
}

}  // namespace tidyframe
