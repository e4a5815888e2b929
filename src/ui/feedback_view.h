#pragma once

#include <optional>
#include <string>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

#include "ui/components.h"
#include "ui/panel_services.h"

namespace tidyframe {

class AppModel;
class L;

// The feedback page: the draft, whether to add the versions, and copying or saving the report.
class FeedbackView final : public QWidget {
 public:
  FeedbackView(AppModel& model, PanelServices& services, QWidget* parent = nullptr);
  void refresh(const L& l);
  QPlainTextEdit& editor() { return *editor_; }
  QPushButton& copyButton() { return *copy_; }
  QPushButton& saveButton() { return *save_; }
  QLabel& errorLine() { return *error_; }

 private:
  std::string report() const;
  void copy();
  void save();

  AppModel& model_;
  PanelServices& services_;
  const L* l_ = nullptr;
  QLabel* caption_;
  QPlainTextEdit* editor_;
  QLabel* includeTitle_;
  Switch* include_;
  QPushButton* copy_;
  QPushButton* save_;
  QLabel* error_;
  // In place of the empty draft.
  QLabel* prompt_;
  // The draft that was copied last; the button reads "已复制" while the draft is unchanged.
  std::optional<std::string> copied_;
  std::optional<std::string> saveError_;
};

}  // namespace tidyframe
