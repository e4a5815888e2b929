#pragma once

#include "base/dispatch.h"
#include "sim/sim_launchd.h"
#include "sim/sim_mac.h"
#include "sim/sim_ports.h"
#include "sim/sim_session.h"

namespace tidyframe {

// A whole simulated Mac: the modeled Finder and System Events with every platform service the
// system calls on. Borrows the dispatch (its clock) and the world queue, where the Finder's own
// late actions run.
struct SimulatedMac {
  static constexpr unsigned userId = 501;

  SimulatedMac(Dispatch& dispatch, DispatchQueue& world)
      : mac(dispatch, world),
        host(mac),
        accessibility(mac, SimWorkspace::finderPid),
        permissions(mac),
        input(dispatch),
        preferences(mac.finder()),
        workspace(mac.finder()),
        launchd(dispatch, userId) {}
  SimulatedMac(const SimulatedMac&) = delete;
  SimulatedMac& operator=(const SimulatedMac&) = delete;

  SimFinder& finder() { return mac.finder(); }

  SimMac mac;
  SimAppleScriptHost host;
  SimAccessibility accessibility;
  SimAppleEventPermissions permissions;
  SimInputState input;
  SimPreferenceStore preferences;
  SimVolumeCatalog volumes;
  SimSystemLog log;
  SimWorkspace workspace;
  SimLoginItem loginItem;
  SimFolderBookmarks bookmarks;
  SimAlerts alerts;
  SimLaunchd launchd;
};

}  // namespace tidyframe
