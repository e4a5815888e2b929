#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "base/dispatch.h"
#include "base/published.h"
#include "platform/alerts.h"
#include "platform/folder_bookmarks.h"
#include "platform/login_item.h"
#include "platform/workspace.h"
#include "sim/sim_finder.h"
#include "sim/sim_world_lock.h"

namespace tidyframe {

// The simulated session around the Finder: which application is in front, activation,
// opening places, and the mount, unmount and activation notifications. The Finder's own
// state (running, frontmost, windows) is the SimFinder's; other applications are modelled only
// as "another application is in front". Confined to the queue that owns the SimFinder, except
// that the Finder may come to the front on any queue that holds the world: that notification is
// posted to `main`, where observers are told, as a Mac's workspace tells them.
class SimWorkspace final : public Workspace {
 public:
  static constexpr int finderPid = 311;
  static constexpr std::string_view otherBundle = "com.example.editor";
  static constexpr int otherPid = 512;

  SimWorkspace(SimFinder& finder, DispatchQueue& main);
  ~SimWorkspace() override;
  SimWorkspace(const SimWorkspace&) = delete;
  SimWorkspace& operator=(const SimWorkspace&) = delete;

  std::optional<RunningApplication> frontmostApplication() const override;
  std::vector<RunningApplication> runningApplications(const std::string& bundleIdentifier) const override;
  bool isRunning(int processIdentifier) const override;
  void yieldActivation(const RunningApplication& target) override;
  bool activate(const RunningApplication& target) override;
  bool openURL(const std::string& url) override;
  bool openFolder(const std::string& path) override;
  Subscription onDidMount(std::function<void()> observer) override { return didMount_.subscribe(wrap(observer)); }
  Subscription onDidUnmount(std::function<void()> observer) override { return didUnmount_.subscribe(wrap(observer)); }
  Subscription onDidBecomeActive(std::function<void()> observer) override {
    return didBecomeActive_.subscribe(wrap(observer));
  }
  Subscription onDidActivateApplication(std::function<void(const RunningApplication&)> observer) override {
    return didActivateApplication_.subscribe(std::move(observer));
  }

  // The world: notifications as the system posts them, and how the system answers requests.
  void postDidMount() { didMount_.set(true); }
  void postDidUnmount() { didUnmount_.set(true); }
  void postDidBecomeActive() { didBecomeActive_.set(true); }
  void refuseActivation(bool refuse) { refuseActivation_ = refuse; }
  // Answers yes and leaves the front application as it is, as macOS 14 and later may.
  void ignoreActivation(bool ignore) { ignoreActivation_ = ignore; }
  void failOpening(bool fail) { failOpening_ = fail; }

  const std::vector<std::string>& openedURLs() const { return openedURLs_; }
  const std::vector<std::string>& openedFolders() const { return openedFolders_; }
  int activations() const { return activations_; }
  int yields() const { return yields_; }

 private:
  static std::function<void(const bool&)> wrap(std::function<void()> observer) {
    return [observer = std::move(observer)](const bool&) { observer(); };
  }

  SimFinder& finder_;
  DispatchQueue& main_;
  Published<bool> didMount_, didUnmount_, didBecomeActive_;
  Published<RunningApplication> didActivateApplication_;
  // Notifications on their way to the main queue hold this weakly, so none outlives the workspace.
  std::shared_ptr<SimWorkspace*> self_ = std::make_shared<SimWorkspace*>(this);
  bool refuseActivation_ = false;
  bool ignoreActivation_ = false;
  bool failOpening_ = false;
  std::vector<std::string> openedURLs_;
  std::vector<std::string> openedFolders_;
  int activations_ = 0;
  int yields_ = 0;
};

// The application's login item as ServiceManagement keeps it.
class SimLoginItem final : public LoginItem {
 public:
  LoginItemStatus status() const override { return status_; }
  std::optional<std::string> registerItem() override;
  std::optional<std::string> unregisterItem() override;

  void setStatus(LoginItemStatus status) { status_ = status; }
  // The next register or unregister fails with this description.
  void failNext(std::string description) { failure_ = std::move(description); }
  int registrations() const { return registrations_; }
  int unregistrations() const { return unregistrations_; }

 private:
  LoginItemStatus status_ = LoginItemStatus::notRegistered;
  std::optional<std::string> failure_;
  int registrations_ = 0;
  int unregistrations_ = 0;
};

// Security-scoped bookmarks: a bookmark names its folder; it resolves while the folder is
// among the reachable ones. Thread-safe: the engine creates bookmarks on the main queue while
// its bookmark queue resolves others.
class SimFolderBookmarks final : public FolderBookmarks {
 public:
  std::optional<Bytes> create(const std::string& path) override;
  std::optional<ResolvedBookmark> resolve(const Bytes& bookmark) override;
  bool startAccessing(const std::string& path) override;
  void stopAccessing(const std::string& path) override;

  void setReachable(const std::string& path, bool reachable);
  // Folders accessed now, with how many accesses each holds.
  std::map<std::string, int> accessed() const;

 private:
  mutable std::mutex mutex_;
  std::set<std::string> reachable_;
  std::map<std::string, int> accessed_;
};

// Alerts and panels answered from a queue of scripted responses or keys; what was shown is kept.
// With no response queued an alert answers its cancelling button and a panel is cancelled, as a
// user who closes them would. Showing one brings this application to the front, so a Finder it was
// given is no longer frontmost afterwards. Borrows that Finder and the world lock it takes
// around the change.
class SimAlerts final : public Alerts {
 public:
  SimAlerts() = default;
  SimAlerts(SimFinder& finder, SimWorldLock& lock) : finder_(&finder), lock_(&lock) {}

  int runModal(const AlertRequest& request) override;
  std::optional<std::string> runSavePanel(const FilePanelRequest& request) override;
  std::optional<std::string> runOpenPanel(const FilePanelRequest& request) override;

  enum class AlertKey { returnKey, escape };

  void answerAlert(int response) { alertAnswers_.push_back(response); }
  // Answers the next alert as the key would, by the buttons' roles.
  void pressInAlert(AlertKey key) { alertAnswers_.push_back(key); }
  void answerPanel(std::optional<std::string> path) { panelAnswers_.push_back(std::move(path)); }

  const std::vector<AlertRequest>& alerts() const { return alerts_; }
  const std::vector<FilePanelRequest>& panels() const { return panels_; }
  // How often this application came to the front to show one.
  int activations() const { return activations_; }

 private:
  void activateApplication();
  std::optional<std::string> nextPanelAnswer(const FilePanelRequest& request);

  SimFinder* finder_ = nullptr;
  SimWorldLock* lock_ = nullptr;
  int activations_ = 0;

  using Answer = std::variant<int, AlertKey>;
  std::deque<Answer> alertAnswers_;
  std::deque<std::optional<std::string>> panelAnswers_;
  std::vector<AlertRequest> alerts_;
  std::vector<FilePanelRequest> panels_;
};

}  // namespace tidyframe
