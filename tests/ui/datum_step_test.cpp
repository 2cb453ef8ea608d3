// The datum step in the window: its choice beside the mode and the region and the accuracy it
// states, control points loaded from a file with their residual table and their arrows on the
// preview, refusals of bad point and model files, a fitted model saved and used again, the
// choice kept across a restart, and the boxes at the end of a run naming the step.
#include <QFile>
#include <QSettings>
#include <QStandardItemModel>
#include <QtTest>
#include <cmath>
#include <memory>

#include "datum_step_box.hpp"
#include "datum_texts.hpp"
#include "engine/builtin_transforms.hpp"
#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "engine/plane_model_file.hpp"
#include "main_window.hpp"
#include "recording_dialogs.hpp"
#include "shapefile/folder_listing.hpp"
#include "support/messages.hpp"
#include "support/shapefile_writer.hpp"
#include "translation.hpp"
#include "window_fixture.hpp"

namespace morvane {
namespace {

using test::BoxKind;

// The shipped common points: both regions, told apart by their tm2_meridian column.
const QString kShippedPoints = QStringLiteral(MORVANE_COMMON_POINTS_CSV);

// Three points of Taiwan's: enough for the affine model, one short of the local one.
const char kThreePoints[] =
    "id,twd67_e,twd67_n,twd97_e,twd97_n\n"
    "N068,327374.871,2782058.461,328205.675,2781854.076\n"
    "S584,160419.263,2547262.949,161247.352,2547055.814\n"
    "E015,309649.284,2435022.868,310478.042,2434815.104\n";

void WriteText(const QString& path, const QByteArray& text) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QCOMPARE(file.write(text), text.size());
}

QByteArray ReadText(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class DatumStepTest : public test::WindowFixture {
  Q_OBJECT

 private slots:
  void choiceIsOfferedForTheDatumModesOnly();
  void accuracyIsStatedWhereTheStepIsChosen_data();
  void accuracyIsStatedWhereTheStepIsChosen();
  void controlPointsShowTheirResidualsAndArrows();
  void anotherModelIsFittedOrRefused();
  void badPointFilesAreRefusedInTheWindowsLanguage_data();
  void badPointFilesAreRefusedInTheWindowsLanguage();
  void savedModelIsUsedAgain();
  void choiceSurvivesARestart();
  void runBoxesNameTheDatumStep();
  void stepOfAnotherRegionIsNotRun();

 private:
  DatumStepBox* Box() const { return Control<DatumStepBox>("DatumStepBox"); }
  QComboBox* Choices() const { return Control<QComboBox>("DatumStepChoice"); }
  QString Accuracy() const { return Control<QLabel>("DatumStepAccuracy")->text(); }
  ResidualWindow* Residuals() const { return Box()->Residuals(); }
  // Chooses control points (or a model file) and answers the file dialog with `path`.
  void ChooseFile(DatumStepBox::Choice choice, const QString& path) {
    dialogs_->FileAnswers.push_back(path);
    Box()->Choose(static_cast<int>(choice));
  }
  QString InDir(const char* name) const { return dir_->filePath(QString::fromLatin1(name)); }
};

void DatumStepTest::choiceIsOfferedForTheDatumModesOnly() {
  // Modes 9 to 12, 15 and 16 shift between TWD67 and TWD97 or WGS84.
  const std::vector<TransformMode> datumModes = {
      IndexOf(Mode::Twd67GeographicToTwd97Geographic), IndexOf(Mode::Twd97GeographicToTwd67Geographic),
      IndexOf(Mode::Twd67Tm2ToTwd97Tm2),               IndexOf(Mode::Twd97Tm2ToTwd67Tm2),
      IndexOf(Mode::Twd67GeographicToWgs84Geographic), IndexOf(Mode::Wgs84GeographicToTwd67Geographic)};
  for (TransformMode mode = 0; mode < kModeCount; ++mode) {
    ChooseMode(static_cast<Mode>(mode));
    const bool takes = std::find(datumModes.begin(), datumModes.end(), mode) != datumModes.end();
    QVERIFY2(Choices()->isEnabled() == takes, qPrintable(QString::number(mode + 1)));
    QCOMPARE(Accuracy().contains(QStringLiteral("只用於")), !takes);
  }
  // The standard step is the default, and the only one on the mainland, which has no fitted model.
  ChooseMode(Mode::Twd67Tm2ToTwd97Tm2);
  QCOMPARE(Choices()->currentIndex(), 0);
  QVERIFY(form_->ChosenConversion().Datum.Kind == DatumStepKind::Standard);
  ChooseRegion(kMainlandRegion);
  auto* items = qobject_cast<QStandardItemModel*>(Choices()->model());
  QVERIFY(items->item(0)->isEnabled());
  for (int i = 1; i < 4; ++i) QVERIFY(!items->item(i)->isEnabled());

  // A step chosen for a datum mode is not applied to another mode.
  ChooseRegion(kTaiwanRegion);
  Box()->Choose(static_cast<int>(DatumStepBox::Choice::BuiltIn));
  QVERIFY(form_->ChosenConversion().Datum.Kind == DatumStepKind::CommonPoints);
  ChooseMode(Mode::Twd67Tm2ToTwd67Geographic);
  QVERIFY(form_->ChosenConversion().Datum.Kind == DatumStepKind::Standard);
  QVERIFY(form_->ChosenConversion().Datum.Transform == nullptr);
  QVERIFY(dialogs_->Boxes.empty());
}

void DatumStepTest::accuracyIsStatedWhereTheStepIsChosen_data() {
  QTest::addColumn<int>("region");
  QTest::addColumn<int>("choice");
  QTest::addColumn<QString>("stated");
  QTest::addColumn<QString>("alsoStated");
  const auto looRms = [](int meridian) { return MetresText(BuiltinTransform(meridian)->Summary().LooRms); };
  QTest::newRow("standard, Taiwan") << kTaiwanRegion << 0 << "2.86 m" << "公開共同點";
  QTest::newRow("standard, Penghu") << kIslandsRegion << 0 << "4.75 m" << "澎湖";
  QTest::newRow("standard, mainland") << kMainlandRegion << 0 << "沒有共同點" << "";
  QTest::newRow("built-in, Taiwan") << kTaiwanRegion << 1 << looRms(121) << "留一法";
  // Kinmen and Matsu share region 2 but have no model of their own.
  QTest::newRow("built-in, Penghu") << kIslandsRegion << 1 << looRms(119) << "金門、馬祖";
}

void DatumStepTest::accuracyIsStatedWhereTheStepIsChosen() {
  QFETCH(int, region);
  QFETCH(int, choice);
  QFETCH(QString, stated);
  QFETCH(QString, alsoStated);
  ChooseMode(Mode::Twd67Tm2ToTwd97Tm2);
  ChooseRegion(static_cast<Region>(region));
  Box()->Choose(choice);
  QCOMPARE(Choices()->currentIndex(), choice);
  QVERIFY2(Accuracy().contains(stated), qPrintable(Accuracy()));
  QVERIFY2(Accuracy().contains(alsoStated), qPrintable(Accuracy()));
  // Whole, in the room the column leaves it.
  QApplication::processEvents();
  const auto* label = Control<QLabel>("DatumStepAccuracy");
  const QRect room = label->contentsRect();
  QVERIFY(QFontMetrics(label->font()).boundingRect(room, Qt::TextWordWrap, Accuracy()).height() <= room.height());
  // The list's item says the same before it is chosen.
  QVERIFY(Choices()->itemData(choice, Qt::ToolTipRole).toString().contains(stated));

  const DatumStep step = form_->ChosenConversion().Datum;
  if (choice == 0) {
    QVERIFY(step.Kind == DatumStepKind::Standard && step.Transform == nullptr);
  } else {
    QVERIFY(step.Kind == DatumStepKind::CommonPoints);
    QCOMPARE(step.Transform, BuiltinTransform(region == kTaiwanRegion ? 121 : 119));
  }
}

void DatumStepTest::controlPointsShowTheirResidualsAndArrows() {
  ChooseMode(Mode::Twd67Tm2ToTwd97Tm2);
  ChooseFile(DatumStepBox::Choice::ControlPoints, kShippedPoints);
  QVERIFY(dialogs_->Boxes.empty());
  QCOMPARE(dialogs_->FileQuestions.size(), std::size_t{1});
  QCOMPARE(Choices()->currentIndex(), 2);
  QVERIFY(Residuals()->isVisible());

  // The table shows the engine's own fit of Taiwan's rows, the affine model first.
  CommonPointsResult read = ReadCommonPoints(ReadText(kShippedPoints).toStdString(), 121);
  QVERIFY(read.Ok());
  const FitResult fit = Fit(read.Points, PlaneModel::Affine, 121);
  QVERIFY(fit.Ok());
  auto* table = Residuals()->findChild<ResidualTable*>(QStringLiteral("ResidualTable"));
  QCOMPARE(table->rowCount(), static_cast<int>(fit.Report.Points.size()));
  for (int row = 0; row < table->rowCount(); ++row) {
    const PointResidual& point = fit.Report.Points[static_cast<std::size_t>(row)];
    QCOMPARE(table->item(row, ResidualTable::Id)->text(), QString::fromStdString(point.Id));
    const std::pair<int, double> shown[] = {{ResidualTable::DE, point.DE},       {ResidualTable::DN, point.DN},
                                            {ResidualTable::D, point.D},         {ResidualTable::LooDE, point.LooDE},
                                            {ResidualTable::LooDN, point.LooDN}, {ResidualTable::LooD, point.LooD}};
    for (const auto& [column, metres] : shown) {
      QVERIFY(std::fabs(table->item(row, column)->text().toDouble() - metres) <= 0.0005);
    }
    QCOMPARE(table->IsFlagged(row), point.Flagged);
  }
  const QString summary = Residuals()->findChild<QLabel*>(QStringLiteral("ResidualSummary"))->text();
  for (double figure : {fit.Report.Summary.Rms, fit.Report.Summary.Max, fit.Report.Summary.LooRms,
                        fit.Report.Summary.LooMax}) {
    QVERIFY2(summary.contains(MetresText(figure, 3)), qPrintable(summary));
  }
  QVERIFY(Accuracy().contains(MetresText(fit.Report.Summary.LooRms)));
  QCOMPARE(form_->ChosenConversion().Datum.Transform->Summary().LooRms, fit.Report.Summary.LooRms);

  // The preview opens with an arrow per point along its leave-one-out residual, the longest
  // kLongestArrowPixels long, north up.
  auto* preview = Control<PreviewPane>("PreviewPane");
  QVERIFY(preview->isVisible());
  MapView* map = preview->Map();
  map->repaint();
  const std::vector<PaintedArrow>& arrows = map->PaintedArrows();
  QCOMPARE(arrows.size(), fit.Report.Points.size());
  double longest = 0;
  for (const PointResidual& point : fit.Report.Points) longest = std::max(longest, point.LooD);
  const double scale = kLongestArrowPixels / longest;
  for (std::size_t i = 0; i < arrows.size(); ++i) {
    const PointResidual& point = fit.Report.Points[i];
    QVERIFY(std::fabs(arrows[i].Line.dx() - point.LooDE * scale) < 1e-6);
    QVERIFY(std::fabs(arrows[i].Line.dy() + point.LooDN * scale) < 1e-6);
    QCOMPARE(arrows[i].Flagged, point.Flagged);
    QVERIFY(map->rect().contains(arrows[i].Line.p1().toPoint()));
  }
  // The caption's scale arrow: a round length at the same scale, no longer than the longest.
  const QString caption = preview->findChild<QLabel*>(QStringLiteral("PreviewArrowScaleText"))->text();
  const double metres = caption.section(u' ', 1, 1).toDouble();
  QVERIFY2(metres > 0 && metres <= longest && metres > longest / 10, qPrintable(caption));
  const QPixmap scaleArrow = preview->findChild<QLabel*>(QStringLiteral("PreviewArrowScale"))->pixmap();
  QVERIFY(std::abs(scaleArrow.width() - (std::ceil(metres * scale) + 2)) <= 0.5);

  // Back to the standard step: no arrows, no caption.
  Box()->Choose(0);
  map->repaint();
  QVERIFY(map->PaintedArrows().empty());
  QVERIFY(!preview->findChild<QLabel*>(QStringLiteral("PreviewArrowScaleText"))->isVisible());
}

void DatumStepTest::anotherModelIsFittedOrRefused() {
  ChooseMode(Mode::Twd97Tm2ToTwd67Tm2);
  WriteText(InDir("three.csv"), kThreePoints);
  ChooseFile(DatumStepBox::Choice::ControlPoints, InDir("three.csv"));
  QVERIFY(dialogs_->Boxes.empty());
  auto* models = Residuals()->findChild<QComboBox*>(QStringLiteral("ResidualModel"));
  QCOMPARE(models->currentText(), PlaneModelText(PlaneModel::Affine));
  // Three points fit the affine model exactly; without one, the other two cannot: no arrows.
  auto* table = Residuals()->findChild<ResidualTable*>(QStringLiteral("ResidualTable"));
  QCOMPARE(table->rowCount(), 3);
  QCOMPARE(table->item(0, ResidualTable::LooD)->text(), QStringLiteral("—"));
  QVERIFY(Box()->Arrows().Empty());

  // The local model needs four: refused with its reason, the affine fit stays.
  Residuals()->ChooseModel(2);
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Kind, BoxKind::Error);
  QVERIFY2(dialogs_->Boxes[0].Text.contains(QStringLiteral("至少需要 4 點，只有 3 點")), qPrintable(dialogs_->Boxes[0].Text));
  QCOMPARE(models->currentText(), PlaneModelText(PlaneModel::Affine));
  QVERIFY(form_->ChosenConversion().Datum.Transform->Model() == PlaneModel::Affine);

  // The similarity model fits and leaves residuals: the table, the step and the arrows follow.
  Residuals()->ChooseModel(0);
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(models->currentText(), PlaneModelText(PlaneModel::Similarity));
  QVERIFY(form_->ChosenConversion().Datum.Transform->Model() == PlaneModel::Similarity);
  QVERIFY(table->item(0, ResidualTable::LooD)->text().toDouble() > 0);
  QCOMPARE(Box()->Arrows().Arrows.size(), std::size_t{3});
  QVERIFY(Accuracy().contains(PlaneModelText(PlaneModel::Similarity)));
}

void DatumStepTest::badPointFilesAreRefusedInTheWindowsLanguage_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<QString>("chinese");
  QTest::addColumn<QString>("english");
  const QByteArray header = "id,twd67_e,twd67_n,twd97_e,twd97_n\n";
  const QByteArray good = "N068,327374.871,2782058.461,328205.675,2781854.076\n";
  QTest::newRow("not a number") << header + good + "N379,247613.898,27430x2.979,248443.258,2742798.663\n"
                                << "第 3 行（N379）：TWD67 N 不是數字：「27430x2.979」"
                                << "line 3 (N379): TWD67 N is not a number: \"27430x2.979\"";
  QTest::newRow("columns swapped") << header + "N068,328205.675,2781854.076,327374.871,2782058.461\n"
                                   << "第 2 行（N068）：TWD97 減 TWD67 為 -830.804, 204.385 m，方向相反"
                                   << "line 2 (N068): TWD97 minus TWD67 is -830.804, 204.385 m, the wrong way round";
  QTest::newRow("degrees") << header + "A,121.5,25.0,121.51,24.99\n"
                           << "第 2 行（A）：TWD67 坐標 121.5, 25 看來是度數"
                           << "line 2 (A): TWD67 coordinates 121.5, 25 look like degrees";
  QTest::newRow("id used twice") << header + good + good << "第 3 行（N068）：點號重複（第 2 行已用過）"
                                 << "line 3 (N068): the id is used again (first on line 2)";
  QTest::newRow("four columns") << QByteArray("N068 327374.871 2782058.461 328205.675\n")
                                << "第 1 行：應有 5 欄" << "line 1: expected 5 columns";
  QTest::newRow("one point") << header + good << "相似模型至少需要 2 點，只有 1 點"
                             << "the similarity model needs at least 2 points, 1 given";
}

