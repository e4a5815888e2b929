#include "storage/finder_layout_archive.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <set>

// RapidJSON inlines its per-character steps only where NDEBUG is set; our builds keep
// assertions, and a launch reads tens of megabytes through those steps.
#if !defined(RAPIDJSON_FORCEINLINE) && defined(__GNUC__)
#define RAPIDJSON_FORCEINLINE __attribute__((always_inline))
#endif
// Its vector steps scan strings and white space 16 bytes at a time.
#if defined(__SSE2__)
#define RAPIDJSON_SSE2
#elif defined(__ARM_NEON)
#define RAPIDJSON_NEON
#endif
#include <rapidjson/reader.h>

#include "base/unicode.h"
#include "model/json_fields.h"
#include "model/rule_resolver.h"

namespace tidyframe {

namespace {

// The document's member names, shared with files of the earlier build.
namespace member {
constexpr const char* originals = "originals";
constexpr const char* confirmed = "confirmed";
constexpr const char* views = "views";
constexpr const char* path = "path";
constexpr const char* view = "view";
constexpr const char* volumeID = "volumeID";
constexpr const char* group = "group";
constexpr const char* sort = "sort";
// Journal lines: a change of one key, or the confirmations of one folder forgotten.
constexpr const char* key = "key";
constexpr const char* original = "original";
constexpr const char* forget = "forget";
// A folder's original view, on a line of its own.
constexpr const char* viewKey = "viewKey";
constexpr const char* originalView = "originalView";
}  // namespace member

// A journal line at most this many changes past the document's records, a quarter of them,
// before the document is rewritten.
constexpr std::size_t journalShare = 4;

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

// A record as read, each member present or not.
struct RecordFields {
  std::optional<std::string> path, view, volumeID, group, sort;

  std::optional<std::string>* named(std::string_view name) {
    if (name == member::path) return &path;
    if (name == member::view) return &view;
    if (name == member::volumeID) return &volumeID;
    if (name == member::group) return &group;
    if (name == member::sort) return &sort;
    return nullptr;
  }

  // Nothing when a required member is missing.
  std::optional<OriginalFinderLayout> layout() && {
    if (!path || !view || !group || !sort) return std::nullopt;
    return OriginalFinderLayout{std::move(*path), std::move(*view), std::move(volumeID), std::move(*group),
                                std::move(*sort)};
  }
};

// Member by member, as JsonFields reads them: null counts as absent, other members are
// skipped, a wrong type fails; without building a tree for each of many records.
std::optional<OriginalFinderLayout> readLayout(JsonReader& reader) {
  RecordFields fields;
  const bool read = reader.object([&](std::string name) {
    auto* field = fields.named(name);
    if (!field) return reader.skip();
    if (reader.peek() == JsonReader::Kind::null) {
      field->reset();
      return reader.skip();
    }
    *field = reader.string();
    return field->has_value();
  });
  if (!read) return std::nullopt;
  return std::move(fields).layout();
}

// The stored key with its path part normalised, so that a path the Finder reported decomposed
// matches the lookups; a key without both line feeds stays as stored.
std::string normalizedKey(std::string_view stored) {
  const auto path = pathOfKey(stored);
  if (!path) return std::string(stored);
  return keyPrefix(*path) + std::string(stored.substr(path->size() + 1));
}

using Folders = std::map<std::string, ArchivedFolder, std::less<>>;

// Keeps the invariant that an entry holds something; answers the next one.
Folders::iterator eraseIfEmpty(Folders& folders, Folders::iterator entry) {
  const auto& folder = entry->second;
  if (folder.original || folder.confirmed || folder.originalView) return std::next(entry);
  return folders.erase(entry);
}

// Per normalised key, every stored key that normalises to it but differs from it, with its
// value, in byte order of the stored keys (the order in which a JSON object lists its members).
template <class T>
using Candidates = std::map<std::string, std::vector<std::pair<std::string, T>>>;

// One of the document's two objects of records, "originals" or "confirmed", read one record at
// a time into its part of the archive's folders: a record under a normalised key (as every key
// this system writes) straight into its folder, the others among the candidates of their
// normalised key. A repeated key keeps its last record, as a parsed document would.
template <class T>
class RecordSection {
 public:
  RecordSection(Folders& folders, std::optional<T> ArchivedFolder::*part) : folders_(folders), part_(part) {}

