#include "ui/symbols.h"

#include <array>
#include <utility>

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace tidyframe {

namespace {

struct Symbol {
  std::string_view name;
  const char* file;
  // Filled shapes; Lucide draws outlines only.
  bool filled = false;
};

constexpr std::array symbols{
    Symbol{"chevron.left", "chevron-left"},
    Symbol{"chevron.right", "chevron-right"},
    Symbol{"xmark", "x"},
    Symbol{"internaldrive", "hard-drive"},
    Symbol{"externaldrive", "eject"},
    Symbol{"folder.badge.gearshape", "folder-cog"},
    Symbol{"square.grid.2x2", "grid-2x2"},
    Symbol{"arrow.up.arrow.down", "arrow-up-down"},
    Symbol{"list.bullet", "list"},
    Symbol{"folder.fill", "folder", true},
    Symbol{"gearshape", "settings"},
    Symbol{"magnifyingglass", "search"},
    Symbol{"plus", "plus"},
    Symbol{"arrow.clockwise", "rotate-cw"},
    Symbol{"folder", "folder"},
    Symbol{"folder.badge.minus", "folder-minus"},
    Symbol{"sdcard", "card-sim"},
    Symbol{"slider.horizontal.3", "sliders-horizontal"},
    Symbol{"link", "link"},
    Symbol{"lock.shield", "shield-check"},
    Symbol{"checkmark.circle", "circle-check"},
    Symbol{"1.circle", "circle-1"},
    Symbol{"2.circle", "circle-2"},
    Symbol{"clock.arrow.circlepath", "history"},
    Symbol{"exclamationmark.triangle", "triangle-alert"},
    Symbol{"pause.circle", "circle-pause"},
    Symbol{"doc", "file"},
    Symbol{"doc.text", "file-text"},
    Symbol{"doc.richtext", "file-type"},
    Symbol{"photo", "file-image"},
    Symbol{"film", "file-video-camera"},
    Symbol{"music.note", "file-music"},
    Symbol{"archivebox", "file-archive"},
    Symbol{"app", "app-window"},
    Symbol{"arrow.up", "arrow-up"},
};

const Symbol* find(std::string_view name) {
  for (const auto& symbol : symbols) {
    if (symbol.name == name) return &symbol;
  }
  return nullptr;
}

QByteArray tinted(const Symbol& symbol, const QColor& color) {
  QFile file(QStringLiteral(":/symbols/%1.svg").arg(QLatin1String(symbol.file)));
  if (!file.open(QIODevice::ReadOnly)) return {};
  QByteArray svg = file.readAll();
  const QByteArray hex = color.name(QColor::HexRgb).toLatin1();
  svg.replace("currentColor", hex);
  if (symbol.filled) svg.replace("fill=\"none\"", "fill=\"" + hex + "\"");
  return svg;
}

}  // namespace

bool hasSymbol(std::string_view name) { return find(name) != nullptr; }

QPixmap symbolPixmap(std::string_view name, const QColor& color, int points, qreal devicePixelRatio) {
  const Symbol* symbol = find(name);
  if (!symbol) return {};
  QSvgRenderer renderer(tinted(*symbol, color));
  const int pixels = qRound(points * devicePixelRatio);
  QPixmap pixmap(pixels, pixels);
  pixmap.fill(Qt::transparent);
  if (!renderer.isValid()) return pixmap;
  QPainter painter(&pixmap);
  painter.setOpacity(color.alphaF());
  renderer.render(&painter);
  painter.end();
  pixmap.setDevicePixelRatio(devicePixelRatio);
  return pixmap;
}

QIcon symbolIcon(std::string_view name, const QColor& color, int points, qreal devicePixelRatio) {
  return QIcon(symbolPixmap(name, color, points, devicePixelRatio));
}

}  // namespace tidyframe
