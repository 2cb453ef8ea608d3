// The widget set and the window's derived texts: title, error text, decoding of names.
#include <QEnterEvent>
#include <QImage>
#include <QSignalSpy>
#include <QtTest>

#include "paint_recorder.hpp"
#include "texts.hpp"
#include "widgets/icons.hpp"
#include "widgets/link_label.hpp"
#include "widgets/pill_button.hpp"
#include "widgets/tiled_progress_bar.hpp"
#include "window_fixture.hpp"

namespace morvane {
namespace {

using test::PaintRecorder;

bool IsDarkBlue(QRgb pixel) { return qBlue(pixel) >= 70 && qRed(pixel) < 60 && qGreen(pixel) < 80; }

bool IsGrey(QRgb pixel) { return std::abs(qRed(pixel) - qGreen(pixel)) < 24 && std::abs(qGreen(pixel) - qBlue(pixel)) < 24; }

// Counts pixels that differ between two images of the same size.
int DifferentPixels(const QImage& a, const QImage& b) {
  int count = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
  return count;
}

}  // namespace

class WidgetsTest : public QObject {
  Q_OBJECT

 private slots:
  void applicationTitle_data();
  void applicationTitle();
  void errorBoxText_data();
  void errorBoxText();
  void displayText_data();
  void displayText();

  void progressBarClampsAndFormats_data();
  void progressBarClampsAndFormats();
  void progressBarRepaintsAtOnce();
  void progressBarFillsItsShare();
  void progressBarTextContrastsWithWhatIsBehindIt_data();
  void progressBarTextContrastsWithWhatIsBehindIt();

  void pillButtonShapeAndBackground();
  void pillButtonHoverAndDisabledLook();
  void pillButtonClicks();

  void linkLabelClicksWithLeftButtonOnly();
};

void WidgetsTest::applicationTitle_data() {
  QTest::addColumn<QString>("path");
  QTest::addColumn<QString>("title");
  QTest::newRow("installed program") << "/usr/bin/morvane" << "morvane";
  QTest::newRow("build tree") << "build/ui/morvane" << "morvane";
  QTest::newRow("cut at first full stop") << "/opt/MORVANE.bin.old" << "Morvane";
  QTest::newRow("mixed case") << "mOrVaNe.exe" << "morvane";
  QTest::newRow("windows program name") << "Morvane.exe" << "Morvane";
  QTest::newRow("digits kept") << "/x/Tool2GO" << "Tool2go";
  QTest::newRow("leading full stop") << "/x/.hidden" << "";
}

void WidgetsTest::applicationTitle() {
  QFETCH(QString, path);
  QFETCH(QString, title);
  QCOMPARE(ApplicationTitle(path), title);
}

void WidgetsTest::errorBoxText_data() {
  QTest::addColumn<QString>("message");
  QTest::addColumn<QString>("shown");
  QTest::newRow("letter") << "Cannot open file /d/a.shp" << "Cannot open file /d/a.shp.";
  QTest::newRow("digit") << "Floating point error 7" << "Floating point error 7.";
  QTest::newRow("slash sorts after the stop") << "Cannot open file /d/" << "Cannot open file /d/.";
  QTest::newRow("Chinese gets the ideographic stop") << QStringLiteral("找不到檔案") << QStringLiteral("找不到檔案。");
  QTest::newRow("Chinese stop kept alone") << QStringLiteral("找不到檔案。") << QStringLiteral("找不到檔案。");
  QTest::newRow("Chinese question kept") << QStringLiteral("要覆蓋嗎？") << QStringLiteral("要覆蓋嗎？");
  QTest::newRow("already a stop") << "Done." << "Done.";
  QTest::newRow("blank sorts before") << "trailing " << "trailing ";
  QTest::newRow("bracket sorts before") << "value (x)" << "value (x)";
  QTest::newRow("comma sorts before") << "a," << "a,";
  QTest::newRow("empty") << "" << "";
}

void WidgetsTest::errorBoxText() {
  QFETCH(QString, message);
  QFETCH(QString, shown);
  QCOMPARE(ErrorBoxText(message), shown);
}

void WidgetsTest::displayText_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QString>("shown");
  QTest::newRow("ascii") << QByteArray("roads.shp") << "roads.shp";
  QTest::newRow("utf-8") << QByteArray("\xe9\x81\x93\xe8\xb7\xaf.shp") << QStringLiteral("道路.shp");
  QTest::newRow("big5") << QByteArray("\xa5\x78\xa5\x5f.shp") << QStringLiteral("台北.shp");
  QTest::newRow("big5 message") << QByteArray("/d/\xb9\x44\xb8\xf4.dbf Not found")
                                << QStringLiteral("/d/道路.dbf Not found");
  // A Big5 lead byte before a blank is no character in either encoding.
  QTest::newRow("neither") << QByteArray("a\xa5 .shp") << QStringLiteral("a\uFFFD .shp");
}

