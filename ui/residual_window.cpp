#include "residual_window.hpp"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "datum_texts.hpp"
#include "engine/plane_model_file.hpp"
#include "fonts.hpp"
#include "texts.hpp"
#include "translation.hpp"

namespace morvane {
namespace {

// In the order of the model list.
constexpr PlaneModel kModels[] = {PlaneModel::Similarity, PlaneModel::Affine, PlaneModel::Local};

int IndexOfModel(PlaneModel model) {
  for (int i = 0; i < 3; ++i) {
    if (kModels[i] == model) return i;
  }
  return 0;
}

}  // namespace

ResidualWindow::ResidualWindow(WindowDialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window),
      dialogs_(dialogs),
      title_(new QLabel(this)),
      models_(new QComboBox(this)),
      table_(new ResidualTable(this)),
      summary_(new QLabel(this)),
      save_(new QPushButton(tr("儲存模型…"), this)) {
  setObjectName(QStringLiteral("ResidualWindow"));
  models_->setObjectName(QStringLiteral("ResidualModel"));
  table_->setObjectName(QStringLiteral("ResidualTable"));
  summary_->setObjectName(QStringLiteral("ResidualSummary"));
  save_->setObjectName(QStringLiteral("ResidualSave"));
  setFont(FrameFont());
  setWindowTitle(tr("共同點殘差"));
  for (PlaneModel model : kModels) models_->addItem(PlaneModelText(model));
  summary_->setWordWrap(true);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* top = new QHBoxLayout;
  top->addWidget(title_, 1);
  top->addWidget(new QLabel(tr("模型："), this));
  top->addWidget(models_);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(summary_, 1);
  bottom->addWidget(save_);
  auto* column = new QVBoxLayout(this);
  column->addLayout(top);
  column->addWidget(table_, 1);
  column->addLayout(bottom);
  resize(620, 420);

  connect(models_, &QComboBox::activated, this, &ResidualWindow::ChooseModel);
  connect(save_, &QPushButton::clicked, this, &ResidualWindow::SaveModel);
}

std::optional<CommonPointError> ResidualWindow::Fit(std::vector<CommonPoint> points, int meridian, PlaneModel model,
                                                    const QString& source) {
  FitResult fit = morvane::Fit(points, model, meridian);
  if (!fit.Ok()) return fit.Error;
  points_ = std::move(points);
  meridian_ = meridian;
  model_ = model;
  source_ = source;
  report_ = std::move(fit.Report);
  transform_ = std::make_shared<const FittedTransform>(std::move(*fit.Transform));
  ShowFit();
  return std::nullopt;
}

void ResidualWindow::ChooseModel(int index) {
  if (index < 0 || index >= 3 || !HasFit()) return;
  const PlaneModel model = kModels[index];
  if (model != model_) {
    if (const auto refusal = Fit(points_, meridian_, model, source_)) {
      dialogs_.ShowError(ErrorBoxText(tr("無法以%1模型擬合 %2：%3")
                                          .arg(PlaneModelText(model), QFileInfo(source_).fileName(),
                                               CommonPointErrorText(*refusal))));
    } else {
      emit Refitted();
    }
  }
  models_->setCurrentIndex(IndexOfModel(model_));
}

void ResidualWindow::SaveModel() {
  if (!HasFit()) return;
  const QFileInfo source(source_);
  const QString suggested = source.dir().filePath(source.completeBaseName() + QStringLiteral(".model"));
  const QString path =
      dialogs_.AskSaveFileName(tr("儲存模型"), suggested, tr("平面模型檔 (*.model);;所有檔案 (*)"));
  if (path.isEmpty()) return;
  const std::string text = WriteModel(*transform_);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
      !file.flush()) {
    dialogs_.ShowError(ErrorBoxText(TranslatedMessage(QStringLiteral("Cannot write file ") + path)));
    return;
  }
  emit Saved(path);
}

void ResidualWindow::ShowFit() {
  title_->setText(tr("%1（%2 子午線，%3 點）").arg(QFileInfo(source_).fileName()).arg(meridian_).arg(points_.size()));
  models_->setCurrentIndex(IndexOfModel(model_));
  table_->SetReport(report_);
  const FitSummary& summary = report_.Summary;
  QString text = tr("RMS %1　最大 %2　留一法 RMS %3　留一法最大 %4")
                     .arg(MetresText(summary.Rms, 3), MetresText(summary.Max, 3), MetresText(summary.LooRms, 3),
                          MetresText(summary.LooMax, 3));
  int flagged = 0;
  for (const PointResidual& point : report_.Points) flagged += point.Flagged ? 1 : 0;
  if (flagged > 0) {
    text += u'\n' + tr("離群點 %1 個：留一法殘差超過 %2").arg(flagged).arg(MetresText(report_.FlagThreshold, 3));
  }
  summary_->setText(text);
}

}  // namespace morvane
