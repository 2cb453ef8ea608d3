#include "residual_table.hpp"

#include <QHeaderView>
#include <cmath>

#include "texts.hpp"

namespace morvane {
namespace {

const QColor kFlaggedBackground(255, 228, 200);

QTableWidgetItem* Cell(const QString& text, bool number) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return item;
}

// Millimetres show: the residuals of a good fit are centimetres.
QString Residual(double metres) {
  if (std::isnan(metres)) return QStringLiteral("—");
  return QString::number(metres, 'f', 3);
}

}  // namespace

ResidualTable::ResidualTable(QWidget* parent) : QTableWidget(parent) {
  setColumnCount(ColumnCount);
  setHorizontalHeaderLabels({tr("點號"), QStringLiteral("dE (m)"), QStringLiteral("dN (m)"),
                             QStringLiteral("d (m)"), tr("留一 dE"), tr("留一 dN"),
                             tr("留一 d"), tr("標記")});
  verticalHeader()->hide();
  horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
}

void ResidualTable::SetReport(const FitReport& report) {
  setRowCount(static_cast<int>(report.Points.size()));
  int row = 0;
  for (const PointResidual& point : report.Points) {
    setItem(row, Id, Cell(DisplayText(point.Id), false));
    setItem(row, DE, Cell(Residual(point.DE), true));
    setItem(row, DN, Cell(Residual(point.DN), true));
    setItem(row, D, Cell(Residual(point.D), true));
    setItem(row, LooDE, Cell(Residual(point.LooDE), true));
    setItem(row, LooDN, Cell(Residual(point.LooDN), true));
    setItem(row, LooD, Cell(Residual(point.LooD), true));
    setItem(row, Mark, Cell(point.Flagged ? tr("離群") : QString(), false));
    if (point.Flagged) {
      for (int column = 0; column < ColumnCount; ++column) item(row, column)->setBackground(kFlaggedBackground);
    }
    ++row;
  }
}

bool ResidualTable::IsFlagged(int row) const {
  const QTableWidgetItem* mark = item(row, Mark);
  return mark != nullptr && !mark->text().isEmpty();
}

}  // namespace morvane
