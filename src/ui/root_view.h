#pragma once

#include <vector>

#include <QPalette>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWidget>

#include "base/published.h"
#include "ui/panel_services.h"

namespace tidyframe {

class ActivityView;
class AppModel;
class FeedbackView;
class LocationsView;
class RuleEditorView;
class SetupView;
class L;
class MessageBanner;
class PanelFooter;
class PanelHeader;
class QuickControls;
class SettingsMenu;
class StatusLine;

// The content of the popover: the rule editor or the setup guide when the engine asks for
// them, otherwise the header, the message banner, the selected page and the footer. Holds no
// state of its own: it re-renders on every change the engine publishes, in the chosen
// language, direction and appearance, and reports the overview's measured height to the
// engine. Main queue only; borrows the engine and the lookup, which must outlive it.
class RootView final : public QWidget {
 public:
  // `platform` is the system's own palette, followed when the appearance is "system".
  RootView(AppModel& model, const L& l, QPalette platform, PanelServices services, QWidget* parent = nullptr);

  void refresh();

  PanelHeader& header() { return *header_; }
  StatusLine& statusLine() { return *status_; }
  ActivityView& activity() { return *activity_; }
  MessageBanner& banner() { return *banner_; }
  QuickControls& quickControls() { return *quick_; }
  PanelFooter& footer() { return *footer_; }
  SettingsMenu& settingsMenu() { return *settingsMenu_; }
  FeedbackView& feedback() { return *feedback_; }
  LocationsView& locations() { return *locations_; }
  RuleEditorView& ruleEditor() { return *ruleEditor_; }
  SetupView& setup() { return *setupView_; }
  // What is shown in place of the pages: the page layout, the rule editor or the setup guide.
  QWidget* currentContent() const { return content_->currentWidget(); }
  QWidget& ruleEditorContent() { return *editor_; }
  QWidget& setupContent() { return *setup_; }

 protected:
  // Following the system: a change of the system's appearance re-renders the panel.
  void changeEvent(QEvent* event) override;
  // Escape leads back from an inner page; on the overview it is left to the window.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QWidget* buildPageLayout();
  void applyAppearance();
  void measureOverview();

  AppModel& model_;
  const L& l_;
  QPalette platform_;
  PanelServices services_;
  QStackedWidget* content_;
  QStackedWidget* pages_ = nullptr;
  QWidget* pageLayout_ = nullptr;
  QWidget* editor_;
  QWidget* setup_;
  PanelHeader* header_ = nullptr;
  StatusLine* status_ = nullptr;
  ActivityView* activity_ = nullptr;
  MessageBanner* banner_ = nullptr;
  QuickControls* quick_ = nullptr;
  PanelFooter* footer_ = nullptr;
  SettingsMenu* settingsMenu_ = nullptr;
  FeedbackView* feedback_ = nullptr;
  LocationsView* locations_ = nullptr;
  RuleEditorView* ruleEditor_;
  SetupView* setupView_;
  // Whether the editor shows the engine's rule already, so a re-render keeps the working copy.
  bool editorOpen_ = false;
  QVBoxLayout* pageColumn_ = nullptr;
  std::vector<Subscription> subscriptions_;
};

}  // namespace tidyframe
