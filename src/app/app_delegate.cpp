#include "app/app_delegate.h"

#include <QApplication>
#include <QPointer>

#include "i18n/l.h"
#include "platform/user_defaults.h"
#include "ui/brand_artwork.h"
#include "ui/panel_window.h"
#include "ui/root_view.h"
#include "ui/widget_layout.h"

namespace tidyframe {

namespace {

// The menu bar tints a template image to suit itself; a Linux panel may be light or dark and
// shows an icon as drawn, so there the coloured application mark stands in.
QIcon statusIcon() {
  QIcon icon;
#ifdef Q_OS_MACOS
  for (const qreal ratio : {1.0, 2.0}) icon.addPixmap(QPixmap::fromImage(BrandArtwork::menuBarImage(ratio)));
  icon.setIsMask(true);
#else
  for (const qreal ratio : {1.0, 2.0}) icon.addPixmap(QPixmap::fromImage(BrandArtwork::image(ratio)));
#endif
  return icon;
}

}  // namespace

AppDelegate::AppDelegate(ShellServices services) : services_(std::move(services)) {}

AppDelegate::~AppDelegate() {
  subscriptions_.clear();
  if (model_) model_->setDelegate(nullptr);
  popover_.reset();
}

void AppDelegate::applicationDidFinishLaunching() {
  model_ = AppModel::create(services_.engine);
  model_->setDelegate(this);
  buildPopover();
  buildStatusItem();
  updateMenu();
  if (statusItem_) statusItem_->show();
  updates_ = UpdateChecker::create(services_.update, RunningVersion::ofThisBuild(), std::string(updateFeedURL()));
  std::weak_ptr<AppModel> engine = model_;
  updates_->start([engine] {
    const auto model = engine.lock();
    return model ? model->preferences()->updateFrequency : SoftwareUpdateFrequency::manual;
  });
  observeEngine();
  openOnFirstLaunch();
}

void AppDelegate::buildPopover() {
  const auto kind = services_.statusBarAvailable ? PanelWindow::Kind::popover : PanelWindow::Kind::window;
  popover_ = std::make_unique<PanelWindow>(kind, [this] { quit(); });
  PanelServices panel{services_.engine.alerts,
                      services_.engine.dispatch,
                      services_.engine.home,
                      {RunningVersion::ofThisBuild().currentVersion, services_.system},
                      [this] {
                        if (updates_) updates_->check(true);
                      },
                      [this] { quit(); },
                      services_.showSimulatedFinder};
  popover_->setPanel(new RootView(*model_, services_.engine.l, QApplication::palette(), std::move(panel)));
  resizePopover();
}

void AppDelegate::buildStatusItem() {
  if (!services_.statusBarAvailable) return;
  statusItem_ = std::make_unique<QSystemTrayIcon>();
  connect(statusItem_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) togglePopover();
  });
}

void AppDelegate::observeEngine() {
  QPointer<AppDelegate> weak(this);
  const auto resize = [weak](const auto&) {
    if (weak) weak->resizePopover();
  };
  const auto refresh = [weak](const auto&) {
    if (weak) weak->updateMenu();
  };
  subscriptions_.push_back(model_->overviewHeight().subscribe(resize));
  subscriptions_.push_back(model_->selectedPage().subscribe(resize));
  subscriptions_.push_back(model_->ruleEditor().subscribe([weak](const std::optional<LocationRule>& rule) {
    if (!weak) return;
    weak->resizePopover();
    if (rule) weak->showWindow(false);
  }));
  subscriptions_.push_back(model_->showSetup().subscribe([weak](bool shown) {
    if (!weak) return;
    weak->resizePopover();
    if (shown) weak->showWindow(false);
  }));
  subscriptions_.push_back(model_->preferences().subscribe(refresh));
  subscriptions_.push_back(model_->busy().subscribe(refresh));
}

void AppDelegate::openOnFirstLaunch() {
  if (services_.defaults.boolValue(shownKey).value_or(false)) return;
  services_.defaults.setBool(shownKey, true);
  QPointer<AppDelegate> weak(this);
  services_.engine.dispatch.main().asyncAfter(firstLaunchDelay, [weak] {
    if (weak) weak->showWindow(true);
  });
}

bool AppDelegate::popoverShown() const { return popover_ && popover_->isVisible(); }

void AppDelegate::togglePopover() {
  if (popoverShown()) {
    popover_->hide();
    return;
  }
  showWindow(true);
}

void AppDelegate::showWindow(bool resetPage) {
  if (!model_ || !popover_ || quitting_) return;
  if (resetPage && !model_->showSetup().get() && !model_->ruleEditor()->has_value()) {
    model_->setSelectedPage(Page::overview);
  }
  resizePopover();
  if (!popoverShown()) placePopover();
  popover_->activateWindow();
}

void AppDelegate::placePopover() {
  const QRect icon = statusItem_ ? statusItem_->geometry() : QRect();
  if (icon.isValid() && !icon.isEmpty()) {
    popover_->showBelow(QPoint(icon.center().x(), icon.bottom() + 1));
  } else {
    popover_->showNearTopRight();
  }
}

void AppDelegate::resizePopover() {
  if (!model_ || !popover_) return;
  popover_->setFixedSize(WidgetLayout::width, static_cast<int>(WidgetLayout::height(PanelState::of(*model_))));
}

void AppDelegate::updateMenu() {
  if (!model_) return;
  const QString name = QString::fromStdString(services_.engine.l.t("Tidyframe"));
  if (statusItem_) {
    statusItem_->setIcon(statusIcon());
    statusItem_->setToolTip(name);
  }
  if (!popover_) return;
  popover_->setWindowTitle(name);
  if (services_.setWindowAppearance) services_.setWindowAppearance(*popover_, model_->preferences()->appearance);
}

bool AppDelegate::mayCloseAndApply(bool beforeSchedule) const {
  if (!popoverShown() || !model_ || !model_->preferences()->engineEnabled) return false;
  const Page page = model_->selectedPage().get();
  if (page != Page::overview && page != Page::rules) return false;
  return beforeSchedule || (!model_->showSetup().get() && !model_->ruleEditor()->has_value());
}

// A burst of edits ends in one close-and-apply, after the last of them.
void AppDelegate::ruleDidChange() {
  cancelPendingApply();
  if (!mayCloseAndApply(true)) return;
  const auto ticket = pendingApply_;
  QPointer<AppDelegate> weak(this);
  services_.engine.dispatch.main().asyncAfter(applyDelay, [weak, ticket] {
    if (!weak || weak->pendingApply_ != ticket || !weak->mayCloseAndApply(false)) return;
    weak->popover_->hide();
    weak->model_->applyNow();
  });
}

void AppDelegate::closeForFinderAction() {
  cancelPendingApply();
  if (popover_) popover_->hide();
}

void AppDelegate::quit() {
  if (quitting_) return;
  quitting_ = true;
  cancelPendingApply();
  updates_.reset();
  if (!model_) {
    services_.terminate();
    return;
  }
  if (popover_) popover_->hide();
  auto terminate = services_.terminate;
  model_->prepareForQuit([terminate] { terminate(); });
}

}  // namespace tidyframe
