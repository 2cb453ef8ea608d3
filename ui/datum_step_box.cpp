#include "datum_step_box.hpp"

#include <QFile>
#include <QFileInfo>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "datum_texts.hpp"
#include "engine/builtin_transforms.hpp"
#include "engine/plane_model_file.hpp"
#include "texts.hpp"
#include "translation.hpp"

namespace morvane {
namespace {

// What the window keeps between sessions.
const QString kChoiceKey = QStringLiteral("datumStep");
const QString kModelKey = QStringLiteral("datumModel");
const QString kPointsKey = QStringLiteral("datumPoints");
const QString kFitKey = QStringLiteral("datumFit");

// The choices as the settings spell them, in the order of the list.
constexpr const char* kChoiceNames[] = {"standard", "common-points", "control-points", "model-file"};

// Tried in turn on new control points: the affine model, or the similarity when there are too
// few points or they lie on a line.
constexpr PlaneModel kFirstModels[] = {PlaneModel::Affine, PlaneModel::Similarity};

std::optional<QByteArray> ReadWhole(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return file.readAll();
}

std::string_view View(const QByteArray& bytes) {
  return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QString FileName(const QString& path) { return QFileInfo(path).fileName(); }

}  // namespace

DatumStepBox::DatumStepBox(WindowDialogs& dialogs, QWidget* parent)
    : QGroupBox(tr("C. 基準轉換"), parent),
      dialogs_(dialogs),
      choices_(new QComboBox(this)),
      accuracy_(new QLabel(this)),
      residualsButton_(new QPushButton(tr("殘差表…"), this)),
      residuals_(new ResidualWindow(dialogs, this)) {
  setObjectName(QStringLiteral("DatumStepBox"));
  choices_->setObjectName(QStringLiteral("DatumStepChoice"));
  accuracy_->setObjectName(QStringLiteral("DatumStepAccuracy"));
  residualsButton_->setObjectName(QStringLiteral("DatumStepResiduals"));
  choices_->addItems({tr("七參數（標準）"), tr("共同點（內建模型）"), tr("由控制點擬合…"), tr("已存模型檔…")});
  // The list keeps to the column's width; its popup shows the items whole.
  choices_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  choices_->setMinimumContentsLength(8);
  accuracy_->setWordWrap(true);
  accuracy_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  accuracy_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(6, 0, 2, 0);
  column->setSpacing(1);
  column->addWidget(choices_);
  column->addWidget(accuracy_, 1);
  column->addWidget(residualsButton_);

  connect(choices_, &QComboBox::activated, this, &DatumStepBox::Choose);
  connect(residualsButton_, &QPushButton::clicked, this, &DatumStepBox::ShowResiduals);
  connect(residuals_, &ResidualWindow::Refitted, this, [this] {
    ShowChoice();
    emit Changed();
  });
  connect(residuals_, &ResidualWindow::Saved, this, [this](const QString& path) {
    modelPath_ = path;
    ShowChoice();
    emit Changed();
  });
  ShowChoice();
}

void DatumStepBox::SetConversion(TransformMode mode, Region region) {
  mode_ = mode;
  region_ = region;
  ShowChoice();
}

void DatumStepBox::Choose(int index) {
  if (index < 0 || index >= choices_->count()) return;
  // The list offers only what suits the region.
  if (!qobject_cast<QStandardItemModel*>(choices_->model())->item(index)->isEnabled()) return;
  const auto choice = static_cast<Choice>(index);
  bool taken = true;
  if (choice == Choice::ControlPoints) {
    const QString path =
        dialogs_.AskOpenFileName(tr("選擇控制點檔案"), tr("共同點檔案 (*.csv *.txt);;所有檔案 (*)"));
    taken = !path.isEmpty() && LoadControlPoints(path, std::nullopt);
    if (taken) residuals_->show();
  } else if (choice == Choice::ModelFile) {
    const QString path = dialogs_.AskOpenFileName(tr("選擇模型檔"), tr("平面模型檔 (*.model);;所有檔案 (*)"));
    taken = !path.isEmpty() && LoadModelFile(path);
  }
  if (taken) chosen_ = choice;
  ShowChoice();
  if (taken) emit Changed();
}

void DatumStepBox::ShowResiduals() {
  if (!residuals_->HasFit()) return;
  residuals_->show();
  residuals_->raise();
}

bool DatumStepBox::LoadControlPoints(const QString& path, std::optional<PlaneModel> model) {
  const auto refuse = [&](const QString& reason) {
    dialogs_.ShowError(ErrorBoxText(tr("控制點檔案 %1 無法使用：%2").arg(FileName(path), reason)));
    return false;
  };
  const std::optional<QByteArray> text = ReadWhole(path);
  if (!text) return refuse(TranslatedMessage(QStringLiteral("Cannot open file ") + path));
  const std::optional<int> meridian = RegionTm2Meridian(region_);
  if (!meridian) return refuse(tr("此地區沒有 TM2 坐標可擬合"));
  CommonPointsResult read = ReadCommonPoints(View(*text), *meridian);
  if (!read.Ok()) return refuse(CommonPointErrorText(*read.Error));
  std::optional<CommonPointError> refusal;
  for (PlaneModel first : kFirstModels) {
    refusal = residuals_->Fit(read.Points, *meridian, model.value_or(first), path);
    if (!refusal || model) break;
  }
  if (refusal) return refuse(CommonPointErrorText(*refusal));
  modelPath_.clear();
  return true;
}

bool DatumStepBox::LoadModelFile(const QString& path) {
  const auto refuse = [&](const QString& reason) {
    dialogs_.ShowError(ErrorBoxText(tr("模型檔 %1 無法使用：%2").arg(FileName(path), reason)));
    return false;
  };
  const std::optional<QByteArray> text = ReadWhole(path);
  if (!text) return refuse(TranslatedMessage(QStringLiteral("Cannot open file ") + path));
  ModelFileResult read = ReadModel(View(*text));
  if (!read.Ok()) return refuse(ModelFileErrorText(*read.Error));
  fileModel_ = std::make_shared<const FittedTransform>(std::move(*read.Transform));
  modelPath_ = path;
  return true;
}

std::shared_ptr<const FittedTransform> DatumStepBox::Transform() const {
  switch (chosen_) {
    case Choice::Standard: return nullptr;
    case Choice::BuiltIn: return BuiltinTransform(RegionTm2Meridian(region_).value_or(0));
    case Choice::ControlPoints: return residuals_->Transform();
    case Choice::ModelFile: return fileModel_;
  }
  return nullptr;
}

DatumStep DatumStepBox::ChosenStep() const {
  if (chosen_ == Choice::Standard) return {};
  const DatumStepKind kind = chosen_ == Choice::BuiltIn ? DatumStepKind::CommonPoints : DatumStepKind::ModelFile;
  return {kind, QFile::encodeName(modelPath_).toStdString(), Transform()};
}

DatumStep DatumStepBox::Step() const { return Applies() ? ChosenStep() : DatumStep{}; }

QString DatumStepBox::Problem() const {
  if (!Applies()) return {};
  const std::optional<DatumStepError> problem = CheckDatumStep({mode_, region_, ChosenStep()});
  return problem ? DatumStepErrorText(*problem) : QString();
}

QString DatumStepBox::Description() const {
  const auto transform = Transform();
  if (chosen_ != Choice::Standard && transform == nullptr) return Problem();
  switch (chosen_) {
    case Choice::Standard: return tr("基準轉換：七參數（標準），%1").arg(StandardStepAccuracy(region_));
    case Choice::BuiltIn: return tr("基準轉換：內建共同點模型，%1").arg(FitAccuracy(*transform));
    case Choice::ControlPoints:
      return tr("基準轉換：由控制點 %1 擬合，%2").arg(FileName(residuals_->Source()), FitAccuracy(*transform));
    case Choice::ModelFile: return tr("基準轉換：模型檔 %1，%2").arg(FileName(modelPath_), FitAccuracy(*transform));
  }
  return {};
}

ResidualArrows DatumStepBox::Arrows() const {
  if (chosen_ != Choice::ControlPoints || !residuals_->HasFit()) return {};
  return ArrowsOf(residuals_->Points(), residuals_->Report(), residuals_->Meridian());
}

void DatumStepBox::ShowChoice() {
  const bool fitted = RegionTm2Meridian(region_).has_value();
  auto* items = qobject_cast<QStandardItemModel*>(choices_->model());
  for (Choice choice : {Choice::BuiltIn, Choice::ControlPoints, Choice::ModelFile}) {
    items->item(static_cast<int>(choice))->setEnabled(fitted);
  }
  choices_->setItemData(static_cast<int>(Choice::Standard), StandardStepAccuracy(region_), Qt::ToolTipRole);
  choices_->setItemData(static_cast<int>(Choice::BuiltIn), BuiltinStepAccuracy(region_), Qt::ToolTipRole);
  choices_->setCurrentIndex(static_cast<int>(chosen_));
  choices_->setEnabled(Applies());
  residualsButton_->setVisible(chosen_ == Choice::ControlPoints);
  residualsButton_->setEnabled(Applies());

  QString text;
  if (!Applies()) {
    text = tr("只用於轉換方式 09–12、15、16");
  } else {
    switch (chosen_) {
      case Choice::Standard: text = StandardStepAccuracy(region_); break;
      case Choice::BuiltIn: text = BuiltinStepAccuracy(region_); break;
      // The file is named in the residual window, whose button takes a line here.
      case Choice::ControlPoints: text = FitAccuracy(*residuals_->Transform()); break;
      case Choice::ModelFile: text = tr("%1：%2").arg(FileName(modelPath_), FitAccuracy(*fileModel_)); break;
    }
    if (!Problem().isEmpty()) text += u'\n' + Problem();
  }
  accuracy_->setText(text);
  accuracy_->setToolTip(text);
}

void DatumStepBox::Remember(QSettings& settings) const {
  settings.setValue(kChoiceKey, QString::fromLatin1(kChoiceNames[static_cast<int>(chosen_)]));
  settings.setValue(kModelKey, modelPath_);
  settings.setValue(kPointsKey, chosen_ == Choice::ControlPoints ? residuals_->Source() : QString());
  settings.setValue(kFitKey, QString::fromLatin1(PlaneModelName(residuals_->Model())));
}

void DatumStepBox::Recall(const QSettings& settings) {
  const QString name = settings.value(kChoiceKey).toString();
  const QString model = settings.value(kModelKey).toString();
  const QString points = settings.value(kPointsKey).toString();
  chosen_ = Choice::Standard;
  if (name == QLatin1String(kChoiceNames[1])) {
    chosen_ = Choice::BuiltIn;
  } else if (name == QLatin1String(kChoiceNames[2]) && !points.isEmpty()) {
    const auto fit = PlaneModelNamed(settings.value(kFitKey).toString().toStdString());
    if (LoadControlPoints(points, fit.value_or(PlaneModel::Affine))) {
      chosen_ = Choice::ControlPoints;
      modelPath_ = model;
    }
  } else if (name == QLatin1String(kChoiceNames[3]) && !model.isEmpty()) {
    if (LoadModelFile(model)) chosen_ = Choice::ModelFile;
  }
  ShowChoice();
  emit Changed();
}

}  // namespace morvane
