// The residuals of a fit to common points, one row per point: its id, the fitted-minus-published
// dE, dN and length, and the same from the fit to all the other points (leave-one-out). Points
// out of line with the others are marked. Read only.
#pragma once

#include <QTableWidget>

#include "engine/plane_fit.hpp"

namespace morvane {

class ResidualTable : public QTableWidget {
  Q_OBJECT

 public:
  enum Column { Id, DE, DN, D, LooDE, LooDN, LooD, Mark, ColumnCount };

  explicit ResidualTable(QWidget* parent = nullptr);

  void SetReport(const FitReport& report);
  // Whether row `row` is marked as out of line.
  bool IsFlagged(int row) const;
};

}  // namespace morvane
