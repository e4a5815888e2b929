#pragma once

#include <cstdint>
#include <expected>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/dispatch.h"
#include "base/published.h"
#include "engine/app_model_delegate.h"
#include "engine/engine_services.h"
#include "finder/finder_hidden_repair_state.h"
#include "finder/finder_location.h"
#include "finder/finder_navigation_gate.h"
#include "finder/finder_polling_state.h"
#include "finder/script_runner.h"
#include "legacy/legacy_service.h"
#include "model/mounted_volume.h"
#include "model/preferences.h"
#include "model/rule_resolver.h"
#include "platform/workspace.h"
#include "storage/activity_entry.h"
#include "storage/finder_layout_archive.h"
#include "storage/storage.h"

namespace tidyframe {

// The pages of the panel, in order.
enum class Page { overview, rules, feedback, activity };

// What restoring a folder and undoing an entry put back; made and read in their own files.
struct RestorePlan;
struct UndoRequest;

// The one engine of the program: it owns the settings, the activity log, the layout archive
// and the volume list, publishes what the panel shows, polls the front Finder window every 2
// seconds and arranges it, keeps the permission state current and hands over from and back
// to the earlier service.
//
// Confined to the main queue: every public function and every published value is used there
// only. Blocking work runs on four serial queues it owns; their results come back in
// main-queue blocks that hold the engine weakly, so a block whose engine is gone does nothing.
// Borrows every service (EngineServices), which must outlive it.
class AppModel : public std::enable_shared_from_this<AppModel> {
 public:
  // Seconds between two looks at the front Finder window.
  static constexpr double pollInterval = 2.0;

  // Constructs and starts the engine: loads the documents, seeds and saves the archive,
  // checks permissions, volumes and the earlier service, reopens bookmarks, starts the poll
  // timer and observes mounts, unmounts and activation.
  static std::shared_ptr<AppModel> create(const EngineServices& services);
  ~AppModel();
  AppModel(const AppModel&) = delete;
  AppModel& operator=(const AppModel&) = delete;

  // The shell; cleared by the shell before it goes away.
  void setDelegate(AppModelDelegate* delegate) { delegate_ = delegate; }

  // Published state, read and observed by the interface.
  const Published<Preferences>& preferences() const { return preferences_; }
  const Published<std::vector<ActivityEntry>>& activities() const { return activities_; }
  const Published<std::vector<MountedVolume>>& volumes() const { return volumes_; }
  const Published<bool>& accessibilityGranted() const { return accessibilityGranted_; }
  const Published<bool>& automationGranted() const { return automationGranted_; }
  const Published<bool>& legacyRunning() const { return legacyRunning_; }
  const Published<std::int64_t>& legacyChecked() const { return legacyChecked_; }
  const Published<std::optional<std::string>>& currentPath() const { return currentPath_; }
  const Published<std::string>& currentSource() const { return currentSource_; }
  const Published<std::optional<std::string>>& message() const { return message_; }
  const Published<Page>& selectedPage() const { return selectedPage_; }
  // The measured height of the overview page, in points.
  const Published<double>& overviewHeight() const { return overviewHeight_; }
  const Published<std::optional<LocationRule>>& ruleEditor() const { return ruleEditor_; }
  const Published<bool>& showSetup() const { return showSetup_; }
  const Published<bool>& busy() const { return busy_; }
  const Published<std::string>& feedbackDraft() const { return feedbackDraft_; }
  const Published<bool>& feedbackIncludesSystem() const { return feedbackIncludesSystem_; }
  // Told whenever the login item was switched, so its status is read again.
  const Published<bool>& loginItemChanged() const { return loginItemChanged_; }

  // Assigning runs the settings-change reaction: save, interface language, revision.
  void setPreferences(Preferences preferences);
  void setMessage(std::optional<std::string> text) { message_.set(std::move(text)); }
  void setSelectedPage(Page page) { selectedPage_.set(page); }
  void setOverviewHeight(double height) { overviewHeight_.setIfChanged(height); }
  void setShowSetup(bool show) { showSetup_.set(show); }
  void setRuleEditor(std::optional<LocationRule> rule) { ruleEditor_.set(std::move(rule)); }
  void setFeedbackDraft(std::string text) { feedbackDraft_.set(std::move(text)); }
  void setFeedbackIncludesSystem(bool include) { feedbackIncludesSystem_.set(include); }

  // "light", "dark", or nothing to follow the system.
  std::optional<std::string> preferredColorScheme() const;
  bool legacyReady() const { return legacyReady_; }
  const FinderLayoutArchive& layouts() const { return layouts_; }

  // Start-up and environment.
  void start();
  void refreshEnvironment(bool includeVolumes);
  void refreshVolumes();
  void verifyAutomation();
  // Stops new work; `completion` runs on the main queue once the script queue has drained.
  void prepareForQuit(Task completion);
  void openAccessibility();
  void openAutomation();

