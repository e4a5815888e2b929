#include "ui/root_view.h"

#include <QApplication>
#include <QEvent>
#include <QLocale>
#include <QVBoxLayout>

#include "engine/app_model.h"
#include "i18n/l.h"
#include "ui/components.h"
#include "ui/palette.h"
#include "ui/panel_parts.h"
#include "ui/widget_layout.h"

namespace tidyframe {

namespace {

int partHeight(const QWidget& part) {
  if (part.isHidden()) return 0;
  return part.hasHeightForWidth() ? part.heightForWidth(WidgetLayout::width) : part.sizeHint().height();
}

}  // namespace

RootView::RootView(AppModel& model, const L& l, QPalette platform, QWidget* parent)
    : QWidget(parent),
      model_(model),
      l_(l),
      platform_(std::move(platform)),
      content_(new QStackedWidget(this)),
      editor_(new AppScrollView(this)),
      setup_(new AppScrollView(this)) {
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
  refresh();
}

QWidget* RootView::buildPageLayout() {
  pageLayout_ = new QWidget(content_);
  header_ = new PanelHeader(model_, pageLayout_);
  banner_ = new MessageBanner(model_, pageLayout_);
  pages_ = new QStackedWidget(pageLayout_);
  quick_ = new QuickControls(model_, pages_);
  pages_->addWidget(quick_);
  pages_->addWidget(new QWidget(pages_));
  pages_->addWidget(new QWidget(pages_));
  footer_ = new PanelFooter(model_, pageLayout_);
  auto* column = new QVBoxLayout(pageLayout_);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(header_);
  column->addWidget(banner_);
  column->addWidget(pages_, 0, Qt::AlignTop);
  column->addStretch(1);
  column->addWidget(footer_);
  return pageLayout_;
}

void RootView::refresh() {
  applyAppearance();
  if (model_.ruleEditor()->has_value()) {
    content_->setCurrentWidget(editor_);
    return;
  }
  if (model_.showSetup().get()) {
    content_->setCurrentWidget(setup_);
    return;
  }
  content_->setCurrentWidget(pageLayout_);
  pages_->setCurrentIndex(static_cast<int>(model_.selectedPage().get()));
  header_->refresh(l_);
  banner_->refresh(l_);
  quick_->refresh(l_);
  footer_->refresh(l_);
  measureOverview();
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
  const int parts = partHeight(*header_) + partHeight(*banner_) + partHeight(*quick_) + partHeight(*footer_);
  const double measured = WidgetLayout::overviewHeight(parts);
  if (WidgetLayout::overviewHeightMoved(model_.overviewHeight().get(), measured)) model_.setOverviewHeight(measured);
}

}  // namespace tidyframe
