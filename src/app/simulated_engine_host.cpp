#include "app/simulated_engine_host.h"

namespace tidyframe {

SimulatedEngineHost::SimulatedEngineHost(Dispatch& dispatch, SimulatedMac& mac, L& l,
                                         const std::filesystem::path& storageFolder,
                                         const std::filesystem::path& home, std::ostream* diagnostics,
                                         Storage::CopyStep copyAside)
    : dispatch_(dispatch),
      mac_(mac),
      l_(l),
      diagnostics_(diagnostics),
      storage_(storageFolder, std::move(copyAside)),
      writer_(dispatch, storage_),
      runner_(mac.guarded.host, mac.log, l),
      probe_(mac.guarded.accessibility, mac.input),
      visibility_(mac.guarded.preferences),
      legacy_(mac.launchd, dispatch, l, LegacyLocations::standard(home, storageFolder, SimulatedMac::userId)) {}

EngineServices SimulatedEngineHost::services() {
  auto& guarded = mac_.guarded;
  return EngineServices{dispatch_, l_, storage_, writer_, runner_, probe_, visibility_,
                        guarded.accessibility, guarded.permissions, mac_.volumes, guarded.workspace,
                        mac_.loginItem, mac_.bookmarks, mac_.alerts, legacy_, folderURLs_,
                        std::string(SimulatedMac::userHome), diagnostics_};
}

UpdateServices SimulatedEngineHost::updateServices() {
  return UpdateServices{dispatch_, l_, mac_.alerts, mac_.guarded.workspace, mac_.defaults, mac_.network};
}

}  // namespace tidyframe
