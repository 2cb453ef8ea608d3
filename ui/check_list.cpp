#include "check_list.hpp"

#include <QStyle>
#include <QStyledItemDelegate>

#include "texts.hpp"

namespace morvane {
namespace {

constexpr int kNameRole = Qt::UserRole;  // QByteArray: the raw name
constexpr int kItemHeight = 14;

class FixedHeightDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), kItemHeight);
  }
};

}  // namespace

CheckList::CheckList(QWidget* parent) : QListWidget(parent) {
  setItemDelegate(new FixedHeightDelegate(this));
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void CheckList::SetNames(const std::vector<std::string>& names) {
  clear();
  for (const std::string& name : names) {
    auto* item = new QListWidgetItem(DisplayText(name), this);
    item->setData(kNameRole, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
  }
}

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
  marked->setToolTip(reason);
  marked->setIcon(reason.isEmpty() ? QIcon() : style()->standardIcon(QStyle::SP_MessageBoxWarning));
}

bool CheckList::HasWarning(int index) const { return !item(index)->icon().isNull(); }

}  // namespace morvane
