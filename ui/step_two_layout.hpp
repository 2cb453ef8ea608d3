// The layout of step two: the folder tree left, the two buttons above the file list right. At
// the design size of the frame (712 by 320) every control is where the design puts it; a larger
// frame gives its extra width to the tree and the list in the proportion of their design
// widths and its extra height to both, the buttons keeping their places above the list.
#pragma once

#include <QLayout>
#include <QWidget>
#include <array>
#include <memory>

namespace morvane {

class StepTwoLayout : public QLayout {
 public:
  StepTwoLayout(QWidget* frame, QWidget* tree, QWidget* selectAll, QWidget* selectNone, QWidget* list);
  ~StepTwoLayout() override;

  // The frame's size below which a control would be cut or two would overlap.
  static QSize MinimumFrameSize();

  void addItem(QLayoutItem* item) override;
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  int count() const override;
  QSize sizeHint() const override;
  QSize minimumSize() const override;
  void setGeometry(const QRect& rect) override;

 private:
  std::array<QLayoutItem*, 4> items_{};  // tree, select all, select none, list
};

}  // namespace morvane
