// A lowered bar whose filled part is a tiled dark-blue picture, with the value written over
// it as a whole percentage ("42%"). It repaints at once when its value changes, so it shows
// progress even while a long operation keeps the event loop from running.
#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

namespace morvane {

class TiledProgressBar : public QWidget {
  Q_OBJECT

 public:
  explicit TiledProgressBar(QWidget* parent = nullptr);

  // Takes a percentage; a value above 100 counts as 100 and one below 0 as 0.
  void SetPercent(int percent);
  int Percent() const { return percent_; }
  QString Text() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int percent_ = 0;
  QPixmap tile_;
};

}  // namespace morvane
