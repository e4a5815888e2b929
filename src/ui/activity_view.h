#pragma once

#include <memory>
#include <vector>

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include "base/dispatch.h"
#include "storage/activity_entry.h"
#include "ui/components.h"
#include "ui/panel_services.h"

namespace tidyframe {

class AppModel;
class L;

// One entry of the log: whether it succeeded, its title, detail and folder (each elided, the
// folder in the middle, whole in the tooltip), how long ago, and the way to undo it where the
// engine can.
class ActivityRow final : public QWidget {
 public:
  explicit ActivityRow(QWidget* parent = nullptr);
  SymbolView& symbol() { return *symbol_; }
  ElidedLabel& title() { return *title_; }
  ElidedLabel& detail() { return *detail_; }
  ElidedLabel& folder() { return *folder_; }
  QLabel& time() { return *time_; }
  QPushButton& undoButton() { return *undo_; }

  ActivityEntry entry;

 private:
  SymbolView* symbol_;
  ElidedLabel* title_;
  ElidedLabel* detail_;
  ElidedLabel* folder_;
  QLabel* time_;
  QPushButton* undo_;
};

// The activity page: exporting the log, and the log itself, newest first. Rows are built in
// batches as the list is scrolled, so a full log of 500 entries opens as fast as a short one;
// the times are told again every half minute while the page is shown.
class ActivityView final : public QWidget {
 public:
  // Rows built at first and added each time the list is scrolled to its end.
  static constexpr std::size_t batch = 25;
  static constexpr double timeRefreshInterval = 30;

  ActivityView(AppModel& model, PanelServices& services, QWidget* parent = nullptr);
  void refresh(const L& l);
  QPushButton& exportButton() { return *export_; }
  QLabel& emptyLine() { return *empty_; }
  const std::vector<ActivityRow*>& rows() const { return rows_; }
  AppScrollView& list() { return *scroll_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void showRow(ActivityRow& row, const L& l) const;
  void showTime(ActivityRow& row, const L& l) const;
  void showTimes();
  void buildMoreIfScrolledToEnd();

  AppModel& model_;
  PanelServices& services_;
  const L* l_ = nullptr;
  QPushButton* export_;
  QLabel* empty_;
  AppScrollView* scroll_;
  QVBoxLayout* rowsColumn_;
  std::vector<ActivityRow*> rows_;
  std::size_t wanted_ = batch;
  std::unique_ptr<RepeatingTimer> clock_;
};

}  // namespace tidyframe
