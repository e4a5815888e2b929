#include "ui/panel_style.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace tidyframe {

namespace {

// Qt's own macOS style on a Mac, so standard controls look native there; Fusion elsewhere, where
// the reviewed screenshots are made.
QStyle* platformStyle() {
#ifdef Q_OS_MACOS
  if (QStyle* native = QStyleFactory::create("macOS")) return native;
#endif
  return QStyleFactory::create("Fusion");
}

}  // namespace

PanelStyle::PanelStyle() : QProxyStyle(platformStyle()) {}

// Fusion asks for left-aligned text and lets the painter mirror it; a painter takes the
// application's direction, not the widget's, so it is told the widget's here.
void PanelStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
  const bool aligned = element == CE_MenuItem || element == CE_ToolButtonLabel;
  if (!aligned || option->direction == painter->layoutDirection()) {
    QProxyStyle::drawControl(element, option, painter, widget);
    return;
  }
  const Qt::LayoutDirection before = painter->layoutDirection();
  painter->setLayoutDirection(option->direction);
  QProxyStyle::drawControl(element, option, painter, widget);
  painter->setLayoutDirection(before);
}

}  // namespace tidyframe