void DatumStepTest::badPointFilesAreRefusedInTheWindowsLanguage() {
  QFETCH(QByteArray, text);
  QFETCH(QString, chinese);
  QFETCH(QString, english);
  WriteText(InDir("bad.csv"), text);
  for (const QString& language : {QStringLiteral("zh_TW"), QStringLiteral("en")}) {
    InstallTranslation(language);
    form_ = NewWindow();
    dialogs_->Boxes.clear();
    ChooseMode(Mode::Twd67Tm2ToTwd97Tm2);
    Box()->Choose(static_cast<int>(DatumStepBox::Choice::BuiltIn));
    ChooseFile(DatumStepBox::Choice::ControlPoints, InDir("bad.csv"));
    QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
    QCOMPARE(dialogs_->Boxes[0].Kind, BoxKind::Error);
    const QString expected = language == QStringLiteral("en") ? english : chinese;
    QVERIFY2(dialogs_->Boxes[0].Text.contains(expected), qPrintable(dialogs_->Boxes[0].Text));
    QVERIFY(dialogs_->Boxes[0].Text.contains(QStringLiteral("bad.csv")));
    // The choice before stays.
    QCOMPARE(Choices()->currentIndex(), static_cast<int>(DatumStepBox::Choice::BuiltIn));
    QVERIFY(form_->ChosenConversion().Datum.Kind == DatumStepKind::CommonPoints);
  }
  // A cancelled dialog changes nothing and says nothing.
  dialogs_->Boxes.clear();
  ChooseFile(DatumStepBox::Choice::ControlPoints, QString());
  QVERIFY(dialogs_->Boxes.empty());
  QCOMPARE(Choices()->currentIndex(), static_cast<int>(DatumStepBox::Choice::BuiltIn));
}

