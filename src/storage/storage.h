#pragma once

#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/date.h"
#include "base/json.h"
#include "base/json_reader.h"

namespace tidyframe {

// A JSON value is its own stored form.
inline Json toJson(const Json& value) { return value; }

// A value that has a stored JSON form: toJson and fromJson found next to its type.
template <class T>
concept JsonDocument = requires(const T& value, JsonReader& reader) {
  { toJson(value) } -> std::convertible_to<Json>;
  { fromJson(reader, std::type_identity<T>{}) } -> std::same_as<std::optional<T>>;
};

// What loading one of the system's own documents found.
template <class T>
struct LoadedDocument {
  // Absent when the document is missing or does not decode.
  std::optional<T> value;
  // Where an existing document that did not decode was copied before anything could save over
  // it; absent when there was nothing to keep or the copy could not be made.
  std::optional<std::filesystem::path> keptAside;
  // Why such a document could not be copied aside. Nothing may save over it until a later
  // keepAside() succeeds.
  std::optional<std::string> asideError;
};

enum class StoragePlatform { macOS, other };

// One save of a document: the whole document, or lines that grow its journal, or both (the
// lines are appended after the document is written). The journal of "name.json" is
// "name.journal": one change per line after a first line naming the document generation it
// extends, so a document rewritten by a build that knows no journal is recognised.
struct DocumentUpdate {
  using Encoder = std::function<std::expected<std::string, std::string>()>;

  DocumentUpdate() = default;
  // The whole document, which has no journal.
  DocumentUpdate(Json value);

  // Encodes the whole document on the writer's queue; empty when only the journal grows.
  Encoder document;
  // Whether writing the document starts its journal afresh.
  bool journaled = false;
  std::vector<std::string> journal;
};

// The storage folder of the system's documents, and whole-document reading and writing.
//
// The application makes one for the user's folder and tests make their own in a temporary
// folder. It holds only the folder path, never changes after construction, and may be used
// from any thread; the file system is the only state it touches.
class Storage {
 public:
  // Copies a file to a new name, failing when that name exists. The standard step is the file
  // system's copy; tests inject failures (a full disk, a refused permission) through it.
  using CopyStep = std::function<std::error_code(const std::filesystem::path& from, const std::filesystem::path& to)>;

  static constexpr std::string_view preferencesFile = "preferences.json";
  static constexpr std::string_view layoutsFile = "finder-layouts.json";
  static constexpr std::string_view layoutsJournalFile = "finder-layouts.journal";
  static constexpr std::string_view activityFile = "activity.json";
  // The settings as they were before the last import.
  static constexpr std::string_view importBackupFile = "before-import.json";
  // Larger files are not read: no document of the system comes near this, and a damaged or
  // foreign file must not exhaust memory.
  static constexpr std::uintmax_t maximumDocumentSize = 64u << 20;

  explicit Storage(std::filesystem::path directory, CopyStep copy = {});

  // The user's storage folder: "Library/Application Support/Tidyframe" in the home folder on
  // macOS; elsewhere "Tidyframe" in $XDG_DATA_HOME, or in "~/.local/share" when that is unset,
  // empty or relative (the XDG rules ignore relative paths). The application reads the
  // environment and hands the values in.
  static std::filesystem::path defaultDirectory(StoragePlatform platform, const std::filesystem::path& home,
                                                std::optional<std::string_view> xdgDataHome);

  const std::filesystem::path& directory() const { return directory_; }
  std::filesystem::path url(std::string_view fileName) const { return directory_ / fileName; }
  std::filesystem::path preferencesURL() const { return url(preferencesFile); }
  std::filesystem::path layoutsURL() const { return url(layoutsFile); }
  std::filesystem::path activityURL() const { return url(activityFile); }

  // Writes `value` in the stored-file style to `location`, creating missing folders. The old
  // document is replaced atomically and durably: after a crash at any instant `location` holds
  // either the old or the new complete document. The error is the system's description.
  static std::expected<void, std::string> save(const Json& value, const std::filesystem::path& location);
  template <JsonDocument T>
  static std::expected<void, std::string> save(const T& value, const std::filesystem::path& location) {
    return save(Json(toJson(value)), location);
  }

  // Writes `text` as it is (UTF-8) to `location` with the same atomic replacement as save().
  static std::expected<void, std::string> saveText(std::string_view text, const std::filesystem::path& location);

  // Writes the document of `update`, starting its journal afresh when it is journaled, then
  // appends and syncs the journal lines. A failed append leaves the journal as it was.
  static std::expected<void, std::string> save(const DocumentUpdate& update, const std::filesystem::path& location);

  static std::filesystem::path journalLocation(const std::filesystem::path& document);
  // The first line of a journal that extends the document `bytes`: their size and a hash.
  static std::string journalHeader(std::string_view bytes);

  // The document at `location`, or nothing when it is missing, unreadable, not a regular file,
  // too large, not valid JSON or not of T's form. Never blocks on a pipe or device. The value
  // is read straight from the file's bytes, with no tree in between, so a read takes the
  // file's size plus the value's own memory.
  template <JsonDocument T>
  static std::optional<T> read(const std::filesystem::path& location) {
    const auto bytes = readBytes(location);
    if (!bytes) return std::nullopt;
    return decodeJson<T>(*bytes);
  }
  static std::optional<Json> readJson(const std::filesystem::path& location) { return read<Json>(location); }

  // The bytes of a regular file of at most `limit` bytes; nothing otherwise.
  static std::optional<std::string> readBytes(const std::filesystem::path& location,
                                              std::uintmax_t limit = maximumDocumentSize);

  // Reads one of the system's own documents at launch. A document that exists but cannot be
  // read or decoded reads as absent, as a missing one does, but is first copied beside itself
  // as "<name>.unreadable-YYYYMMDD-HHMMSS.json" (the time `now` in UTC, with "-2", "-3", ...
  // added rather than replacing a copy kept earlier), so the next save cannot destroy it.
  // Temporary files that a crash left behind while saving the document are removed, so it is
  // called before anything saves the document.
  template <JsonDocument T>
  LoadedDocument<T> load(std::string_view fileName, Date now) const {
    const auto location = url(fileName);
    removeLeftovers(location);
    if (!exists(location)) return {};
    if (auto value = read<T>(location)) return {std::move(value), std::nullopt, std::nullopt};
    auto kept = keepAside(fileName, now);
    if (!kept) return {std::nullopt, std::nullopt, std::move(kept.error())};
    return {std::nullopt, std::move(*kept), std::nullopt};
  }

  // The copy of the document that load() makes, made again; the error is the system's
  // description of why the copy failed.
  std::expected<std::filesystem::path, std::string> keepAside(std::string_view fileName, Date now) const;

  static bool exists(const std::filesystem::path& location);
  // Removes the temporary files a crash left behind while saving `location`.
  static void removeLeftovers(const std::filesystem::path& location);

 private:

  std::filesystem::path directory_;
  CopyStep copy_;
};

}  // namespace tidyframe
