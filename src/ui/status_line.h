#pragma once

#include <QPushButton>
#include <QWidget>

#include "ui/components.h"
#include "ui/panel_services.h"

namespace tidyframe {

class AppModel;
class L;

// One line under the overview's header saying what the engine does now, most pressing first:
// the earlier service still runs (with the way to hand over), automatic grouping is paused, a
// permission is missing, no Finder folder was seen yet, or which folder was seen and where its
// arrangement comes from.
class StatusLine final : public QWidget {
 public:
  enum class State { legacyRunning, paused, permissionMissing, waiting, folder };

  StatusLine(AppModel& model, PanelServices& services, QWidget* parent = nullptr);
  void refresh(const L& l);
  static State stateOf(const AppModel& model);
  ElidedLabel& folder() { return *folder_; }
  ElidedLabel& text() { return *text_; }
  QPushButton& action() { return *action_; }

 private:
  AppModel& model_;
  PanelServices& services_;
  SymbolView* symbol_;
  ElidedLabel* folder_;
  ElidedLabel* text_;
  QPushButton* action_;
};

}  // namespace tidyframe
