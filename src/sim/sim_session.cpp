#include "sim/sim_session.h"

#include <utility>

namespace tidyframe {

namespace {
constexpr std::string_view finderBundle = "com.apple.finder";
constexpr std::string_view bookmarkPrefix = "sim-bookmark:";
}  // namespace

SimWorkspace::SimWorkspace(SimFinder& finder, DispatchQueue& main) : finder_(finder), main_(main) {
  finder_.setActivationObserver([this] {
    main_.async([weak = std::weak_ptr(self_)] {
      if (const auto self = weak.lock()) {
        (*self)->didActivateApplication_.set(RunningApplication{std::string(finderBundle), finderPid});
      }
    });
  });
}

SimWorkspace::~SimWorkspace() { finder_.setActivationObserver({}); }

std::optional<RunningApplication> SimWorkspace::frontmostApplication() const {
  if (finder_.frontmost()) return RunningApplication{std::string(finderBundle), finderPid};
  return RunningApplication{std::string(SimWorkspace::otherBundle), otherPid};
}

std::vector<RunningApplication> SimWorkspace::runningApplications(const std::string& bundleIdentifier) const {
  if (bundleIdentifier == finderBundle && finder_.running()) return {{std::string(finderBundle), finderPid}};
  if (bundleIdentifier == otherBundle) return {{std::string(otherBundle), otherPid}};
  return {};
}

bool SimWorkspace::isRunning(int processIdentifier) const {
  if (processIdentifier == finderPid) return finder_.running();
  return processIdentifier == otherPid;
}

void SimWorkspace::yieldActivation(const RunningApplication&) { ++yields_; }

bool SimWorkspace::activate(const RunningApplication& target) {
  ++activations_;
  if (refuseActivation_ || !isRunning(target.processIdentifier)) return false;
  if (ignoreActivation_) return true;
  finder_.setFrontmost(target.processIdentifier == finderPid);
  return true;
}

bool SimWorkspace::openURL(const std::string& url) {
  openedURLs_.push_back(url);
  return !failOpening_;
}

// The Finder opens a window on the folder without coming to the front by itself.
bool SimWorkspace::openFolder(const std::string& path) {
  openedFolders_.push_back(path);
  if (failOpening_ || !finder_.running()) return false;
  const bool wasFrontmost = finder_.frontmost();
  finder_.openWindow(path);
  finder_.setFrontmost(wasFrontmost);
  return true;
}

std::optional<std::string> SimLoginItem::registerItem() {
  ++registrations_;
  if (auto failure = std::exchange(failure_, std::nullopt)) return failure;
  status_ = LoginItemStatus::enabled;
  return std::nullopt;
}

std::optional<std::string> SimLoginItem::unregisterItem() {
  ++unregistrations_;
  if (auto failure = std::exchange(failure_, std::nullopt)) return failure;
  status_ = LoginItemStatus::notRegistered;
  return std::nullopt;
}

std::optional<Bytes> SimFolderBookmarks::create(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (!reachable_.contains(path)) return std::nullopt;
  const std::string text = std::string(bookmarkPrefix) + path;
  return Bytes(text.begin(), text.end());
}

std::optional<ResolvedBookmark> SimFolderBookmarks::resolve(const Bytes& bookmark) {
  std::lock_guard lock(mutex_);
  const std::string text(bookmark.begin(), bookmark.end());
  if (!text.starts_with(bookmarkPrefix)) return std::nullopt;
  auto path = text.substr(bookmarkPrefix.size());
  if (!reachable_.contains(path)) return std::nullopt;
  return ResolvedBookmark{std::move(path), false};
}

bool SimFolderBookmarks::startAccessing(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (!reachable_.contains(path)) return false;
  ++accessed_[path];
  return true;
}

void SimFolderBookmarks::stopAccessing(const std::string& path) {
  std::lock_guard lock(mutex_);
  const auto found = accessed_.find(path);
  if (found == accessed_.end()) return;
  if (--found->second == 0) accessed_.erase(found);
}

void SimFolderBookmarks::setReachable(const std::string& path, bool reachable) {
  std::lock_guard lock(mutex_);
  if (reachable) {
    reachable_.insert(path);
  } else {
    reachable_.erase(path);
  }
}

std::map<std::string, int> SimFolderBookmarks::accessed() const {
  std::lock_guard lock(mutex_);
  return accessed_;
}

void SimAlerts::activateApplication() {
  ++activations_;
  if (!finder_) return;
  std::lock_guard lock(*lock_);
  finder_->setFrontmost(false);
}

int SimAlerts::runModal(const AlertRequest& request) {
  activateApplication();
  alerts_.push_back(request);
  if (alertAnswers_.empty()) return firstButton + static_cast<int>(request.cancelButton().value_or(0));
  const Answer answer = alertAnswers_.front();
  alertAnswers_.pop_front();
  if (const int* response = std::get_if<int>(&answer)) return *response;
  const auto pressed = std::get<AlertKey>(answer) == AlertKey::returnKey ? request.defaultButton() : request.cancelButton();
  return firstButton + static_cast<int>(pressed.value_or(0));
}

std::optional<std::string> SimAlerts::nextPanelAnswer(const FilePanelRequest& request) {
  activateApplication();
  panels_.push_back(request);
  if (panelAnswers_.empty()) return std::nullopt;
  auto answer = std::move(panelAnswers_.front());
  panelAnswers_.pop_front();
  return answer;
}

std::optional<std::string> SimAlerts::runSavePanel(const FilePanelRequest& request) { return nextPanelAnswer(request); }

std::optional<std::string> SimAlerts::runOpenPanel(const FilePanelRequest& request) { return nextPanelAnswer(request); }

}  // namespace tidyframe
