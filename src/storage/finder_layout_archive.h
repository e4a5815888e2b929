#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/json.h"
#include "base/json_reader.h"
#include "model/grouping.h"
#include "storage/activity_entry.h"

namespace tidyframe {

// How the Finder had a folder arranged before the system first changed it, as the titles of
// the Finder's own menu items ("None", "Kind", "Name", ...).
struct OriginalFinderLayout {
  std::string path;
  // The view text the window reported (for example "icon view"), or "*" for every view.
  std::string view;
  std::optional<std::string> volumeID;
  std::string group;
  std::string sort;

  friend bool operator==(const OriginalFinderLayout&, const OriginalFinderLayout&) = default;
};

// The Finder's original arrangement per folder, view and volume, which restoring a folder
// puts back, and the fingerprint of the arrangement last applied and confirmed there, which
// lets the engine leave an already arranged window alone, also across restarts. A plain value
// owned by the engine on the main queue.
struct FinderLayoutArchive {
  static constexpr std::string_view everyView = "*";

  std::map<std::string, OriginalFinderLayout> originals;
  std::map<std::string, std::string> confirmed;

  // The normalised path, the view and the volume UUID (nothing when absent), joined by line
  // feeds.
  static std::string key(std::string_view path, std::string_view view, const std::optional<std::string>& volumeID);
  // "kind:name:true": changes whenever the rule applied to a folder or the hidden-file
  // setting changes.
  static std::string fingerprint(Grouping group, Sorting sort, bool hide);

  // Keeps `layout` unless its key already has an original (the first arrangement seen stays
  // the original) or its group or sort is empty. When original() already answers a record for
  // the layout's folder, view and volume (for every view, or from the log), the new record
  // takes that record's titles. A given fingerprint replaces the confirmed one of the key,
  // even when the layout itself was not kept.
  void remember(const OriginalFinderLayout& layout, const std::optional<std::string>& fingerprint);

  // The record to restore for a window: the exact record, else one for every view on the same
  // volume, else the record that names no volume, which is never used for a folder on
  // "/Volumes" (it could belong to any disk mounted under that name).
  std::optional<OriginalFinderLayout> original(std::string_view path, std::string_view view,
                                               const std::optional<std::string>& volumeID) const;

  // Drops the confirmed fingerprints of exactly this folder, in every view and volume, so the
  // next query arranges it afresh. Subfolders and originals stay.
  void forgetConfirmation(std::string_view path);

  // Recovers the originals of folders changed before the archive existed: every successful
  // entry with a path and the arrangement it replaced gives a record for every view and no
  // volume. The walk runs from the oldest entry, so each folder keeps the arrangement from
  // before its first recorded change; existing records stay.
  void seed(const std::vector<ActivityEntry>& activities);

  friend bool operator==(const FinderLayoutArchive&, const FinderLayoutArchive&) = default;
};

// The stored form: an object with the required members "confirmed" and "originals", keyed by
// archive key. A record lacking `path`, `view`, `group` or `sort`, or any member of the wrong
// type, fails the whole document. The path part of every key is normalised on reading: of
// stored keys that normalise alike, the one already normalised wins, else the byte-smallest,
// and their confirmations are kept only when they agree.
Json toJson(const FinderLayoutArchive& archive);
// Reads the next value of `reader`, each record straight into the archive's maps.
std::optional<FinderLayoutArchive> fromJson(JsonReader& reader, std::type_identity<FinderLayoutArchive>);

}  // namespace tidyframe
