#include <cassert>

#include "engine/app_model.h"
#include "i18n/l.h"
#include "model/rule_editing.h"
#include "platform/alerts.h"
#include "platform/folder_bookmarks.h"

namespace tidyframe {

namespace {

LocationRule newRule(const Preferences& preferences, RuleScope scope) {
  LocationRule rule;
  rule.scope = scope;
  rule.includeChildren = true;
  rule.enabled = true;
  rule.grouping = preferences.grouping;
  rule.sorting = preferences.sorting;
  return rule;
}

}  // namespace

void AppModel::chooseFolder(bool excluded) {
  assert(isMainQueue());
  const L& l = services_.l;
  const std::string message =
      excluded ? l.t("选择保持原有 Finder 显示设置的文件夹") : l.t("选择要单独设定规则的文件夹");
  const auto chosen = services_.alerts.runOpenPanel(FilePanelRequest::folder(message, l.t("选择文件夹")));
  if (!chosen) return;
  if (const auto* existing = RuleEditing::folderRule(preferences_->rules, *chosen)) {
    ruleEditor_.set(*existing);
    return;
  }
  auto rule = newRule(preferences_.get(), RuleScope::folder);
  rule.name = lastPathComponent(*chosen);
  rule.path = *chosen;
  rule.excluded = excluded;
  rule.bookmark = services_.bookmarks.create(*chosen);
  ruleEditor_.set(std::move(rule));
}

void AppModel::editDevice(const MountedVolume& volume) {
  assert(isMainQueue());
  if (const auto* existing = RuleEditing::deviceRule(preferences_->rules, volume)) {
    ruleEditor_.set(*existing);
    return;
  }
  auto rule = newRule(preferences_.get(), RuleScope::device);
  rule.name = volume.name;
  rule.path = volume.path;
  rule.volumeID = volume.uuid;
  ruleEditor_.set(std::move(rule));
}

// The settings change makes the next tick look at the open folder again, so a rule for it
// takes effect without the user navigating.
void AppModel::saveRule(LocationRule rule) {
  assert(isMainQueue());
  const L& l = services_.l;
  rule.name = RuleEditing::storedName(rule.name, rule.path);
  const std::string detail = RuleEditing::savedDetail(rule, l);
  auto preferences = preferences_.get();
  RuleEditing::put(preferences.rules, std::move(rule));
  setPreferences(std::move(preferences));
  openBookmarks();
  log(l.t("规则已保存"), detail, std::nullopt, true);
  ruleEditor_.set(std::nullopt);
}

void AppModel::deleteRule(const std::string& id) {
  assert(isMainQueue());
  auto preferences = preferences_.get();
  std::erase_if(preferences.rules, [&](const LocationRule& rule) { return rule.id == id; });
  setPreferences(std::move(preferences));
  openBookmarks();
}

}  // namespace tidyframe
