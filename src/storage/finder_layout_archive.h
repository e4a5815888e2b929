#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/date.h"
#include "base/json.h"
#include "base/json_reader.h"
#include "model/finder_view_choice.h"
#include "model/grouping.h"
#include "storage/activity_entry.h"
#include "storage/storage.h"

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

// What the archive holds for one folder in one view and volume; never nothing.
struct ArchivedFolder {
  std::optional<OriginalFinderLayout> original;
  // The fingerprint of the arrangement last applied and confirmed.
  std::optional<std::string> confirmed;
  // The view the Finder showed the folder in before this system first changed it, as the
  // window reported it ("icon view"); held under the folder's key for every view.
  std::optional<std::string> originalView = std::nullopt;

  friend bool operator==(const ArchivedFolder&, const ArchivedFolder&) = default;
};

// The Finder's original arrangement per folder, view and volume, which restoring a folder
// puts back, and the fingerprint of the arrangement last applied and confirmed there, which
// lets the engine leave an already arranged window alone, also across restarts. A plain value
// owned by the engine on the main queue.
//
// Stored as a document and a journal beside it: a save appends the changes since the last one,
// and the document is rewritten only once the journal has grown past a quarter of the
// archive's folders, so recording an arrangement costs the same in a large archive as in a
// small one.
struct FinderLayoutArchive {
  static constexpr std::string_view everyView = "*";

  // One entry per key, which holds both parts: a folder costs one node and one key, and the
  // document, which lists the parts apart, reads into it with half the lookups.
  std::map<std::string, ArchivedFolder, std::less<>> folders;
  // The changes not yet handed to the writer, one journal line each.
  std::vector<std::string> unsaved;
  // The changes the stored journal holds beyond its document; nothing when the journal cannot
  // be extended (missing, torn, damaged or written for another document), so the next save
  // rewrites the document.
  std::optional<std::size_t> journalLength;

  // The normalised path, the view and the volume UUID (nothing when absent), joined by line
  // feeds.
  static std::string key(std::string_view path, std::string_view view, const std::optional<std::string>& volumeID);
  // "kind:name:true": changes whenever the rule applied to a folder or the hidden-file
  // setting changes. A wanted view other than `keep` is added ("kind:name:true:list"), so the
  // fingerprints of places without one stay those the earlier build wrote.
  static std::string fingerprint(Grouping group, Sorting sort, bool hide,
                                 FinderViewChoice view = FinderViewChoice::keep);

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

  // Keeps `view`, the view a window reported before this system first changed it, as the
  // Finder's own view of the folder on that volume, unless one is known already (the first
  // stays) or `view` is empty.
  void rememberView(std::string_view path, const std::optional<std::string>& volumeID, std::string_view view);

  // The Finder's own view of the folder on that volume, if it was ever changed.
  std::optional<std::string> originalView(std::string_view path, const std::optional<std::string>& volumeID) const;

  // Drops the confirmed fingerprints of exactly this folder, in every view and volume, so the
  // next query arranges it afresh. Subfolders and originals stay.
  void forgetConfirmation(std::string_view path);

  // Recovers the originals of folders changed before the archive existed: every successful
  // entry with a path and the arrangement it replaced gives a record for every view and no
  // volume. The walk runs from the oldest entry, so each folder keeps the arrangement from
  // before its first recorded change; existing records stay.
  void seed(const std::vector<ActivityEntry>& activities);

  // What the next save of the archive writes: the changes since the last save as journal lines,
  // or the whole document with a fresh journal when the journal cannot be extended, would grow
  // past a quarter of the folders, or when `whole` is asked for (at quit) and it holds any
  // change. The document is encoded from a copy on the writer's queue.
  DocumentUpdate takeUpdate(bool whole = false);

  // The confirmed fingerprint of a key, if any.
  const std::string* confirmation(std::string_view archiveKey) const;

  // Equal records and confirmations; how they are stored does not count.
  friend bool operator==(const FinderLayoutArchive& a, const FinderLayoutArchive& b) {
    return a.folders == b.folders;
  }
};

// The stored form: an object with the required members "confirmed" and "originals", keyed by
// archive key, and "views" (the original views, by the key for every view) only when there are
// any, which a build that knows no views passes over. A record lacking `path`, `view`, `group` or `sort`, or any member of the wrong
// type, fails the whole document. The path part of every key is normalised on reading: of
// stored keys that normalise alike, the one already normalised wins, else the byte-smallest,
// and their confirmations are kept only when they agree.
Json toJson(const FinderLayoutArchive& archive);
// Reads the next value of `reader`, each record straight into the archive's maps.
std::optional<FinderLayoutArchive> fromJson(JsonReader& reader, std::type_identity<FinderLayoutArchive>);
// The same from the whole document text, read with a parser made for speed.
std::optional<FinderLayoutArchive> decodeArchive(std::string text);
// The document text, byte for byte what writeJson(toJson(archive)) writes, without the tree.
std::string encodeArchive(const FinderLayoutArchive& archive);

struct LoadedArchive {
  FinderLayoutArchive archive;
  // The files of the archive that could neither be read nor copied aside: nothing may save
  // the archive until Storage::keepAside() of each succeeded.
  std::vector<std::string> notKeptAside;
};

// Reads the document (of any size) and replays its journal. A journal written for another
// generation of the document (one rewritten by a build that knows no journal) gives back only
// its originals, which were recorded before any the document gained without them; its
// confirmations are dropped, so those folders are arranged again. A torn last line (a write
// cut off) is ignored. A document or a journal that cannot be read is copied aside as load()
// does and then reads as absent.
LoadedArchive loadArchive(const Storage& storage, Date now);

}  // namespace tidyframe
