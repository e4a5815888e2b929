#include "engine/app_model.h"

#include <cassert>

#include "engine/app_model_private.h"
#include "finder/automation_permission_state.h"
#include "finder/finder_scripts.h"
#include "i18n/l.h"
#include "model/settings_document.h"
#include "platform/accessibility.h"
#include "platform/apple_event_permissions.h"
#include "storage/persistence_writer.h"
#include "storage/storage.h"

namespace tidyframe {

namespace {

constexpr double pollTolerance = 0.2;
constexpr std::string_view settingsPane = "x-apple.systempreferences:com.apple.preference.security?";

bool rulesChanged(const Preferences& a, const Preferences& b) {
  return a.rules != b.rules || a.grouping != b.grouping || a.sorting != b.sorting ||
         a.internalEnabled != b.internalEnabled || a.externalEnabled != b.externalEnabled ||
         a.hideOnNavigation != b.hideOnNavigation || a.view != b.view;
}

}  // namespace

struct EnvironmentReport {
  bool trusted = false;
  AutomationPermissionState automation = AutomationPermissionState::unknown;
};

std::shared_ptr<AppModel> AppModel::create(const EngineServices& services) {
  std::shared_ptr<AppModel> model(new AppModel(services));
  model->construct();
  return model;
}

AppModel::AppModel(const EngineServices& services)
    : services_(services),
      currentSource_(services.l.t("等待打开 Finder 文件夹")),
      scriptQueue_(services.dispatch.makeSerialQueue("Tidyframe.apple-events")),
      environmentQueue_(services.dispatch.makeSerialQueue("Tidyframe.environment")),
      volumeQueue_(services.dispatch.makeSerialQueue("Tidyframe.volumes")),
      bookmarkQueue_(services.dispatch.makeSerialQueue("Tidyframe.bookmarks")) {}

AppModel::~AppModel() = default;

bool AppModel::isMainQueue() const { return services_.dispatch.isCurrent(services_.dispatch.main()); }

void AppModel::construct() {
  loadDocuments();
  layouts_.seed(activities_.get());
  saveArchive();
  refreshEnvironment(true);
  refreshLegacy();
  openBookmarks();
  std::weak_ptr<AppModel> weak = weak_from_this();
  timer_ = services_.dispatch.scheduleRepeating(services_.dispatch.main(), pollInterval, pollTolerance, [weak] {
    if (auto self = weak.lock()) self->tick();
  });
  observeWorkspace();
}

// A document that cannot be decoded is kept aside by the storage layer before anything can
// save over it; the engine then starts from the defaults, as with a missing one.
void AppModel::loadDocuments() {
  auto settings = loaded<Preferences>(Storage::preferencesFile);
  preferences_.set(settings.value_or(Preferences{}));
  ruleIndex_ = RuleIndex(preferences_.get());
  services_.l.setLanguage(preferences_->language);
  activities_.set(loaded<std::vector<ActivityEntry>>(Storage::activityFile).value_or(std::vector<ActivityEntry>{}));
  auto archive = loadArchive(services_.storage, services_.dispatch.now());
  notKeptAside_.insert(archive.notKeptAside.begin(), archive.notKeptAside.end());
  layouts_ = std::move(archive.archive);
}

template <JsonDocument T>
std::optional<T> AppModel::loaded(std::string_view fileName) {
  auto document = services_.storage.load<T>(fileName, services_.dispatch.now());
  if (document.asideError) notKeptAside_.emplace(fileName);
  return std::move(document.value);
}

// A document that could neither be read nor copied aside holds the user's only copy: it is
// saved over only once a new attempt to copy it aside succeeded.
bool AppModel::maySave(std::string_view fileName, std::string_view errorFormat) {
  const auto pending = notKeptAside_.find(fileName);
  if (pending == notKeptAside_.end()) return true;
  const auto kept = services_.storage.keepAside(fileName, services_.dispatch.now());
  if (!kept) {
    message_.set(services_.l.f(errorFormat, kept.error()));
    return false;
  }
  notKeptAside_.erase(pending);
  return true;
}

void AppModel::saveDocument(std::string_view fileName, DocumentUpdate update, std::string_view errorFormat) {
  if (!maySave(fileName, errorFormat)) return;
  std::weak_ptr<AppModel> weak = weak_from_this();
  services_.writer.save(std::string(fileName), std::move(update), [weak, errorFormat](const std::string& error) {
    if (auto self = weak.lock()) self->message_.set(self->services_.l.f(errorFormat, error));
  });
}

void AppModel::observeWorkspace() {
  std::weak_ptr<AppModel> weak = weak_from_this();
  auto& workspace = services_.workspace;
  observers_.push_back(workspace.onDidMount([weak] {
    auto self = weak.lock();
    if (!self) return;
    self->lastAppliedKey_.reset();
    self->navigationGate_ = FinderNavigationGate{};
    self->refreshEnvironment(true);
  }));
  observers_.push_back(workspace.onDidUnmount([weak] {
    if (auto self = weak.lock()) self->refreshEnvironment(true);
  }));
  observers_.push_back(workspace.onDidBecomeActive([weak] {
    if (auto self = weak.lock()) self->refreshEnvironment(false);
  }));
  // The Finder in front again: its window is looked at once the user's pause allows, not at
  // the next tick.
  observers_.push_back(workspace.onDidActivateApplication([weak](const RunningApplication& application) {
    auto self = weak.lock();
    if (self && application.bundleIdentifier == finderBundleIdentifier) self->checkWhenPauseEnds();
  }));
}

void AppModel::setPreferences(Preferences preferences) {
  assert(isMainQueue());
  Preferences old = preferences_.get();
  // Observers re-render at once, so they must find the new language already in force.
  services_.l.setLanguage(preferences.language);
  preferences_.set(std::move(preferences));
  reactToSettingsChange(old);
}

void AppModel::reactToSettingsChange(const Preferences& old) {
  const Preferences& now = preferences_.get();
  if (now.language != old.language && delegate_) delegate_->updateMenu();
  saveSettings();
  if (rulesChanged(old, now)) {
    ruleIndex_ = RuleIndex(now);
    lastAppliedKey_.reset();
    // A view chosen anew is an instruction of its own, not the visit's change the user undid.
    viewChangedInVisit_ = false;
    ++ruleRevision_;
    polling_.succeeded();
    if (delegate_) delegate_->ruleDidChange();
  }
  // A new language asks the front window again, so the current source is told in it too.
  if (now.engineEnabled != old.engineEnabled || now.language != old.language) ++ruleRevision_;
  if (now.hideOnNavigation != old.hideOnNavigation) hiddenRepair_ = FinderHiddenRepairState{};
}

void AppModel::saveSettings() { saveDocument(Storage::preferencesFile, toJson(preferences_.get()), settingsSaveFailed); }

// The changes are taken only once both files of the archive may be saved over, so none is lost.
void AppModel::saveArchive(bool whole) {
  if (!maySave(Storage::layoutsFile, settingsSaveFailed) || !maySave(Storage::layoutsJournalFile, settingsSaveFailed)) {
    return;
  }
  saveDocument(Storage::layoutsFile, layouts_.takeUpdate(whole), settingsSaveFailed);
}

std::optional<std::string> AppModel::preferredColorScheme() const {
  const auto& appearance = preferences_->appearance;
  if (appearance == "light" || appearance == "dark") return appearance;
  return std::nullopt;
}

void AppModel::refreshEnvironment(bool includeVolumes) {
  assert(isMainQueue());
  if (shuttingDown_) return;
  const Date now = services_.dispatch.now();
  if (includeVolumes || now - lastVolumeRefresh_ > refreshInterval) refreshVolumes();
  if (environmentRefreshInFlight_) return;
  environmentRefreshInFlight_ = true;
  lastPermissionRefresh_ = now;
  auto& accessibility = services_.accessibility;
  auto& permissions = services_.permissions;
  runOn(
      *environmentQueue_,
      [&accessibility, &permissions] {
        return EnvironmentReport{accessibility.isProcessTrusted(), probeAutomationPermission(permissions)};
      },
      [](AppModel& self, EnvironmentReport report) {
        self.environmentRefreshInFlight_ = false;
        self.accessibilityGranted_.setIfChanged(report.trusted);
        switch (report.automation) {
          case AutomationPermissionState::allowed:
            self.automationGranted_.setIfChanged(true);
            break;
          case AutomationPermissionState::denied:
            self.automationGranted_.setIfChanged(false);
            break;
          case AutomationPermissionState::unknown:
            if (!self.automationGranted_.get() && report.trusted && self.preferences_->engineEnabled) {
              self.verifyAutomation();
            }
            break;
        }
      });
}

void AppModel::refreshVolumes() {
  if (shuttingDown_) return;
  if (volumeRefreshInFlight_) {
    volumeRefreshPending_ = true;
    return;
  }
  volumeRefreshInFlight_ = true;
  lastVolumeRefresh_ = services_.dispatch.now();
  auto& catalog = services_.volumes;
  const L& l = services_.l;
  runOn(
      *volumeQueue_, [&catalog, &l] { return MountedVolume::discover(catalog, l.locale()); },
      [](AppModel& self, std::vector<MountedVolume> volumes) {
        self.volumeRefreshInFlight_ = false;
        self.volumes_.setIfChanged(std::move(volumes));
        if (!self.volumeRefreshPending_) return;
        self.volumeRefreshPending_ = false;
        self.refreshVolumes();
      });
}

void AppModel::verifyAutomation() {
  if (shuttingDown_ || permissionCheckInFlight_ || busy_.get()) return;
  permissionCheckInFlight_ = true;
  auto& scripts = services_.scripts;
  runOn(
      *scriptQueue_, [&scripts] { return scripts.run(FinderScripts::automationCheck()); },
      [](AppModel& self, ScriptResult result) {
        self.permissionCheckInFlight_ = false;
        if (result) {
          self.automationGranted_.setIfChanged(true);
          return;
        }
        const auto code = result.error().code;
        if (code != apple_event_error::notPermitted && code != apple_event_error::wouldRequireUserConsent) return;
        self.automationGranted_.setIfChanged(false);
        self.handle(result.error());
      });
}

void AppModel::start() {
  assert(isMainQueue());
  if (shuttingDown_ || busy_.get() || finderTaskInFlight_) return;
  refreshEnvironment(true);
  if (!accessibilityGranted_.get()) {
    showSetup_.set(true);
    return;
  }
  busy_.set(true);
  const auto revision = ruleRevision_;
  auto& scripts = services_.scripts;
  runOn(
      *scriptQueue_, [&scripts] { return scripts.run(FinderScripts::automationCheck()); },
      [revision](AppModel& self, ScriptResult result) {
        self.busy_.set(false);
        if (revision != self.ruleRevision_) return;
        if (!result) {
          self.handle(result.error());
          self.showSetup_.set(true);
          return;
        }
        self.automationGranted_.setIfChanged(true);
        if (!self.legacyRunning_.get()) {
          self.enableEngine(false);
          return;
        }
        std::weak_ptr<AppModel> weak = self.weak_from_this();
        self.migrateLegacy([weak, revision](bool succeeded) {
          auto model = weak.lock();
          if (model && succeeded && revision == model->ruleRevision_) model->enableEngine(true);
        });
      });
}

// Waits for the script queue, for a take-over or hand-back (stopping a job can take seconds,
// and one stopped halfway would leave a backup nobody hands back), then for every pending
// save, so that quitting loses nothing.
void AppModel::prepareForQuit(Task completion) {
  assert(isMainQueue());
  shuttingDown_ = true;
  timer_.reset();
  auto& main = services_.dispatch.main();
  auto& writer = services_.writer;
  std::weak_ptr<AppModel> weak = weak_from_this();
  scriptQueue_->async([&main, &writer, weak, completion = std::move(completion)]() mutable {
    main.async([&writer, weak, completion = std::move(completion)]() mutable {
      auto self = weak.lock();
      if (!self) {
        writer.flush(std::move(completion));
        return;
      }
      self->quitCompletion_ = std::move(completion);
      self->resumeQuitting();
    });
  });
}

void AppModel::resumeQuitting() {
  if (legacyTaskInFlight_ || !quitCompletion_) return;
  saveArchive(true);
  services_.writer.flush(std::exchange(quitCompletion_, nullptr));
}

void AppModel::openAccessibility() {
  services_.accessibility.isProcessTrustedPrompting();
  services_.workspace.openURL(std::string(settingsPane) + "Privacy_Accessibility");
}

void AppModel::openAutomation() { services_.workspace.openURL(std::string(settingsPane) + "Privacy_Automation"); }

}  // namespace tidyframe
