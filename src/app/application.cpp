#include "app/application.h"

#include <iostream>

#include <QApplication>
#include <QStyleFactory>
#include <QSystemTrayIcon>

#include "app/app_delegate.h"
#include "app/environment_languages.h"
#include "app/host_services.h"
#include "app/simulated_engine_host.h"
#include "app/storage_location.h"
#include "base/thread_dispatch.h"
#include "i18n/l.h"
#include "sim/sim_home.h"
#include "sim/simulated_mac.h"
#include "ui/main_queue_pump.h"

namespace tidyframe {

namespace {

// The made-up user's Mac as the application finds it: the home tree, the SD card inserted and
// a Finder window on Pictures in front.
void furnish(SimulatedMac& sim) {
  const auto world = sim.lockWorld();
  SimHome::furnish(sim.volumes);
  SimHome::insertCard(sim.volumes);
  sim.finder().openWindow(SimHome::pictures);
  sim.finder().setFrontmost(true);
}

std::filesystem::path homeFolder() {
  const char* home = std::getenv("HOME");
  return home ? std::filesystem::path(home) : std::filesystem::temp_directory_path();
}

}  // namespace

int runApplication(int argc, char** argv, bool diagnostics, const std::vector<std::filesystem::path>& tableRoots) {
  QApplication application(argc, argv);
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  QApplication::setQuitOnLastWindowClosed(false);
  L l(tableRoots, std::make_shared<EnvironmentLanguages>());
  ThreadDispatch dispatch;
  MainQueuePump pump(dispatch);
  const auto worldQueue = dispatch.makeSerialQueue("sim.world");
  SimulatedMac sim(dispatch, *worldQueue);
  furnish(sim);
  SimulatedEngineHost engineHost(dispatch, sim, l, storageDirectory(), homeFolder(),
                                 diagnostics ? &std::cout : nullptr);
  HostServices machine(dispatch.now());
  UpdateServices update{dispatch, l, sim.alerts, sim.guarded.workspace, machine.defaults, machine.https};
  AppDelegate shell(ShellServices{engineHost.services(), update, machine.defaults, [] { QApplication::quit(); },
                                  QSystemTrayIcon::isSystemTrayAvailable(), machine.system.operatingSystem()});
  shell.applicationDidFinishLaunching();
  return QApplication::exec();
}

}  // namespace tidyframe
