#include "check_list.hpp"

#include <QCollator>
#include <QCoreApplication>
#include <QStyle>
#include <algorithm>
#include <QStyledItemDelegate>

#include "texts.hpp"

namespace morvane {
namespace {

constexpr int kNameRole = Qt::UserRole;               // QByteArray: the raw name
constexpr int kEarlierOutputRole = Qt::UserRole + 1;  // bool
constexpr int kWarningRole = Qt::UserRole + 2;        // QString: why its input check failed
constexpr int kItemHeight = 14;

class FixedHeightDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), kItemHeight);
  }
};

}  // namespace

// Unmarked items show a blank icon of the marks' size, so that every name starts at the same
// place and none looks like a child of the item above.
QIcon CheckList::BlankIcon() const {
  QPixmap blank(iconSize());
  blank.fill(Qt::transparent);
  return QIcon(blank);
}

void SortByShownName(std::vector<ListedShapefile>& entries) {
  const QCollator collator;  // the user's locale
  std::stable_sort(entries.begin(), entries.end(), [&](const ListedShapefile& a, const ListedShapefile& b) {
    return collator.compare(DisplayText(a.Name), DisplayText(b.Name)) < 0;
  });
  // Collations that pass over punctuation put "roads_1.shp" before "roads.shp".
  PlaceOutputsAfterInputs(entries);
}

CheckList::CheckList(QWidget* parent) : QListWidget(parent) {
  setItemDelegate(new FixedHeightDelegate(this));
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  // The marks fit the fixed row, and every item leaves the same room for one.
  setIconSize(QSize(kItemHeight, kItemHeight));
}

void CheckList::SetNames(const std::vector<std::string>& names) {
  std::vector<ListedShapefile> entries;
  for (const std::string& name : names) entries.push_back({name, false});
  SetEntries(entries);
}

void CheckList::SetEntries(const std::vector<ListedShapefile>& entries) {
  clear();
  for (const ListedShapefile& entry : entries) {
    auto* item = new QListWidgetItem(DisplayText(entry.Name), this);
    item->setData(kNameRole, QByteArray(entry.Name.data(), static_cast<qsizetype>(entry.Name.size())));
    item->setData(kEarlierOutputRole, entry.EarlierOutput);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(entry.EarlierOutput ? Qt::Unchecked : Qt::Checked);
    ShowMarks(item);
  }
}

// The icon and tooltip of an item from its marks: the warning of a failed input check first,
// then the note of an earlier output.
void CheckList::ShowMarks(QListWidgetItem* item) const {
  const QString warning = item->data(kWarningRole).toString();
  const bool earlier = item->data(kEarlierOutputRole).toBool();
  QStringList notes;
  if (!warning.isEmpty()) notes << warning;
  if (earlier) notes << QCoreApplication::translate("morvane::CheckList", "之前轉換的輸出檔：再轉換一次會轉換兩次");
  item->setToolTip(notes.join(u'\n'));
  if (!warning.isEmpty()) {
    item->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
  } else if (earlier) {
    item->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
  } else {
    item->setIcon(BlankIcon());
  }
}

bool CheckList::IsEarlierOutput(int index) const { return item(index)->data(kEarlierOutputRole).toBool(); }

void CheckList::SetAllTicked(bool ticked) {
  for (int i = 0; i < count(); ++i) SetTicked(i, ticked);
}

bool CheckList::IsTicked(int index) const { return item(index)->checkState() == Qt::Checked; }

void CheckList::SetTicked(int index, bool ticked) {
  item(index)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

std::string CheckList::Name(int index) const {
  const QByteArray name = item(index)->data(kNameRole).toByteArray();
  return std::string(name.constData(), static_cast<std::size_t>(name.size()));
}

std::vector<RunItem> CheckList::Items() const {
  std::vector<RunItem> items;
  items.reserve(static_cast<std::size_t>(count()));
  for (int i = 0; i < count(); ++i) items.push_back(RunItem{Name(i), IsTicked(i)});
  return items;
}

void CheckList::SetWarning(int index, const QString& reason) {
  QListWidgetItem* marked = item(index);
  marked->setData(kWarningRole, reason);
  ShowMarks(marked);
}

bool CheckList::HasWarning(int index) const { return !item(index)->data(kWarningRole).toString().isEmpty(); }

}  // namespace morvane
