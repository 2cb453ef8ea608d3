#include "widgets/link_label.hpp"

#include <QMouseEvent>
#include <QPainter>

namespace morvane {

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
  QFont underlined(QStringLiteral("Arial"), 8);
  underlined.setUnderline(true);
  setFont(underlined);
  setCursor(Qt::PointingHandCursor);
}

void LinkLabel::SetText(const QString& text) {
  text_ = text;
  updateGeometry();
  update();
}

QSize LinkLabel::sizeHint() const {
  const QFontMetrics metrics(font());
  return QSize(metrics.horizontalAdvance(text_) + 8, metrics.height());
}

void LinkLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(QColor(0, 0, 128));  // navy
  painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text_);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit Clicked();
  }
  QWidget::mouseReleaseEvent(event);
}

}  // namespace morvane