  bool seen() const { return seen_; }
  Candidates<T>& candidates() { return candidates_; }

  // A repeated member replaces what the earlier one held, as in a parsed document.
  void start() {
    if (std::exchange(seen_, true)) drop();
    next_ = folders_.begin();
  }

  void keep(std::string_view stored, T&& value) {
    // A key the map holds was kept straight, so its check is already done.
    if (!atNext(stored)) {
      const auto path = pathOfKey(stored);
      if (path && !RuleResolver::isNormalized(*path)) return addCandidate(stored, std::move(value));
    }
    locate(stored)->second.*part_ = std::move(value);
  }

 private:
  bool atNext(std::string_view stored) const { return next_ != folders_.end() && next_->first == stored; }

  // Each object of a document this system wrote lists its keys in byte order, the map's own:
  // after one key's entry, the next key's is found or made without a search.
  Folders::iterator locate(std::string_view stored) {
    if (atNext(stored)) return next_++;
    const bool fits = (next_ == folders_.end() || stored < next_->first) &&
                      (next_ == folders_.begin() || std::prev(next_)->first < stored);
    const auto entry = fits ? folders_.emplace_hint(next_, std::piecewise_construct, std::forward_as_tuple(stored),
                                                    std::forward_as_tuple())
                            : folders_.try_emplace(std::string(stored)).first;
    next_ = std::next(entry);
    return entry;
  }

  void addCandidate(std::string_view stored, T&& value) {
    auto& list = candidates_[normalizedKey(stored)];
    const auto same = std::ranges::find(list, stored, &std::pair<std::string, T>::first);
    if (same != list.end()) {
      same->second = std::move(value);
    } else {
      list.emplace_back(stored, std::move(value));
    }
  }

  void drop() {
    candidates_.clear();
    for (auto entry = folders_.begin(); entry != folders_.end();) {
      (entry->second.*part_).reset();
      entry = eraseIfEmpty(folders_, entry);
    }
  }

  Folders& folders_;
  std::optional<T> ArchivedFolder::*part_;
  Candidates<T> candidates_;
  bool seen_ = false;
  Folders::iterator next_ = folders_.end();
};

// The objects of records of one document.
struct RecordSections {
  explicit RecordSections(Folders& folders)
      : originals(folders, &ArchivedFolder::original),
        confirmed(folders, &ArchivedFolder::confirmed),
        views(folders, &ArchivedFolder::originalView) {}