void WidgetsTest::displayText() {
  QFETCH(QByteArray, bytes);
  QFETCH(QString, shown);
  QCOMPARE(DisplayText(bytes.toStdString()), shown);
}

void WidgetsTest::progressBarClampsAndFormats_data() {
  QTest::addColumn<int>("set");
  QTest::addColumn<int>("percent");
  QTest::addColumn<QString>("text");
  QTest::newRow("zero") << 0 << 0 << "0%";
  QTest::newRow("inside") << 42 << 42 << "42%";
  QTest::newRow("full") << 100 << 100 << "100%";
  QTest::newRow("above counts as 100") << 250 << 100 << "100%";
  QTest::newRow("below counts as 0") << -5 << 0 << "0%";
}

void WidgetsTest::progressBarClampsAndFormats() {
  QFETCH(int, set);
  QFETCH(int, percent);
  QFETCH(QString, text);
  TiledProgressBar bar;
  bar.SetPercent(7);
  bar.SetPercent(set);
  QCOMPARE(bar.Percent(), percent);
  QCOMPARE(bar.Text(), text);
}

void WidgetsTest::progressBarRepaintsAtOnce() {
  TiledProgressBar bar;
  bar.resize(300, 13);
  bar.show();
  QVERIFY(QTest::qWaitForWindowExposed(&bar));
  QCoreApplication::processEvents();
  PaintRecorder recorder(bar);
  // No event is processed between the calls: each value must be painted inside SetPercent.
  bar.SetPercent(33);
  bar.SetPercent(66);
  bar.SetPercent(66);
  bar.SetPercent(100);
  QCOMPARE(recorder.Painted, (std::vector<int>{33, 66, 100}));
}

void WidgetsTest::progressBarFillsItsShare() {
  TiledProgressBar bar;
  bar.resize(202, 13);
  bar.SetPercent(50);
  const QImage image = bar.grab().toImage();
  const int y = 6;
  QVERIFY(IsDarkBlue(image.pixel(20, y)));
  QVERIFY(IsDarkBlue(image.pixel(80, y)));
  QVERIFY(!IsDarkBlue(image.pixel(125, y)));
  QVERIFY(!IsDarkBlue(image.pixel(190, y)));
}

void WidgetsTest::progressBarTextContrastsWithWhatIsBehindIt_data() {
  QTest::addColumn<int>("percent");
  QTest::newRow("text over the fill") << 100;
  QTest::newRow("text over the empty part") << 0;
  QTest::newRow("the fill's edge through the text") << 50;
}

// The percentage is white where the navy fill is behind it and black where the empty part
// is: light text pixels only left of the fill's edge, black ones only right of it.
void WidgetsTest::progressBarTextContrastsWithWhatIsBehindIt() {
  QFETCH(int, percent);
  TiledProgressBar bar;
  bar.resize(202, 13);
  bar.SetPercent(percent);
  const QImage image = bar.grab().toImage();
  const int edge = 1 + 200 * percent / 100;
  int lightOverFill = 0;
  int blackOverFill = 0;
  int blackOverEmpty = 0;
  for (int y = 1; y < 12; ++y) {
    for (int x = 1; x < 201; ++x) {
      const QColor c = image.pixelColor(x, y);
      const bool light = c.red() > 180 && c.green() > 180 && c.blue() > 180;
      const bool black = c.red() < 70 && c.green() < 70 && c.blue() < 70;
      if (x < edge) lightOverFill += light ? 1 : 0;
      (x < edge ? blackOverFill : blackOverEmpty) += black ? 1 : 0;
    }
  }
  QCOMPARE(lightOverFill > 0, percent > 0);
  QCOMPARE(blackOverEmpty > 0, percent < 100);
  QCOMPARE(blackOverFill, 0);
}

