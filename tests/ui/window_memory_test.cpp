// What the window keeps between sessions (the last folder, mode and region) and a folder
// dropped on it from a file manager.
#include <sys/stat.h>

#include <QMimeData>
#include <QtTest>
#include <memory>

#include "main_window.hpp"
#include "recording_dialogs.hpp"
#include "shapefile/folder_listing.hpp"
#include "support/shapefile_writer.hpp"
#include "window_fixture.hpp"

namespace morvane {

class WindowMemoryTest : public test::WindowFixture {
  Q_OBJECT

 public:
  WindowMemoryTest();

 private slots:
  void init();
  void lastFolderModeAndRegionComeBack();
  void droppedFolderIsSelected();

 private:
  template <typename T>
  T* Control(MainWindow& form, const char* name) const {
    return form.findChild<T*>(QString::fromLatin1(name));
  }
};

WindowMemoryTest::WindowMemoryTest() : WindowFixture(Start::WithoutWindow) {}

void WindowMemoryTest::init() {
  WindowFixture::init();
  if (QTest::currentTestFailed()) return;
  QVERIFY(::mkdir((Folder() + "/maps").c_str(), 0755) == 0);
  test::WritePointShapefile(Folder() + "/maps/roads", {{250000, 2650000}});
}

void WindowMemoryTest::lastFolderModeAndRegionComeBack() {
  const QString file = dir_->filePath(QStringLiteral("morvane.ini"));
  {
    QSettings settings(file, QSettings::IniFormat);
    auto form = NewWindow();
    form->UseSettings(settings);
    // Nothing remembered yet: the start-up choices.
    QCOMPARE(Control<RadioGroup>(*form, "RadioGroup1")->ItemIndex(), 0);
    QVERIFY(Control<FolderTree>(*form, "ShellTreeView1")->SelectedFolder().empty());
    ChooseMode(*form, Mode::Twd67Tm2ToTwd97Tm2);
    ChooseRegion(*form, kIslandsRegion);
    QVERIFY(Control<FolderTree>(*form, "ShellTreeView1")->SelectPath(Folder() + "/maps"));
  }
  QSettings settings(file, QSettings::IniFormat);
  auto form = NewWindow();
  form->UseSettings(settings);
  QCOMPARE(Control<RadioGroup>(*form, "RadioGroup1")->ItemIndex(), ItemOf(Mode::Twd67Tm2ToTwd97Tm2));
  QCOMPARE(Control<RadioGroup>(*form, "RadioGroup2")->ItemIndex(), kIslandsRegion);
  QCOMPARE(Control<FolderTree>(*form, "ShellTreeView1")->SelectedFolder(), Folder() + "/maps");
  QCOMPARE(Control<CheckList>(*form, "CheckListBox1")->count(), 1);

  // A window without settings remembers nothing and starts as designed.
  auto plain = NewWindow();
  QCOMPARE(Control<RadioGroup>(*plain, "RadioGroup1")->ItemIndex(), 0);
  QVERIFY(Control<FolderTree>(*plain, "ShellTreeView1")->SelectedFolder().empty());
  QVERIFY(dialogs_->Boxes.empty());
}

void WindowMemoryTest::droppedFolderIsSelected() {
  auto form = NewWindow();
  const auto drop = [&form](const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = form->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &dropped);
    return enter.isAccepted();
  };
  const QString maps = dir_->filePath(QStringLiteral("maps"));
  // A file or a web address is refused; the first folder among the URLs is taken.
  QVERIFY(!drop({QUrl::fromLocalFile(maps + QStringLiteral("/roads.shp"))}));
  QVERIFY(!drop({QUrl(QStringLiteral("https://example.org/maps"))}));
  QVERIFY(Control<FolderTree>(*form, "ShellTreeView1")->SelectedFolder().empty());
  QVERIFY(drop({QUrl::fromLocalFile(maps + QStringLiteral("/roads.shp")), QUrl::fromLocalFile(maps)}));
  QCOMPARE(Control<FolderTree>(*form, "ShellTreeView1")->SelectedFolder(), Folder() + "/maps");
  QCOMPARE(Control<CheckList>(*form, "CheckListBox1")->count(), 1);
}

}  // namespace morvane

MORVANE_WINDOW_TEST_MAIN(morvane::WindowMemoryTest)

#include "window_memory_test.moc"