  RecordSection<OriginalFinderLayout> originals;
  RecordSection<std::string> confirmed;
  RecordSection<std::string> views;
};

template <class T, class Read>
bool readRecords(JsonReader& reader, RecordSection<T>& section, Read read) {
  section.start();
  return reader.object([&](std::string stored) {
    auto value = read(reader);
    if (value) section.keep(stored, std::move(*value));
    return value.has_value();
  });
}

// Of the originals stored under keys that normalise alike, the one under the normalised key
// itself wins, else that of the byte-smallest key.
template <class T>
void settleOriginals(Folders& folders, RecordSection<T>& section, std::optional<T> ArchivedFolder::*part) {
  for (auto& [key, stored] : section.candidates()) {
    auto& original = folders[key].*part;
    if (original) continue;
    std::ranges::sort(stored, {}, &std::pair<std::string, T>::first);
    original = std::move(stored.front().second);
  }
}

// Confirmations that disagree about one folder vouch for nothing: it is simply arranged again.
void settleCandidates(Folders& folders, RecordSections& sections) {
  settleOriginals(folders, sections.originals, &ArchivedFolder::original);
  settleOriginals(folders, sections.views, &ArchivedFolder::originalView);
  for (const auto& [key, stored] : sections.confirmed.candidates()) {
    const auto normal = folders.find(key);
    const bool hasNormal = normal != folders.end() && normal->second.confirmed;
    const auto& first = hasNormal ? *normal->second.confirmed : stored.front().second;
    const bool agree = std::ranges::all_of(stored, [&](const auto& entry) { return entry.second == first; });
    if (agree && !hasNormal) folders[key].confirmed = first;
    if (!agree && hasNormal) {
      normal->second.confirmed.reset();
      eraseIfEmpty(folders, normal);
    }
  }
}

// RapidJSON's vector scan of a string lets the control characters 0x1A to 0x1F through (it
// compares with 0x19); JSON allows them nowhere, so a text that holds one is refused first, 16
// bytes at a time in the compiler's portable vectors.
bool holdsLateControl(std::string_view text) {
  using Block = unsigned char __attribute__((vector_size(16)));
  const auto late = [](unsigned char byte) { return byte > 0x19 && byte < 0x20; };
  std::size_t at = 0;
  for (Block block; at + sizeof block <= text.size(); at += sizeof block) {
    std::memcpy(&block, text.data() + at, sizeof block);
    const auto found = block - 0x1A < 6;
    std::uint64_t halves[2];
    std::memcpy(halves, &found, sizeof halves);
    if ((halves[0] | halves[1]) != 0) return true;
  }
  return std::ranges::any_of(text.substr(at), late);
}

// RapidJSON's vector steps read whole aligned blocks, up to 15 bytes past a text's closing NUL:
// zeros, and no copy where Storage::readBytes left the room.
void padForVectorReads(std::string& text) {
  const auto size = text.size();
  text.append(16, '\0');
  text.resize(size);
}

// What both readers of RapidJSON's events share: the nesting depth, bounded as the general
// reader bounds it, and the containers open inside a value that is read past, which hide
// everything in them. `Derived` says whether the next value is one it skips (`ignoring`) and
// takes the others: `null`, `scalar` (a string, or `nullptr` for a number or flag), `key`,
// `startObject` and `endObject`; any of them answers false to fail the parse.
template <class Derived>
class SkippingEvents : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, Derived> {
 public:
  bool Default() { return skips() || self().scalar(nullptr); }
  bool Null() { return skips() || self().null(); }
  bool String(const char* text, rapidjson::SizeType length, bool) {
    const std::string_view value(text, length);
    return skips() || self().scalar(&value);
  }
  bool Key(const char* text, rapidjson::SizeType length, bool) {
    return skipping_ > 0 || self().key(std::string_view(text, length));
  }
  bool StartObject() { return enter() && (skipContainer() || self().startObject()); }
  bool EndObject(rapidjson::SizeType) { return leave() || self().endObject(); }
  bool StartArray() { return enter() && skipContainer(); }
  bool EndArray(rapidjson::SizeType) { return leave(); }

 private:
  Derived& self() { return static_cast<Derived&>(*this); }
  bool skips() const { return skipping_ > 0 || static_cast<const Derived&>(*this).ignoring(); }
  bool enter() { return ++depth_ <= maximumJsonDepth; }
  // Opens a container inside a skipped value, or one that is skipped itself.
  bool skipContainer() {
    if (!skips()) return false;
    ++skipping_;
    return true;
  }
  // Closes a container; answers whether it was one read past.
  bool leave() {
    --depth_;
    if (skipping_ == 0) return false;
    --skipping_;
    return true;
  }

  int depth_ = 0;
  int skipping_ = 0;
};

// The stored document as RapidJSON's reader reports it, event by event, straight into the
// archive's maps by the rules fromJson() reads it with. Several times the speed of the general
// reader's lexer, which matters for a document of tens of megabytes read at every launch.
class ArchiveEvents : public SkippingEvents<ArchiveEvents> {
 public:
  explicit ArchiveEvents(RecordSections& sections) : sections_(sections) {}

  bool complete() const { return sections_.originals.seen() && sections_.confirmed.seen(); }

 private:
  friend SkippingEvents<ArchiveEvents>;

  // What the next value is.
  enum class Slot { document, originals, confirmed, views, ignored, record, text, field };

  bool ignoring() const { return slot_ == Slot::ignored; }
  bool null() {
    if (slot_ != Slot::field) return false;
    field_->reset();
    return true;
  }
  // Numbers and flags are never where the archive wants a value.
  bool scalar(const std::string_view* text) {
    if (!text) return false;
    if (slot_ == Slot::field) {
      field_->emplace(*text);
      return true;
    }
    if (slot_ != Slot::text) return false;
    (section_ == Slot::confirmed ? sections_.confirmed : sections_.views).keep(key_, std::string(*text));
    return true;
  }
  // Parsed in place, a key stays in the document's text until the parse ends.
  bool key(std::string_view key) {
    switch (level_) {
      case 1:
        section_ = key == member::originals   ? Slot::originals
                   : key == member::confirmed ? Slot::confirmed
                   : key == member::views     ? Slot::views
                                              : Slot::ignored;
        slot_ = section_;
        return true;
      case 2:
        key_ = key;
        slot_ = section_ == Slot::originals ? Slot::record : Slot::text;
        return true;
      default:
        field_ = record_.named(key);
        slot_ = field_ ? Slot::field : Slot::ignored;
        return true;
    }
  }
  bool startObject() {
    switch (slot_) {
      case Slot::document: level_ = 1; return true;
      case Slot::originals:
        sections_.originals.start();
        level_ = 2;
        return true;
      case Slot::confirmed:
        sections_.confirmed.start();
        level_ = 2;
        return true;
      case Slot::views:
        sections_.views.start();
        level_ = 2;
        return true;
      case Slot::record:
        record_ = {};
        level_ = 3;
        return true;
      default: return false;
    }
  }
  bool endObject() {
    --level_;
    return level_ != 2 || keepRecord();
  }