void WidgetsTest::pillButtonShapeAndBackground() {
  QWidget parent;
  parent.setAutoFillBackground(true);
  QPalette red = parent.palette();
  red.setColor(QPalette::Window, Qt::red);
  parent.setPalette(red);
  auto* button = new PillButton(QStringLiteral("全選"), TickIcon(), &parent);
  button->setGeometry(0, 0, 81, 33);
  QPalette windowColour = button->palette();
  windowColour.setColor(QPalette::Window, QColor(212, 208, 200));
  button->setPalette(windowColour);

  button->SetTransparentBackground(true);
  QImage image = parent.grab(QRect(0, 0, 81, 33)).toImage();
  // Rounded ends: the corners show what lies behind; the middle of the top half is yellowish.
  QCOMPARE(QColor(image.pixel(1, 1)), QColor(Qt::red));
  const QColor face(image.pixel(40, 9));
  QVERIFY2(face.red() > 150 && face.green() > 150 && face.blue() < 120, qPrintable(face.name()));
  const QColor lowerFace(image.pixel(12, 26));
  QVERIFY2(lowerFace.green() > lowerFace.red(), qPrintable(lowerFace.name()));

  button->SetTransparentBackground(false);
  image = parent.grab(QRect(0, 0, 81, 33)).toImage();
  QCOMPARE(QColor(image.pixel(1, 1)), QColor(212, 208, 200));
  // The shadow lies below and right of the face.
  QVERIFY(IsGrey(image.pixel(70, 31)));
}

void WidgetsTest::pillButtonHoverAndDisabledLook() {
  PillButton button(QStringLiteral("執行 按我就對了"), PlayIcon());
  button.resize(153, 33);
  const QImage normal = button.grab().toImage();

  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QCoreApplication::sendEvent(&button, &enter);
  QVERIFY(button.Hovered());
  QVERIFY(DifferentPixels(normal, button.grab().toImage()) > 500);
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&button, &leave);
  QCOMPARE(button.grab().toImage(), normal);

  // The icon sits left of the caption; disabled, its green triangle turns grey.
  button.setEnabled(false);
  const QImage disabled = button.grab().toImage();
  int greenIconPixels = 0;
  int greyIconPixels = 0;
  for (int y = 8; y < 24; ++y) {
    for (int x = 0; x < 60; ++x) {
      const QColor n(normal.pixel(x, y));
      const QColor d(disabled.pixel(x, y));
      if (n.green() > 140 && n.red() < 60 && n.blue() < 60) {
        ++greenIconPixels;
        if (IsGrey(d.rgb())) ++greyIconPixels;
      }
    }
  }
  QVERIFY(greenIconPixels > 20);
  QVERIFY2(greyIconPixels > greenIconPixels * 3 / 4, qPrintable(QString::number(greyIconPixels)));
}

void WidgetsTest::pillButtonClicks() {
  PillButton button(QStringLiteral("全不選"), CrossIcon());
  button.resize(81, 33);
  QSignalSpy clicks(&button, &QAbstractButton::clicked);
  QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(40, 16));
  QCOMPARE(clicks.count(), 1);
  button.setEnabled(false);
  QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(40, 16));
  QCOMPARE(clicks.count(), 1);
}

void WidgetsTest::linkLabelClicksWithLeftButtonOnly() {
  LinkLabel label(QStringLiteral("credits"));
  label.resize(300, 16);
  QCOMPARE(label.cursor().shape(), Qt::PointingHandCursor);
  QVERIFY(label.font().underline());
  QSignalSpy clicks(&label, &LinkLabel::Clicked);
  QTest::mouseClick(&label, Qt::RightButton, {}, QPoint(150, 8));
  QCOMPARE(clicks.count(), 0);
  QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(150, 8));
  QCOMPARE(clicks.count(), 1);
}

}  // namespace morvane

MORVANE_WINDOW_TEST_MAIN(morvane::WidgetsTest)

#include "widgets_test.moc"
