#include "ui/brand_artwork.h"

#include <cmath>
#include <numbers>

#include <QPainter>
#include <QPainterPath>

#include "ui/symbols.h"

namespace tidyframe::BrandArtwork {

namespace {

QImage canvas(int points, qreal devicePixelRatio) {
  const int pixels = qRound(points * devicePixelRatio);
  QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  image.setDevicePixelRatio(devicePixelRatio);
  return image;
}

// The artwork's geometry counts y upwards from the bottom edge.
void flipToBottomLeftOrigin(QPainter& painter, int points) {
  painter.translate(0, points);
  painter.scale(1, -1);
}

QPainterPath folderOutline() {
  QPainterPath path({3, 3.5});
  path.lineTo(15, 3.5);
  path.cubicTo(15.85, 3.5, 16.5, 4.15, 16.5, 5);
  path.lineTo(16.5, 11);
  path.cubicTo(16.5, 11.85, 15.85, 12.5, 15, 12.5);
  path.lineTo(9, 12.5);
  path.lineTo(7.2, 14.5);
  path.lineTo(3, 14.5);
  path.cubicTo(2.15, 14.5, 1.5, 13.85, 1.5, 13);
  path.lineTo(1.5, 5);
  path.cubicTo(1.5, 4.15, 2.15, 3.5, 3, 3.5);
  path.closeSubpath();
  return path;
}

QColor calibrated(double red, double green, double blue) { return QColor::fromRgbF(red, green, blue); }

// A gradient across the whole square at `degrees` (counter-clockwise from the x axis).
QLinearGradient angledGradient(double side, double degrees) {
  const double radians = degrees * std::numbers::pi / 180;
  const QPointF direction(std::cos(radians), std::sin(radians));
  const double reach = side / 2 * (std::abs(direction.x()) + std::abs(direction.y()));
  const QPointF centre(side / 2, side / 2);
  return QLinearGradient(centre - direction * reach, centre + direction * reach);
}

}  // namespace

QImage menuBarImage(qreal devicePixelRatio) {
  QImage image = canvas(18, devicePixelRatio);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  flipToBottomLeftOrigin(painter, 18);
  QPen pen(Qt::black, 1.25);
  pen.setJoinStyle(Qt::RoundJoin);
  painter.setPen(pen);
  painter.drawPath(folderOutline());
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  for (const double x : {5.45, 8.45, 11.45}) painter.drawEllipse(QRectF(x, 7.1, 1.1, 1.1));
  return image;
}

QImage image(qreal devicePixelRatio) {
  QImage image = canvas(32, devicePixelRatio);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  flipToBottomLeftOrigin(painter, 32);
  QLinearGradient gradient = angledGradient(32, -70);
  gradient.setColorAt(0, calibrated(0.4, 0.6, 0.88));
  gradient.setColorAt(1, calibrated(0.12, 0.48, 0.96));
  painter.setPen(Qt::NoPen);
  painter.setBrush(gradient);
  painter.drawRoundedRect(QRectF(0, 0, 32, 32), 7.7, 7.7);
  // The symbol is drawn upright, so its rectangle is placed in top-left coordinates.
  painter.resetTransform();
  const QPixmap folder = symbolPixmap("folder.fill", Qt::white, 20, devicePixelRatio);
  painter.drawPixmap(QRectF(6, 32 - 8 - 17, 20, 17), folder, QRectF(folder.rect()));
  flipToBottomLeftOrigin(painter, 32);
  painter.setBrush(calibrated(0.18, 0.52, 0.98));
  for (const double x : {9.5, 14.5, 19.5}) painter.drawRoundedRect(QRectF(x, 11, 3, 3), 0.8, 0.8);
  painter.end();
  return image;
}

}  // namespace tidyframe::BrandArtwork
