// A captioned set of exclusive choices with an item index, laid out column by column.
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QStringList>

namespace morvane {

class RadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  // Items fill the first column top to bottom, then the next: with 16 items in two columns,
  // items 0 to 7 are on the left and 8 to 15 on the right. Item 0 starts chosen.
  RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent = nullptr);

  int Count() const { return static_cast<int>(buttons_.buttons().size()); }
  // The chosen item, or -1 when none is.
  int ItemIndex() const { return buttons_.checkedId(); }
  void SetItemIndex(int index);
  QRadioButton* Item(int index) const;

 signals:
  // Another item was chosen.
  void ItemIndexChanged(int index);

 private:
  QButtonGroup buttons_;
};

}  // namespace morvane
