#pragma once

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "model/preferences.h"
#include "ui/components.h"
#include "ui/panel_services.h"

namespace tidyframe {

class AppModel;
class L;

// Edits a copy of one rule; only saving hands it to the engine. Escape cancels, Return saves,
// and deleting an existing rule asks first. Closing clears the engine's rule being edited.
class RuleEditorView final : public QWidget {
 public:
  RuleEditorView(AppModel& model, PanelServices& services, QWidget* parent = nullptr);
  // Starts over with `rule` as the working copy.
  void edit(const LocationRule& rule, const L& l);
  // Shows the working copy in the lookup's language.
  void refresh(const L& l);
  const LocationRule& workingCopy() const { return rule_; }
  bool exists() const;

  QLabel& title() { return *title_; }
  QLineEdit& nameField() { return *name_; }
  QComboBox& modePicker() { return *mode_; }
  GroupPickers& pickers() { return *pickers_; }
  QPushButton& deleteButton() { return *delete_; }
  QPushButton& cancelButton() { return *cancel_; }
  QPushButton& saveButton() { return *save_; }

 private:
  void save();
  void remove();
  void close();
  void placeDeleteButton();

  AppModel& model_;
  PanelServices& services_;
  const L* l_ = nullptr;
  LocationRule rule_;
  IconTile* folderTile_;
  IconTile* deviceTile_;
  QLabel* title_;
  ElidedLabel* path_;
  QLabel* nameCaption_;
  QLineEdit* name_;
  QComboBox* mode_;
  PreferenceRow* modeRow_;
  Card* pickerCard_;
  GroupPickers* pickers_;
  QWidget* children_;
  QLabel* childrenTitle_;
  Switch* childrenSwitch_;
  QLabel* childrenNote_;
  QWidget* link_;
  QLabel* linkText_;
  QPushButton* delete_;
  QPushButton* cancel_;
  QPushButton* save_;
  QHBoxLayout* deleteLine_;
  QHBoxLayout* buttonRow_;
};

}  // namespace tidyframe
