#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

#include "model/mounted_volume.h"
#include "model/preferences.h"
#include "ui/components.h"
#include "ui/panel_services.h"

class QMenu;
class QVBoxLayout;

namespace tidyframe {

class AppModel;
class L;

// One line of the rules page: a rule, or a mounted volume that no rule matches yet.
class LocationRow final : public QWidget {
 public:
  explicit LocationRow(QWidget* parent = nullptr);
  SymbolView& symbol() { return *symbol_; }
  ElidedLabel& name() { return *name_; }
  QLabel& tag() { return *tag_; }
  QLabel& detail() { return *detail_; }
  QLabel& status() { return *status_; }
  Switch& enabledSwitch() { return *switch_; }
  QPushButton& button() { return *button_; }

  // What the row shows; exactly one is set.
  std::optional<LocationRule> rule;
  std::optional<MountedVolume> volume;

 private:
  SymbolView* symbol_;
  ElidedLabel* name_;
  QLabel* tag_;
  QLabel* detail_;
  QLabel* status_;
  Switch* switch_;
  QPushButton* button_;
};

// The rules page: a search, adding a folder or an exclusion, refreshing the devices, and one row
// per matching rule followed by one per matching volume that no rule covers.
class LocationsView final : public QWidget {
 public:
  LocationsView(AppModel& model, PanelServices& services, QWidget* parent = nullptr);
  void refresh(const L& l);
  QLineEdit& search() { return *search_; }
  QMenu& addMenu() { return *addMenu_; }
  QToolButton& refreshButton() { return *refresh_; }
  QLabel& emptyLine() { return *empty_; }
  const std::vector<LocationRow*>& rows() const { return rows_; }

 private:
  struct Entry {
    std::optional<LocationRule> rule;
    std::optional<MountedVolume> volume;
    std::string key() const { return rule ? "rule:" + rule->id : "volume:" + volume->path; }
  };

  std::vector<Entry> entries() const;
  void rebuildRows(const std::vector<Entry>& entries);
  LocationRow* makeRow();
  void showRule(LocationRow& row, const L& l);
  void showVolume(LocationRow& row, const L& l);
  void setEnabled(const std::string& id, bool on);
  void openInFinder(const LocationRow& row);
  std::string locationPath(const LocationRule& rule) const;

  AppModel& model_;
  PanelServices& services_;
  const L* l_ = nullptr;
  QLineEdit* search_;
  QToolButton* add_;
  QMenu* addMenu_;
  QAction* addFolder_;
  QAction* excludeFolder_;
  QToolButton* refresh_;
  QLabel* empty_;
  QVBoxLayout* rowsColumn_;
  std::vector<LocationRow*> rows_;
  std::vector<std::string> keys_;
};

}  // namespace tidyframe
