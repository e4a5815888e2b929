#pragma once

#include <expected>
#include <optional>
#include <string>
#include <vector>

#include "command/command_request.h"
#include "model/mounted_volume.h"
#include "model/preferences.h"
#include "storage/activity_entry.h"

namespace tidyframe {

// What only a running application knows.
struct RunningState {
  bool accessibilityGranted = false;
  bool automationGranted = false;
  bool legacyRunning = false;
  // The folder of the front Finder window, when the engine found one.
  std::optional<std::string> currentPath;
};

// Where a subcommand reads and changes the settings: the running application's engine, or
// the storage folder when none runs. Each change is carried out as the panel's command of the
// same name does it (the same activity entries, the same saving), and answers the system's
// description of what failed.
class CommandBackend {
 public:
  using Outcome = std::expected<void, std::string>;

  virtual ~CommandBackend() = default;

  virtual Preferences preferences() = 0;
  virtual std::vector<ActivityEntry> activities() = 0;
  virtual std::vector<MountedVolume> volumes() = 0;
  // Nothing when no application runs.
  virtual std::optional<RunningState> running() = 0;

  virtual Outcome saveRule(const LocationRule& rule) = 0;
  virtual Outcome deleteRule(const std::string& id) = 0;
  // Backs the current settings up to "before-import.json", then puts the portable form of
  // `imported` in their place, the master switch kept, and logs the import.
  virtual Outcome importPreferences(const Preferences& imported) = 0;
  virtual Outcome setEngineEnabled(bool enabled) = 0;
};

// Carries out one subcommand against `backend`: English text (or the document's JSON forms
// with `json`) on success, one line on the error text otherwise. Exit status 0 when done, 1
// when it could not be done.
CommandAnswer runCommand(const CommandRequest& request, CommandBackend& backend);

}  // namespace tidyframe