  // The query-and-apply cycle.
  void scheduleFinderCheck();
  void applyNow();
  void pause();
  void enableEngine(bool takingOverLegacy);

  // Hidden files, the activity log and locations.
  void repairHiddenFilesIfNeeded();
  void exportActivity();
  void openBookmarks();
  void openLocation(const std::string& path);
  void activateFinderForAction();

  // Rule editing: choosing a folder or a device puts a rule (its existing one, else a new
  // one) into the editor without saving it; saving and deleting change the settings.
  void chooseFolder(bool excluded);
  void editDevice(const MountedVolume& volume);
  void saveRule(LocationRule rule);
  void deleteRule(const std::string& id);

  // Restore and undo. Both pause automatic grouping and act only on the window the user is
  // (still) in: restore gives the front folder back the Finder's original arrangement after
  // the user confirmed it; undo puts back what an arrangement's log entry replaced.
  void restoreCurrentFolder();
  void undo(const ActivityEntry& entry);
  // Whether `entry` records what an arrangement replaced, in a window and a folder undo can
  // find again; the panel offers undo exactly where undo would act.
  bool canUndo(const ActivityEntry& entry) const;

  // Settings export and import. Export writes the portable form; import asks first, backs
  // the current settings up, and never switches automatic grouping on or off.
  void exportPreferences();
  void importPreferences();
  // The import after its confirmation, for callers that asked the user themselves (or need
  // not): the backup, then the portable form of `imported` with the master switch kept.
  // Answers why the backup failed; the settings are then untouched.
  std::expected<void, std::string> replacePreferences(const Preferences& imported);

  // The earlier service and the login item.
  void refreshLegacy();
  void migrateLegacy(std::function<void(bool)> completion);
  void restoreLegacy(bool confirm);
  bool canRestoreLegacy() const;
  void setLoginItem(bool enabled);
  bool loginEnabled() const;

 private:
  // The tests' one way to a failure or a log entry without staging a whole script run.
  friend struct AppModelTestPeer;
  struct QueryOutcome;
  struct ApplyRequest;
  struct ViewRequest;

  void tick();
  void handle(const ScriptFailure& failure);
  void log(std::string title, std::string detail, std::optional<std::string> path, bool success,
           std::optional<std::string> previousGroup = std::nullopt,
           std::optional<std::string> previousSort = std::nullopt,
           std::optional<std::string> windowID = std::nullopt,
           std::optional<std::string> previousView = std::nullopt);

  explicit AppModel(const EngineServices& services);
  void construct();
  void loadDocuments();
  void observeWorkspace();
  void reactToSettingsChange(const Preferences& old);
  template <JsonDocument T>
  std::optional<T> loaded(std::string_view fileName);
  bool maySave(std::string_view fileName, std::string_view errorFormat);
  void saveDocument(std::string_view fileName, DocumentUpdate update, std::string_view errorFormat);
  void saveSettings();
  // `whole` rewrites the document when its journal holds any change, as at quit.
  void saveArchive(bool whole = false);

  // Posts `work` to `queue`; its result runs on the main queue if the engine still exists.
  template <class Work, class Done>
  void runOn(DispatchQueue& queue, Work work, Done done);
  bool isMainQueue() const;

  bool mayQuery() const;
  void checkWhenPauseEnds();
  bool finderIsFrontmost() const;
  void confirmFinderActivation();
  std::optional<RunningApplication> runningFinder() const;
  // `pastTheGate`: asked whatever the navigation gate says, as after a view change.
  void startQuery(int finderPid, bool pastTheGate = false);
  void settleQuery(QueryOutcome outcome, std::uint64_t revision);
  void processQuery(const std::expected<std::optional<FinderLocation>, ScriptFailure>& result,
                    std::uint64_t revision, const std::optional<std::string>& signature);
  void settleWithoutFolder(std::uint64_t revision, const std::optional<std::string>& signature);
  void settleSkipped(std::uint64_t revision, const std::optional<std::string>& signature, Date askedAt);
  std::string applyKey(const FinderLocation& location, const EffectiveRule& rule) const;
  bool isConfirmed(const FinderLocation& location, const EffectiveRule& rule) const;
  void arrange(const FinderLocation& location, const EffectiveRule& rule, const std::string& key,
               const std::optional<std::string>& signature);
  void changeView(const ViewRequest& request);
  void finishViewChange(const ViewRequest& request, const ScriptResult& result);
  void holdAfterFailure(const std::string& key, const std::optional<std::string>& signature, std::uint64_t revision,
                        const ScriptFailure& failure);
  void logViewChange();
  void finishApply(const ApplyRequest& request, const ScriptResult& result);
  void keepPendingTitles(const ApplyRequest& request, const ScriptReply& reply);
  void confirmApplied(const ApplyRequest& request, const ScriptReply& reply);
  void rememberOriginal(const ApplyRequest& request, const ScriptReply& reply,
                        const std::optional<std::string>& fingerprint);
  std::string failureText(const ScriptFailure& failure) const;
  void diagnose(const std::string& line) const;
  bool hiddenRepairAllowed() const;

