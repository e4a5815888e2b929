#include "ui/root_view.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QLocale>
#include <QScrollArea>
#include <QVBoxLayout>

#include "engine/app_model.h"
#include "i18n/l.h"
#include "ui/activity_view.h"
#include "ui/components.h"
#include "ui/feedback_view.h"
#include "ui/locations_view.h"
#include "ui/palette.h"
#include "ui/panel_parts.h"
#include "ui/rule_editor_view.h"
#include "ui/settings_menu.h"
#include "ui/setup_view.h"
#include "ui/status_line.h"
#include "ui/widget_layout.h"

namespace tidyframe {

namespace {

int partHeight(const QWidget& part) {
  if (part.isHidden()) return 0;
  return part.hasHeightForWidth() ? part.heightForWidth(WidgetLayout::width) : part.sizeHint().height();
}

// The widgets Tab reaches, in the order the layouts place them: leading before trailing, top
// before bottom, whatever order they were made in (rows added later still come before the
// footer). Only what is shown counts; a scroll area is walked into.
void collectFocusable(QLayout& layout, std::vector<QWidget*>& chain);

void collectFocusable(QWidget& widget, std::vector<QWidget*>& chain) {
  // A widget just added to a layout is shown only when the event loop comes round; it counts.
  if (widget.isHidden() && widget.testAttribute(Qt::WA_WState_ExplicitShowHide)) return;
  if (widget.focusPolicy() & Qt::TabFocus) chain.push_back(&widget);
  if (auto* scroll = qobject_cast<QScrollArea*>(&widget); scroll && scroll->widget()) {
    collectFocusable(*scroll->widget(), chain);
  } else if (auto* stack = qobject_cast<QStackedWidget*>(&widget); stack && stack->currentWidget()) {
    collectFocusable(*stack->currentWidget(), chain);
  } else if (widget.layout()) {
    collectFocusable(*widget.layout(), chain);
  }
}

void collectFocusable(QLayout& layout, std::vector<QWidget*>& chain) {
  for (int index = 0; index < layout.count(); ++index) {
    QLayoutItem* item = layout.itemAt(index);
    if (QWidget* child = item->widget()) {
      collectFocusable(*child, chain);
    } else if (QLayout* inner = item->layout()) {
      collectFocusable(*inner, chain);
    }
  }
}

void orderTabsAsShown(QWidget& root) {
  std::vector<QWidget*> chain;
  collectFocusable(root, chain);
  for (std::size_t index = 1; index < chain.size(); ++index) QWidget::setTabOrder(chain[index - 1], chain[index]);
}

}  // namespace

RootView::RootView(AppModel& model, const L& l, QPalette platform, PanelServices services, QWidget* parent)
    : QWidget(parent),
      model_(model),
      l_(l),
      platform_(std::move(platform)),
      services_(std::move(services)),
      content_(new QStackedWidget(this)),
      editor_(new AppScrollView(this)),
      setup_(new AppScrollView(this)),
      ruleEditor_(new RuleEditorView(model_, services_)),
      setupView_(new SetupView(model_)) {
  static_cast<AppScrollView*>(editor_)->setWidget(ruleEditor_);
  static_cast<AppScrollView*>(setup_)->setWidget(setupView_);
  setAutoFillBackground(true);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(content_);
  content_->addWidget(buildPageLayout());
  content_->addWidget(editor_);
  content_->addWidget(setup_);
  const auto rerender = [this](const auto&) { refresh(); };
  subscriptions_.push_back(model_.preferences().subscribe(rerender));
  subscriptions_.push_back(model_.message().subscribe(rerender));
  subscriptions_.push_back(model_.selectedPage().subscribe(rerender));
  subscriptions_.push_back(model_.ruleEditor().subscribe(rerender));
  subscriptions_.push_back(model_.showSetup().subscribe(rerender));
  subscriptions_.push_back(model_.accessibilityGranted().subscribe(rerender));
  subscriptions_.push_back(model_.automationGranted().subscribe(rerender));
  subscriptions_.push_back(model_.legacyRunning().subscribe(rerender));
  subscriptions_.push_back(model_.volumes().subscribe(rerender));
  subscriptions_.push_back(model_.busy().subscribe(rerender));
  subscriptions_.push_back(model_.feedbackDraft().subscribe(rerender));
  subscriptions_.push_back(model_.feedbackIncludesSystem().subscribe(rerender));
  subscriptions_.push_back(model_.activities().subscribe(rerender));
  subscriptions_.push_back(model_.currentPath().subscribe(rerender));
  subscriptions_.push_back(model_.currentSource().subscribe(rerender));
  refresh();
}

QWidget* RootView::buildPageLayout() {
  pageLayout_ = new QWidget(content_);
  header_ = new PanelHeader(model_, pageLayout_);
  status_ = new StatusLine(model_, services_, pageLayout_);
  banner_ = new MessageBanner(model_, pageLayout_);
  pages_ = new QStackedWidget(pageLayout_);
  quick_ = new QuickControls(model_, pages_);
  pages_->addWidget(quick_);
  locations_ = new LocationsView(model_, services_, pages_);
  pages_->addWidget(locations_);
  feedback_ = new FeedbackView(model_, services_, pages_);
  pages_->addWidget(feedback_);
  activity_ = new ActivityView(model_, services_, pages_);
  pages_->addWidget(activity_);
  // Only the overview decides the pages' natural height; the others take the room they get.
  for (QWidget* page : std::initializer_list<QWidget*>{locations_, feedback_, activity_}) {
    page->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
  }
  footer_ = new PanelFooter(model_, pageLayout_);
  settingsMenu_ = new SettingsMenu(model_, l_, services_, footer_);
  connect(&footer_->settingsButton(), &QToolButton::clicked, this, [this] {
    const QToolButton& gear = footer_->settingsButton();
    const bool mirrored = layoutDirection() == Qt::RightToLeft;
    settingsMenu_->popup(gear.mapToGlobal(mirrored ? gear.rect().bottomRight() : gear.rect().bottomLeft()));
  });
  pageColumn_ = new QVBoxLayout(pageLayout_);
  pageColumn_->setContentsMargins(0, 0, 0, 0);
  pageColumn_->setSpacing(0);
  pageColumn_->addWidget(header_);
  pageColumn_->addWidget(status_);
  pageColumn_->addWidget(banner_);
  pageColumn_->addWidget(pages_, 1, Qt::AlignTop);
  pageColumn_->addWidget(footer_);
  return pageLayout_;
}

void RootView::refresh() {
  applyAppearance();
  if (const auto& rule = model_.ruleEditor().get()) {
    if (editorOpen_ && ruleEditor_->workingCopy().id == rule->id) {
      ruleEditor_->refresh(l_);
    } else {
      ruleEditor_->edit(*rule, l_);
    }
    editorOpen_ = true;
    content_->setCurrentWidget(editor_);
    orderTabsAsShown(*this);
    return;
  }
  editorOpen_ = false;
  if (model_.showSetup().get()) {
    setupView_->refresh(l_);
    content_->setCurrentWidget(setup_);
    orderTabsAsShown(*this);
    return;
  }
  content_->setCurrentWidget(pageLayout_);
  const Page page = model_.selectedPage().get();
  pages_->setCurrentIndex(static_cast<int>(page));
  // The overview keeps its measured height at the top; the other pages fill the panel.
  pageColumn_->setAlignment(pages_, page == Page::overview ? Qt::AlignTop : Qt::Alignment());
  header_->refresh(l_);
  status_->setVisible(page == Page::overview);
  status_->refresh(l_);
  banner_->refresh(l_);
  quick_->refresh(l_);
  footer_->refresh(l_);
  feedback_->refresh(l_);
  locations_->refresh(l_);
  activity_->refresh(l_);
  orderTabsAsShown(*this);
  measureOverview();
}

void RootView::keyPressEvent(QKeyEvent* event) {
  const bool innerPage = currentContent() == pageLayout_ && model_.selectedPage().get() != Page::overview;
  if (event->key() != Qt::Key_Escape || !innerPage) {
    QWidget::keyPressEvent(event);
    return;
  }
  model_.setSelectedPage(Page::overview);
}

void RootView::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::ApplicationPaletteChange) return;
  platform_ = QApplication::palette();
  refresh();
}

void RootView::applyAppearance() {
  setLayoutDirection(l_.direction() == LayoutDirection::rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
  setLocale(QLocale(QString::fromStdString(l_.resolved())));
  const QPalette palette = Palette::forScheme(model_.preferredColorScheme(), platform_).qtPalette();
  if (palette != this->palette()) setPalette(palette);
}

// Only the overview's own content decides its height; the other pages have fixed heights.
void RootView::measureOverview() {
  if (model_.selectedPage().get() != Page::overview) return;
  const int parts = partHeight(*header_) + partHeight(*status_) + partHeight(*banner_) + partHeight(*quick_) + partHeight(*footer_);
  const double measured = WidgetLayout::overviewHeight(parts);
  if (WidgetLayout::overviewHeightMoved(model_.overviewHeight().get(), measured)) model_.setOverviewHeight(measured);
}

}  // namespace tidyframe
