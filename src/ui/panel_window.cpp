#include "ui/panel_window.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/root_view.h"

namespace tidyframe {

namespace {

constexpr int screenMargin = 8;

QRect availableScreenAt(QPoint point) {
  const QScreen* screen = QGuiApplication::screenAt(point);
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
}

}  // namespace

PanelWindow::PanelWindow(Kind kind, std::function<void()> closedByUser)
    : QWidget(nullptr, kind == Kind::popover ? Qt::Tool | Qt::FramelessWindowHint : Qt::Window),
      kind_(kind),
      closedByUser_(std::move(closedByUser)) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  if (kind_ == Kind::window) setWindowTitle("Tidyframe");
  if (kind_ == Kind::popover) {
    // A tool window hides whenever the application is inactive on macOS, so a panel shown then
    // (at first launch, or by the engine) would vanish at once; it hides on deactivation below.
    setAttribute(Qt::WA_MacAlwaysShowToolWindow);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
      if (state == Qt::ApplicationInactive && isVisible()) hide();
    });
  }
}

void PanelWindow::setPanel(RootView* panel) {
  panel_ = panel;
  layout()->addWidget(panel);
}

void PanelWindow::showBelow(QPoint anchor) {
  showAt(QPoint(anchor.x() - width() / 2, anchor.y()), availableScreenAt(anchor));
}

void PanelWindow::showNearTopRight() {
  const QRect screen = availableScreenAt(QCursor::pos());
  showAt(QPoint(screen.right() - width() - screenMargin, screen.top() + screenMargin), screen);
}

void PanelWindow::showAt(QPoint topLeft, const QRect& screen) {
  const int x = std::clamp(topLeft.x(), screen.left() + screenMargin,
                           std::max(screen.left() + screenMargin, screen.right() - width() - screenMargin));
  const int y = std::clamp(topLeft.y(), screen.top(), std::max(screen.top(), screen.bottom() - height()));
  move(x, y);
  show();
  raise();
  activateWindow();
}

// Closing the ordinary window is the user's way to quit; the popover just hides.
void PanelWindow::closeEvent(QCloseEvent* event) {
  if (kind_ == Kind::window && closedByUser_) {
    event->ignore();
    closedByUser_();
    return;
  }
  QWidget::closeEvent(event);
}

void PanelWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && kind_ == Kind::popover) {
    hide();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace tidyframe
