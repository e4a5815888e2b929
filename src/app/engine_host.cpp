#include "app/engine_host.h"

namespace tidyframe {

EngineHost::EngineHost(Dispatch& dispatch, const MacPorts& ports, L& l, const std::filesystem::path& storageFolder,
                       const std::filesystem::path& home, std::ostream* diagnostics,
                       Storage::CopyStep copyAside)
    : dispatch_(dispatch),
      ports_(ports),
      l_(l),
      diagnostics_(diagnostics),
      storage_(storageFolder, std::move(copyAside)),
      writer_(dispatch, storage_),
      runner_(ports.scripts, ports.log, l),
      probe_(ports.accessibility, ports.input),
      visibility_(ports.preferences),
      legacy_(ports.launchctl, dispatch, l, LegacyLocations::standard(home, storageFolder, ports.userId)) {}

EngineServices EngineHost::services() {
  return EngineServices{dispatch_,          l_,
                        storage_,           writer_,
                        runner_,            probe_,
                        visibility_,        ports_.accessibility,
                        ports_.permissions, ports_.volumes,
                        ports_.workspace,   ports_.loginItem,
                        ports_.bookmarks,   ports_.alerts,
                        legacy_,            ports_.folderURLs,
                        ports_.userHome,    diagnostics_};
}

}  // namespace tidyframe
