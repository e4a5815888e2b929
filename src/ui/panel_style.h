#pragma once

#include <QProxyStyle>

namespace tidyframe {

// Fusion (Qt's macOS style on a Mac), where menu items (the gear's menu, the combo boxes'
// lists) and tool buttons align their text to the leading edge also in a right-to-left panel:
// Fusion keeps it on the left, where a tool button's menu arrow then touches it. A default button is drawn filled with the
// accent colour whatever the base style, and a tool button that opens a menu keeps its arrow
// beside its text rather than in its corner. Buttons, pickers and text fields are outlined
// clearly enough to be seen as controls. The application sets it once.
class PanelStyle final : public QProxyStyle {
 public:
  PanelStyle();

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                          const QWidget* widget) const override;
  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override;
};

}  // namespace tidyframe
