// A push button shaped as a pill (a rectangle whose short ends are semicircles), filled with
// a gradient from yellow to green, with an offset bevel and a grey shadow, lighter while the
// mouse is over it, and a 16 by 16 icon left of its caption (greyed when disabled).
#pragma once

#include <QAbstractButton>
#include <QIcon>
#include <QString>

namespace morvane {

class PillButton : public QAbstractButton {
  Q_OBJECT

 public:
  PillButton(const QString& caption, const QIcon& icon, QWidget* parent = nullptr);

  // A transparent button leaves what lies behind it visible around the pill; an opaque one
  // first fills its rectangle with the window colour.
  void SetTransparentBackground(bool transparent);
  bool TransparentBackground() const { return transparent_; }

  bool Hovered() const { return hovered_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  bool transparent_ = false;
  bool hovered_ = false;
};

}  // namespace morvane
