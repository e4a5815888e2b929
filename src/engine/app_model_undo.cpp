#include <cassert>

#include "engine/app_model.h"
#include "engine/app_model_private.h"
#include "finder/finder_menu_names.h"
#include "finder/finder_scripts.h"
#include "i18n/l.h"
#include "platform/folder_url_text.h"

namespace tidyframe {

namespace {

// Time for the Finder to come forward before its menus are clicked.
constexpr double undoDelay = 0.4;

bool present(const std::optional<std::string>& text) { return text && !text->empty(); }

bool recordsArrangement(const ActivityEntry& entry) {
  return present(entry.previousGroup) && present(entry.previousSort);
}

std::optional<FinderViewChoice> previousView(const ActivityEntry& entry) {
  return entry.previousView ? reportedViewChoice(*entry.previousView) : std::nullopt;
}

ScriptReply finished() { return ScriptReply({ScriptReplyItem{"ok", std::nullopt}}); }

}  // namespace

// What one undo puts back where. The titles are widened to every wording of their choice: the
// arrangement script records "None" in English whatever the Finder's language.
struct UndoRequest {
  std::string path;
  std::string url;
  std::string windowID;
  // Empty when the entry recorded no arrangement.
  std::vector<std::string> groups;
  std::vector<std::string> sorts;
  std::optional<FinderViewChoice> view;
};

namespace {

// The recorded arrangement goes back first, in the view it was made in, and the view after it:
// the Finder keeps an arrangement per view, so the other order would arrange the view the
// change never touched.
ScriptResult putBack(ScriptRunner& scripts, const UndoRequest& request) {
  if (!request.groups.empty()) {
    auto arranged = scripts.run(FinderScripts::apply(request.url, request.windowID, request.groups, request.sorts, false));
    const auto status = arranged ? arranged->text(1) : std::nullopt;
    if (!request.view || (status != "ok" && status != "unchanged")) return arranged;
  }
  if (!request.view) return finished();
  const auto changed = scripts.run(FinderScripts::setView(request.url, request.windowID, *request.view));
  if (!changed) return changed;
  const auto reply = readViewChange(*changed);
  if (reply && reply->status == ViewChangeReply::Status::ok) return finished();
  if (reply && reply->status == ViewChangeReply::Status::error) {
    return std::unexpected(ScriptFailure{reply->errorNumber, reply->errorMessage});
  }
  return ScriptReply({ScriptReplyItem{"skip", std::nullopt}});
}

}  // namespace

// The Finder comes forward, so the panel closes. Grouping is switched off first, without an entry of its own, so the next poll does not
// arrange the window again.
bool AppModel::canUndo(const ActivityEntry& entry) const {
  if (!entry.path || !entry.windowID) return false;
  if (!recordsArrangement(entry) && !previousView(entry)) return false;
  return services_.folderURLs.directoryURL(*entry.path).has_value();
}

void AppModel::undo(const ActivityEntry& entry) {
  assert(isMainQueue());
  if (busy_.get() || !canUndo(entry)) return;
  auto url = services_.folderURLs.directoryURL(*entry.path);
  busy_.set(true);
  if (delegate_) delegate_->closeForFinderAction();
  if (const auto finder = runningFinder()) {
    services_.workspace.yieldActivation(*finder);
    services_.workspace.activate(*finder);
  }
  auto preferences = preferences_.get();
  preferences.engineEnabled = false;
  setPreferences(std::move(preferences));
  UndoRequest request{*entry.path, std::move(*url), *entry.windowID, {}, {}, previousView(entry)};
  if (recordsArrangement(entry)) {
    request.groups = widenedMenuNames(*entry.previousGroup);
    request.sorts = widenedMenuNames(*entry.previousSort);
  }
  std::weak_ptr<AppModel> weak = weak_from_this();
  services_.dispatch.main().asyncAfter(undoDelay, [weak, request = std::move(request)] {
    auto self = weak.lock();
    if (!self || self->shuttingDown_) return;
    self->runUndo(request);
  });
}

void AppModel::runUndo(const UndoRequest& request) {
  busy_.set(true);
  auto& scripts = services_.scripts;
  runOn(
      *scriptQueue_,
      [&scripts, request] { return putBack(scripts, request); },
      [path = request.path](AppModel& self, ScriptResult result) { self.finishUndo(path, result); });
}

void AppModel::finishUndo(const std::string& path, const ScriptResult& result) {
  const L& l = services_.l;
  busy_.set(false);
  if (!result) {
    handle(result.error());
    return;
  }
  const auto status = result->text(1);
  if (status == "ok" || status == "unchanged") {
    log(l.t("已恢复上次显示设置"), l.t("自动分组已暂停，避免立即覆盖恢复结果"), path, true);
    return;
  }
  message_.set(l.t("请先回到记录中的原 Finder 窗口，再恢复设置。自动分组已暂停。"));
}

}  // namespace tidyframe
