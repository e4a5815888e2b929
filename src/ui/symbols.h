#pragma once

#include <string_view>

#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace tidyframe {

// The system symbols the panel names, drawn from the vendored Lucide icons in `color`.
// `points` is the symbol's side; the pixmap carries the screen's device pixel ratio. An unknown
// name gives an empty pixmap (a missing icon, never a crash).
QPixmap symbolPixmap(std::string_view name, const QColor& color, int points, qreal devicePixelRatio);
QIcon symbolIcon(std::string_view name, const QColor& color, int points, qreal devicePixelRatio);

// Whether `name` has an icon in the table.
bool hasSymbol(std::string_view name);

}  // namespace tidyframe
