#pragma once

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "ui/components.h"

namespace tidyframe {

class AppModel;
class L;

// The permission guide: the two permissions with a check mark or a way to grant them, and
// starting the engine once they are there. Escape closes it, Return starts.
class SetupView final : public QWidget {
 public:
  explicit SetupView(AppModel& model, QWidget* parent = nullptr);
  void refresh(const L& l);

  SymbolView& accessibilitySymbol() { return *accessibilitySymbol_; }
  SymbolView& automationSymbol() { return *automationSymbol_; }
  QPushButton& accessibilityButton() { return *accessibilityButton_; }
  QPushButton& automationButton() { return *automationButton_; }
  QPushButton& refreshButton() { return *refresh_; }
  QPushButton& laterButton() { return *later_; }
  QPushButton& startButton() { return *start_; }

 private:
  QWidget* stepRow(SymbolView* symbol, QLabel* title, QPushButton* button);
  void start();
  void placeRefreshButton();

  AppModel& model_;
  Card* card_;
  QLabel* title_;
  QLabel* instruction_;
  QLabel* message_;
  SymbolView* accessibilitySymbol_;
  QLabel* accessibilityTitle_;
  QPushButton* accessibilityButton_;
  SymbolView* automationSymbol_;
  QLabel* automationTitle_;
  QPushButton* automationButton_;
  QPushButton* refresh_;
  QPushButton* later_;
  QPushButton* start_;
  QHBoxLayout* refreshLine_;
  QHBoxLayout* buttonRow_;
};

}  // namespace tidyframe
