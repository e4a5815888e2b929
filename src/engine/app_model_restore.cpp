#include <cassert>

#include "engine/app_model.h"
#include "engine/app_model_private.h"
#include "finder/finder_menu_names.h"
#include "finder/finder_scripts.h"
#include "finder/finder_window_probe.h"
#include "i18n/l.h"
#include "platform/alerts.h"

namespace tidyframe {

namespace {

// Time for the Finder to come forward and settle before the folder is checked again.
constexpr double secondPhaseDelay = 2.1;

using LocationResult = std::expected<std::optional<FinderLocation>, ScriptFailure>;

LocationResult queryFrontFolder(const EngineServices& services) {
  const auto reply = services.scripts.run(FinderScripts::query());
  if (!reply) return std::unexpected(reply.error());
  return FinderLocation::inspect(*reply, services.volumes);
}

ScriptReply finished() { return ScriptReply({ScriptReplyItem{"ok", std::nullopt}}); }

}  // namespace

// The Finder's own view first, then the original arrangement of that view, each when recorded.
struct RestorePlan {
  std::optional<FinderViewChoice> view;
  std::optional<OriginalFinderLayout> arrangement;
};

namespace {

// The second query, the view, then the arrangement; an empty reply when the user is busy, the
// folder in front is no longer the one confirmed or its view could not be put back.
ScriptResult restoreInFront(const EngineServices& services, const FinderLocation& first,
                            const RestorePlan& plan) {
  if (services.probe.userIsInteracting()) return ScriptReply{};
  const auto second = queryFrontFolder(services);
  if (!second || !*second || !showsSameFolder(first, **second)) return ScriptReply{};
  const FinderLocation& location = **second;
  if (plan.view && !showsView(location.view, *plan.view)) {
    const auto changed = services.scripts.run(FinderScripts::setView(location.urlString, location.windowID, *plan.view));
    if (!changed) return changed;
    const auto reply = readViewChange(*changed);
    if (!reply || reply->status != ViewChangeReply::Status::ok) return ScriptReply{};
  }
  if (!plan.arrangement) return finished();
  return services.scripts.run(FinderScripts::apply(location.urlString, location.windowID,
                                                   widenedMenuNames(plan.arrangement->group),
                                                   widenedMenuNames(plan.arrangement->sort), false));
}

bool arranged(const ScriptResult& result) {
  if (!result) return false;
  const auto status = result->text(1).value_or("");
  return status == "ok" || status == "unchanged";
}

}  // namespace

// Automatic grouping is paused first and stays paused whatever happens, so the engine does not
// arrange the folder again right after it was restored.
void AppModel::restoreCurrentFolder() {
  assert(isMainQueue());
  if (busy_.get() || finderTaskInFlight_) return;
  pause();
  if (delegate_) delegate_->closeForFinderAction();
  const auto finder = runningFinder();
  if (!finder) return;
  services_.workspace.yieldActivation(*finder);
  services_.workspace.activate(*finder);
  busy_.set(true);
  auto& services = services_;
  runOn(*scriptQueue_, [&services] { return queryFrontFolder(services); },
        [](AppModel& self, LocationResult result) { self.confirmRestore(result); });
}

void AppModel::confirmRestore(const LocationResult& result) {
  const L& l = services_.l;
  busy_.set(false);
  if (!result) {
    handle(result.error());
    reopenPanel();
    return;
  }
  if (!*result) {
    message_.set(l.t("请先在 Finder 中打开要还原的文件夹。"));
    reopenPanel();
    return;
  }
  const FinderLocation& location = **result;
  const auto originalView = layouts_.originalView(location.path, location.volumeID);
  const auto view = originalView ? reportedViewChoice(*originalView) : std::nullopt;
  const RestorePlan plan{view, layouts_.original(location.path, view ? *originalView : location.view, location.volumeID)};
  if (!plan.view && !plan.arrangement) {
    message_.set(l.t("这个文件夹尚无可还原的原始排列记录。"));
    reopenPanel();
    return;
  }
  const AlertRequest alert{l.t("还原当前文件夹排列？"),
                           l.t("恢复助手首次记录前的分组和排序，并暂停自动分组。") + "\n\n" +
                               readablePath(location.path, services_.home),
                           {AlertButton::destructive(l.t("还原")), AlertButton::cancel(l.t("取消"))}};
  if (services_.alerts.runModal(alert) != Alerts::firstButton) {
    reopenPanel();
    return;
  }
  if (const auto finder = runningFinder()) services_.workspace.activate(*finder);
  busy_.set(true);
  scheduleRestore(location, plan);
}

// The wait runs on the main queue, so whether quitting has begun is read there; only then does
// the second query go to the script queue.
void AppModel::scheduleRestore(const FinderLocation& location, const RestorePlan& plan) {
  std::weak_ptr<AppModel> weak = weak_from_this();
  services_.dispatch.main().asyncAfter(secondPhaseDelay, [weak, location, plan] {
    auto self = weak.lock();
    if (!self || self->shuttingDown_) return;
    auto& services = self->services_;
    self->runOn(*self->scriptQueue_,
                [&services, location, plan] { return restoreInFront(services, location, plan); },
                [location](AppModel& model, ScriptResult result) { model.finishRestore(location, result); });
  });
}

// Only this folder's confirmations go, so grouping arranges it again once resumed; its original
// stays and can be restored again.
void AppModel::finishRestore(const FinderLocation& location, const ScriptResult& result) {
  const L& l = services_.l;
  busy_.set(false);
  if (arranged(result)) {
    layouts_.forgetConfirmation(location.path);
    saveArchive();
    message_.set(l.t("已还原当前文件夹排列，自动分组已暂停。"));
  } else {
    message_.set(l.t("还原未完成，请保持原文件夹打开并停止操作后重试。"));
  }
  reopenPanel();
}

void AppModel::reopenPanel() {
  if (delegate_) delegate_->showWindow();
}

}  // namespace tidyframe