void DatumStepTest::savedModelIsUsedAgain() {
  ChooseMode(Mode::Twd67Tm2ToTwd97Tm2);
  ChooseFile(DatumStepBox::Choice::ControlPoints, kShippedPoints);
  Residuals()->ChooseModel(2);  // local
  const auto fitted = form_->ChosenConversion().Datum.Transform;
  QVERIFY(fitted->Model() == PlaneModel::Local);
  dialogs_->FileAnswers.push_back(InDir("taiwan.model"));
  Residuals()->SaveModel();
  QVERIFY(dialogs_->Boxes.empty());
  // What was saved is the model file of the fit, and the step now names it.
  QCOMPARE(ReadText(InDir("taiwan.model")).toStdString(), WriteModel(*fitted));
  QCOMPARE(form_->ChosenConversion().Datum.ModelPath, InDir("taiwan.model").toStdString());
  // A folder cannot be written: refused, nothing changes.
  dialogs_->FileAnswers.push_back(dir_->path());
  Residuals()->SaveModel();
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QVERIFY(dialogs_->Boxes[0].Text.contains(dir_->path()));
  QCOMPARE(form_->ChosenConversion().Datum.ModelPath, InDir("taiwan.model").toStdString());

  // Another window reads the file back: the same transform, bit for bit.
  dialogs_->Boxes.clear();
  form_ = NewWindow();
  ChooseMode(Mode::Twd97Tm2ToTwd67Tm2);
  ChooseFile(DatumStepBox::Choice::ModelFile, InDir("taiwan.model"));
  QVERIFY(dialogs_->Boxes.empty());
  const DatumStep step = form_->ChosenConversion().Datum;
  QVERIFY(step.Kind == DatumStepKind::ModelFile);
  QCOMPARE(step.ModelPath, InDir("taiwan.model").toStdString());
  for (const auto& [e67, n67] : {std::pair{250000.0, 2650000.0}, std::pair{180000.0, 2500000.0}}) {
    double e = 0, n = 0, reference_e = 0, reference_n = 0;
    step.Transform->Forward(e67, n67, e, n);
    fitted->Forward(e67, n67, reference_e, reference_n);
    QCOMPARE(e, reference_e);
    QCOMPARE(n, reference_n);
  }
  QVERIFY(Accuracy().contains(QStringLiteral("taiwan.model")));
  QVERIFY(Accuracy().contains(MetresText(fitted->Summary().LooRms)));

  // A file that is not a model is refused in the window's words; the model read before stays.
  WriteText(InDir("notes.model"), "model affine\n");
  ChooseFile(DatumStepBox::Choice::ModelFile, InDir("notes.model"));
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QVERIFY2(dialogs_->Boxes[0].Text.contains(QStringLiteral("模型檔 notes.model 無法使用：第 1 行：不是平面模型檔")),
           qPrintable(dialogs_->Boxes[0].Text));
  QCOMPARE(form_->ChosenConversion().Datum.ModelPath, InDir("taiwan.model").toStdString());
}

