// A run of large files from the window: it goes on a worker while the window's loop keeps
// turning, a second press of run starts nothing, cancel abandons the file in progress with
// every file's outputs complete or absent and earlier outputs as they were, the file bar
// follows the file, and closing during a run asks first.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

#include "engine/mode_table.hpp"
#include "main_window.hpp"
#include "paint_recorder.hpp"
#include "recording_dialogs.hpp"
#include "support/shapefile_writer.hpp"
#include "support/squares_shapefile.hpp"
#include "window_fixture.hpp"

namespace morvane {
namespace {

// Points enough that converting one file takes a good part of a second.
constexpr int kLargeFilePoints = 400000;

std::vector<test::XY> ManyPoints() {
  std::vector<test::XY> points;
  points.reserve(kLargeFilePoints);
  for (int i = 0; i < kLargeFilePoints; ++i) points.push_back({200000.0 + i % 1000 * 100.0, 2500000.0 + i / 1000 * 100.0});
  return points;
}

// The size of the file that cancelDuringALargeFileAbandonsItPromptly converts: 64 MB, or the
// megabytes that MORVANE_CANCEL_FILE_MB says (the test labelled large takes a gigabyte).
std::uint64_t CancelFileBytes() {
  const char* megabytes = std::getenv("MORVANE_CANCEL_FILE_MB");
  const std::uint64_t size = megabytes != nullptr ? std::strtoull(megabytes, nullptr, 10) : 64;
  return std::max<std::uint64_t>(size, 1) << 20;
}

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class BackgroundRunTest : public test::WindowFixture {
  Q_OBJECT

 private slots:
  void init();
  void loopTurnsDuringARunAndASecondPressDoesNothing();
  void cancelStopsTheFileInProgress();
  void cancelDuringALargeFileAbandonsItPromptly();
  void closingDuringARunAsksFirst();

 private:
  void WriteLargeFiles(const std::vector<std::string>& stems);
  // Presses run with `onTick` called every 10 ms while the run goes on; returns the longest
  // gap between two ticks, in milliseconds, and counts the ticks.
  qint64 RunWithTicks(const std::function<void(int)>& onTick, int& ticks);
  // Each input has all its outputs or none, and the folder holds nothing else.
  void CheckOutputsCompleteOrAbsent(const std::vector<std::string>& stems, int& converted);
};

void BackgroundRunTest::init() {
  WindowFixture::init();
  if (QTest::currentTestFailed()) return;
  // TWD67 TM2 to TWD97 TM2: the longest chain.
  ChooseMode(Mode::Twd67Tm2ToTwd97Tm2);
}

void BackgroundRunTest::WriteLargeFiles(const std::vector<std::string>& stems) {
  const std::vector<test::XY> points = ManyPoints();
  for (const std::string& stem : stems) test::WritePointShapefile(dir_->filePath(QString::fromStdString(stem)).toStdString(), points);
  QVERIFY(Control<FolderTree>("ShellTreeView1")->SelectPath(dir_->path().toStdString()));
  QCOMPARE(Control<CheckList>("CheckListBox1")->count(), static_cast<int>(stems.size()));
}

qint64 BackgroundRunTest::RunWithTicks(const std::function<void(int)>& onTick, int& ticks) {
  ticks = 0;
  qint64 longest = 0;
  QElapsedTimer clock;
  QTimer timer;
  timer.setInterval(10);
  connect(&timer, &QTimer::timeout, [&] {
    longest = std::max(longest, clock.restart());
    onTick(++ticks);
  });
  clock.start();
  timer.start();
  QTest::mouseClick(Control<PillButton>("ShapeButton3"), Qt::LeftButton);
  timer.stop();
  return longest;
}

void BackgroundRunTest::CheckOutputsCompleteOrAbsent(const std::vector<std::string>& stems, int& converted) {
  converted = 0;
  QStringList expected;
  for (const std::string& stem : stems) {
    const QString base = QString::fromStdString(stem);
    expected << base + ".shp" << base + ".shx" << base + ".dbf";
    const QStringList outputs = {base + "_1.shp", base + "_1.shx", base + "_1.dbf", base + "_1.prj"};
    int present = 0;
    for (const QString& output : outputs) present += QFileInfo::exists(dir_->filePath(output)) ? 1 : 0;
    QVERIFY2(present == 0 || present == outputs.size(), qPrintable(base));
    if (present > 0) {
      expected << outputs;
      ++converted;
    }
  }
  QStringList names = QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
  names.sort();
  expected.sort();
  QCOMPARE(names, expected);  // no temporary left
}

void BackgroundRunTest::loopTurnsDuringARunAndASecondPressDoesNothing() {
  WriteLargeFiles({"large"});
  bool disabledDuringRun = false;
  int ticks = 0;
  const qint64 longest = RunWithTicks(
      [&](int tick) {
        if (tick != 3) return;
        disabledDuringRun = !Control<PillButton>("ShapeButton3")->isEnabled() &&
                            Control<PillButton>("ShapeButton4")->isEnabled();
        // Pressed again, and its handler called outright: neither starts a second run.
        QTest::mouseClick(Control<PillButton>("ShapeButton3"), Qt::LeftButton);
        form_->StartConversion();
      },
      ticks);
  qInfo("%d ticks during the run, the longest gap %lld ms", ticks, static_cast<long long>(longest));
  QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
  QVERIFY2(longest < 500, qPrintable(QString::number(longest)));
  QVERIFY(disabledDuringRun);
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Kind, test::BoxKind::Completion);
  QCOMPARE(dialogs_->Boxes[0].Text, QStringLiteral("已完成!! 請按確定"));
  QVERIFY(Control<PillButton>("ShapeButton3")->isEnabled());
  QVERIFY(!Control<PillButton>("ShapeButton4")->isEnabled());
  QCOMPARE(Control<TiledProgressBar>("ProgressFill1")->Percent(), 100);
  int converted = 0;
  CheckOutputsCompleteOrAbsent({"large"}, converted);
  QCOMPARE(converted, 1);
  QCOMPARE(test::ReadPoints(dir_->filePath("large_1.shp").toStdString()).size(), std::size_t{kLargeFilePoints});
}

void BackgroundRunTest::cancelStopsTheFileInProgress() {
  const std::vector<std::string> stems = {"a", "b", "c", "d"};
  WriteLargeFiles(stems);
  int ticks = 0;
  RunWithTicks([&](int tick) {
    if (tick == 2) QTest::mouseClick(Control<PillButton>("ShapeButton4"), Qt::LeftButton);
  }, ticks);
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Kind, test::BoxKind::Summary);
  QVERIFY2(dialogs_->Boxes[0].Text.startsWith(QStringLiteral("轉換已取消。")), qPrintable(dialogs_->Boxes[0].Text));
  int converted = 0;
  CheckOutputsCompleteOrAbsent(stems, converted);
  QVERIFY(converted < static_cast<int>(stems.size()));
  QVERIFY(dialogs_->Boxes[0].Text.contains(QStringLiteral("已轉換 %1 個檔案，共 4 個。").arg(converted)));
  QVERIFY(Control<PillButton>("ShapeButton3")->isEnabled());
}

