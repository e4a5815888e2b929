#include "ui/palette.h"

#include <QWidget>

namespace tidyframe {

namespace {

QColor withAlpha(QColor color, double alpha) {
  color.setAlphaF(static_cast<float>(alpha));
  return color;
}

bool isDark(const QColor& window) { return window.lightness() < 128; }

}  // namespace

const Palette& Palette::light() {
  static const Palette palette{false,
                               QColor(0, 122, 255),
                               QColor(0x1d, 0x1d, 0x1f),
                               QColor(0x6e, 0x6e, 0x73),
                               QColor(0xec, 0xec, 0xee),
                               withAlpha(Qt::white, 0.4),
                               withAlpha(Qt::black, 0.08),
                               QColor(0xa8, 0x4f, 0x00),
                               QColor(0x7a, 0x7a, 0x7f),
                               QColor(0x86, 0x86, 0x8b)};
  return palette;
}

const Palette& Palette::darkPalette() {
  static const Palette palette{true,
                               QColor(10, 132, 255),
                               QColor(0xf2, 0xf2, 0xf7),
                               QColor(0x98, 0x98, 0x9f),
                               QColor(0x26, 0x26, 0x28),
                               withAlpha(Qt::white, 0.07),
                               withAlpha(Qt::white, 0.16),
                               QColor(0xff, 0x9f, 0x0a),
                               QColor(0x8e, 0x8e, 0x93),
                               QColor(0x73, 0x73, 0x78)};
  return palette;
}

const Palette& Palette::forScheme(const std::optional<std::string>& scheme, const QPalette& platform) {
  if (scheme == "dark") return darkPalette();
  if (scheme == "light") return light();
  return isDark(platform.color(QPalette::Window)) ? darkPalette() : light();
}

const Palette& Palette::of(const QWidget& widget) {
  return isDark(widget.palette().color(QPalette::Window)) ? darkPalette() : light();
}

QPalette Palette::qtPalette() const {
  QPalette palette;
  const QColor base = dark ? QColor(0x32, 0x32, 0x35) : QColor(Qt::white);
  palette.setColor(QPalette::Window, background);
  palette.setColor(QPalette::WindowText, text);
  palette.setColor(QPalette::Text, text);
  palette.setColor(QPalette::ButtonText, text);
  palette.setColor(QPalette::Base, base);
  palette.setColor(QPalette::AlternateBase, background);
  palette.setColor(QPalette::Button, dark ? QColor(0x3a, 0x3a, 0x3c) : QColor(0xf9, 0xf9, 0xfb));
  palette.setColor(QPalette::Highlight, accent);
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::PlaceholderText, secondary);
  palette.setColor(QPalette::ToolTipBase, base);
  palette.setColor(QPalette::ToolTipText, text);
  palette.setColor(QPalette::Light, dark ? QColor(0x48, 0x48, 0x4a) : QColor(Qt::white));
  palette.setColor(QPalette::Midlight, dark ? QColor(0x40, 0x40, 0x42) : QColor(0xe5, 0xe5, 0xea));
  palette.setColor(QPalette::Mid, dark ? QColor(0x2c, 0x2c, 0x2e) : QColor(0xc7, 0xc7, 0xcc));
  palette.setColor(QPalette::Dark, dark ? QColor(0x1c, 0x1c, 0x1e) : QColor(0xa0, 0xa0, 0xa5));
  palette.setColor(QPalette::Shadow, Qt::black);
  for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(QPalette::Disabled, role, secondary);
  }
  return palette;
}

}  // namespace tidyframe
