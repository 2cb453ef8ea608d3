// The window stays inside the screen's available area when a click on a file opens the
// preview beside the steps, on screens of two widths (screens.json: 1600 and 1024 pixels) and
// from wherever the window stood.
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "main_window.hpp"
#include "recording_dialogs.hpp"
#include "shapefile/folder_listing.hpp"
#include "support/shapefile_writer.hpp"
#include "window_fixture.hpp"

namespace morvane {

class ScreenFitTest : public QObject {
  Q_OBJECT

 private slots:
  void previewOpensWithinTheScreen_data();
  void previewOpensWithinTheScreen();
};

void ScreenFitTest::previewOpensWithinTheScreen_data() {
  QTest::addColumn<int>("screenWidth");
  QTest::addColumn<QString>("start");  // where the window stands before the click
  for (const int screenWidth : {1600, 1024}) {
    for (const char* start : {"centred", "right edge", "left edge"}) {
      QTest::addRow("%d-px screen, %s", screenWidth, start) << screenWidth << QString::fromLatin1(start);
    }
  }
}

void ScreenFitTest::previewOpensWithinTheScreen() {
  QFETCH(int, screenWidth);
  QFETCH(QString, start);
  QScreen* display = nullptr;
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen->geometry().width() == screenWidth) display = screen;
  }
  QVERIFY2(display != nullptr, "run with the offscreen platform's screens.json");
  const QRect available = display->availableGeometry();

  QTemporaryDir folder;
  QVERIFY(folder.isValid());
  test::WritePointShapefile(JoinPath(folder.path().toStdString(), "roads"), {{250000, 2650000}});
  test::RecordingDialogs dialogs;
  MainWindow form(dialogs);
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  QRect frame = form.frameGeometry();
  if (start == QStringLiteral("right edge")) {
    frame.moveTopRight(available.topRight());
  } else if (start == QStringLiteral("left edge")) {
    frame.moveTopLeft(available.topLeft());
  } else {
    frame.moveCenter(available.center());
  }
  form.move(frame.topLeft());
  QTRY_COMPARE(form.screen(), display);
  const int widthBefore = form.frameGeometry().width();

  auto* tree = form.findChild<FolderTree*>(QStringLiteral("ShellTreeView1"));
  auto* list = form.findChild<CheckList*>(QStringLiteral("CheckListBox1"));
  QVERIFY(tree->SelectPath(folder.path().toStdString()));
  QCOMPARE(list->count(), 1);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
  auto* preview = form.findChild<PreviewPane*>();
  QVERIFY(preview->isVisible());
  // Wider by the preview, within the screen's available area, whatever room there was.
  QTRY_VERIFY2(available.contains(form.frameGeometry()),
               qPrintable(QStringLiteral("%1,%2 %3x%4").arg(form.frameGeometry().x()).arg(form.frameGeometry().y())
                              .arg(form.frameGeometry().width()).arg(form.frameGeometry().height())));
  QVERIFY(form.frameGeometry().width() > widthBefore);
  QVERIFY(preview->width() >= preview->minimumSizeHint().width());
  QVERIFY(dialogs.Boxes.empty());
}

}  // namespace morvane

MORVANE_WINDOW_TEST_MAIN(morvane::ScreenFitTest)

#include "screen_fit_test.moc"
