#include <cassert>

#include "engine/app_model.h"
#include "i18n/l.h"
#include "model/preference_import.h"
#include "model/settings_document.h"
#include "platform/alerts.h"
#include "storage/storage.h"

namespace tidyframe {

void AppModel::exportPreferences() {
  assert(isMainQueue());
  const L& l = services_.l;
  const auto chosen = services_.alerts.runSavePanel(FilePanelRequest::save(l.t("Tidyframe规则.json"), {"json"}));
  if (!chosen) return;
  const auto saved = Storage::save(PreferenceImport::portable(preferences_.get()), *chosen);
  if (!saved) message_.set(l.f("导出失败：%@", saved.error()));
}

// Nothing changes before the backup of the complete current settings is on disk.
void AppModel::importPreferences() {
  assert(isMainQueue());
  const L& l = services_.l;
  const auto chosen = services_.alerts.runOpenPanel(FilePanelRequest::file({"json"}));
  if (!chosen) return;
  const auto imported = Storage::read<Preferences>(*chosen);
  if (!imported || !PreferenceImport::validate(*imported)) {
    message_.set(l.t("此文件不是有效的 Tidyframe规则。"));
    return;
  }
  const auto count = l.number(static_cast<std::int64_t>(imported->rules.size()));
  const AlertRequest confirmation{l.t("导入并替换当前规则？"),
                                  l.f("将导入 %@ 条位置规则。当前设置会先自动备份。", count),
                                  {AlertButton::destructive(l.t("导入规则")), AlertButton::cancel(l.t("取消"))}};
  if (services_.alerts.runModal(confirmation) != Alerts::firstButton) return;
  if (!replacePreferences(*imported)) message_.set(l.t("无法备份现有规则，导入已取消。"));
}

std::expected<void, std::string> AppModel::replacePreferences(const Preferences& imported) {
  assert(isMainQueue());
  const L& l = services_.l;
  if (auto backup = Storage::save(preferences_.get(), services_.storage.url(Storage::importBackupFile)); !backup) {
    return backup;
  }
  auto next = PreferenceImport::portable(imported);
  next.engineEnabled = preferences_->engineEnabled;
  setPreferences(std::move(next));
  openBookmarks();
  log(l.t("已导入规则"), l.t("现有设置已备份为 before-import.json"), std::nullopt, true);
  return {};
}

}  // namespace tidyframe
