#pragma once

#include <filesystem>
#include <ostream>

#include "engine/engine_services.h"
#include "finder/finder_location.h"
#include "finder/finder_visibility_preference.h"
#include "finder/finder_window_probe.h"
#include "finder/script_runner.h"
#include "legacy/legacy_service.h"
#include "sim/simulated_mac.h"
#include "storage/persistence_writer.h"
#include "storage/storage.h"
#include "update/update_checker.h"

namespace tidyframe {

// What the engine borrows, built over a simulated Mac: the storage folder and its writer, the
// script runner, the window probe, the hidden-file preference, the legacy service and the
// portable folder URL text; the home folder is the simulated user's. Owns
// these; borrows the dispatch, the simulated Mac and the lookup, which must outlive it. The
// engine reaches the model through the Mac's guarded ports, so it may run on real threads.
// `copyAside`, when given, replaces the storage's copy step, so tests can make it fail.
class SimulatedEngineHost {
 public:
  SimulatedEngineHost(Dispatch& dispatch, SimulatedMac& mac, L& l, const std::filesystem::path& storageFolder,
                      const std::filesystem::path& home, std::ostream* diagnostics = nullptr,
                      Storage::CopyStep copyAside = {});
  SimulatedEngineHost(const SimulatedEngineHost&) = delete;
  SimulatedEngineHost& operator=(const SimulatedEngineHost&) = delete;

  EngineServices services();
  // The update checker's services over the same simulated Mac.
  UpdateServices updateServices();
  Storage& storage() { return storage_; }
  PersistenceWriter& writer() { return writer_; }
  ScriptRunner& runner() { return runner_; }
  LegacyService& legacy() { return legacy_; }

 private:
  Dispatch& dispatch_;
  SimulatedMac& mac_;
  L& l_;
  std::ostream* diagnostics_;
  Storage storage_;
  PersistenceWriter writer_;
  ScriptRunner runner_;
  FinderWindowProbe probe_;
  FinderVisibilityPreference visibility_;
  LegacyService legacy_;
  PortableFolderURLText folderURLs_;
};

}  // namespace tidyframe
