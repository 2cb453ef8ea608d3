#include "step_two_layout.hpp"

#include <QWidgetItem>
#include <algorithm>

namespace morvane {
namespace {

// The design, in the frame's coordinates.
constexpr QSize kDesignFrame(712, 320);
constexpr QRect kTree(16, 24, 281, 281);
constexpr QRect kSelectAll(376, 16, 81, 33);
constexpr QRect kSelectNone(568, 16, 81, 33);
constexpr QRect kList(312, 48, 385, 257);

// The smallest tree and list that still show a few names; the list is wide enough for both
// buttons above it side by side.
constexpr int kMinimumTreeWidth = 140;
constexpr int kMinimumListWidth = (kSelectAll.left() - kList.left()) + kSelectAll.width() + 16 +
                                  kSelectNone.width() + (kList.right() - kSelectNone.right());
constexpr int kMinimumHeight = 120;  // of the tree and of the list

}  // namespace

StepTwoLayout::StepTwoLayout(QWidget* frame, QWidget* tree, QWidget* selectAll, QWidget* selectNone,
                             QWidget* list)
    : QLayout(frame) {
  setContentsMargins(0, 0, 0, 0);
  int i = 0;
  for (QWidget* widget : {tree, selectAll, selectNone, list}) {
    addChildWidget(widget);
    items_[static_cast<std::size_t>(i++)] = new QWidgetItem(widget);
  }
}

StepTwoLayout::~StepTwoLayout() {
  for (QLayoutItem* item : items_) delete item;
}

QSize StepTwoLayout::MinimumFrameSize() {
  const int width = kTree.left() + kMinimumTreeWidth + (kList.left() - kTree.right() - 1) +
                    kMinimumListWidth + (kDesignFrame.width() - kList.right() - 1);
  const int height = kList.top() + kMinimumHeight + (kDesignFrame.height() - kList.bottom() - 1);
  return {width, height};
}

void StepTwoLayout::addItem(QLayoutItem* item) {
  // The four controls are fixed at construction; nothing else is placed here.
  delete item;
}

QLayoutItem* StepTwoLayout::itemAt(int index) const {
  return index >= 0 && index < count() ? items_[static_cast<std::size_t>(index)] : nullptr;
}

QLayoutItem* StepTwoLayout::takeAt(int index) {
  if (index < 0 || index >= count()) return nullptr;
  QLayoutItem* item = items_[static_cast<std::size_t>(index)];
  items_[static_cast<std::size_t>(index)] = nullptr;
  return item;
}

int StepTwoLayout::count() const {
  return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](QLayoutItem* item) { return item != nullptr; }));
}

QSize StepTwoLayout::sizeHint() const { return kDesignFrame; }

QSize StepTwoLayout::minimumSize() const { return MinimumFrameSize(); }

void StepTwoLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  const QWidget* frame = parentWidget();
  if (frame == nullptr || count() != 4) return;
  // Measured from the frame's own corner, as the design is.
  const int extraWidth = frame->width() - kDesignFrame.width();
  const int extraHeight = frame->height() - kDesignFrame.height();
  const int treeExtra = extraWidth * kTree.width() / (kTree.width() + kList.width());
  const int listExtra = extraWidth - treeExtra;
  const QRect tree = kTree.adjusted(0, 0, treeExtra, extraHeight);
  const QRect list = kList.adjusted(treeExtra, 0, treeExtra + listExtra, extraHeight);
  // The widgets themselves, not their items, are placed: an item would bend the rectangles
  // to the widgets' size hints.
  items_[0]->widget()->setGeometry(tree);
  // "全選" keeps its distance from the list's left edge, "全不選" from its right edge.
  items_[1]->widget()->setGeometry(kSelectAll.translated(treeExtra, 0));
  items_[2]->widget()->setGeometry(kSelectNone.translated(treeExtra + listExtra, 0));
  items_[3]->widget()->setGeometry(list);
}

}  // namespace morvane
