// The fit to a user's common points, in a window of its own beside the main one: the model
// fitted (similarity, affine, local), the residual table, its RMS, maximum and leave-one-out
// figures below, and a button that saves the fitted model as a model file. Choosing another
// model refits; a model that cannot be fitted is refused with its reason and the last fit stays.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "dialogs.hpp"
#include "engine/plane_fit.hpp"
#include "residual_table.hpp"

namespace morvane {

class ResidualWindow : public QWidget {
  Q_OBJECT

 public:
  // The dialogs must outlive the window.
  ResidualWindow(WindowDialogs& dialogs, QWidget* parent = nullptr);

  // Fits `model` to `points` on `meridian`'s grid, read from the file `source` (shown in the
  // title). On a refusal nothing changes and the refusal is returned.
  std::optional<CommonPointError> Fit(std::vector<CommonPoint> points, int meridian, PlaneModel model,
                                      const QString& source);

  // Handlers: the model list ("ResidualModel") and the save button ("ResidualSave").
  void ChooseModel(int index);
  void SaveModel();

  bool HasFit() const { return transform_ != nullptr; }
  const std::vector<CommonPoint>& Points() const { return points_; }
  const FitReport& Report() const { return report_; }
  std::shared_ptr<const FittedTransform> Transform() const { return transform_; }
  int Meridian() const { return meridian_; }
  PlaneModel Model() const { return model_; }
  const QString& Source() const { return source_; }

 signals:
  // Another model was fitted.
  void Refitted();
  // The model was saved to `path`.
  void Saved(const QString& path);

 private:
  void ShowFit();

  WindowDialogs& dialogs_;
  QLabel* title_;
  QComboBox* models_;
  ResidualTable* table_;
  QLabel* summary_;
  QPushButton* save_;
  std::vector<CommonPoint> points_;
  int meridian_ = 121;
  PlaneModel model_ = PlaneModel::Affine;
  QString source_;
  FitReport report_;
  std::shared_ptr<const FittedTransform> transform_;
};

}  // namespace morvane