  bool keepRecord() {
    auto layout = std::move(record_).layout();
    if (layout) sections_.originals.keep(key_, std::move(*layout));
    return layout.has_value();
  }

  RecordSections& sections_;
  Slot slot_ = Slot::document;
  Slot section_ = Slot::ignored;
  // 1 inside the document, 2 inside a map of records, 3 inside a record.
  int level_ = 0;
  std::string_view key_;
  RecordFields record_;
  std::optional<std::string>* field_ = nullptr;
};

std::string journalLine(const Json& change) { return change.dump(-1, ' ', false, Json::error_handler_t::replace); }

// Erases the confirmations of exactly the normalised `folder`; answers whether there were any.
bool eraseConfirmations(Folders& folders, const std::string& folder) {
  bool erased = false;
  const auto prefix = folder + '\n';
  for (auto entry = folders.lower_bound(prefix); entry != folders.end() && entry->first.starts_with(prefix);) {
    auto& confirmed = entry->second.confirmed;
    if (!confirmed || pathOfKey(entry->first) != folder) {
      ++entry;
      continue;
    }
    confirmed.reset();
    erased = true;
    entry = eraseIfEmpty(folders, entry);
  }
  return erased;
}

// One line of the journal, read.
struct Change {
  std::optional<std::string> key;
  std::optional<OriginalFinderLayout> original;
  std::optional<std::string> fingerprint;
  std::optional<std::string> forget;
  std::optional<std::string> viewKey;
  std::optional<std::string> originalView;

  // A line changes one key, forgets one folder or records one folder's view.
  bool complete() const {
    if (key) return original || fingerprint;
    if (viewKey || originalView) return viewKey && originalView;
    return forget.has_value();
  }
};

// One journal line as RapidJSON's reader reports it, by the rules JsonFields reads stored
// objects with: "key", "confirmed" and "forget" are texts, "original" a complete record; null
// is absent (but no record), other members are skipped, a wrong type fails. Journal lines of a
// crash's launch can be a quarter of the archive's folders, read like the document.
class ChangeEvents : public SkippingEvents<ChangeEvents> {
 public:
  explicit ChangeEvents(Change& change) : change_(change) {}

 private:
  friend SkippingEvents<ChangeEvents>;

  // What the next value is: the line itself, a text, the original's record, or a skipped one.
  enum class Slot { line, text, original, ignored };

  bool ignoring() const { return slot_ == Slot::ignored; }
  bool null() {
    if (slot_ != Slot::text) return false;
    text_->reset();
    return true;
  }
  bool scalar(const std::string_view* text) {
    if (!text || slot_ != Slot::text) return false;
    text_->emplace(*text);
    return true;
  }
  bool key(std::string_view key) {
    text_ = level_ == 2 ? record_.named(key) : changeText(key);
    slot_ = text_ ? Slot::text : level_ == 1 && key == member::original ? Slot::original : Slot::ignored;
    return true;
  }
  bool startObject() {
    if (slot_ == Slot::text) return false;
    if (slot_ == Slot::original) record_ = {};
    ++level_;
    return true;
  }
  bool endObject() {
    if (--level_ != 1) return true;
    change_.original = std::move(record_).layout();
    return change_.original.has_value();
  }

  std::optional<std::string>* changeText(std::string_view key) {
    if (key == member::key) return &change_.key;
    if (key == member::confirmed) return &change_.fingerprint;
    if (key == member::forget) return &change_.forget;
    if (key == member::viewKey) return &change_.viewKey;
    if (key == member::originalView) return &change_.originalView;
    return nullptr;
  }

