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

// The path part of a key. A path may hold line feeds (a Finder URL can carry "%0A"), a view
// text and a volume UUID never do, so the key splits exactly from the right. Nothing for a key
// without both line feeds.
std::optional<std::string_view> pathOfKey(std::string_view key) {
  const auto volume = key.rfind('\n');
  if (volume == std::string_view::npos || volume == 0) return std::nullopt;
  const auto view = key.rfind('\n', volume - 1);
  if (view == std::string_view::npos) return std::nullopt;
  return key.substr(0, view);
}

Json toJson(const OriginalFinderLayout& layout) {
  Json object = {{member::path, layout.path},
                 {member::view, layout.view},
                 {member::group, layout.group},
                 {member::sort, layout.sort}};
  if (layout.volumeID) object[member::volumeID] = *layout.volumeID;
  return object;
}

std::optional<OriginalFinderLayout> readLayout(JsonReader& reader) {
  JsonFields fields(reader, {member::path, member::view, member::volumeID, member::group, member::sort});
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
// matches the lookups; a key without both line feeds stays as stored.
std::string normalizedKey(const std::string& stored) {
  const auto path = pathOfKey(stored);
  if (!path) return stored;
  return keyPrefix(*path) + stored.substr(path->size() + 1);
}

// Per normalised key, every stored key that normalises to it with its value, in byte order of
// the stored keys (the order in which a JSON object lists its members).
template <class T>
using Candidates = std::map<std::string, std::vector<std::pair<std::string, T>>>;

// Reads an object of records straight into `candidates`, one record at a time. A repeated key
// keeps its last record, and a repeated member its last object, as a parsed document would.
template <class T, class Read>
bool readCandidates(JsonReader& reader, Candidates<T>& candidates, bool& seen, Read read) {
  candidates.clear();
  seen = true;
  const bool complete = reader.object([&](std::string stored) {
    auto value = read(reader);
    if (!value) return false;
    auto& list = candidates[normalizedKey(stored)];
    const auto same = std::ranges::find(list, stored, &std::pair<std::string, T>::first);
    if (same != list.end()) {
      same->second = std::move(*value);
    } else {
      list.emplace_back(std::move(stored), std::move(*value));
    }
    return true;
  });
  for (auto& [key, list] : candidates) std::ranges::sort(list, {}, &std::pair<std::string, T>::first);
  return complete;
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
  // Without a volume this key is the one naming no volume, which the /Volumes check guards.
  if (volumeID) {
    if (auto everyViewOnVolume = find(key(path, everyView, volumeID))) return everyViewOnVolume;
  }
  if (RuleResolver::contains(externalVolumes, path)) return std::nullopt;
  return find(key(path, everyView, std::nullopt));
}

void FinderLayoutArchive::forgetConfirmation(std::string_view path) {
  const auto folder = RuleResolver::normalized(path);
  auto entry = confirmed.lower_bound(folder + '\n');
  while (entry != confirmed.end() && entry->first.starts_with(folder + '\n')) {
    entry = pathOfKey(entry->first) == folder ? confirmed.erase(entry) : std::next(entry);
  }
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

std::optional<FinderLayoutArchive> fromJson(JsonReader& reader, std::type_identity<FinderLayoutArchive>) {
  Candidates<OriginalFinderLayout> originals;
  Candidates<std::string> confirmed;
  bool sawOriginals = false;
  bool sawConfirmed = false;
  const auto readFingerprint = [](JsonReader& text) { return text.string(); };
  const JsonFields fields(
      reader, {},
      {{member::originals,
        [&](JsonReader& map) { return readCandidates(map, originals, sawOriginals, readLayout); }},
       {member::confirmed,
        [&](JsonReader& map) { return readCandidates(map, confirmed, sawConfirmed, readFingerprint); }}});
  if (fields.failed() || !sawOriginals || !sawConfirmed) return std::nullopt;
  return FinderLayoutArchive{chosenOriginals(std::move(originals)), agreedConfirmations(confirmed)};
}

}  // namespace tidyframe
