#include <cassert>
#include <utility>

#include "engine/app_model.h"
#include "engine/app_model_private.h"
#include "finder/finder_menu_names.h"
#include "finder/finder_scripts.h"
#include "finder/finder_visibility_preference.h"
#include "finder/finder_window_probe.h"
#include "i18n/l.h"
#include "platform/accessibility.h"
#include "platform/apple_event_permissions.h"
#include "model/finder_view_support.h"

namespace tidyframe {

namespace {

constexpr double failurePause = 30.0;
constexpr double checkDelay = 0.25;
// The check at the end of the user's pause comes this much later, so a timer that fires a
// little early still finds the pause over and need not be scheduled again.
constexpr double pauseMargin = 0.05;

std::vector<std::string> titles(std::span<const std::string_view> names) {
  return {names.begin(), names.end()};
}

std::string describe(const ScriptReply& reply) {
  std::string text = "{";
  for (std::size_t i = 1; i <= reply.count(); ++i) {
    if (i > 1) text += ", ";
    text += reply.text(i).value_or("?");
  }
  return text + "}";
}

std::string describe(const std::optional<FinderLocation>& location) {
  return location ? location->urlString + " " + location->windowID + " " + location->view : "empty";
}

std::string describe(const ScriptFailure& failure) {
  return std::to_string(failure.code) + " " + failure.message;
}

}  // namespace

// What the script queue found for one poll.
struct AppModel::QueryOutcome {
  enum class Kind { noWindow, unchanged, skipped, noFolder, queried };
  Kind kind = Kind::noWindow;
  std::expected<std::optional<FinderLocation>, ScriptFailure> result;
  std::optional<std::string> signature;
  // When the window was looked at, before the query was sent.
  Date askedAt;

