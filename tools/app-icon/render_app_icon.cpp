// Writes the application mark as the PNGs a macOS icon file is built from (icon_<size>.png),
// drawn by the same code as the panel's, so the icon and the panel never drift apart.
// Usage: render_app_icon <folder>   (run with QT_QPA_PLATFORM=offscreen where there is no display)
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

#include <iostream>

#include "ui/brand_artwork.h"

namespace {

// The mark is drawn 32 points wide; macOS icons leave about a tenth of the canvas clear on
// every side, where the system draws the icon's shadow.
constexpr double markPoints = 32;
constexpr double bodyShare = 824.0 / 1024.0;

QImage icon(int pixels) {
  QImage canvas(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::transparent);
  QImage mark = tidyframe::BrandArtwork::image(pixels * bodyShare / markPoints);
  mark.setDevicePixelRatio(1);
  QPainter painter(&canvas);
  painter.drawImage(QPointF((pixels - mark.width()) / 2.0, (pixels - mark.height()) / 2.0), mark);
  return canvas;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  if (argc != 2) {
    std::cerr << "usage: render_app_icon <folder>\n";
    return 2;
  }
  for (const int pixels : {16, 32, 48, 128, 256, 512, 1024}) {
    const QString path = QString("%1/icon_%2.png").arg(QString::fromLocal8Bit(argv[1])).arg(pixels);
    if (!icon(pixels).save(path)) {
      std::cerr << "render_app_icon: cannot write " << path.toStdString() << "\n";
      return 1;
    }
  }
  return 0;
}
