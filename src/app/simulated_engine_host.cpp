#include "app/simulated_engine_host.h"

namespace tidyframe {

namespace {

MacPorts portsOf(SimulatedMac& mac, Alerts& alerts, FolderURLText& folderURLs) {
  auto& guarded = mac.guarded;
  return MacPorts{guarded.host,        mac.log,       guarded.accessibility,
                  mac.input,           guarded.preferences,
                  guarded.permissions, mac.volumes,   guarded.workspace,
                  mac.loginItem,       mac.bookmarks, alerts,
                  folderURLs,          mac.launchd,   SimulatedMac::userId,
                  std::string(SimulatedMac::userHome)};
}

}  // namespace

SimulatedEngineHost::SimulatedEngineHost(Dispatch& dispatch, SimulatedMac& mac, L& l,
                                         const std::filesystem::path& storageFolder,
                                         const std::filesystem::path& home, std::ostream* diagnostics,
                                         Storage::CopyStep copyAside, Alerts* alerts)
    : dispatch_(dispatch),
      mac_(mac),
      l_(l),
      alerts_(alerts ? *alerts : mac.alerts),
      host_(dispatch, portsOf(mac, alerts_, folderURLs_), l, storageFolder, home, diagnostics, std::move(copyAside)) {}

UpdateServices SimulatedEngineHost::updateServices() {
  return UpdateServices{dispatch_, l_, alerts_, mac_.guarded.workspace, mac_.defaults, mac_.network};
}

}  // namespace tidyframe
