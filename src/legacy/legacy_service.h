#pragma once

#include <array>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/dispatch.h"
#include "i18n/l.h"
#include "platform/process_runner.h"

namespace tidyframe {

// Where the earlier service (Plumbline) and its backups live.
struct LegacyLocations {
  std::string launchctl = "/bin/launchctl";
  std::filesystem::path launchAgents;  // the user's LaunchAgents folder
  std::filesystem::path legacyBase;    // the earlier product's data folder, holding "status.json"
  std::filesystem::path backupFolder;  // backed-up agent files and "migration.json"
  unsigned userId = 0;
  // How long one launchctl call may take before it is stopped and counts as failed.
  double launchctlTimeout = 10;

  // The usual places below the user's home folder and the storage folder.
  static LegacyLocations standard(const std::filesystem::path& home, const std::filesystem::path& storageFolder,
                                  unsigned userId);

  friend bool operator==(const LegacyLocations&, const LegacyLocations&) = default;
};

struct LegacyDetection {
  bool running = false;        // one of the earlier service's jobs is loaded
  std::int64_t checked = 0;    // its count of folders handled; 0 when unknown

  friend bool operator==(const LegacyDetection&, const LegacyDetection&) = default;
};

enum class LegacyFailureKind {
  file,              // a folder, copy, record or removal failed
  stillLoaded,       // a job was still loaded 8 seconds after its bootout
  recordUnreadable,  // no readable migration record to hand back from
  bootstrap,         // launchctl could not load a job again
};

struct LegacyFailure {
  LegacyFailureKind kind = LegacyFailureKind::file;
  // stillLoaded: 1; bootstrap: the tool's exit status; file: the system's error number, 0
  // when only its description is known.
  int code = 0;
  // Shown to the user after the engine's own sentence; already in the interface language
  // where it is ours, the system's or the tool's words otherwise.
  std::string description;

  friend bool operator==(const LegacyFailure&, const LegacyFailure&) = default;
};

// Detects the earlier service's launchd jobs, takes over from them (backup, stop, remove) and
// hands back to them (restore, load). Every operation blocks on launchctl and the file system
// and is meant for the engine's environment queue; one call at a time. Borrows the runner,
// the dispatch (for the clock and the waits between polls) and the string lookup; owns only
// its locations. Results are values: the engine decides what to show, log and publish.
class LegacyService {
 public:
  static constexpr std::array<std::string_view, 2> labels{"local.plumbline", "local.plumbline.live"};
  // How long a job may take to stop after its bootout, and how often it is asked meanwhile.
  static constexpr double stopTimeout = 8;
  static constexpr double stopPollInterval = 0.2;

  LegacyService(ProcessRunner& runner, Dispatch& dispatch, const L& l, LegacyLocations locations);
  LegacyService(const LegacyService&) = delete;
  LegacyService& operator=(const LegacyService&) = delete;

  const LegacyLocations& locations() const { return locations_; }

  // Never fails: a tool that cannot start counts as nothing loaded, an unreadable status file
  // as a count of 0.
  LegacyDetection detect();

  // Backs up every agent file found, writes the migration record (still listing the labels of
  // an earlier record whose backup exists), then stops each job and removes its agent file,
  // and finally boots out any job still loaded without a file. Stops at the first failure;
  // what was done stays done, so the caller hands back to undo it. An existing backup is never
  // replaced: an agent file that differs from it is kept beside it under a dated name first.
  std::expected<void, LegacyFailure> takeOver();

  // Restores the agent files of the migration record that are missing, from the newest dated
  // copy or else the first backup, and loads each job not loaded yet. Answers whether any of the earlier jobs is loaded afterwards.
  std::expected<bool, LegacyFailure> handBack();

  // Whether there is a migration record to hand back from. Only looks for the file, so the
  // main queue may ask too.
  bool canRestore() const;

  std::filesystem::path recordPath() const;
  std::filesystem::path agentPath(std::string_view label) const;
  std::filesystem::path backupPath(std::string_view label) const;

 private:
  std::string target(std::string_view label) const;
  std::string domain() const;
  bool isLoaded(std::string_view label);
  std::int64_t checkedFolders() const;
  std::expected<void, LegacyFailure> backUp(std::string_view label);
  std::expected<void, LegacyFailure> keepDatedCopy(std::string_view label);
  std::expected<void, LegacyFailure> stop(std::string_view label);
  std::expected<void, LegacyFailure> bootOut(std::string_view label);
  std::vector<std::string> mergedRecord(const std::vector<std::string>& moved) const;
  std::filesystem::path latestBackup(std::string_view label) const;
  std::expected<void, LegacyFailure> restore(std::string_view label);
  std::expected<void, LegacyFailure> saveRecord(const std::vector<std::string>& moved) const;
  std::optional<std::vector<std::string>> readRecord() const;

  ProcessRunner& runner_;
  Dispatch& dispatch_;
  const L& l_;
  const LegacyLocations locations_;
};

}  // namespace tidyframe
