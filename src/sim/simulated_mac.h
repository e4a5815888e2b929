#pragma once

#include <mutex>
#include <string_view>

#include "base/dispatch.h"
#include "sim/sim_guarded_ports.h"
#include "sim/sim_launchd.h"
#include "sim/sim_mac.h"
#include "sim/sim_ports.h"
#include "sim/sim_session.h"
#include "sim/sim_system_ports.h"
#include "sim/sim_world_lock.h"

namespace tidyframe {

// A whole simulated Mac: the modeled Finder and System Events with every platform service the
// system calls on. Borrows the dispatch (its clock) and the world queue, where the Finder's own
// late actions run.
//
// On real threads the engine reaches the model from several queues: it is given the `guarded`
// ports, and anything else that touches the model (a scripted user, a test) holds lockWorld().
struct SimulatedMac {
  static constexpr unsigned userId = 501;
  // The simulated user's home folder, where the folders of a tour or a test lie.
  static constexpr std::string_view userHome = "/Users/demo";

  SimulatedMac(Dispatch& dispatch, DispatchQueue& world)
      : guard(dispatch, world),
        mac(guard.dispatch, guard.world),
        host(mac),
        accessibility(mac, SimWorkspace::finderPid),
        permissions(mac),
        input(dispatch),
        preferences(mac.finder()),
        volumes(dispatch),
        workspace(mac.finder(), dispatch.main()),
        alerts(mac.finder(), *guard.lock),
        launchd(dispatch, userId),
        network(dispatch),
        guarded(*guard.lock, host, accessibility, permissions, preferences, workspace) {
    mac.finder().setFileSystem(&volumes);
  }
  SimulatedMac(const SimulatedMac&) = delete;
  SimulatedMac& operator=(const SimulatedMac&) = delete;

  SimFinder& finder() { return mac.finder(); }
  std::unique_lock<SimWorldLock> lockWorld() { return std::unique_lock(*guard.lock); }

  SimWorldGuard guard;
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
  SimUserDefaults defaults;
  SimSystemInformation system;
  SimHttpsClient network;
  SimGuardedPorts guarded;
};

}  // namespace tidyframe
