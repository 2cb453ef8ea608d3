// Step one's choice of the datum step, beside the mode and the region, for the modes that shift
// between TWD67 and TWD97 or WGS84 (9 to 12, 15 and 16; disabled for the others): the standard
// seven-parameter step, the built-in model fitted to the region's published common points, a
// model fitted here to the user's control points (their residual table in a window of its own,
// the residuals as arrows on the preview), or a saved model file. Below the list the accuracy of
// the choice: measured on published points for the standard step, the leave-one-out RMS for a
// fitted model.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <memory>

#include "dialogs.hpp"
#include "engine/conversion.hpp"
#include "residual_arrows.hpp"
#include "residual_window.hpp"

namespace morvane {

class DatumStepBox : public QGroupBox {
  Q_OBJECT

 public:
  // In the order of the list.
  enum class Choice { Standard, BuiltIn, ControlPoints, ModelFile };

  // The dialogs must outlive the box.
  DatumStepBox(WindowDialogs& dialogs, QWidget* parent = nullptr);

  // The mode and region chosen beside it: whether the box is enabled, which fitted model suits.
  void SetConversion(TransformMode mode, Region region);

  // Handlers: the list ("DatumStepChoice") and the residual button ("DatumStepResiduals").
  // Choosing control points or a model file asks for the file; a cancel or a refused file keeps
  // the choice before.
  void Choose(int index);
  void ShowResiduals();

  Choice Chosen() const { return chosen_; }
  bool Applies() const { return TakesDatumStep(mode_); }
  // The step for the Conversion: what was chosen when the mode takes one, else the standard step.
  DatumStep Step() const;
  // Why the chosen step cannot be used in the chosen region; empty when it can.
  QString Problem() const;
  // The step used and its accuracy, for the boxes at the end of a run.
  QString Description() const;
  // The residual arrows of the control points while they are the choice; else none.
  ResidualArrows Arrows() const;
  ResidualWindow* Residuals() const { return residuals_; }

  // The choice, its model file and its control-point file and model, as `settings` keep them.
  void Remember(QSettings& settings) const;
  // Takes the choice `settings` kept, reading its files again; a file that is gone or refused
  // is reported and the standard step taken.
  void Recall(const QSettings& settings);

 signals:
  // The choice, its model or its file changed.
  void Changed();

 private:
  bool LoadControlPoints(const QString& path, std::optional<PlaneModel> model);
  bool LoadModelFile(const QString& path);
  // The fitted transform of the choice; null for the standard step.
  std::shared_ptr<const FittedTransform> Transform() const;
  // The step chosen, whatever the mode.
  DatumStep ChosenStep() const;
  void ShowChoice();

  WindowDialogs& dialogs_;
  QComboBox* choices_;
  QLabel* accuracy_;
  QPushButton* residualsButton_;
  ResidualWindow* residuals_;
  Choice chosen_ = Choice::Standard;
  TransformMode mode_ = 0;
  Region region_ = 0;
  QString modelPath_;  // the model file read, or where the control points' model was saved
  std::shared_ptr<const FittedTransform> fileModel_;  // read from modelPath_
};

}  // namespace morvane