void BackgroundRunTest::cancelDuringALargeFileAbandonsItPromptly() {
  // Small squares over Taiwan in TWD67 TM2, as many as make the file's size.
  test::SquaresFile squares;
  squares.Squares = (CancelFileBytes() - 100) / 136;
  squares.West = 160000;
  squares.South = 2430000;
  squares.East = 360000;
  squares.North = 2800000;
  squares.Side = 50;
  QElapsedTimer written;
  written.start();
  const std::string stem = dir_->filePath(QStringLiteral("big")).toStdString();
  test::WriteSquaresShapefile(stem, squares);
  const qint64 size = QFileInfo(dir_->filePath(QStringLiteral("big.shp"))).size();
  qInfo("%.0f MB written in %lld ms", static_cast<double>(size) / (1 << 20), static_cast<long long>(written.elapsed()));
  // Outputs of an earlier conversion, to be replaced: the answer is yes.
  const QStringList outputs = {"big_1.shp", "big_1.shx", "big_1.dbf", "big_1.prj"};
  for (const QString& output : outputs) {
    QFile file(dir_->filePath(output));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("earlier " + output.toUtf8());
  }
  QVERIFY(Control<FolderTree>("ShellTreeView1")->SelectPath(dir_->path().toStdString()));
  dialogs_->ReplaceAnswer = true;
  QStringList before = QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden | QDir::System);

  // Cancel is pressed once the file bar has moved past its first percent.
  auto* fileBar = Control<TiledProgressBar>("ProgressFill2");
  test::PaintRecorder painted(*fileBar);
  QElapsedTimer sincePress;
  int ticks = 0;
  RunWithTicks([&](int) {
    if (sincePress.isValid() || fileBar->Percent() < 2 || fileBar->Percent() == 100) return;
    QTest::mouseClick(Control<PillButton>("ShapeButton4"), Qt::LeftButton);
    sincePress.start();
  }, ticks);
  QVERIFY2(sincePress.isValid(), "the file bar never moved");
  const qint64 returned = sincePress.elapsed();
  qInfo("cancelled at %d%% of the file; the run returned %lld ms after the press", fileBar->Percent(),
        static_cast<long long>(returned));
  QVERIFY2(returned < 10000, qPrintable(QString::number(returned)));
  // The bar moved within the file, as painted.
  QVERIFY(std::any_of(painted.Painted.begin(), painted.Painted.end(), [](int percent) { return percent > 0 && percent < 100; }));

  // No temporary; the earlier outputs byte for byte; the box says what happened.
  QStringList after = QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
  before.sort();
  after.sort();
  QCOMPARE(after, before);
  for (const QString& output : outputs) QCOMPARE(FileBytes(dir_->filePath(output)), "earlier " + output.toUtf8());
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{2});
  QCOMPARE(dialogs_->Boxes[0].Kind, test::BoxKind::Question);
  const QString text = dialogs_->Boxes[1].Text;
  QVERIFY2(text.startsWith(QStringLiteral("轉換已取消。")), qPrintable(text));
  QVERIFY2(text.contains(QStringLiteral("中途停止，沒有寫出任何檔案：") + dir_->filePath(QStringLiteral("big.shp"))), qPrintable(text));
  QVERIFY2(text.contains(QStringLiteral("已轉換 0 個檔案，共 1 個。")), qPrintable(text));
  QVERIFY(!text.contains(QStringLiteral("已完成")));
  QVERIFY(Control<PillButton>("ShapeButton3")->isEnabled());
}

