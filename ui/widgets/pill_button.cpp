#include "widgets/pill_button.hpp"

#include <QEnterEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace morvane {
namespace {

constexpr int kShadowOffset = 2;
constexpr int kIconSide = 16;
constexpr int kIconGap = 4;

QPainterPath PillPath(const QRectF& box) {
  QPainterPath path;
  const qreal radius = box.height() / 2;
  path.addRoundedRect(box, radius, radius);
  return path;
}

}  // namespace

PillButton::PillButton(const QString& caption, const QIcon& icon, QWidget* parent)
    : QAbstractButton(parent) {
  setText(caption);
  setIcon(icon);
  setIconSize(QSize(kIconSide, kIconSide));
  setAttribute(Qt::WA_Hover);
  setFocusPolicy(Qt::StrongFocus);
}

void PillButton::SetTransparentBackground(bool transparent) {
  transparent_ = transparent;
  update();
}

QSize PillButton::sizeHint() const {
  const QFontMetrics metrics(font());
  const int width = kIconSide + kIconGap + metrics.horizontalAdvance(text());
  const int height = qMax(kIconSide, metrics.height()) + 12;
  return QSize(width + height + kShadowOffset, height + kShadowOffset);
}

QSize PillButton::minimumSizeHint() const { return QSize(kIconSide * 2, kIconSide + 8); }

void PillButton::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void PillButton::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

void PillButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (!transparent_) painter.fillRect(rect(), palette().window());

  // A pressed button sinks onto its shadow.
  const bool down = isDown();
  const QRectF face = QRectF(rect()).adjusted(0.5, 0.5, -kShadowOffset - 0.5, -kShadowOffset - 0.5);
  const QPainterPath body = PillPath(down ? face.translated(1, 1) : face);

  if (!down) {
    painter.fillPath(PillPath(face.translated(kShadowOffset, kShadowOffset)), QColor(128, 128, 128));
  }

  QColor top(255, 240, 0);
  QColor bottom(40, 170, 40);
  if (!isEnabled()) {
    top = QColor(225, 225, 200);
    bottom = QColor(175, 190, 175);
  } else if (hovered_) {
    top = top.lighter(115);
    bottom = bottom.lighter(130);
  }
  QLinearGradient gradient(face.topLeft(), face.bottomLeft());
  gradient.setColorAt(0.0, top);
  gradient.setColorAt(1.0, bottom);
  painter.fillPath(body, gradient);

  // The bevel: a light edge offset up and left and a dark one offset down and right, each
  // kept inside the body.
  painter.save();
  painter.setClipPath(body);
  painter.strokePath(body.translated(1, 1), QPen(QColor(255, 255, 255, 170), 2.0));
  painter.strokePath(body.translated(-1, -1), QPen(QColor(0, 80, 0, 140), 2.0));
  painter.restore();
  painter.strokePath(body, QPen(QColor(0, 100, 0), 1.0));

  // Icon and caption, centred together.
  const QFontMetrics metrics(font());
  const int textWidth = metrics.horizontalAdvance(text());
  const int contentWidth = kIconSide + kIconGap + textWidth;
  const QRect content = body.boundingRect().toRect();
  const int left = content.left() + (content.width() - contentWidth) / 2;
  const int iconTop = content.top() + (content.height() - kIconSide) / 2;
  const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
  icon().paint(&painter, QRect(left, iconTop, kIconSide, kIconSide), Qt::AlignCenter, mode);

  const QRect textRect(left + kIconSide + kIconGap, content.top(), textWidth + 1, content.height());
  painter.setPen(isEnabled() ? palette().color(QPalette::ButtonText)
                             : palette().color(QPalette::Disabled, QPalette::ButtonText));
  painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, text());

  if (hasFocus()) {
    painter.setPen(QPen(palette().color(QPalette::ButtonText), 1.0, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(textRect.adjusted(-2, 2, 1, -3));
  }
}

}  // namespace morvane