void DatumStepTest::choiceSurvivesARestart() {
  const QString file = InDir("morvane.ini");
  WriteText(InDir("taiwan.csv"), ReadText(kShippedPoints));
  // A session: a new window on the settings file, the one before closed first.
  std::unique_ptr<QSettings> settings;
  const auto restart = [&] {
    form_.reset();
    settings = std::make_unique<QSettings>(file, QSettings::IniFormat);
    form_ = NewWindow();
    form_->UseSettings(*settings);
    return form_->ChosenConversion().Datum;
  };
  restart();
  ChooseMode(Mode::Twd67Tm2ToTwd97Tm2);
  Box()->Choose(static_cast<int>(DatumStepBox::Choice::BuiltIn));
  QVERIFY(restart().Kind == DatumStepKind::CommonPoints);
  QCOMPARE(Choices()->currentIndex(), 1);

  // Control points come back with their model and the file it was saved to.
  ChooseFile(DatumStepBox::Choice::ControlPoints, InDir("taiwan.csv"));
  Residuals()->ChooseModel(0);
  dialogs_->FileAnswers.push_back(InDir("taiwan.model"));
  Residuals()->SaveModel();
  const auto fitted = form_->ChosenConversion().Datum.Transform;
  DatumStep step = restart();
  QCOMPARE(Choices()->currentIndex(), 2);
  QVERIFY(step.Transform->Model() == PlaneModel::Similarity);
  QCOMPARE(WriteModel(*step.Transform), WriteModel(*fitted));
  QCOMPARE(step.ModelPath, InDir("taiwan.model").toStdString());
  QVERIFY(!Residuals()->isVisible());  // until asked for

  ChooseFile(DatumStepBox::Choice::ModelFile, InDir("taiwan.model"));
  step = restart();
  QVERIFY(step.Kind == DatumStepKind::ModelFile);
  QCOMPARE(step.ModelPath, InDir("taiwan.model").toStdString());
  QCOMPARE(Choices()->currentIndex(), 3);
  QVERIFY(dialogs_->Boxes.empty());

  // A model file gone since: said so, and the standard step taken.
  QVERIFY(QFile::remove(InDir("taiwan.model")));
  step = restart();
  QVERIFY(step.Kind == DatumStepKind::Standard);
  QCOMPARE(Choices()->currentIndex(), 0);
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QVERIFY(dialogs_->Boxes[0].Text.contains(QStringLiteral("taiwan.model")));
  form_.reset();  // before the settings it writes to
}

