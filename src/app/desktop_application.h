#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>

#include <QTimer>

#include "app/app_delegate.h"
#include "app/desktop_alerts.h"
#include "app/host_services.h"
#include "app/quit_signals.h"
#include "app/simulated_engine_host.h"
#include "app/simulated_finder_window.h"
#include "app/single_instance.h"
#include "base/thread_dispatch.h"
#include "sim/simulated_mac.h"
#include "ui/main_queue_pump.h"

namespace tidyframe {

struct DesktopOptions {
  // Holds the engine's documents and the simulated Finder's state.
  std::filesystem::path storageFolder;
  std::filesystem::path defaultsFile;
  std::filesystem::path home;
  // The engine's own lines and the first paint; null for none.
  std::ostream* diagnostics = nullptr;
  // Runs once quitting has finished: the engine's last script done, every save written.
  std::function<void()> finished;
};

// The application on a desktop that has no Finder: the status icon and the panel over the
// simulated Mac on real threads, and the Simulated Finder window to use that Mac with. The
// simulated Finder's state is kept in the storage folder, so a later launch shows what this
// one left. Alerts and file panels are Qt's dialogs. Without a status area the panel opens at
// once as an ordinary window. A later launch on the same storage folder hands over to this
// one, which shows its panel; SIGINT and SIGTERM quit as the panel's Quit does. Needs a
// QApplication; borrows the lookup. Main thread.
class DesktopApplication {
 public:
  DesktopApplication(L& l, DesktopOptions options);
  DesktopApplication(const DesktopApplication&) = delete;
  DesktopApplication& operator=(const DesktopApplication&) = delete;

  AppDelegate& shell() { return shell_; }
  SimulatedFinderWindow& finderWindow() { return finderWindow_; }
  SimulatedMac& mac() { return sim_; }
  std::filesystem::path finderStateFile() const;

 private:
  void restoreFinder();
  void saveFinder();
  void finish();

  DesktopOptions options_;
  ThreadDispatch dispatch_;
  MainQueuePump pump_{dispatch_};
  std::shared_ptr<DispatchQueue> worldQueue_ = dispatch_.makeSerialQueue("sim.world");
  SimulatedMac sim_{dispatch_, *worldQueue_};
  // Folders are chosen from those the Simulated Finder window can open.
  DesktopAlerts alerts_{sim_, options_.home, [this] { return finderWindow_.openableFolders(); }};
  SimulatedEngineHost engineHost_;
  HostServices machine_;
  AppDelegate shell_;
  QTimer finderSave_;
  SimulatedFinderWindow finderWindow_;
  SingleInstance instance_;
  QuitSignals quitSignals_{[this] { shell_.quit(); }};
};

}  // namespace tidyframe