  Change& change_;
  Slot slot_ = Slot::line;
  // 1 inside the line's object, 2 inside its original.
  int level_ = 0;
  RecordFields record_;
  std::optional<std::string>* text_ = nullptr;
};

// `line` ends in the NUL that replaced its line feed, `length` bytes in, and is parsed in place.
std::optional<Change> readChange(char* line, std::size_t length) {
  if (!unicode::isValidUtf8({line, length}) || holdsLateControl({line, length})) return std::nullopt;
  Change change;
  ChangeEvents events(change);
  rapidjson::InsituStringStream bytes(line);
  rapidjson::Reader reader;
  if (!reader.Parse<rapidjson::kParseInsituFlag>(bytes, events) || bytes.Tell() != length) return std::nullopt;
  if (!change.complete()) return std::nullopt;
  return change;
}

struct Journal {
  // Whether the journal's first line names the document read.
  bool extendsDocument = false;
  bool torn = false;
  std::vector<Change> changes;
};

// Nothing when a complete line does not read. `header` is that of the document read, nothing
// when there was none. The lines are parsed in place.
std::optional<Journal> readJournal(std::string& text, const std::optional<std::string>& header) {
  padForVectorReads(text);
  Journal journal;
  bool first = true;
  for (std::size_t start = 0; start < text.size();) {
    const auto end = text.find('\n', start);
    if (end == std::string::npos) {
      journal.torn = true;
      break;
    }
    const auto line = std::string_view(text).substr(start, end + 1 - start);
    if (std::exchange(first, false) && line.starts_with(R"({"extends":)")) {
      journal.extendsDocument = line == header;
      start = end + 1;
      continue;
    }
    text[end] = '\0';
    auto change = readChange(text.data() + start, end - start);
    start = end + 1;
    if (!change) return std::nullopt;
    journal.changes.push_back(std::move(*change));
  }
  return journal;
}

// Within one journal the first original of a key wins, as remember() keeps it; so does the
// first original view.
void replay(FinderLayoutArchive& archive, Journal journal) {
  std::set<std::string> replayed, replayedViews;
  for (auto& change : journal.changes) {
    if (change.original && replayed.insert(*change.key).second) {
      archive.folders[*change.key].original = std::move(*change.original);
    }
    if (change.viewKey && replayedViews.insert(*change.viewKey).second) {
      archive.folders[*change.viewKey].originalView = std::move(*change.originalView);
    }
    if (!journal.extendsDocument) continue;
    if (change.fingerprint) archive.folders[*change.key].confirmed = std::move(*change.fingerprint);
    if (change.forget) eraseConfirmations(archive.folders, *change.forget);
  }
}

void appendIndented(std::string& out, int depth, std::string_view name) {
  out.append(static_cast<std::size_t>(depth) * 2, ' ');
  appendJsonString(out, name);
  out += " : ";
}

void appendRecord(std::string& out, const OriginalFinderLayout& layout) {
  const std::pair<const char*, const std::string*> members[] = {
      {member::group, &layout.group}, {member::path, &layout.path}, {member::sort, &layout.sort},
      {member::view, &layout.view},   {member::volumeID, layout.volumeID ? &*layout.volumeID : nullptr}};
  out += "{\n";
  bool first = true;
  for (const auto& [name, value] : members) {
    if (!value) continue;
    if (!std::exchange(first, false)) out += ",\n";
    appendIndented(out, 3, name);
    appendJsonString(out, *value);
  }
  out += "\n    }";
}

template <class T, class Append>
void appendRecords(std::string& out, const Folders& folders, std::optional<T> ArchivedFolder::*part, Append append) {
  bool first = true;
  for (const auto& [key, folder] : folders) {
    const auto& value = folder.*part;
    if (!value) continue;
    out += std::exchange(first, false) ? "{\n" : ",\n";
    appendIndented(out, 2, key);
    append(out, *value);
  }
  out += first ? "{\n\n  }" : "\n  }";
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

std::string FinderLayoutArchive::fingerprint(Grouping group, Sorting sort, bool hide, FinderViewChoice view) {
  auto text = std::string(rawValue(group)) + ":" + std::string(rawValue(sort)) + ":" + (hide ? "true" : "false");
  if (view != FinderViewChoice::keep) text += ":" + std::string(rawValue(view));
  return text;
}

// A record for every view, or one seeded from the log, was made before the titles read now,
// which may already show this system's own arrangement: the first known original wins.
void FinderLayoutArchive::remember(const OriginalFinderLayout& layout, const std::optional<std::string>& fingerprint) {
  const auto archiveKey = key(layout.path, layout.view, layout.volumeID);
  Json change = {{member::key, archiveKey}};
  const auto entry = folders.try_emplace(archiveKey).first;
  auto& folder = entry->second;
  if (!layout.group.empty() && !layout.sort.empty() && !folder.original) {
    auto record = layout;
    if (const auto earlier = original(layout.path, layout.view, layout.volumeID)) {
      record.group = earlier->group;
      record.sort = earlier->sort;
    }
    change[member::original] = toJson(record);
    folder.original = std::move(record);
  }
  if (fingerprint && folder.confirmed != fingerprint) {
    folder.confirmed = *fingerprint;
    change[member::confirmed] = *fingerprint;
  }
  eraseIfEmpty(folders, entry);
  if (change.size() > 1) unsaved.push_back(journalLine(change));
}

std::optional<OriginalFinderLayout> FinderLayoutArchive::original(std::string_view path, std::string_view view,
                                                                  const std::optional<std::string>& volumeID) const {
  const auto find = [this](const std::string& archiveKey) -> std::optional<OriginalFinderLayout> {
    const auto found = folders.find(archiveKey);
    if (found == folders.end()) return std::nullopt;
    return found->second.original;
  };
  if (auto exact = find(key(path, view, volumeID))) return exact;
  // Without a volume this key is the one naming no volume, which the /Volumes check guards.
  if (volumeID) {
    if (auto everyViewOnVolume = find(key(path, everyView, volumeID))) return everyViewOnVolume;
  }
  if (RuleResolver::contains(externalVolumes, path)) return std::nullopt;
  return find(key(path, everyView, std::nullopt));
}

// The earlier build fails a whole journal on a line it cannot read, and reads a line that only
// forgets: this one forgets "", which names no folder, and carries the view in members that
// build passes over.
void FinderLayoutArchive::rememberView(std::string_view path, const std::optional<std::string>& volumeID,
                                       std::string_view view) {
  if (view.empty()) return;
  auto archiveKey = key(path, everyView, volumeID);
  auto& known = folders[archiveKey].originalView;
  if (known) return;
  known = std::string(view);
  unsaved.push_back(
      journalLine({{member::forget, ""}, {member::viewKey, std::move(archiveKey)}, {member::originalView, view}}));
}

std::optional<std::string> FinderLayoutArchive::originalView(std::string_view path,
                                                             const std::optional<std::string>& volumeID) const {
  const auto found = folders.find(key(path, everyView, volumeID));
  if (found == folders.end()) return std::nullopt;
  return found->second.originalView;
}

const std::string* FinderLayoutArchive::confirmation(std::string_view archiveKey) const {
  const auto found = folders.find(archiveKey);
  if (found == folders.end() || !found->second.confirmed) return nullptr;
  return &*found->second.confirmed;
}

void FinderLayoutArchive::forgetConfirmation(std::string_view path) {
  const auto folder = RuleResolver::normalized(path);
  if (eraseConfirmations(folders, folder)) unsaved.push_back(journalLine({{member::forget, folder}}));
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
  Json confirmed = Json::object();
  Json views = Json::object();
  for (const auto& [key, folder] : archive.folders) {
    if (folder.original) originals[key] = toJson(*folder.original);
    if (folder.confirmed) confirmed[key] = *folder.confirmed;
    if (folder.originalView) views[key] = *folder.originalView;
  }
  Json document = {{member::originals, std::move(originals)}, {member::confirmed, std::move(confirmed)}};
  if (!views.empty()) document[member::views] = std::move(views);
  return document;
}

std::optional<FinderLayoutArchive> fromJson(JsonReader& reader, std::type_identity<FinderLayoutArchive>) {
  FinderLayoutArchive archive;
  RecordSections sections(archive.folders);
  const auto readText = [](JsonReader& text) { return text.string(); };
  const JsonFields fields(
      reader, {},
      {{member::originals, [&](JsonReader& map) { return readRecords(map, sections.originals, readLayout); }},
       {member::confirmed, [&](JsonReader& map) { return readRecords(map, sections.confirmed, readText); }},
       {member::views, [&](JsonReader& map) { return readRecords(map, sections.views, readText); }}});
  if (fields.failed() || !sections.originals.seen() || !sections.confirmed.seen()) return std::nullopt;
  settleCandidates(archive.folders, sections);
  return archive;
}

// Parsed in place, which spares RapidJSON a copy of every string, with its vector steps where
// the processor has them; the text is checked as UTF-8 beforehand, faster than the parser would.
std::optional<FinderLayoutArchive> decodeArchive(std::string text) {
  if (!unicode::isValidUtf8(text) || holdsLateControl(text)) return std::nullopt;
  padForVectorReads(text);
  FinderLayoutArchive archive;
  RecordSections sections(archive.folders);
  ArchiveEvents events(sections);
  rapidjson::InsituStringStream bytes(text.data());
  rapidjson::Reader reader;
  // A NUL reads as the end of the text, so bytes after one are caught by the position. The
  // recursive parser, whose depth the events bound, in place needs none of the reader's own
  // stack (whose first push does arithmetic on a null pointer).
  if (!reader.Parse<rapidjson::kParseInsituFlag>(bytes, events) ||
      bytes.Tell() != text.size() || !events.complete()) {
    return std::nullopt;
  }
  settleCandidates(archive.folders, sections);
  return archive;
}

DocumentUpdate FinderLayoutArchive::takeUpdate(bool whole) {
  DocumentUpdate update;
  const auto length = journalLength.value_or(0) + unsaved.size();
  const bool rewrite = !journalLength || (whole && length > 0) ||
                       length > folders.size() / journalShare;
  if (!rewrite) {
    journalLength = length;
    update.journal = std::exchange(unsaved, {});
    return update;
  }
  auto copy = std::make_shared<FinderLayoutArchive>();
  copy->folders = folders;
  update.document = [copy]() -> std::expected<std::string, std::string> { return encodeArchive(*copy); };
  update.journaled = true;
  unsaved.clear();
  journalLength = 0;
  return update;
}

// A key that is not valid UTF-8 is written repaired, which can move it among the others: the
// tree's writer sorts that out.
std::string encodeArchive(const FinderLayoutArchive& archive) {
  if (!std::ranges::all_of(archive.folders, [](const auto& entry) { return unicode::isValidUtf8(entry.first); })) {
    return writeJson(toJson(archive)).value();
  }
  std::string out;
  out.reserve(archive.folders.size() * 448 + 64);
  out += "{\n";
  appendIndented(out, 1, member::confirmed);
  appendRecords(out, archive.folders, &ArchivedFolder::confirmed, appendJsonString);
  out += ",\n";
  appendIndented(out, 1, member::originals);
  appendRecords(out, archive.folders, &ArchivedFolder::original, appendRecord);
  if (std::ranges::any_of(archive.folders, [](const auto& entry) { return entry.second.originalView.has_value(); })) {
    out += ",\n";
    appendIndented(out, 1, member::views);
    appendRecords(out, archive.folders, &ArchivedFolder::originalView, appendJsonString);
  }
  out += "\n}";
  return out;
}

LoadedArchive loadArchive(const Storage& storage, Date now) {
  LoadedArchive result;
  const auto keepAside = [&](std::string_view fileName) {
    if (!storage.keepAside(fileName, now)) result.notKeptAside.emplace_back(fileName);
  };
  const auto document = storage.layoutsURL();
  const auto journalFile = Storage::journalLocation(document);
  Storage::removeLeftovers(document);
  Storage::removeLeftovers(journalFile);
  // The journal header of the document read, taken before the text is parsed in place.
  std::optional<std::string> header;
  if (Storage::exists(document)) {
    auto bytes = Storage::readBytes(document, std::numeric_limits<std::uintmax_t>::max());
    if (bytes) header = Storage::journalHeader(*bytes);
    auto value = bytes ? decodeArchive(std::move(*bytes)) : std::nullopt;
    if (value) {
      result.archive = std::move(*value);
    } else {
      header.reset();
      keepAside(Storage::layoutsFile);
    }
  }
  if (!Storage::exists(journalFile)) return result;
  auto text = Storage::readBytes(journalFile, std::numeric_limits<std::uintmax_t>::max());
  auto journal = text ? readJournal(*text, header) : std::nullopt;
  if (!journal) {
    keepAside(Storage::layoutsJournalFile);
    return result;
  }
  if (journal->extendsDocument && !journal->torn) result.archive.journalLength = journal->changes.size();
  replay(result.archive, std::move(*journal));
  return result;
}

}  // namespace tidyframe
