#include <cassert>

#include "engine/app_model.h"
#include "engine/app_model_private.h"
#include "finder/finder_scripts.h"
#include "finder/finder_visibility_preference.h"
#include "finder/finder_window_probe.h"
#include "i18n/l.h"
#include "platform/accessibility.h"
#include "platform/alerts.h"
#include "platform/apple_event_permissions.h"
#include "platform/folder_bookmarks.h"
#include "storage/persistence_writer.h"
#include "storage/storage.h"

namespace tidyframe {

// Every condition of the check but the user's pause.
bool AppModel::hiddenRepairAllowed() const {
  const auto& p = preferences_.get();
  if (!p.engineEnabled || shuttingDown_ || !p.hideOnNavigation || !legacyReady_ || legacyRunning_.get()) return false;
  if (!accessibilityGranted_.get() || !automationGranted_.get() || busy_.get() || finderTaskInFlight_) return false;
  return hiddenRepair_.isDue(services_.dispatch.now()) && finderIsFrontmost();
}

// Whether dot files show is the Finder's own setting, so the check reads one preference and
// costs no walk of the window. Only permission failures reach the user.
void AppModel::repairHiddenFilesIfNeeded() {
  if (!hiddenRepairAllowed()) return;
  if (services_.probe.userIsInteracting()) {
    checkWhenPauseEnds();
    return;
  }
  hiddenRepair_.didCheck(services_.dispatch.now());
  finderTaskInFlight_ = true;
  auto& services = services_;
  runOn(
      *scriptQueue_,
      [&services]() -> std::optional<ScriptResult> {
        if (!services.visibility.showsHiddenFiles() || services.probe.userIsInteracting()) return std::nullopt;
        return services.scripts.run(FinderScripts::keepHidden());
      },
      [](AppModel& self, std::optional<ScriptResult> result) {
        self.finderTaskInFlight_ = false;
        if (!result || *result) return;
        self.hiddenRepair_.failed(self.services_.dispatch.now());
        const auto code = result->error().code;
        if (code == apple_event_error::notPermitted || code == accessibility_error::apiDisabled) self.handle(result->error());
      });
}

void AppModel::log(std::string title, std::string detail, std::optional<std::string> path, bool success,
                   std::optional<std::string> previousGroup, std::optional<std::string> previousSort,
                   std::optional<std::string> windowID, std::optional<std::string> previousView) {
  assert(isMainQueue());
  ActivityEntry entry;
  entry.date = services_.dispatch.now();
  entry.title = std::move(title);
  entry.detail = std::move(detail);
  entry.path = std::move(path);
  entry.success = success;
  entry.previousGroup = std::move(previousGroup);
  entry.previousSort = std::move(previousSort);
  entry.windowID = std::move(windowID);
  entry.previousView = std::move(previousView);
  auto list = activities_.get();
  list.insert(list.begin(), std::move(entry));
  if (list.size() > activityCap) list.resize(activityCap);
  activities_.set(std::move(list));
  saveDocument(Storage::activityFile, toJson(activities_.get()), activitySaveFailed);
}

void AppModel::exportActivity() {
  const L& l = services_.l;
  const auto chosen = services_.alerts.runSavePanel(FilePanelRequest::save(l.t("Finder运行记录.json"), {"json"}));
  if (!chosen) return;
  const auto saved = Storage::save(activities_.get(), *chosen);
  if (!saved) message_.set(l.f("导出失败：%@", saved.error()));
}

// Every call releases all held accesses first, so each bookmarked folder is held at most once.
void AppModel::openBookmarks() {
  auto rules = preferences_->rules;
  auto held = bookmarks_;
  auto& bookmarks = services_.bookmarks;
  bookmarkQueue_->async([&bookmarks, held, rules = std::move(rules)] {
    for (const auto& path : *held) bookmarks.stopAccessing(path);
    held->clear();
    for (const auto& rule : rules) {
      if (!rule.bookmark) continue;
      const auto resolved = bookmarks.resolve(*rule.bookmark);
      if (resolved && bookmarks.startAccessing(resolved->path)) held->push_back(resolved->path);
    }
  });
}

void AppModel::openLocation(const std::string& path) {
  if (!services_.workspace.openFolder(path)) message_.set(services_.l.t("Finder 操作未完成"));
  if (const auto finder = runningFinder()) {
    services_.workspace.yieldActivation(*finder);
    if (services_.workspace.activate(*finder)) {
      confirmFinderActivation();
      return;
    }
  }
  if (automationGranted_.get()) activateFinderForAction();
}

void AppModel::activateFinderForAction() {
  if (activationInFlight_) return;
  activationInFlight_ = true;
  auto& scripts = services_.scripts;
  runOn(
      *scriptQueue_, [&scripts] { return scripts.run(FinderScripts::activate()); },
      [](AppModel& self, ScriptResult result) {
        self.activationInFlight_ = false;
        if (!result) {
          self.handle(result.error());
          return;
        }
        self.scheduleFinderCheck();
      });
}

}  // namespace tidyframe
