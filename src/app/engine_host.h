#pragma once

#include <filesystem>
#include <ostream>

#include "engine/engine_services.h"
#include "finder/finder_visibility_preference.h"
#include "finder/finder_window_probe.h"
#include "finder/script_runner.h"
#include "legacy/legacy_service.h"
#include "platform/alerts.h"
#include "platform/folder_bookmarks.h"
#include "platform/folder_url_text.h"
#include "platform/login_item.h"
#include "platform/process_runner.h"
#include "platform/system_log.h"
#include "platform/workspace.h"
#include "storage/persistence_writer.h"
#include "storage/storage.h"

namespace tidyframe {

// The ports of one Mac, simulated or native, that the engine is built over; borrowed.
struct MacPorts {
  AppleScriptHost& scripts;
  SystemLog& log;
  Accessibility& accessibility;
  InputState& input;
  PreferenceStore& preferences;
  AppleEventPermissions& permissions;
  VolumeCatalog& volumes;
  Workspace& workspace;
  LoginItem& loginItem;
  FolderBookmarks& bookmarks;
  Alerts& alerts;
  FolderURLText& folderURLs;
  // Runs "/bin/launchctl" for the legacy service.
  ProcessRunner& launchctl;
  // The user whose GUI domain holds the launch agents.
  unsigned userId;
  // The user's home folder, which the engine writes as "~" where it shows paths.
  std::string userHome;
};

// What the engine borrows, built over the ports of a Mac: the storage folder and its writer,
// the script runner, the window probe, the hidden-file preference and the legacy service. Owns
// these; borrows the dispatch, the ports and the lookup, which must outlive it. `home` is where
// the legacy service's folders are looked for; `copyAside`, when given, replaces the storage's
// copy step.
class EngineHost {
 public:
  EngineHost(Dispatch& dispatch, const MacPorts& ports, L& l, const std::filesystem::path& storageFolder,
             const std::filesystem::path& home, std::ostream* diagnostics = nullptr,
             Storage::CopyStep copyAside = {});
  EngineHost(const EngineHost&) = delete;
  EngineHost& operator=(const EngineHost&) = delete;

  EngineServices services();
  Storage& storage() { return storage_; }
  PersistenceWriter& writer() { return writer_; }
  ScriptRunner& runner() { return runner_; }
  LegacyService& legacy() { return legacy_; }

 private:
  Dispatch& dispatch_;
  MacPorts ports_;
  L& l_;
  std::ostream* diagnostics_;
  Storage storage_;
  PersistenceWriter writer_;
  ScriptRunner runner_;
  FinderWindowProbe probe_;
  FinderVisibilityPreference visibility_;
  LegacyService legacy_;
};

}  // namespace tidyframe
