// A one-line text link: navy, underlined, with the hand pointer; a left click emits Clicked.
#pragma once

#include <QString>
#include <QWidget>

namespace morvane {

class LinkLabel : public QWidget {
  Q_OBJECT

 public:
  explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

  QString Text() const { return text_; }
  void SetText(const QString& text);

  QSize sizeHint() const override;

 signals:
  void Clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QString text_;
};

}  // namespace morvane
