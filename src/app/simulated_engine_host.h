#pragma once

#include <filesystem>
#include <ostream>

#include "app/engine_host.h"
#include "finder/finder_location.h"
#include "sim/simulated_mac.h"
#include "update/update_checker.h"

namespace tidyframe {

// The engine's services over a simulated Mac, with the portable folder URL text; the home
// folder the engine shows is the simulated user's. The engine reaches the model through the
// Mac's guarded ports, so it may run on real threads. Borrows the dispatch, the simulated Mac
// and the lookup, which must outlive it. `copyAside`, when given, replaces the storage's copy
// step, so tests can make it fail; `alerts`, when given, replaces the Mac's scripted ones.
class SimulatedEngineHost {
 public:
  SimulatedEngineHost(Dispatch& dispatch, SimulatedMac& mac, L& l, const std::filesystem::path& storageFolder,
                      const std::filesystem::path& home, std::ostream* diagnostics = nullptr,
                      Storage::CopyStep copyAside = {}, Alerts* alerts = nullptr);

  EngineServices services() { return host_.services(); }
  // The update checker's services over the same simulated Mac.
  UpdateServices updateServices();
  Storage& storage() { return host_.storage(); }
  PersistenceWriter& writer() { return host_.writer(); }
  ScriptRunner& runner() { return host_.runner(); }
  LegacyService& legacy() { return host_.legacy(); }

 private:
  Dispatch& dispatch_;
  SimulatedMac& mac_;
  L& l_;
  Alerts& alerts_;
  PortableFolderURLText folderURLs_;
  EngineHost host_;
};

}  // namespace tidyframe
