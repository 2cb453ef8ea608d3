#include "widgets/tiled_progress_bar.hpp"

#include <QPainter>
#include <qdrawutil.h>

namespace morvane {
namespace {

// An 8 by 8 tile: dark blue with a lighter diagonal weave.
QPixmap DarkBlueTile() {
  QPixmap tile(8, 8);
  tile.fill(QColor(0, 0, 110));
  QPainter painter(&tile);
  painter.setPen(QColor(30, 50, 170));
  painter.drawLine(0, 7, 7, 0);
  painter.setPen(QColor(0, 0, 80));
  painter.drawLine(0, 0, 7, 7);
  return tile;
}

}  // namespace

TiledProgressBar::TiledProgressBar(QWidget* parent) : QWidget(parent), tile_(DarkBlueTile()) {
  setFont(QFont(QStringLiteral("Arial"), 8));
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TiledProgressBar::SetPercent(int percent) {
  const int clamped = qBound(0, percent, 100);
  if (clamped == percent_) return;
  percent_ = clamped;
  // repaint(), not update(): the caller may hold the event loop until its work is done.
  repaint();
}

QString TiledProgressBar::Text() const { return QString::number(percent_) + u'%'; }

QSize TiledProgressBar::sizeHint() const { return QSize(200, 13); }

void TiledProgressBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect inner = rect().adjusted(1, 1, -1, -1);
  painter.fillRect(inner, palette().window());
  const int filled = inner.width() * percent_ / 100;
  if (filled > 0) {
    painter.drawTiledPixmap(QRect(inner.topLeft(), QSize(filled, inner.height())), tile_);
  }
  // The percentage in white over the dark fill and in black over the empty part, so that
  // each half of a figure the fill's edge runs through stays readable.
  const QRect fillRect(inner.topLeft(), QSize(filled, inner.height()));
  painter.save();
  painter.setClipRect(fillRect);
  painter.setPen(Qt::white);
  painter.drawText(inner, Qt::AlignCenter, Text());
  painter.setClipRegion(QRegion(inner).subtracted(QRegion(fillRect)));
  painter.setPen(Qt::black);
  painter.drawText(inner, Qt::AlignCenter, Text());
  painter.restore();
  qDrawShadePanel(&painter, rect(), palette(), /*sunken=*/true, 1);
}

}  // namespace morvane
