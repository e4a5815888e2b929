#include "app/simulated_engine_host.h"

namespace tidyframe {

SimulatedEngineHost::SimulatedEngineHost(Dispatch& dispatch, SimulatedMac& mac, L& l,
                                         const std::filesystem::path& storageFolder,
                                         const std::filesystem::path& home, std::ostream* diagnostics)
    : dispatch_(dispatch),
      mac_(mac),
      l_(l),
      diagnostics_(diagnostics),
      storage_(storageFolder),
      writer_(dispatch, storage_),
      runner_(mac.host, mac.log, l),
      probe_(mac.accessibility, mac.input),
      visibility_(mac.preferences),
      legacy_(mac.launchd, dispatch, l, LegacyLocations::standard(home, storageFolder, SimulatedMac::userId)) {}

EngineServices SimulatedEngineHost::services() {
  return EngineServices{dispatch_,         l_,          storage_,         writer_,        runner_,
                        probe_,            visibility_, mac_.accessibility, mac_.permissions, mac_.volumes,
                        mac_.workspace,    mac_.loginItem, mac_.bookmarks, mac_.alerts,    legacy_,
                        diagnostics_};
}

}  // namespace tidyframe
