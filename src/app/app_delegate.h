#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include <QObject>
#include <QSystemTrayIcon>

#include "base/published.h"
#include "engine/app_model.h"
#include "platform/system_information.h"
#include "update/update_checker.h"

class QWidget;

namespace tidyframe {

class PanelWindow;
class UserDefaults;

// What the shell borrows; each must outlive it.
struct ShellServices {
  EngineServices engine;
  UpdateServices update;
  UserDefaults& defaults;
  // Ends the event loop once quitting has finished: Qt's quit in the program, a flag in tests.
  std::function<void()> terminate;
  // Whether the system shows status icons; without them the panel is an ordinary window.
  bool statusBarAvailable = true;
  // What a feedback report tells about the running system when the user allows it.
  OperatingSystemVersion system{};
  // Gives the popover's native window the engine's appearance setting ("light", "dark", else the
  // system's), so the window and native controls match the panel; only a Mac has one.
  std::function<void(QWidget& window, std::string_view appearance)> setWindowAppearance{};
  // Shows the Simulated Finder window again; none where the Finder is real.
  std::function<void()> showSimulatedFinder = {};
};

// The application shell: creates the one engine, puts the status icon up, shows the panel in a
// popover under it, keeps the popover's size and appearance in step with the engine, closes it
// and arranges the front window after a rule change, and holds the program open on quit until
// the engine's last script and every pending save are done. Main queue only; every delayed
// block holds the shell weakly.
class AppDelegate final : public QObject, public AppModelDelegate {
 public:
  static constexpr std::string_view shownKey = "ShownMenuBarWidget.v1";
  static constexpr double firstLaunchDelay = 0.5;
  static constexpr double applyDelay = 0.45;

  explicit AppDelegate(ShellServices services);
  ~AppDelegate() override;
  AppDelegate(const AppDelegate&) = delete;
  AppDelegate& operator=(const AppDelegate&) = delete;

  void applicationDidFinishLaunching();
  // The user opened the application again while it runs.
  void applicationShouldHandleReopen() { showWindow(true); }
  // Cancels a pending close-and-apply and stops the update checker; `terminate` runs once the
  // engine and the writer are done.
  void quit();

  void togglePopover();
  void showWindow(bool resetPage);
  void showWindow() override { showWindow(true); }
  void updateMenu() override;
  void ruleDidChange() override;
  void closeForFinderAction() override;

  AppModel* model() const { return model_.get(); }
  QSystemTrayIcon* statusItem() const { return statusItem_.get(); }
  PanelWindow* popover() const { return popover_.get(); }
  bool popoverShown() const;

 private:
  void buildPopover();
  void buildStatusItem();
  void observeEngine();
  void openOnFirstLaunch();
  void resizePopover();
  void placePopover();
  void cancelPendingApply() { ++pendingApply_; }
  bool mayCloseAndApply(bool beforeSchedule) const;

  ShellServices services_;
  std::shared_ptr<AppModel> model_;
  std::unique_ptr<PanelWindow> popover_;
  std::unique_ptr<QSystemTrayIcon> statusItem_;
  std::shared_ptr<UpdateChecker> updates_;
  std::vector<Subscription> subscriptions_;
  // Bumped to cancel: a scheduled close-and-apply runs only if it is still the latest.
  std::uint64_t pendingApply_ = 0;
  bool quitting_ = false;
};

}  // namespace tidyframe
