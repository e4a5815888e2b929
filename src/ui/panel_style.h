#pragma once

#include <QProxyStyle>

namespace tidyframe {

// Fusion (Qt's macOS style on a Mac), where menu items (the gear's menu, the combo boxes' lists)
// and tool buttons align their text to the leading edge also in a right-to-left panel: Fusion
// keeps it on the left, where a tool button's menu arrow then touches it. The application sets
// it once.
class PanelStyle final : public QProxyStyle {
 public:
  PanelStyle();

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;
};

}  // namespace tidyframe
