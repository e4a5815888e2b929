#include "engine/app_model.h"
#include "engine/app_model_private.h"
#include "i18n/l.h"
#include "platform/alerts.h"
#include "platform/login_item.h"

namespace tidyframe {

void AppModel::refreshLegacy() {
  auto& legacy = services_.legacy;
  runOn(*environmentQueue_, [&legacy] { return legacy.detect(); },
        [](AppModel& self, LegacyDetection detection) {
          self.legacyReady_ = true;
          self.legacyRunning_.setIfChanged(detection.running);
          self.legacyChecked_.setIfChanged(detection.checked);
        });
}

void AppModel::migrateLegacy(std::function<void(bool)> completion) {
  const L& l = services_.l;
  const AlertRequest alert{l.t("由新版接管自动分组？"),
                           l.t("新版会暂停旧版的两个后台服务，并备份其登录配置。原有文件和显示备份会保留。以后可在设置中恢复旧版。"),
                           {l.t("启用新版"), l.t("取消")}};
  if (services_.alerts.runModal(alert) != Alerts::firstButton) return;
  busy_.set(true);
  legacyTaskInFlight_ = true;
  auto& legacy = services_.legacy;
  runOn(*environmentQueue_, [&legacy] { return legacy.takeOver(); },
        [completion = std::move(completion)](AppModel& self, std::expected<void, LegacyFailure> result) {
          self.finishTakeOver(result, completion);
        });
}

void AppModel::finishTakeOver(const std::expected<void, LegacyFailure>& result,
                              const std::function<void(bool)>& completion) {
  const L& l = services_.l;
  busy_.set(false);
  legacyTaskInFlight_ = false;
  if (!result) {
    restoreLegacy(false);
    message_.set(l.f("迁移未完成，已尝试恢复旧版：%@", result.error().description));
    if (completion) completion(false);
  } else {
    legacyRunning_.setIfChanged(false);
    legacyReady_ = true;
    log(l.t("已切换到新版"), l.t("旧版启动配置已备份，可从设置恢复"), std::nullopt, true);
    if (completion) completion(true);
  }
  resumeQuitting();
}

void AppModel::restoreLegacy(bool confirm) {
  if (busy_.get()) return;
  const L& l = services_.l;
  if (confirm) {
    const AlertRequest alert{l.t("恢复旧版后台服务？"),
                             l.t("新版自动分组将暂停，旧版恢复按种类分组、按名称排序的行为。新版规则仍会保留。"),
                             {l.t("恢复旧版"), l.t("取消")}};
    if (services_.alerts.runModal(alert) != Alerts::firstButton) return;
  }
  auto preferences = preferences_.get();
  preferences.engineEnabled = false;
  setPreferences(std::move(preferences));
  const auto status = services_.loginItem.status();
  if (status == LoginItemStatus::enabled || status == LoginItemStatus::requiresApproval) {
    if (const auto error = services_.loginItem.unregisterItem()) message_.set(l.f("新版登录启动未能停用：%@", *error));
  }
  runHandBack(!confirm);
}

void AppModel::runHandBack(bool afterFailedTakeOver) {
  busy_.set(true);
  legacyTaskInFlight_ = true;
  auto& legacy = services_.legacy;
  runOn(*environmentQueue_, [&legacy] { return legacy.handBack(); },
        [afterFailedTakeOver](AppModel& self, std::expected<bool, LegacyFailure> result) {
          self.finishHandBack(result, afterFailedTakeOver);
          self.resumeQuitting();
        });
}

// A take-over that failed before writing its record leaves nothing to hand back; its own
// reason, already shown, says more than the hand-back's.
void AppModel::finishHandBack(const std::expected<bool, LegacyFailure>& result, bool afterFailedTakeOver) {
  const L& l = services_.l;
  busy_.set(false);
  legacyTaskInFlight_ = false;
  if (!result && result.error().kind == LegacyFailureKind::recordUnreadable) {
    if (!afterFailedTakeOver) message_.set(l.t("Finder 操作未完成"));
    return;
  }
  if (!result) {
    message_.set(l.f("旧版恢复未完成：%@", result.error().description));
    return;
  }
  legacyRunning_.setIfChanged(*result);
  legacyReady_ = true;
  log(l.t("已恢复旧版服务"), l.t("新版规则已保留"), std::nullopt, true);
}

bool AppModel::canRestoreLegacy() const { return services_.legacy.canRestore(); }

void AppModel::setLoginItem(bool enabled) {
  auto& item = services_.loginItem;
  const auto error = enabled ? item.registerItem() : item.unregisterItem();
  if (error) {
    message_.set(services_.l.f("登录启动设置未完成：%@", *error));
    return;
  }
  loginItemChanged_.set(true);
}

bool AppModel::loginEnabled() const { return services_.loginItem.status() == LoginItemStatus::enabled; }

}  // namespace tidyframe