void DatumStepTest::runBoxesNameTheDatumStep() {
  const std::string folder = dir_->path().toStdString();
  test::WritePointShapefile(folder + "/wells", {{250000, 2650000}, {300000, 2700000}});
  QVERIFY(Control<FolderTree>("ShellTreeView1")->SelectPath(folder));
  ChooseMode(Mode::Twd67Tm2ToTwd97Tm2);
  Box()->Choose(static_cast<int>(DatumStepBox::Choice::BuiltIn));
  QTest::mouseClick(Control<PillButton>("ShapeButton3"), Qt::LeftButton);
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Kind, BoxKind::Completion);
  const QString text = dialogs_->Boxes[0].Text;
  QVERIFY2(text.startsWith(QStringLiteral("已完成!! 請按確定\n\n基準轉換：內建共同點模型")), qPrintable(text));
  QVERIFY(text.contains(MetresText(BuiltinTransform(121)->Summary().LooRms)));

  // The outputs are the chosen conversion's.
  test::IgnoringMessages silent;
  EngineState state = EngineFor(form_->ChosenConversion(), silent);
  const std::vector<test::XY> converted = test::ReadPoints(folder + "/wells_1.shp");
  QCOMPARE(converted.size(), std::size_t{2});
  double e = 0, n = 0;
  ConvertPoint(state, IndexOf(Mode::Twd67Tm2ToTwd97Tm2), 250000, 2650000, e, n);
  QCOMPARE(converted[0].X, e);
  QCOMPARE(converted[0].Y, n);
  // ... which is not the standard step's.
  EngineState standard = EngineFor(Conversion{IndexOf(Mode::Twd67Tm2ToTwd97Tm2), kTaiwanRegion, {}}, silent);
  double standardE = 0, standardN = 0;
  ConvertPoint(standard, IndexOf(Mode::Twd67Tm2ToTwd97Tm2), 250000, 2650000, standardE, standardN);
  QVERIFY(std::hypot(e - standardE, n - standardN) > 0.01);

  // The standard step, and a mode without a datum step, leave the box as it always was.
  dialogs_->ReplaceAnswer = true;
  for (const auto& [mode, choice] :
       {std::pair{Mode::Twd67Tm2ToTwd97Tm2, 0}, std::pair{Mode::Twd67GeographicToTwd67Tm2, 1}}) {
    ChooseMode(mode);
    Box()->Choose(choice);
    dialogs_->Boxes.clear();
    QTest::mouseClick(Control<PillButton>("ShapeButton3"), Qt::LeftButton);
    QVERIFY(!dialogs_->Boxes.empty());
    QCOMPARE(dialogs_->Boxes.back().Text, QStringLiteral("已完成!! 請按確定"));
  }
}

