#include "ui/panel_style.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

#include "ui/palette.h"

namespace tidyframe {

namespace {

// Room beside a tool button's text for the arrow of its menu.
constexpr int menuArrowSize = 6;
constexpr int menuArrowGap = 3;

bool opensMenuInstantly(const QStyleOption* option) {
  const auto* tool = qstyleoption_cast<const QStyleOptionToolButton*>(option);
  return tool && (tool->features & QStyleOptionToolButton::HasMenu) &&
         !(tool->features & QStyleOptionToolButton::MenuButtonPopup);
}

const QStyleOptionButton* prominentButton(const QStyleOption* option) {
  const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
  if (!button || !(button->features & QStyleOptionButton::DefaultButton)) return nullptr;
  return button->features & QStyleOptionButton::Flat ? nullptr : button;
}

QColor prominentFill(const QStyleOption& option) {
  QColor fill = option.palette.color(QPalette::Active, QPalette::Highlight);
  if (!(option.state & QStyle::State_Enabled)) {
    fill.setAlphaF(0.45f);
  } else if (option.state & QStyle::State_Sunken) {
    fill = fill.darker(115);
  }
  return fill;
}

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
  if (element == CE_PushButton) {
    if (const QStyleOptionButton* button = prominentButton(option)) {
      painter->save();
      painter->setRenderHint(QPainter::Antialiasing);
      painter->setPen(Qt::NoPen);
      painter->setBrush(prominentFill(*button));
      painter->drawRoundedRect(QRectF(button->rect).adjusted(1, 1, -1, -1), 5, 5);
      painter->restore();
      QStyleOptionButton label = *button;
      const QColor text = button->palette.color(QPalette::Active, QPalette::HighlightedText);
      for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        label.palette.setColor(group, QPalette::ButtonText, text);
      }
      label.rect = subElementRect(SE_PushButtonContents, button, widget);
      QProxyStyle::drawControl(CE_PushButtonLabel, &label, painter, widget);
      if (button->state & State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(*button);
        focus.rect = subElementRect(SE_PushButtonFocusRect, button, widget);
        drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
      }
      return;
    }
  }
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

// Fusion's own outline is a shade of the background, too faint to show where a control ends.
void PanelStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const {
  QProxyStyle::drawPrimitive(element, option, painter, widget);
  const bool outlined = element == PE_PanelButtonCommand || element == PE_FrameLineEdit || element == PE_Frame;
  // A focused control keeps Fusion's accent outline.
  if (!outlined || !(option->state & State_Enabled) || (option->state & State_HasFocus)) return;
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  painter->setBrush(Qt::NoBrush);
  painter->setPen(QPen(Palette::forScheme(std::nullopt, option->palette).boundary, 1));
  painter->drawRoundedRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
  painter->restore();
}

// The button as if it had no menu, then the arrow centred in the room left for it at the
// trailing side.
void PanelStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                    const QWidget* widget) const {
  if (control != CC_ToolButton || !opensMenuInstantly(option)) {
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    return;
  }
  QStyleOptionToolButton plain = *qstyleoption_cast<const QStyleOptionToolButton*>(option);
  plain.features &= ~QStyleOptionToolButton::HasMenu;
  const QRect whole = plain.rect;
  plain.rect = visualRect(plain.direction, whole, whole.adjusted(0, 0, -(menuArrowSize + menuArrowGap), 0));
  // The button's own surface spans the whole button; only its label moves aside.
  const State raised = (plain.state & State_AutoRaise) && !(plain.state & State_MouseOver) ? State_None : State_Raised;
  if (plain.state & (State_Sunken | State_On | raised)) {
    QStyleOptionToolButton bevel = plain;
    bevel.rect = whole;
    drawPrimitive(PE_PanelButtonTool, &bevel, painter, widget);
    plain.state &= ~(State_Sunken | State_On | State_Raised);
  }
  QProxyStyle::drawComplexControl(control, &plain, painter, widget);
  QStyleOption arrow = plain;
  const QRect room(whole.right() - menuArrowGap - menuArrowSize, whole.center().y() - menuArrowSize / 2 + 1,
                   menuArrowSize, menuArrowSize);
  arrow.rect = visualRect(plain.direction, whole, room);
  drawPrimitive(PE_IndicatorArrowDown, &arrow, painter, widget);
}

QSize PanelStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                   const QWidget* widget) const {
  QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
  if (type == CT_ToolButton && opensMenuInstantly(option)) result.rwidth() += menuArrowSize + menuArrowGap;
  return result;
}

}  // namespace tidyframe