  void confirmRestore(const std::expected<std::optional<FinderLocation>, ScriptFailure>& result);
  void scheduleRestore(const FinderLocation& location, const RestorePlan& plan);
  void finishRestore(const FinderLocation& location, const ScriptResult& result);
  void reopenPanel();
  void runUndo(const UndoRequest& request);
  void finishUndo(const std::string& path, const ScriptResult& result);

  void finishTakeOver(const std::expected<void, LegacyFailure>& result, const std::function<void(bool)>& completion);
  void runHandBack(bool afterFailedTakeOver);
  void finishHandBack(const std::expected<bool, LegacyFailure>& result, bool afterFailedTakeOver);
  void resumeQuitting();

  EngineServices services_;
  AppModelDelegate* delegate_ = nullptr;

  Published<Preferences> preferences_;
  Published<std::string> feedbackDraft_;
  Published<bool> feedbackIncludesSystem_{true};
  Published<std::vector<ActivityEntry>> activities_;
  Published<std::vector<MountedVolume>> volumes_;
  Published<bool> accessibilityGranted_{false};
  Published<bool> automationGranted_{false};
  Published<bool> legacyRunning_{false};
  Published<std::int64_t> legacyChecked_{0};
  Published<std::optional<std::string>> currentPath_;
  Published<std::string> currentSource_;
  Published<std::optional<std::string>> message_;
  Published<Page> selectedPage_{Page::overview};
  Published<double> overviewHeight_{330};
  Published<std::optional<LocationRule>> ruleEditor_;
  Published<bool> showSetup_{false};
  Published<bool> busy_{false};
  Published<bool> loginItemChanged_{false};

  FinderLayoutArchive layouts_;
  // Documents that could neither be read nor copied aside at launch, by file name.
  std::set<std::string, std::less<>> notKeptAside_;
  std::unique_ptr<RepeatingTimer> timer_;
  bool shuttingDown_ = false;
  std::shared_ptr<DispatchQueue> scriptQueue_;
  std::shared_ptr<DispatchQueue> environmentQueue_;
  std::shared_ptr<DispatchQueue> volumeQueue_;
  std::shared_ptr<DispatchQueue> bookmarkQueue_;
  bool environmentRefreshInFlight_ = false;
  bool volumeRefreshInFlight_ = false;
  bool volumeRefreshPending_ = false;
  bool finderTaskInFlight_ = false;
  bool activationInFlight_ = false;
  bool permissionCheckInFlight_ = false;
  // A take-over or hand-back is running on the environment queue; quitting waits for it.
  bool legacyTaskInFlight_ = false;
  // The completion of a quit that waits for that task.
  Task quitCompletion_;
  bool legacyReady_ = false;
  std::uint64_t ruleRevision_ = 0;
  FinderPollingState polling_;
  FinderNavigationGate navigationGate_;
  FinderHiddenRepairState hiddenRepair_;
  // The ticket of the one check pending for the end of the user's pause; older ones do nothing.
  std::uint64_t pauseCheckTicket_ = 0;
  std::optional<std::string> lastAppliedKey_;
  // The folder of the last query that found one; none after a window that showed no folder.
  std::optional<std::string> lastProcessedPath_;
  // Set by applyNow: the next queried folder is arranged even if the archive confirms it.
  bool ignoreConfirmationOnce_ = false;
  std::optional<std::string> failureKey_;
  // The engine changed the view of the folder of this visit: a view the user picks while
  // staying in it is theirs until the window shows another folder.
  bool viewChangedInVisit_ = false;
  // A view change whose log entry waits for the arrangement that follows it, so one entry
  // tells both; logged alone when no arrangement follows.
  struct PendingViewChange {
    std::string path;
    std::string windowID;
    std::string oldView;
    FinderViewChoice view;
    std::string source;
  };
  std::optional<PendingViewChange> pendingViewChange_;
  // Old titles of a split arrangement (a skip, an error or a dropped reply after clicks), by
  // folder path and window id joined by a line feed, until the next finished reply there.
  std::map<std::string, std::pair<std::optional<std::string>, std::optional<std::string>>> pendingTitles_;
  Date lastFailureDate_ = Date::distantPast();
  Date lastPermissionRefresh_ = Date::distantPast();
  Date lastVolumeRefresh_ = Date::distantPast();
  // Folders whose access is held open; touched only on the bookmark queue.
  std::shared_ptr<std::vector<std::string>> bookmarks_ = std::make_shared<std::vector<std::string>>();
  // The resolver's normalised view of the rules, rebuilt on every settings change.
  RuleIndex ruleIndex_{Preferences{}};
  std::vector<Subscription> observers_;
};

}  // namespace tidyframe
