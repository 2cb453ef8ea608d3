#include "widgets/icons.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace morvane {
namespace {

constexpr int kIconSize = 16;

// Draws one icon at 1x and 2x, in a 16-unit coordinate system.
QIcon DrawIcon(const std::function<void(QPainter&)>& draw) {
  QIcon icon;
  for (int scale : {1, 2}) {
    QPixmap pixmap(kIconSize * scale, kIconSize * scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    draw(painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

QPen ThickPen(const QColor& color) {
  return QPen(color, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

}  // namespace

QIcon TickIcon() {
  return DrawIcon([](QPainter& painter) {
    QPainterPath tick;
    tick.moveTo(2.5, 8.5);
    tick.lineTo(6.5, 12.5);
    tick.lineTo(13.5, 3.0);
    painter.setPen(ThickPen(QColor(200, 0, 0)));
    painter.drawPath(tick);
  });
}

QIcon CrossIcon() {
  return DrawIcon([](QPainter& painter) {
    painter.setPen(ThickPen(QColor(200, 0, 0)));
    painter.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    painter.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
  });
}

QIcon PlayIcon() {
  return DrawIcon([](QPainter& painter) {
    QPainterPath triangle;
    triangle.moveTo(4.0, 2.0);
    triangle.lineTo(14.0, 8.0);
    triangle.lineTo(4.0, 14.0);
    triangle.closeSubpath();
    painter.setPen(QPen(QColor(0, 90, 0), 1.0));
    painter.setBrush(QColor(0, 170, 0));
    painter.drawPath(triangle);
  });
}

}  // namespace morvane