  // Recents, AirDrop or a search: the Finder cannot name the window's target (-1728), or names
  // one that is no plain local folder (a network location, a package). Nothing to arrange and
  // nothing wrong. A skip is the Finder declining to describe its window for now.
  void take(const ScriptResult& reply, VolumeCatalog& volumes) {
    if (!reply) {
      kind = reply.error().code == apple_event_error::noSuchObject ? Kind::noFolder : Kind::queried;
      result = std::unexpected(reply.error());
      return;
    }
    if (reply->count() < 2 || reply->text(1) == "skip") {
      kind = Kind::skipped;
      return;
    }
    result = FinderLocation::inspect(*reply, volumes);
    kind = *result ? Kind::queried : Kind::noFolder;
  }
};

// One arrangement as it was decided on the main queue.
struct AppModel::ApplyRequest {
  FinderLocation location;
  EffectiveRule rule;
  Grouping viewGrouping;
  std::string key;
  std::optional<std::string> signature;
  std::uint64_t revision;
  bool hide;
  // The Finder's "show all files" preference lags behind a key press, so dot files are looked
  // at only when the repair's pacing would look too; the arrangement then counts as a check.
  bool checksHiddenFiles;
};

// One view change as it was decided on the main queue.
struct AppModel::ViewRequest {
  FinderLocation location;
  EffectiveRule rule;
  std::string key;
  std::optional<std::string> signature;
  std::uint64_t revision;
  // Set by applyNow: the arrangement after the change ignores the archive's confirmation too.
  bool forced;
};

void AppModel::diagnose(const std::string& line) const {
  if (services_.diagnostics) *services_.diagnostics << line << std::endl;
}

std::optional<RunningApplication> AppModel::runningFinder() const {
  const auto running = services_.workspace.runningApplications(std::string(finderBundleIdentifier));
  if (running.empty()) return std::nullopt;
  return running.front();
}

bool AppModel::finderIsFrontmost() const {
  const auto front = services_.workspace.frontmostApplication();
  return front && front->bundleIdentifier == finderBundleIdentifier;
}

void AppModel::tick() {
  assert(isMainQueue());
  if (!preferences_->engineEnabled || shuttingDown_) return;
  if (services_.diagnostics) {
    const auto front = services_.workspace.frontmostApplication();
    diagnose("tick " + flag(legacyReady_) + " " + flag(legacyRunning_.get()) + " " + flag(accessibilityGranted_.get()) +
             " " + flag(automationGranted_.get()) + " " + flag(busy_.get()) + " " + flag(finderTaskInFlight_) + " " +
             (front ? front->bundleIdentifier : "nil") + " " + flag(services_.probe.userIsInteracting()));
  }
  if (services_.dispatch.now() - lastPermissionRefresh_ > refreshInterval) refreshEnvironment(false);
  if (!mayQuery()) return;
  if (services_.probe.userIsInteracting()) {
    checkWhenPauseEnds();
    return;
  }
  const auto front = services_.workspace.frontmostApplication();
  if (front && services_.workspace.isRunning(front->processIdentifier)) startQuery(front->processIdentifier);
}

// Every condition of a query but the user's pause.
bool AppModel::mayQuery() const {
  if (!preferences_->engineEnabled || !legacyReady_ || legacyRunning_.get()) return false;
  if (!accessibilityGranted_.get() || !automationGranted_.get()) return false;
  if (busy_.get() || finderTaskInFlight_ || !polling_.canQuery(services_.dispatch.now())) return false;
  return finderIsFrontmost();
}

// One extra check when the user's pause ends, so what was refused for their input happens as
// soon as they let go, not at the first tick after that. The main queue cannot cancel a task, so
// a newer request replaces a pending one through its ticket; a check that finds the user busy
// again asks for the next one itself. Nothing is scheduled while a reply is outstanding: its
// handler decides what comes next.
void AppModel::checkWhenPauseEnds() {
  if (!preferences_->engineEnabled || shuttingDown_ || busy_.get() || finderTaskInFlight_) return;
  const auto ticket = ++pauseCheckTicket_;
  std::weak_ptr<AppModel> weak = weak_from_this();
  services_.dispatch.main().asyncAfter(services_.probe.interactionRemaining() + pauseMargin, [weak, ticket] {
    auto self = weak.lock();
    if (self && self->pauseCheckTicket_ == ticket) self->tick();
  });
}

// The snapshot and the gate decide on the script queue whether the Finder is asked at all,
// so an unchanged window costs no Apple event.
void AppModel::startQuery(int finderPid, bool pastTheGate) {
  finderTaskInFlight_ = true;
  const auto revision = ruleRevision_;
  const auto gate = navigationGate_;
  auto& services = services_;
  runOn(
      *scriptQueue_,
      [&services, revision, gate, finderPid, pastTheGate] {
        QueryOutcome outcome;
        const auto snapshot = services.probe.snapshot(finderPid);
        if (snapshot.kind == FinderWindowProbe::Snapshot::Kind::noWindow) return outcome;
        outcome.signature = snapshot.gateSignature();
        outcome.askedAt = services.dispatch.now();
        const Date lastInput = outcome.askedAt - services.probe.secondsSinceLastInput();
        if (!pastTheGate && !gate.shouldQuery(outcome.signature, revision, outcome.askedAt, lastInput)) {
          outcome.kind = QueryOutcome::Kind::unchanged;
          return outcome;
        }
        outcome.take(services.scripts.run(FinderScripts::query()), services.volumes);
        return outcome;
      },
      [revision](AppModel& self, QueryOutcome outcome) {
        self.settleQuery(std::move(outcome), revision);
        // A view change that no arrangement follows is logged on its own.
        if (!self.busy_.get()) self.logViewChange();
      });
}

void AppModel::settleQuery(QueryOutcome outcome, std::uint64_t revision) {
  switch (outcome.kind) {
    case QueryOutcome::Kind::noWindow:
      finderTaskInFlight_ = false;
      return;
    case QueryOutcome::Kind::unchanged:
      finderTaskInFlight_ = false;
      repairHiddenFilesIfNeeded();
      return;
    case QueryOutcome::Kind::skipped:
      settleSkipped(revision, outcome.signature, outcome.askedAt);
      return;
    case QueryOutcome::Kind::noFolder:
      settleWithoutFolder(revision, outcome.signature);
      return;
    case QueryOutcome::Kind::queried:
      processQuery(outcome.result, revision, outcome.signature);
      return;
  }
}

// Such a window costs one query until it changes: no message, no log entry, no back-off.
void AppModel::settleWithoutFolder(std::uint64_t revision, const std::optional<std::string>& signature) {
  finderTaskInFlight_ = false;
  diagnose("query no folder");
  if (!preferences_->engineEnabled || shuttingDown_ || revision != ruleRevision_) return;
  ignoreConfirmationOnce_ = false;
  lastAppliedKey_.reset();
  lastProcessedPath_.reset();
  polling_.succeeded();
  navigationGate_.record(signature, revision, services_.dispatch.now());
}

// Something of the user's lies over the window (a name being edited, a menu, a sheet) and ends
// with their key or click rather than with a change of window, so the same window is asked
// about again after their next input; meanwhile it costs no Apple event.
void AppModel::settleSkipped(std::uint64_t revision, const std::optional<std::string>& signature, Date askedAt) {
  finderTaskInFlight_ = false;
  diagnose("query skip");
  if (!preferences_->engineEnabled || shuttingDown_ || revision != ruleRevision_) return;
  ignoreConfirmationOnce_ = false;
  polling_.succeeded();
  navigationGate_.holdUntilInput(signature, revision, askedAt);
}

void AppModel::processQuery(const std::expected<std::optional<FinderLocation>, ScriptFailure>& result,
                            std::uint64_t revision, const std::optional<std::string>& signature) {
  finderTaskInFlight_ = false;
  if (services_.diagnostics) diagnose("query " + (result ? describe(*result) : "failed " + describe(result.error())));
  if (!preferences_->engineEnabled || shuttingDown_ || revision != ruleRevision_) return;
  // applyNow's override is for the folder in front now, whatever this query found.
  const bool forced = std::exchange(ignoreConfirmationOnce_, false);
  const L& l = services_.l;
  if (!result && result.error().code == apple_event_error::timedOut) {
    pause();
    message_.set(l.t("Finder 操作未完成") + " · " + l.t("自动分组已暂停"));
    return;
  }
  if (!result) {
    polling_.failed(services_.dispatch.now());
    handle(result.error());
    return;
  }
  polling_.succeeded();
  if (!*result || !finderIsFrontmost()) return;
  const FinderLocation& location = **result;
  // A folder that can never be confirmed shows the Finder's default again when the user comes
  // back to it, so the last applied key only holds within one visit.
  if (lastProcessedPath_ != location.path) {
    lastAppliedKey_.reset();
    viewChangedInVisit_ = false;
  }
  lastProcessedPath_ = location.path;
  currentPath_.setIfChanged(location.path);
  const auto rule = ruleIndex_.resolve(location.path, location.volumeID, location.isExternal, l);
  currentSource_.setIfChanged(rule.excluded ? l.t("此位置已排除") : rule.source);
  const std::string key = applyKey(location, rule);
  const Date now = services_.dispatch.now();
  const bool changesView = !viewChangedInVisit_ && !showsView(location.view, rule.view);
  if (rule.excluded || (!changesView && ((!forced && isConfirmed(location, rule)) || lastAppliedKey_ == key))) {
    navigationGate_.record(signature, revision, now);
    return;
  }
  if (failureKey_ == key && now - lastFailureDate_ < failurePause) {
    navigationGate_.hold(signature, revision, now, lastFailureDate_ + failurePause);
    return;
  }
  busy_.set(true);
  if (changesView) {
    changeView(ViewRequest{location, rule, key, signature, revision, forced});
    return;
  }
  arrange(location, rule, key, signature);
}

// The view is changed through the Finder's scripting first; the window is then queried again
// and arranged in its new view as usual, since the Finder keeps an arrangement per view.
void AppModel::changeView(const ViewRequest& request) {
  auto& services = services_;
  runOn(
      *scriptQueue_,
      [&services, request]() -> std::optional<ScriptResult> {
        if (services.probe.userIsInteracting()) return std::nullopt;
        return services.scripts.run(
            FinderScripts::setView(request.location.urlString, request.location.windowID, request.rule.view));
      },
      [request](AppModel& self, std::optional<ScriptResult> result) {
        self.busy_.set(false);
        if (!result) {
          self.checkWhenPauseEnds();
          return;
        }
        self.finishViewChange(request, *result);
      });
}

// The Finder's own view is kept before anything else, as its arrangement is: an error can come
// after the change landed. A skip (the window closed or shows another folder) records nothing.
void AppModel::finishViewChange(const ViewRequest& request, const ScriptResult& result) {
  const auto& location = request.location;
  const auto reply = result ? readViewChange(*result) : std::nullopt;
  if (reply && !reply->oldView.empty()) {
    layouts_.rememberView(location.path, location.volumeID, reply->oldView);
    saveArchive();
  }
  const bool changed = reply && reply->status == ViewChangeReply::Status::ok;
  if (changed) {
    pendingViewChange_ = PendingViewChange{location.path, location.windowID, reply->oldView, request.rule.view,
                                           request.rule.source};
  }
  if (!preferences_->engineEnabled || shuttingDown_ || request.revision != ruleRevision_) {
    logViewChange();
    return;
  }
  if (!result) {
    diagnose("view failed " + describe(result.error()));
    holdAfterFailure(request.key, request.signature, request.revision, result.error());
    return;
  }
  diagnose("view " + describe(*result));
  if (!reply) {
    holdAfterFailure(request.key, request.signature, request.revision,
                     ScriptFailure{-1, services_.l.t("Finder 操作未完成")});
    return;
  }
  if (reply->status == ViewChangeReply::Status::error) {
    const auto message = reply->errorMessage.empty() ? services_.l.t("Finder 操作未完成") : reply->errorMessage;
    holdAfterFailure(request.key, request.signature, request.revision,
                     ScriptFailure{reply->errorNumber, message});
    return;
  }
  if (!changed) return;
  viewChangedInVisit_ = true;
  ignoreConfirmationOnce_ = request.forced;
  const auto finder = runningFinder();
  if (!finder) {
    logViewChange();
    return;
  }
  startQuery(finder->processIdentifier, true);
}

// The same request is not sent again for thirty seconds unless the window changes.
void AppModel::holdAfterFailure(const std::string& key, const std::optional<std::string>& signature,
                                std::uint64_t revision, const ScriptFailure& failure) {
  failureKey_ = key;
  handle(failure);
  navigationGate_.hold(signature, revision, lastFailureDate_, lastFailureDate_ + failurePause);
}

void AppModel::logViewChange() {
  if (!pendingViewChange_) return;
  const auto change = *std::exchange(pendingViewChange_, std::nullopt);
  const L& l = services_.l;
  log(l.t(finderViewHeading) + " · " + title(change.view, l), change.source, change.path, true, std::nullopt,
      std::nullopt, change.windowID, change.oldView);
}

// Two arrangements with the same key are the same request to the same window.
std::string AppModel::applyKey(const FinderLocation& location, const EffectiveRule& rule) const {
  return location.urlString + ":" + location.windowID + ":" + location.view + ":" + std::string(rawValue(rule.grouping)) +
         ":" + std::string(rawValue(rule.sorting)) + ":" + flag(preferences_->hideOnNavigation) + ":" +
         std::string(rawValue(rule.view));
}

// An external disk without a volume UUID could be any disk mounted under that name, so the
// archive never vouches for it.
bool AppModel::isConfirmed(const FinderLocation& location, const EffectiveRule& rule) const {
  if (location.isExternal && !location.volumeID) return false;
  const auto* confirmed = layouts_.confirmation(FinderLayoutArchive::key(location.path, location.view, location.volumeID));
  return confirmed &&
         *confirmed ==
             FinderLayoutArchive::fingerprint(rule.grouping, rule.sorting, preferences_->hideOnNavigation, rule.view);
}

void AppModel::arrange(const FinderLocation& location, const EffectiveRule& rule, const std::string& key,
                       const std::optional<std::string>& signature) {
  const bool hide = preferences_->hideOnNavigation;
  const bool checksHiddenFiles = hide && hiddenRepair_.isDue(services_.dispatch.now());
  ApplyRequest request{location, rule, FinderViewSupport::grouping(rule.grouping, location.view), key, signature,
                       ruleRevision_, hide, checksHiddenFiles};
  auto& services = services_;
  runOn(
      *scriptQueue_,
      [&services, request]() -> std::optional<ScriptResult> {
        if (services.probe.userIsInteracting()) return std::nullopt;
        const bool hideRequest = request.checksHiddenFiles && services.visibility.showsHiddenFiles();
        const auto groups = titles(menuNames(request.viewGrouping));
        const auto sorts = titles(menuNames(request.rule.sorting));
        return services.scripts.run(FinderScripts::apply(request.location.urlString, request.location.windowID, groups,
                                                         sorts, hideRequest));
      },
      [request](AppModel& self, std::optional<ScriptResult> result) {
        self.busy_.set(false);
        if (!result) {
          self.logViewChange();
          self.checkWhenPauseEnds();
          return;
        }
        if (request.checksHiddenFiles) self.hiddenRepair_.didCheck(self.services_.dispatch.now());
        self.finishApply(request, *result);
        self.logViewChange();
      });
}

// The Finder's own arrangement is recorded before anything else, even for a result about to
// be dropped, so restoring can always bring it back. A skip that carries the old titles came
// after the script read them and may have clicked already: it records them too.
void AppModel::finishApply(const ApplyRequest& request, const ScriptResult& result) {
  const auto status = result ? result->text(1) : std::nullopt;
  const bool carriesOriginal =
      status && (*status != "skip" || (result->text(2).has_value() && result->text(3).has_value()));
  if (carriesOriginal) {
    rememberOriginal(request, *result, std::nullopt);
    saveArchive();
  }
  // A reply dropped after its clicks leaves the Finder half arranged, as a skip does.
  const bool dropped = !preferences_->engineEnabled || shuttingDown_ || request.revision != ruleRevision_;
  if (status == "skip" || status == "error" || (dropped && carriesOriginal)) keepPendingTitles(request, *result);
  if (dropped) return;
  if (!result) {
    diagnose("apply failed " + describe(result.error()));
    holdAfterFailure(request.key, request.signature, request.revision, result.error());
    return;
  }
  diagnose("apply " + describe(*result));
  if (status == "error") {
    holdAfterFailure(request.key, request.signature, request.revision,
                     ScriptFailure{result->int32(5).value_or(-1), result->text(4).value_or(services_.l.t("Finder 操作未完成"))});
    return;
  }
  if (status == "ok" || status == "unchanged") confirmApplied(request, *result);
}

// A skip, an error or a dropped reply carrying the old titles may have come after clicks. Until
// the next finished reply for that folder and window, the titles of the first such reply stand
// for the Finder's arrangement, so the entry logged for undo never names a half-applied one.
void AppModel::keepPendingTitles(const ApplyRequest& request, const ScriptReply& reply) {
  const auto group = reply.text(2);
  const auto sort = reply.text(3);
  if (!group || !sort || group->empty() || sort->empty()) return;
  pendingTitles_.try_emplace(request.location.path + '\n' + request.location.windowID, *group, *sort);
}

void AppModel::confirmApplied(const ApplyRequest& request, const ScriptReply& reply) {
  const L& l = services_.l;
  std::pair<std::optional<std::string>, std::optional<std::string>> previous{reply.text(2), reply.text(3)};
  if (const auto pending = pendingTitles_.extract(request.location.path + '\n' + request.location.windowID)) {
    previous = pending.mapped();
  }
  navigationGate_.record(request.signature, request.revision, services_.dispatch.now());
  lastAppliedKey_ = request.key;
  failureKey_.reset();
  const bool sortOnly = request.viewGrouping != request.rule.grouping;
  message_.set(sortOnly ? std::optional(l.t("此 Finder 视图仅支持排序")) : std::nullopt);
  rememberOriginal(request, reply,
                   FinderLayoutArchive::fingerprint(request.rule.grouping, request.rule.sorting, request.hide,
                                                    request.rule.view));
  saveArchive();
  // An "unchanged" that follows a split arrangement still finished a change worth undoing.
  const bool changed = reply.text(1) == "ok" || previous != std::pair(reply.text(2), reply.text(3));
  if (!changed) return;
  const bool groups = FinderViewSupport::supportsGrouping(request.location.view);
  const auto sortingTitle = title(request.rule.sorting, l);
  std::string detail = l.f("%@ · 按%@排序", request.rule.source, sortingTitle);
  std::optional<std::string> previousView;
  if (pendingViewChange_ && pendingViewChange_->path == request.location.path &&
      pendingViewChange_->windowID == request.location.windowID) {
    detail = title(pendingViewChange_->view, l) + " · " + detail;
    previousView = std::exchange(pendingViewChange_, std::nullopt)->oldView;
  }
  log(groups ? l.f("已应用%@分组", title(request.rule.grouping, l)) : l.f("已应用%@排序", sortingTitle), detail,
      request.location.path, true, previous.first, previous.second, request.location.windowID, previousView);
}

void AppModel::rememberOriginal(const ApplyRequest& request, const ScriptReply& reply,
                                const std::optional<std::string>& fingerprint) {
  const auto& location = request.location;
  layouts_.remember(
      OriginalFinderLayout{location.path, location.view, location.volumeID, reply.text(2).value_or(""),
                           reply.text(3).value_or("")},
      fingerprint);
}

std::string AppModel::failureText(const ScriptFailure& failure) const {
  const L& l = services_.l;
  switch (failure.code) {
    case accessibility_error::apiDisabled:
    case apple_event_error::assistiveAccessRefused:
      return l.t("请为 Tidyframe开启辅助功能权限。");
    case apple_event_error::notPermitted:
      return l.t("请在系统设置 → 隐私与安全性 → 自动化中允许 Finder 和 System Events。");
    case apple_event_error::timedOut:
      return l.t("Finder 操作未完成");
    default:
      return l.t(failure.message);
  }
}

void AppModel::handle(const ScriptFailure& failure) {
  if (failure.code == apple_event_error::notPermitted) automationGranted_.setIfChanged(false);
  const std::string text = failureText(failure);
  message_.set(text);
  const Date now = services_.dispatch.now();
  if (now - lastFailureDate_ > failurePause) log(services_.l.t("分组未完成"), text, std::nullopt, false);
  lastFailureDate_ = now;
}

void AppModel::scheduleFinderCheck() {
  std::weak_ptr<AppModel> weak = weak_from_this();
  services_.dispatch.main().asyncAfter(checkDelay, [weak] {
    if (auto self = weak.lock()) self->tick();
  });
}

// From macOS 14 on an activation is only a request, and the front application is read anew only
// as the main run loop turns, so an activation's "yes" proves nothing: the check a quarter second
// later first confirms the Finder came forward and otherwise brings it forward by script, as
// after a refused activation.
void AppModel::confirmFinderActivation() {
  std::weak_ptr<AppModel> weak = weak_from_this();
  services_.dispatch.main().asyncAfter(checkDelay, [weak] {
    const auto self = weak.lock();
    if (!self || self->shuttingDown_) return;
    if (!self->finderIsFrontmost() && self->automationGranted_.get()) {
      self->activateFinderForAction();
      return;
    }
    self->tick();
  });
}

void AppModel::applyNow() {
  assert(isMainQueue());
  if (shuttingDown_) return;
  if (!preferences_->engineEnabled) {
    start();
    return;
  }
  lastAppliedKey_.reset();
  failureKey_.reset();
  viewChangedInVisit_ = false;
  navigationGate_ = FinderNavigationGate{};
  polling_.succeeded();
  const auto finder = runningFinder();
  if (!finder) return;
  ignoreConfirmationOnce_ = true;
  services_.workspace.yieldActivation(*finder);
  if (services_.workspace.activate(*finder)) {
    confirmFinderActivation();
  } else {
    activateFinderForAction();
  }
}

void AppModel::pause() {
  auto preferences = preferences_.get();
  preferences.engineEnabled = false;
  setPreferences(std::move(preferences));
  lastAppliedKey_.reset();
  const L& l = services_.l;
  log(l.t("自动分组已暂停"), l.t("Finder 保留当前显示状态；可随时继续"), std::nullopt, true);
}

void AppModel::enableEngine(bool takingOverLegacy) {
  auto preferences = preferences_.get();
  preferences.engineEnabled = true;
  setPreferences(std::move(preferences));
  if (takingOverLegacy) setLoginItem(true);
  lastAppliedKey_.reset();
  failureKey_.reset();
  polling_.succeeded();
  showSetup_.set(false);
  const L& l = services_.l;
  log(l.t("自动分组已开启"), l.t("全局、路径和设备规则已生效"), std::nullopt, true);
}

}  // namespace tidyframe