void BackgroundRunTest::closingDuringARunAsksFirst() {
  const std::vector<std::string> stems = {"a", "b", "c"};
  WriteLargeFiles(stems);
  // Answered no: the run goes on to its end and the window stays.
  dialogs_->ReplaceAnswer = false;
  int ticks = 0;
  RunWithTicks([&](int tick) { if (tick == 2) form_->close(); }, ticks);
  QVERIFY(form_->isVisible());
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{2});
  QCOMPARE(dialogs_->Boxes[0].Kind, test::BoxKind::Question);
  QCOMPARE(dialogs_->Boxes[1].Text, QStringLiteral("已完成!! 請按確定"));

  // Answered yes: the run stops and the window closes.
  for (const std::string& stem : stems) {
    for (const char* extension : {"_1.shp", "_1.shx", "_1.dbf", "_1.prj"}) {
      QVERIFY(QFile::remove(dir_->filePath(QString::fromStdString(stem + extension))));
    }
  }
  QVERIFY(Control<FolderTree>("ShellTreeView1")->SelectPath(dir_->path().toStdString()));
  dialogs_->Boxes.clear();
  dialogs_->ReplaceAnswer = true;
  RunWithTicks([&](int tick) { if (tick == 2) form_->close(); }, ticks);
  QVERIFY(!form_->isVisible());
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Kind, test::BoxKind::Question);
  int converted = 0;
  CheckOutputsCompleteOrAbsent(stems, converted);
  QVERIFY(converted < static_cast<int>(stems.size()));
}

}  // namespace morvane

MORVANE_WINDOW_TEST_MAIN(morvane::BackgroundRunTest)

#include "background_run_test.moc"
