// Records a progress bar's value each time a paint event reaches it: what the bar showed,
// including while the code under test held the event loop.
#pragma once

#include <QEvent>
#include <QObject>
#include <vector>

#include "widgets/tiled_progress_bar.hpp"

namespace morvane::test {

class PaintRecorder : public QObject {
 public:
  explicit PaintRecorder(TiledProgressBar& bar) : bar_(bar) { bar.installEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &bar_ && event->type() == QEvent::Paint) Painted.push_back(bar_.Percent());
    return false;
  }
  std::vector<int> Painted;

 private:
  TiledProgressBar& bar_;
};

}  // namespace morvane::test
