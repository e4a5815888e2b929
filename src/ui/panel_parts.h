#pragma once

#include <functional>

#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

#include "model/preferences.h"
#include "ui/components.h"

namespace tidyframe {

class AppModel;
class L;

// The panel's top row: a back button on the inner pages or the brand mark on the overview,
// the title, and on the overview the version and the master switch. The switch only asks the
// engine; it always shows the stored setting.
class PanelHeader final : public QWidget {
 public:
  PanelHeader(AppModel& model, QWidget* parent = nullptr);
  void refresh(const L& l);
  Switch& masterSwitch() { return *switch_; }
  QToolButton& backButton() { return *back_; }

 private:
  void showStarting();

  AppModel& model_;
  // Turned on by the user while the engine's permission check runs.
  bool starting_ = false;
  QToolButton* back_;
  BrandMark* brand_;
  QLabel* title_;
  QLabel* version_;
  Switch* switch_;
};

// The engine's one-line message in orange, with a button that dismisses it.
class MessageBanner final : public QWidget {
 public:
  MessageBanner(AppModel& model, QWidget* parent = nullptr);
  void refresh(const L& l);

 private:
  AppModel& model_;
  QLabel* text_;
  QToolButton* close_;
};

// The permission button, the default grouping and sorting, and the two scope switches.
class QuickControls final : public QWidget {
 public:
  QuickControls(AppModel& model, QWidget* parent = nullptr);
  void refresh(const L& l);
  QPushButton& permissionButton() { return *permission_; }
  GroupPickers& pickers() { return *pickers_; }

 private:
  void changeSettings(const std::function<void(Preferences&)>& change);

  AppModel& model_;
  QPushButton* permission_;
  GroupPickers* pickers_;
  SectionCaption* caption_;
  Switch* internal_;
  Switch* external_;
  PreferenceRow* internalRow_;
  PreferenceRow* externalRow_;
};

// The way to the rules page with the number of rules, the way to the activity log, and the
// settings gear.
class PanelFooter final : public QWidget {
 public:
  PanelFooter(AppModel& model, QWidget* parent = nullptr);
  void refresh(const L& l);
  QLabel& ruleCount() { return *count_; }
  QToolButton& activityButton() { return *activity_; }
  QToolButton& settingsButton() { return *settings_; }

 private:
  AppModel& model_;
  QToolButton* rules_;
  QLabel* count_;
  QToolButton* activity_;
  QToolButton* settings_;
};

}  // namespace tidyframe
