#pragma once

#include <string>
#include <string_view>

#include <QMenu>

#include "ui/panel_services.h"

namespace tidyframe {

class AppModel;
class L;

// The menu behind the footer's gear. It is built afresh each time it opens, in the panel's
// language and direction, from the engine's state; every item only calls the engine or the
// shell. Each action is named after its source text, so it can be found in any language.
class SettingsMenu final : public QMenu {
 public:
  SettingsMenu(AppModel& model, const L& l, PanelServices& services, QWidget* parent = nullptr);
  void rebuild();
  // The item whose source text is `source`, or a choice as "<submenu source>/<stored value>";
  // null when it is not shown.
  QAction* item(std::string_view source) const;

 private:
  QAction* addItem(QMenu& menu, std::string_view source);
  QAction* addToggle(std::string_view source, bool on);
  QMenu* addSubmenu(QMenu& menu, std::string_view source);
  void addChoice(QMenu& menu, QActionGroup& group, const std::string& title, std::string_view name, bool chosen);
  void addLanguages();
  void addAppearances();
  void addFrequencies();

  AppModel& model_;
  const L& l_;
  PanelServices& services_;
};

}  // namespace tidyframe
