#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/alerts.h"
#include "sim/simulated_mac.h"

namespace tidyframe {

// Alerts and file panels as Qt dialogs, for the application over the simulated Mac: alerts are
// message boxes (Return and Escape answer the buttons the roles choose), files are chosen on the
// host's disk, and a folder is chosen from the simulated Mac's folders, since a rule must name
// a folder of that Mac for its Finder ever to show it. Showing one takes the front from the
// simulated Finder, as on a Mac. Borrows the Mac; `folders` lists the folders offered, parents
// before children. Main thread.
class DesktopAlerts final : public Alerts {
 public:
  DesktopAlerts(SimulatedMac& mac, std::filesystem::path home, std::function<std::vector<std::string>()> folders);

  int runModal(const AlertRequest& request) override;
  std::optional<std::string> runSavePanel(const FilePanelRequest& request) override;
  std::optional<std::string> runOpenPanel(const FilePanelRequest& request) override;

 private:
  void activateApplication();
  std::optional<std::string> chooseFile(const FilePanelRequest& request, bool saving);
  std::optional<std::string> chooseSimulatedFolder(const FilePanelRequest& request);

  SimulatedMac& mac_;
  std::filesystem::path home_;
  std::function<std::vector<std::string>()> folders_;
};

}  // namespace tidyframe
