#include "command/storage_command_backend.h"

#include <algorithm>

#include "i18n/l.h"
#include "model/preference_import.h"
#include "model/rule_editing.h"
#include "model/settings_document.h"

namespace tidyframe {

StorageCommandBackend::StorageCommandBackend(const Storage& storage, L& l, Date now, VolumeList volumes)
    : storage_(storage), l_(l), now_(now), volumes_(std::move(volumes)) {
  l_.setLanguage(preferences().language);
}

// Reading leaves an unreadable document where it is: only a change sets it aside.
Preferences StorageCommandBackend::preferences() {
  return Storage::read<Preferences>(storage_.preferencesURL()).value_or(Preferences{});
}

std::vector<ActivityEntry> StorageCommandBackend::activities() {
  return Storage::read<std::vector<ActivityEntry>>(storage_.activityURL()).value_or(std::vector<ActivityEntry>{});
}

template <class T>
std::expected<T, std::string> StorageCommandBackend::loadForChange(std::string_view fileName) {
  auto loaded = storage_.load<T>(fileName, now_);
  if (loaded.asideError) {
    return std::unexpected(std::string(fileName) + " cannot be read and cannot be kept aside: " + *loaded.asideError);
  }
  return std::move(loaded.value).value_or(T{});
}

CommandBackend::Outcome StorageCommandBackend::change(const std::function<void(Preferences&)>& edit) {
  auto preferences = loadForChange<Preferences>(Storage::preferencesFile);
  if (!preferences) return std::unexpected(preferences.error());
  edit(*preferences);
  return Storage::save(*preferences, storage_.preferencesURL());
}

CommandBackend::Outcome StorageCommandBackend::log(std::string title, std::string detail) {
  auto entries = loadForChange<std::vector<ActivityEntry>>(Storage::activityFile);
  if (!entries) return std::unexpected(entries.error());
  ActivityEntry entry;
  entry.date = now_;
  entry.title = std::move(title);
  entry.detail = std::move(detail);
  entry.success = true;
  entries->insert(entries->begin(), std::move(entry));
  if (entries->size() > activityCap) entries->resize(activityCap);
  return Storage::save(*entries, storage_.activityURL());
}

CommandBackend::Outcome StorageCommandBackend::saveRule(const LocationRule& rule) {
  auto stored = rule;
  stored.name = RuleEditing::storedName(rule.name, rule.path);
  const auto detail = RuleEditing::savedDetail(stored, l_);
  if (auto saved = change([&](Preferences& preferences) { RuleEditing::put(preferences.rules, stored); }); !saved) return saved;
  return log(l_.t("规则已保存"), detail);
}

CommandBackend::Outcome StorageCommandBackend::deleteRule(const std::string& id) {
  return change([&](Preferences& preferences) {
    std::erase_if(preferences.rules, [&](const LocationRule& rule) { return rule.id == id; });
  });
}

// The backup holds the settings exactly as stored, so an import is undone by importing it.
CommandBackend::Outcome StorageCommandBackend::importPreferences(const Preferences& imported) {
  auto current = loadForChange<Preferences>(Storage::preferencesFile);
  if (!current) return std::unexpected(current.error());
  if (auto backup = Storage::save(*current, storage_.url(Storage::importBackupFile)); !backup) return backup;
  auto next = PreferenceImport::portable(imported);
  next.engineEnabled = current->engineEnabled;
  if (auto saved = Storage::save(next, storage_.preferencesURL()); !saved) return saved;
  l_.setLanguage(next.language);
  return log(l_.t("已导入规则"), l_.t("现有设置已备份为 before-import.json"));
}

CommandBackend::Outcome StorageCommandBackend::setEngineEnabled(bool enabled) {
  if (auto saved = change([&](Preferences& preferences) { preferences.engineEnabled = enabled; }); !saved) return saved;
  if (enabled) return log(l_.t("自动分组已开启"), l_.t("全局、路径和设备规则已生效"));
  return log(l_.t("自动分组已暂停"), l_.t("Finder 保留当前显示状态；可随时继续"));
}

}  // namespace tidyframe
