#include "widgets/radio_group.hpp"

#include <QGridLayout>

namespace morvane {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent), buttons_(this) {
  const int count = static_cast<int>(items.size());
  const int rows = columns > 0 ? (count + columns - 1) / columns : count;
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(8, 2, 2, 2);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(0);
  for (int i = 0; i < count; ++i) {
    auto* button = new QRadioButton(items[i], this);
    buttons_.addButton(button, i);
    grid->addWidget(button, i % rows, i / rows);
  }
  buttons_.setExclusive(true);
  SetItemIndex(0);
  connect(&buttons_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked) emit ItemIndexChanged(id);
  });
}

void RadioGroup::SetItemIndex(int index) {
  if (QRadioButton* button = Item(index)) button->setChecked(true);
}

QRadioButton* RadioGroup::Item(int index) const {
  return qobject_cast<QRadioButton*>(buttons_.button(index));
}

}  // namespace morvane
