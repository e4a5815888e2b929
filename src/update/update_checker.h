#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/dispatch.h"
#include "model/rule_scope.h"
#include "platform/alerts.h"
#include "update/release_info.h"
#include "update/running_version.h"

namespace tidyframe {

class HttpsClient;
class L;
class UserDefaults;
class Workspace;

// The seconds between scheduled checks; nothing for manual.
std::optional<double> interval(SoftwareUpdateFrequency frequency);

// What the checker borrows; each must outlive it. The HTTPS client is used on the checker's
// own queue (and aborted from the main queue when the checker goes); everything else on the
// main queue.
struct UpdateServices {
  Dispatch& dispatch;
  const L& l;
  Alerts& alerts;
  Workspace& workspace;
  UserDefaults& defaults;
  HttpsClient& https;
};

// Looks for a newer release in the update feed on the user's schedule and on demand, and tells
// the user once per build. Keeps the time of the last successful check and the highest build
// announced in the user defaults, nothing else.
//
// Confined to the main queue. Requests run on its own serial queue and their replies come back
// to the main queue holding the checker weakly, so a reply for a checker that is gone does
// nothing. Going away aborts the HTTPS client for good, so quitting never waits for a silent
// server; the client serves no request after that.
class UpdateChecker : public std::enable_shared_from_this<UpdateChecker> {
 public:
  static constexpr std::string_view lastCheckKey = "SoftwareUpdate.lastCheck";
  static constexpr std::string_view notifiedBuildKey = "SoftwareUpdate.notifiedBuild";
  static constexpr double firstDueTestDelay = 10;
  static constexpr double dueTestInterval = 3600;
  static constexpr double requestTimeout = 15;

  static std::shared_ptr<UpdateChecker> create(const UpdateServices& services, RunningVersion running,
                                               std::string feedURL);
  ~UpdateChecker();
  UpdateChecker(const UpdateChecker&) = delete;
  UpdateChecker& operator=(const UpdateChecker&) = delete;

  // Runs the due test 10 seconds from now and then every hour. `frequency` answers the user's
  // current choice each time. Called once.
  void start(std::function<SoftwareUpdateFrequency()> frequency);
  // Asks the feed unless a request is already outstanding (then nothing happens, no alert
  // either). A check the user started also tells when there is nothing new or the check
  // failed; a scheduled one is silent then.
  void check(bool userInitiated);
  bool checking() const { return checking_; }

 private:
  UpdateChecker(const UpdateServices& services, RunningVersion running, std::string feedURL);

  void runDueTest();
  void finish(const std::optional<ReleaseInfo>& release, bool userInitiated);
  void announce(const ReleaseInfo& release, bool userInitiated);
  int alert(std::string title, std::string message, std::vector<AlertButton> buttons);
  void assertOnMainQueue() const;

  UpdateServices services_;
  RunningVersion running_;
  std::string feedURL_;
  std::function<SoftwareUpdateFrequency()> frequency_;
  std::unique_ptr<RepeatingTimer> timer_;
  std::shared_ptr<DispatchQueue> queue_;
  bool checking_ = false;
};

}  // namespace tidyframe
