#include "ui/settings_menu.h"

#include <QActionGroup>
#include <QLocale>

#include "base/raw_enum.h"
#include "engine/app_model.h"
#include "i18n/app_language.h"
#include "i18n/l.h"
#include "ui/palette.h"

namespace tidyframe {

namespace {

void changeSettings(AppModel& model, const std::function<void(Preferences&)>& change) {
  Preferences preferences = model.preferences().get();
  change(preferences);
  model.setPreferences(std::move(preferences));
}

}  // namespace

SettingsMenu::SettingsMenu(AppModel& model, const L& l, PanelServices& services, QWidget* parent)
    : QMenu(parent), model_(model), l_(l), services_(services) {
  connect(this, &QMenu::aboutToShow, this, &SettingsMenu::rebuild);
  rebuild();
}

QAction* SettingsMenu::item(std::string_view source) const {
  return findChild<QAction*>(qtText(source));
}

QAction* SettingsMenu::addItem(QMenu& menu, std::string_view source) {
  auto* action = new QAction(qtText(l_.t(source)), &menu);
  action->setObjectName(qtText(source));
  menu.addAction(action);
  return action;
}

QAction* SettingsMenu::addToggle(std::string_view source, bool on) {
  QAction* action = addItem(*this, source);
  action->setCheckable(true);
  action->setChecked(on);
  return action;
}

QMenu* SettingsMenu::addSubmenu(QMenu& menu, std::string_view source) {
  auto* submenu = new QMenu(qtText(l_.t(source)), &menu);
  submenu->menuAction()->setObjectName(qtText(source));
  submenu->setPalette(menu.palette());
  submenu->setLayoutDirection(menu.layoutDirection());
  menu.addMenu(submenu);
  return submenu;
}

void SettingsMenu::addChoice(QMenu& menu, QActionGroup& group, const std::string& title, std::string_view name,
                             bool chosen) {
  auto* action = new QAction(qtText(title), &menu);
  action->setObjectName(menu.menuAction()->objectName() + "/" + qtText(name));
  action->setData(qtText(name));
  action->setCheckable(true);
  action->setChecked(chosen);
  group.addAction(action);
  menu.addAction(action);
}

// A menu is built once per opening, so the submenus of the last opening go first.
void SettingsMenu::rebuild() {
  clear();
  for (QMenu* old : findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) delete old;
  setLayoutDirection(l_.direction() == LayoutDirection::rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
  setLocale(QLocale(QString::fromStdString(l_.resolved())));
  // A menu is a window of its own and takes nothing from the panel by itself: a dark panel
  // would open a light menu.
  if (parentWidget()) setPalette(Palette::of(*parentWidget()).qtPalette());
  connect(addToggle("登录时启动", model_.loginEnabled()), &QAction::triggered, this,
          [this](bool on) { model_.setLoginItem(on); });
  addLanguages();
  addAppearances();
  connect(addToggle("始终不显示隐藏文件", model_.preferences()->hideOnNavigation), &QAction::triggered, this,
          [this](bool on) { changeSettings(model_, [on](Preferences& p) { p.hideOnNavigation = on; }); });
  addSeparator();
  if (services_.showSimulatedFinder) {
    connect(addItem(*this, "显示模拟 Finder"), &QAction::triggered, this, [this] { services_.showSimulatedFinder(); });
  }
  connect(addItem(*this, "检查权限"), &QAction::triggered, this, [this] { model_.setShowSetup(true); });
  QMenu* backup = addSubmenu(*this, "规则备份");
  connect(addItem(*backup, "导入"), &QAction::triggered, this, [this] { model_.importPreferences(); });
  connect(addItem(*backup, "导出"), &QAction::triggered, this, [this] { model_.exportPreferences(); });
  connect(addItem(*this, "检查更新"), &QAction::triggered, this, [this] { services_.checkForUpdates(); });
  addFrequencies();
  connect(addItem(*this, "反馈"), &QAction::triggered, this, [this] { model_.setSelectedPage(Page::feedback); });
  addSeparator();
  QAction* restore = addItem(*this, "还原当前文件夹排列…");
  restore->setEnabled(!model_.busy().get());
  connect(restore, &QAction::triggered, this, [this] { model_.restoreCurrentFolder(); });
  if (model_.canRestoreLegacy()) {
    connect(addItem(*this, "恢复旧版后台服务…"), &QAction::triggered, this, [this] { model_.restoreLegacy(true); });
  }
  connect(addItem(*this, "退出Tidyframe"), &QAction::triggered, this, [this] { services_.quit(); });
}

void SettingsMenu::addLanguages() {
  QMenu* menu = addSubmenu(*this, "语言");
  auto* group = new QActionGroup(menu);
  const std::string& chosen = model_.preferences()->language;
  for (const auto& [language, code] : RawCases<AppLanguage>::cases) {
    addChoice(*menu, *group, tidyframe::title(language, l_), code, code == chosen);
  }
  connect(group, &QActionGroup::triggered, this, [this](QAction* action) {
    const std::string code = action->data().toString().toStdString();
    changeSettings(model_, [&code](Preferences& p) { p.language = code; });
  });
}

void SettingsMenu::addAppearances() {
  QMenu* menu = addSubmenu(*this, "外观");
  auto* group = new QActionGroup(menu);
  const std::string& chosen = model_.preferences()->appearance;
  const std::pair<std::string_view, std::string_view> choices[] = {
      {"跟随系统", "system"}, {"浅色", "light"}, {"深色", "dark"}};
  for (const auto& [source, raw] : choices) addChoice(*menu, *group, l_.t(source), raw, raw == chosen);
  connect(group, &QActionGroup::triggered, this, [this](QAction* action) {
    const std::string raw = action->data().toString().toStdString();
    changeSettings(model_, [&raw](Preferences& p) { p.appearance = raw; });
  });
}

void SettingsMenu::addFrequencies() {
  QMenu* menu = addSubmenu(*this, "更新频率");
  auto* group = new QActionGroup(menu);
  const SoftwareUpdateFrequency chosen = model_.preferences()->updateFrequency;
  const std::pair<std::string_view, SoftwareUpdateFrequency> choices[] = {
      {"每天", SoftwareUpdateFrequency::daily},
      {"每周", SoftwareUpdateFrequency::weekly},
      {"手动", SoftwareUpdateFrequency::manual}};
  for (const auto& [source, frequency] : choices) {
    addChoice(*menu, *group, l_.t(source), rawValue(frequency), frequency == chosen);
  }
  connect(group, &QActionGroup::triggered, this, [this](QAction* action) {
    const auto frequency = fromRaw<SoftwareUpdateFrequency>(action->data().toString().toStdString());
    if (frequency) changeSettings(model_, [&frequency](Preferences& p) { p.updateFrequency = *frequency; });
  });
}

}  // namespace tidyframe