void DatumStepTest::stepOfAnotherRegionIsNotRun() {
  const std::string folder = dir_->path().toStdString();
  test::WritePointShapefile(folder + "/wells", {{250000, 2650000}});
  QVERIFY(Control<FolderTree>("ShellTreeView1")->SelectPath(folder));
  ChooseMode(Mode::Twd67Tm2ToTwd97Tm2);
  ChooseFile(DatumStepBox::Choice::ControlPoints, kShippedPoints);
  // Taiwan's points on the 121 meridian's grid, then Penghu's region (119) chosen.
  ChooseRegion(kIslandsRegion);
  QVERIFY(!Box()->Problem().isEmpty());
  QVERIFY(Accuracy().contains(Box()->Problem()));
  QTest::mouseClick(Control<PillButton>("ShapeButton3"), Qt::LeftButton);
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Kind, BoxKind::Error);
  QVERIFY(dialogs_->Boxes[0].Text.contains(QStringLiteral("121")));
  QVERIFY(!test::FileExists(folder + "/wells_1.shp"));
  // The built-in model suits every region that has one.
  Box()->Choose(static_cast<int>(DatumStepBox::Choice::BuiltIn));
  QVERIFY(Box()->Problem().isEmpty());
  QCOMPARE(form_->ChosenConversion().Datum.Transform, BuiltinTransform(119));
}

}  // namespace morvane

MORVANE_WINDOW_TEST_MAIN(morvane::DatumStepTest)

#include "datum_step_test.moc"
