// The window Form1 driven like a user would: start-up state, layout, the folder tree and the
// file list, and whole runs started with the run button over real files. Every box goes to a
// recording fake, so nothing blocks.
#include <sys/stat.h>
#include <unistd.h>

#include <QDesktopServices>
#include <QStyledItemDelegate>
#include <QtTest>
#include <map>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "engine/modes.hpp"
#include "main_window.hpp"
#include "paint_recorder.hpp"
#include "recording_dialogs.hpp"
#include "shapefile/folder_listing.hpp"
#include "support/messages.hpp"
#include "support/shapefile_writer.hpp"
#include "texts.hpp"
#include "window_fixture.hpp"

namespace morvane {
namespace {

using test::BoxKind;
using test::PaintRecorder;
using Point = test::XY;

const QString kCompletionText = QStringLiteral("已完成!! 請按確定");

class ThrowingObject : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::User) throw std::runtime_error("Handler failed");
    if (event->type() == QEvent::User + 1) throw FileError(FileOperation::Open, "/maps/roads.shp", EACCES);
    return QObject::event(event);
  }
};

void MakeFolder(const std::string& path) { QVERIFY(::mkdir(path.c_str(), 0755) == 0); }

void WriteEmptyFile(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  QVERIFY(file != nullptr);
  std::fclose(file);
}

QStringList ChildTexts(const QTreeWidgetItem* item) {
  QStringList texts;
  for (int i = 0; i < item->childCount(); ++i) texts << item->child(i)->text(0);
  return texts;
}

bool LocaleSorted(const QStringList& texts) {
  return std::is_sorted(texts.begin(), texts.end(), [](const QString& a, const QString& b) {
    return QString::localeAwareCompare(a, b) < 0;
  });
}

}  // namespace

class MainWindowTest : public test::WindowFixture {
  Q_OBJECT

 private slots:
  void startUpState();
  void modeCaptionsInTwoColumns();
  void designLayoutAndDocking();
  void listingTakesShapefilesInDirectoryOrder();
  void resizedWindowKeepsEveryControlInsideAndApart();
  void listIsSortedByNameInTheLocalesOrder();
  void outputsFollowTheirInputsUnindented_data();
  void outputsFollowTheirInputsUnindented();
  void refreshShowsNewFoldersAndFollowsTheFiles();
  void textFileNamedShpIsReportedAsNotAShapefile();
  void selectAllAndNone();
  void reselectionTicksEverything();
  void treeReadsFoldersOnExpansionAndSorts();
  void rightClickSelectsAFolder();
  void runConvertsTickedFilesWithChosenModeAndRegion();
  void runWithEmptyListAppliesSettingsAndSaysSo();
  void missingCompanionIsReportedAndTheOthersConverted();
  void secondRunMarksEarlierOutputsAndAsksBeforeReplacing();
  void unopenableFileShowsErrorBoxAndWindowStaysUsable();
  void big5NamesAreListedAndConverted();
  void samplesConvertToGeographic();
  void suspiciousFilesAreMarkedWithTheirReasons();
  void suspiciousFilesAreAskedAboutOnceAtTheRun();
  void creditLineOpensMailLink();
  void escapedErrorIsShownAndLoopGoesOn();

 public slots:
  // Opens the mail link for creditLineOpensMailLink instead of a mail program.
  void OpenUrl(const QUrl& url) { openedUrls_ << url; }

 private:
  FolderTree* Tree() const { return Control<FolderTree>("ShellTreeView1"); }
  CheckList* List() const { return Control<CheckList>("CheckListBox1"); }
  void Click(const char* button) { QTest::mouseClick(Control<PillButton>(button), Qt::LeftButton); }
  std::string InFolder(const std::string& name) const { return JoinPath(Folder(), name); }
  bool SelectFolder(const std::string& path) { return Tree()->SelectPath(path); }
  // Lists the folder anew: the list follows only changes of the tree's selection.
  bool Reselect(const std::string& path) {
    Tree()->setCurrentItem(Tree()->ComputerItem());
    return SelectFolder(path);
  }

  QList<QUrl> openedUrls_;
};

void MainWindowTest::startUpState() {
  QCOMPARE(form_->objectName(), QStringLiteral("Form1"));
  QCOMPARE(form_->windowTitle(), QStringLiteral("Morvane V2.2          2006.03.15"));
  for (const char* name : {"GroupBox1", "GroupBox2", "GroupBox3", "RadioGroup1", "RadioGroup2",
                           "ShellTreeView1", "CheckListBox1", "ShapeButton1", "ShapeButton2",
                           "ShapeButton3", "LinkLabel1", "ProgressFill1", "ProgressFill2"}) {
    QVERIFY2(form_->findChild<QWidget*>(QString::fromLatin1(name)) != nullptr, name);
  }
  QCOMPARE(Control<RadioGroup>("RadioGroup1")->ItemIndex(), 0);
  QCOMPARE(Control<RadioGroup>("RadioGroup2")->ItemIndex(), 0);
  QCOMPARE(List()->count(), 0);
  for (const char* bar : {"ProgressFill1", "ProgressFill2"}) {
    QCOMPARE(Control<TiledProgressBar>(bar)->Text(), QStringLiteral("0%"));
  }
  // The computer is selected and expanded one level: the file-system root comes first.
  QTreeWidgetItem* computer = Tree()->ComputerItem();
  QCOMPARE(Tree()->currentItem(), computer);
  QVERIFY(computer->isExpanded());
  QVERIFY(ChildTexts(computer).contains(QStringLiteral("/")));
  QVERIFY(Tree()->SelectedFolder().empty());
  QVERIFY(dialogs_->Boxes.empty());

  // A chosen item cannot be cleared by clicking it again.
  auto* modes = Control<RadioGroup>("RadioGroup1");
  QTest::mouseClick(modes->Item(0), Qt::LeftButton);
  QCOMPARE(modes->ItemIndex(), 0);
}

void MainWindowTest::modeCaptionsInTwoColumns() {
  auto* modes = Control<RadioGroup>("RadioGroup1");
  QCOMPARE(modes->title(), QStringLiteral("A. 請[正確] 選擇影像坐標轉換方式 "));
  QCOMPARE(modes->Count(), 16);
  // Full-width braces and digits with an ideographic space beside an ordinary blank.
  QCOMPARE(modes->Item(0)->text(), QStringLiteral("01. ｛６７ＴＭ２｝\u3000 轉 ｛６７經緯度｝"));
  QCOMPARE(modes->Item(2)->text(), QStringLiteral("03. ｛\u3000\u3000ＴＭ３｝ \u3000轉 ｛６７經緯度｝"));
  for (int i = 0; i < 16; ++i) {
    QCOMPARE(modes->Item(i)->text(), QString::fromUtf8(kModeCaptions[i].data(),
                                                       static_cast<qsizetype>(kModeCaptions[i].size())));
  }
  const int leftX = modes->Item(0)->x();
  const int rightX = modes->Item(8)->x();
  QVERIFY(rightX > leftX + 150);
  for (int row = 0; row < 8; ++row) {
    QCOMPARE(modes->Item(row)->x(), leftX);
    QCOMPARE(modes->Item(row + 8)->x(), rightX);
    QCOMPARE(modes->Item(row + 8)->y(), modes->Item(row)->y());
    if (row > 0) QVERIFY(modes->Item(row)->y() > modes->Item(row - 1)->y());
    QVERIFY(modes->Item(row)->geometry().right() < rightX);  // captions do not overlap
  }

  auto* regions = Control<RadioGroup>("RadioGroup2");
  QCOMPARE(regions->title(), QStringLiteral("B. 請選擇轉換的地區"));
  QCOMPARE(regions->Count(), 3);
  QCOMPARE(regions->Item(0)->text(), QStringLiteral("1.台灣地區"));
  QCOMPARE(regions->Item(1)->text(), QStringLiteral("2.澎湖．金門．馬祖"));
  QCOMPARE(regions->Item(2)->text(), QStringLiteral("3.大陸地區（限用蘭勃特投影）"));
  QCOMPARE(Control<PillButton>("ShapeButton3")->text(), QStringLiteral("執行 按我就對了"));
}

void MainWindowTest::designLayoutAndDocking() {
  QCOMPARE(form_->size(), QSize(712, 635));
  QCOMPARE(Control<QGroupBox>("GroupBox3")->geometry(), QRect(0, 0, 712, 209));
  QCOMPARE(Control<RadioGroup>("RadioGroup1")->width(), 519);
  QCOMPARE(Control<QGroupBox>("GroupBox1")->geometry(), QRect(0, 209, 712, 320));
  QCOMPARE(Tree()->geometry(), QRect(16, 24, 281, 281));
  QCOMPARE(Control<PillButton>("ShapeButton1")->geometry(), QRect(376, 16, 81, 33));
  QCOMPARE(Control<PillButton>("ShapeButton2")->geometry(), QRect(568, 16, 81, 33));
  QCOMPARE(List()->geometry(), QRect(312, 48, 385, 257));
  QCOMPARE(Control<LinkLabel>("LinkLabel1")->geometry(), QRect(0, 529, 712, 16));
  QCOMPARE(Control<QGroupBox>("GroupBox2")->geometry(), QRect(0, 545, 712, 61));
  QCOMPARE(Control<PillButton>("ShapeButton3")->geometry(), QRect(264, 20, 153, 33));
  QCOMPARE(Control<TiledProgressBar>("ProgressFill2")->geometry(), QRect(0, 609, 712, 13));
  QCOMPARE(Control<TiledProgressBar>("ProgressFill1")->geometry(), QRect(0, 622, 712, 13));
  QVERIFY(Control<PillButton>("ShapeButton1")->TransparentBackground());
  QVERIFY(Control<PillButton>("ShapeButton2")->TransparentBackground());
  QVERIFY(!Control<PillButton>("ShapeButton3")->TransparentBackground());

  // Docked controls follow the width; the bars stay at the bottom edge.
  form_->resize(900, 760);
  QTRY_COMPARE(Control<QGroupBox>("GroupBox1")->width(), 900);
  QCOMPARE(Control<QGroupBox>("GroupBox3")->width(), 900);
  QCOMPARE(Control<LinkLabel>("LinkLabel1")->width(), 900);
  QCOMPARE(Control<TiledProgressBar>("ProgressFill1")->geometry(), QRect(0, 747, 900, 13));
  QCOMPARE(Control<TiledProgressBar>("ProgressFill2")->geometry(), QRect(0, 734, 900, 13));
  // The tree and the list share the extra width in the proportion of their design widths
  // (188 * 281 / 666 = 79 to the tree) and both take the extra height.
  QCOMPARE(Tree()->geometry(), QRect(16, 24, 281 + 79, 281 + 125));
  QCOMPARE(List()->geometry(), QRect(312 + 79, 48, 385 + 109, 257 + 125));
}

void MainWindowTest::listingTakesShapefilesInDirectoryOrder() {
  WriteEmptyFile(InFolder("a.shp"));
  WriteEmptyFile(InFolder("b.SHP"));
  WriteEmptyFile(InFolder("c.dbf"));
  MakeFolder(InFolder("d.shp"));
  QVERIFY(SelectFolder(Folder()));

  QStringList shown;
  std::vector<std::string> names;
  for (int i = 0; i < List()->count(); ++i) {
    shown << List()->item(i)->text();
    names.push_back(List()->Name(i));
    QVERIFY(List()->IsTicked(i));
  }
  // Sorted by name; the folder d.shp is listed like a file.
  LocalFileSystem local;
  std::vector<std::string> listed = ListShapefiles(local, Folder());
  std::sort(listed.begin(), listed.end());
  QCOMPARE(names, listed);
  QCOMPARE(shown, (QStringList{"a.shp", "b.SHP", "d.shp"}));

  // The computer root has no path: its list is empty.
  Tree()->setCurrentItem(Tree()->ComputerItem());
  QCOMPARE(List()->count(), 0);
}

// Every control of the window, by name.
const char* const kControlNames[] = {"GroupBox3", "RadioGroup1", "RadioGroup2", "GroupBox1", "ShellTreeView1",
                                     "ShapeButton1", "ShapeButton2", "CheckListBox1", "LinkLabel1", "GroupBox2",
                                     "ShapeButton3", "ProgressFill2", "ProgressFill1"};

void MainWindowTest::resizedWindowKeepsEveryControlInsideAndApart() {
  const QSize minimum = form_->minimumSize();
  QVERIFY(minimum.width() > 0 && minimum.height() > 0);
  QVERIFY(minimum.width() <= 712 && minimum.height() <= 635);
  for (const QSize size : {minimum, QSize(712 * 3 / 2, 635 * 3 / 2)}) {
    form_->resize(size);
    QTRY_COMPARE(form_->size(), size);
    QApplication::processEvents();
    std::map<std::string, QRect> placed;  // in the window's coordinates
    for (const char* name : kControlNames) {
      const auto* control = form_->findChild<QWidget*>(QString::fromLatin1(name));
      QVERIFY2(control->isVisible(), name);
      const QRect rect(control->mapTo(form_.get(), QPoint(0, 0)), control->size());
      placed[name] = rect;
      QVERIFY2(form_->rect().contains(rect), qPrintable(QStringLiteral("%1 at %2x%3 is outside").arg(name).arg(size.width()).arg(size.height())));
      // Inside its frame, too: a frame clips what sticks out of it.
      const QWidget* frame = control->parentWidget();
      if (frame != form_.get()) {
        QVERIFY2(QRect(QPoint(0, 0), frame->size()).contains(control->geometry()), name);
      }
      QVERIFY2(rect.width() >= std::min(control->minimumSizeHint().width(), 40) && rect.height() >= 13, name);
    }
    // Controls side by side in one frame or in the window do not overlap. The design lets the
    // buttons' bottom edge touch the list's top edge (33 high at 16, the list at 48): one
    // pixel's border is allowed.
    for (const char* a : kControlNames) {
      for (const char* b : kControlNames) {
        const QWidget* first = form_->findChild<QWidget*>(QString::fromLatin1(a));
        const QWidget* second = form_->findChild<QWidget*>(QString::fromLatin1(b));
        if (first == second || first->parentWidget() != second->parentWidget()) continue;
        QVERIFY2(!placed[a].adjusted(1, 1, -1, -1).intersects(placed[b].adjusted(1, 1, -1, -1)), qPrintable(QStringLiteral("%1 overlaps %2").arg(a, b)));
      }
    }
  }
  // The tree and the list grow with the window.
  QVERIFY(Tree()->width() > 281 && Tree()->height() > 281);
  QVERIFY(List()->width() > 385 && List()->height() > 257);
}

void MainWindowTest::listIsSortedByNameInTheLocalesOrder() {
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  for (const char* name : {"b.shp", "D.shp", "a.shp", "C.shp", "a10.shp", "a2.shp"}) WriteEmptyFile(InFolder(name));
  QVERIFY(SelectFolder(Folder()));
  QLocale::setDefault(before);
  QStringList shown;
  for (int i = 0; i < List()->count(); ++i) shown << List()->item(i)->text();
  // Letter case second, as the locale orders them; byte order would put C and D first.
  QCOMPARE(shown, (QStringList{"a.shp", "a10.shp", "a2.shp", "b.shp", "C.shp", "D.shp"}));
}

void MainWindowTest::outputsFollowTheirInputsUnindented_data() {
  QTest::addColumn<QString>("locale");
  QTest::newRow("zh_TW") << "zh_TW";
  QTest::newRow("en_US") << "en_US";
}

void MainWindowTest::outputsFollowTheirInputsUnindented() {
  QFETCH(QString, locale);
  const QLocale before;
  QLocale::setDefault(QLocale(locale));
  for (const char* name : {"roads.shp", "roads_1.shp", "roads2.shp", "Roads-old.shp", "rivers.shp", "rivers_1.shp",
                           "rivers_1_1.shp", "河川.shp", "河川_1.shp", "a.shp"})
    WriteEmptyFile(InFolder(name));
  QVERIFY(SelectFolder(Folder()));
  QLocale::setDefault(before);
  QStringList shown;
  for (int i = 0; i < List()->count(); ++i) shown << List()->item(i)->text();
  QCOMPARE(shown.size(), 10);
  for (const auto& [input, output] : {std::pair{"roads.shp", "roads_1.shp"}, std::pair{"rivers.shp", "rivers_1.shp"},
                                      std::pair{"rivers_1.shp", "rivers_1_1.shp"}, std::pair{"河川.shp", "河川_1.shp"}}) {
    const qsizetype at = shown.indexOf(QString::fromUtf8(input));
    QVERIFY2(at >= 0 && at + 1 < shown.size() && shown[at + 1] == QString::fromUtf8(output),
             qPrintable(shown.join(u' ')));
  }
  // Every name starts at the same place, marked or not: none looks like a child of another.
  QVERIFY(List()->iconSize().isValid());
  struct Probe : QStyledItemDelegate {
    using QStyledItemDelegate::initStyleOption;
  } probe;
  int textLeft = -1;
  for (int i = 0; i < List()->count(); ++i) {
    QStyleOptionViewItem option;
    option.initFrom(List());
    option.rect = List()->visualItemRect(List()->item(i));
    option.decorationSize = List()->iconSize();  // as the list view gives its delegate
    probe.initStyleOption(&option, List()->model()->index(i, 0));
    const int left = List()->style()->subElementRect(QStyle::SE_ItemViewItemText, &option, List()).left();
    if (textLeft < 0) textLeft = left;
    QVERIFY2(left == textLeft, qPrintable(shown[i]));
  }
  QVERIFY(List()->IsEarlierOutput(static_cast<int>(shown.indexOf(QStringLiteral("roads_1.shp")))));
}

void MainWindowTest::refreshShowsNewFoldersAndFollowsTheFiles() {
  WriteEmptyFile(InFolder("a.shp"));
  WriteEmptyFile(InFolder("c.shp"));
  QVERIFY(SelectFolder(Folder()));
  QTreeWidgetItem* folder = Tree()->currentItem();
  folder->setExpanded(true);
  QCOMPARE(folder->childCount(), 0);
  List()->SetTicked(0, false);  // a.shp

  // The watcher on the selected folder: a new file is listed, the ticks stay.
  WriteEmptyFile(InFolder("b.shp"));
  QTRY_COMPARE(List()->count(), 3);
  QCOMPARE(List()->item(1)->text(), QStringLiteral("b.shp"));
  QVERIFY(!List()->IsTicked(0));
  QVERIFY(List()->IsTicked(1));
  QVERIFY(List()->IsTicked(2));

  // A folder made after the branch was read appears; F5 refreshes the tree as well.
  MakeFolder(InFolder("made later"));
  QTRY_COMPARE(folder->childCount(), 1);
  QCOMPARE(folder->child(0)->text(0), QStringLiteral("made later"));
  QVERIFY(::unlink(InFolder("c.shp").c_str()) == 0);
  QTRY_COMPARE(List()->count(), 2);
  MakeFolder(JoinPath(InFolder("made later"), "inner"));
  QTreeWidgetItem* later = folder->child(0);
  later->setExpanded(true);
  QCOMPARE(later->childCount(), 1);
  MakeFolder(JoinPath(InFolder("made later"), "second"));  // not watched: only F5 shows it
  QTest::keyClick(form_.get(), Qt::Key_F5);
  QCOMPARE(later->childCount(), 2);
}

void MainWindowTest::selectAllAndNone() {
  // An empty list stays empty.
  Click("ShapeButton1");
  Click("ShapeButton2");
  QCOMPARE(List()->count(), 0);

  for (const char* name : {"x.shp", "y.shp", "z.shp"}) WriteEmptyFile(InFolder(name));
  QVERIFY(SelectFolder(Folder()));
  QCOMPARE(List()->count(), 3);
  Click("ShapeButton2");
  for (int i = 0; i < 3; ++i) QVERIFY(!List()->IsTicked(i));
  List()->SetTicked(1, true);
  Click("ShapeButton1");
  for (int i = 0; i < 3; ++i) QVERIFY(List()->IsTicked(i));
}

void MainWindowTest::reselectionTicksEverything() {
  WriteEmptyFile(InFolder("a.shp"));
  WriteEmptyFile(InFolder("b.shp"));
  MakeFolder(InFolder("other"));
  QVERIFY(SelectFolder(Folder()));
  List()->SetTicked(0, false);
  QVERIFY(SelectFolder(InFolder("other")));
  QCOMPARE(List()->count(), 0);
  QVERIFY(SelectFolder(Folder()));
  QCOMPARE(List()->count(), 2);
  QVERIFY(List()->IsTicked(0));
  QVERIFY(List()->IsTicked(1));
}

void MainWindowTest::treeReadsFoldersOnExpansionAndSorts() {
  for (const char* name : {"b", "B", "a", "\xe4\xb8\xad", ".hidden"}) MakeFolder(InFolder(name));
  WriteEmptyFile(InFolder("file.txt"));
  QVERIFY(SelectFolder(Folder()));
  QTreeWidgetItem* folder = Tree()->currentItem();
  QCOMPARE(folder->childCount(), 0);  // not read before its first expansion

  QSignalSpy expanded(Tree(), &FolderTree::FolderExpanded);
  folder->setExpanded(true);
  QCOMPARE(expanded.count(), 1);
  QStringList children = ChildTexts(folder);
  QCOMPARE(children.size(), 4);  // folders only, hidden ones left out
  QVERIFY2(LocaleSorted(children), qPrintable(children.join(u' ')));
  QVERIFY(children.contains(QStringLiteral("中")));

  // The expansion sorted every level, the first level under the computer included.
  for (QTreeWidgetItem* item = folder; item != nullptr; item = item->parent()) {
    QVERIFY(LocaleSorted(ChildTexts(item)));
  }
  // Reading happens once: collapsing and expanding again does not duplicate children.
  folder->setExpanded(false);
  folder->setExpanded(true);
  QCOMPARE(folder->childCount(), 4);
}

void MainWindowTest::rightClickSelectsAFolder() {
  MakeFolder(InFolder("maps"));
  WriteEmptyFile(InFolder("maps/roads.shp"));
  QVERIFY(SelectFolder(Folder()));
  QTreeWidgetItem* folder = Tree()->currentItem();
  folder->setExpanded(true);
  QTreeWidgetItem* maps = folder->child(0);
  Tree()->scrollToItem(maps);
  QTest::mouseClick(Tree()->viewport(), Qt::RightButton, {}, Tree()->visualItemRect(maps).center());
  QCOMPARE(Tree()->currentItem(), maps);
  QCOMPARE(List()->count(), 1);
  QCOMPARE(List()->item(0)->text(), QStringLiteral("roads.shp"));
}

void MainWindowTest::runConvertsTickedFilesWithChosenModeAndRegion() {
  // TWD67 geographic points around Taiwan; mode 02 (to TM2) and region 2 are chosen by click.
  const std::vector<std::vector<Point>> inputs = {
      {{121.5, 25.0}, {121.6, 24.9}}, {{120.2, 23.0}}, {{119.6, 23.6}}};
  const std::vector<std::string> stems = {"north", "south", "islands"};
  for (std::size_t i = 0; i < stems.size(); ++i) test::WritePointShapefile(InFolder(stems[i]), inputs[i]);
  QVERIFY(SelectFolder(Folder()));
  QCOMPARE(List()->count(), 3);
  ChooseMode(Mode::Twd67GeographicToTwd67Tm2);
  ChooseRegion(kIslandsRegion);

  PaintRecorder overall(*Control<TiledProgressBar>("ProgressFill1"));
  PaintRecorder perFile(*Control<TiledProgressBar>("ProgressFill2"));
  Click("ShapeButton3");

  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Kind, BoxKind::Completion);
  QCOMPARE(dialogs_->Boxes[0].Text, kCompletionText);
  QCOMPARE(dialogs_->Boxes[0].Caption, QStringLiteral("訊息"));
  // Painted while the run held the event loop: before the second and third file, and the end;
  // the file bar from 0 as each file begins to all of it read (a small file in one go).
  QCOMPARE(overall.Painted, (std::vector<int>{33, 66, 100}));
  QCOMPARE(perFile.Painted, (std::vector<int>{100, 0, 100, 0, 100}));

  // Each output holds the engine's conversion with the chosen mode and region.
  test::RecordingMessages sink;
  EngineState reference(sink);
  ApplyTransformSettings(reference, IndexOf(Mode::Twd67GeographicToTwd67Tm2), kIslandsRegion);
  for (std::size_t i = 0; i < stems.size(); ++i) {
    const std::string output = InFolder(stems[i] + "_1.shp");
    QVERIFY(test::FileExists(InFolder(stems[i] + "_1.shx")));
    QVERIFY(test::FileExists(InFolder(stems[i] + "_1.dbf")));
    const std::vector<Point> converted = test::ReadPoints(output);
    QCOMPARE(converted.size(), inputs[i].size());
    for (std::size_t k = 0; k < converted.size(); ++k) {
      double x = 0;
      double y = 0;
      ConvertPoint(reference, IndexOf(Mode::Twd67GeographicToTwd67Tm2), inputs[i][k].X, inputs[i][k].Y, x, y);
      QCOMPARE(converted[k].X, x);
      QCOMPARE(converted[k].Y, y);
      QVERIFY(y > 2400000 && y < 2800000);  // a grid northing, not a latitude
    }
  }
  QVERIFY(sink.Texts.empty());
}

void MainWindowTest::runWithEmptyListAppliesSettingsAndSaysSo() {
  ChooseMode(Mode::Tm3ToTwd67Geographic);
  ChooseRegion(kIslandsRegion);
  Click("ShapeButton3");
  // No folder chosen: no completion, a message that nothing was converted.
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Kind, BoxKind::Message);
  QCOMPARE(dialogs_->Boxes[0].Text, NothingToConvertText(false));
  QCOMPARE(Control<TiledProgressBar>("ProgressFill1")->Percent(), 0);
  QCOMPARE(Control<TiledProgressBar>("ProgressFill2")->Percent(), 0);

  // A folder with nothing ticked says the same of the ticks.
  test::WritePointShapefile(InFolder("one"), {{250000, 2650000}});
  QVERIFY(SelectFolder(Folder()));
  Click("ShapeButton2");
  dialogs_->Boxes.clear();
  Click("ShapeButton3");
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Text, NothingToConvertText(true));
  QVERIFY(!test::FileExists(InFolder("one_1.shp")));

  // The window describes the run by the chosen mode and region with the standard datum step.
  const Conversion chosen = form_->ChosenConversion();
  QCOMPARE(chosen.Mode, TransformMode{2});
  QCOMPARE(chosen.RegionIndex, Region{1});
  QVERIFY(chosen.Datum.Kind == DatumStepKind::Standard);
}

void MainWindowTest::missingCompanionIsReportedAndTheOthersConverted() {
  for (const char* stem : {"one", "two", "three"}) test::WritePointShapefile(InFolder(stem), {{250000, 2650000}});
  QVERIFY(SelectFolder(Folder()));
  // The second item in list order loses its table.
  std::vector<std::string> stems;
  for (int i = 0; i < 3; ++i) stems.push_back(List()->Name(i).substr(0, List()->Name(i).size() - 4));
  QVERIFY(::unlink(InFolder(stems[1] + ".dbf").c_str()) == 0);

  Click("ShapeButton3");
  // No box during the run; not "已完成" at its end but the one summary of what was converted
  // and what was not.
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Kind, BoxKind::Summary);
  QCOMPARE(dialogs_->Boxes[0].Text, QStringLiteral("已轉換 2 個檔案，共 3 個。"));
  QCOMPARE(dialogs_->Boxes[0].List,
           QStringLiteral("未能轉換：\n") + QString::fromStdString(stems[1]) + QStringLiteral(".dbf 不存在，沒有它無法轉換。"));
  QVERIFY(test::FileExists(InFolder(stems[0] + "_1.shp")));
  QVERIFY(!test::FileExists(InFolder(stems[1] + "_1.shp")));
  QVERIFY(test::FileExists(InFolder(stems[2] + "_1.shp")));
  QVERIFY(Control<TiledProgressBar>("ProgressFill1")->Percent() < 100);
}

void MainWindowTest::secondRunMarksEarlierOutputsAndAsksBeforeReplacing() {
  test::WritePointShapefile(InFolder("roads"), {{250000, 2650000}});
  QVERIFY(SelectFolder(Folder()));
  Click("ShapeButton3");
  QCOMPARE(dialogs_->Boxes.back().Text, kCompletionText);
  const auto bytesOf = [](const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
  const QByteArray first = bytesOf(InFolder("roads_1.shp"));
  QVERIFY(!first.isEmpty());

  // Listed again, the output is unticked and marked; the input stays ticked.
  QVERIFY(Reselect(Folder()));
  QCOMPARE(List()->count(), 2);
  for (int i = 0; i < 2; ++i) {
    const bool output = List()->Name(i) == "roads_1.shp";
    QCOMPARE(List()->IsEarlierOutput(i), output);
    QCOMPARE(List()->IsTicked(i), !output);
    QCOMPARE(List()->item(i)->toolTip().isEmpty(), !output);
  }

  // Answered "no": nothing is replaced, and the summary says the file was skipped.
  for (const bool replace : {false, true}) {
    dialogs_->Boxes.clear();
    dialogs_->ReplaceAnswer = replace;
    Click("ShapeButton3");
    QCOMPARE(dialogs_->Boxes.size(), std::size_t{2});
    QCOMPARE(dialogs_->Boxes[0].Kind, BoxKind::Question);
    QVERIFY(dialogs_->Boxes[0].Text.contains(QString::fromStdString(InFolder("roads_1.shp"))));
    QCOMPARE(dialogs_->Boxes[1].Text == kCompletionText, replace);
    QVERIFY(!test::FileExists(InFolder("roads_1_1.shp")));
  }
  QCOMPARE(bytesOf(InFolder("roads_1.shp")), first);
}

void MainWindowTest::textFileNamedShpIsReportedAsNotAShapefile() {
  for (const char* name : {"towns.shp", "towns.shx", "towns.dbf"}) {
    FILE* file = std::fopen(InFolder(name).c_str(), "wb");
    QVERIFY(file != nullptr);
    std::fputs("name,x,y\ntaipei,121.5,25.0\nkaohsiung,120.3,22.6\n0000000000000000000000000000000000000000000000000000000000000\n", file);
    std::fclose(file);
  }
  QVERIFY(SelectFolder(Folder()));
  Click("ShapeButton3");
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  const QString& list = dialogs_->Boxes[0].List;
  QVERIFY2(list.contains(QStringLiteral("towns.shp 不是圖形檔。")), qPrintable(list));
  QVERIFY2(!list.contains(QStringLiteral("已損壞")), qPrintable(list));
  QVERIFY(!test::FileExists(InFolder("towns_1.shp")));
}

void MainWindowTest::unopenableFileShowsErrorBoxAndWindowStaysUsable() {
  test::WritePointShapefile(InFolder("gone"), {{250000, 2650000}});
  QVERIFY(SelectFolder(Folder()));
  QVERIFY(::unlink(InFolder("gone.shp").c_str()) == 0);  // vanished since the list was filled

  Click("ShapeButton3");
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Kind, BoxKind::Summary);
  QCOMPARE(dialogs_->Boxes[0].Text, QStringLiteral("已轉換 0 個檔案，共 1 個。"));
  QCOMPARE(dialogs_->Boxes[0].List, QStringLiteral("未能轉換：\ngone.shp 無法開啟：沒有這個檔案或資料夾。"));
  QCOMPARE(Control<TiledProgressBar>("ProgressFill1")->Percent(), 0);

  // A folder named like a shapefile fails the same way.
  MakeFolder(InFolder("d.shp"));
  QVERIFY(::unlink(InFolder("gone.shx").c_str()) == 0);
  QVERIFY(::unlink(InFolder("gone.dbf").c_str()) == 0);
  QVERIFY(Reselect(Folder()));
  dialogs_->Boxes.clear();
  Click("ShapeButton3");
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Kind, BoxKind::Summary);
  QVERIFY2(dialogs_->Boxes[0].List.contains(QStringLiteral("\nd.shp 無法開啟：這是資料夾。")), qPrintable(dialogs_->Boxes[0].List));

  // The window goes on: the next run over a good file completes.
  QVERIFY(::rmdir(InFolder("d.shp").c_str()) == 0);
  test::WritePointShapefile(InFolder("gone"), {{250000, 2650000}});
  QVERIFY(Reselect(Folder()));
  dialogs_->Boxes.clear();
  Click("ShapeButton3");
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Kind, BoxKind::Completion);
  QVERIFY(test::FileExists(InFolder("gone_1.shp")));
}

void MainWindowTest::big5NamesAreListedAndConverted() {
  const std::string taipei = InFolder("\xa5\x78\xa5\x5f");  // 台北 in Big5
  const std::string roads = "\xb9\x44\xb8\xf4";             // 道路 in Big5
  MakeFolder(taipei);
  test::WritePointShapefile(JoinPath(taipei, roads), {{250000, 2650000}});

  QVERIFY(SelectFolder(taipei));
  QCOMPARE(Tree()->currentItem()->text(0), QStringLiteral("台北"));
  QCOMPARE(Tree()->SelectedFolder(), taipei);
  QCOMPARE(List()->count(), 1);
  QCOMPARE(List()->item(0)->text(), QStringLiteral("道路.shp"));
  QCOMPARE(List()->Name(0), roads + ".shp");

  Click("ShapeButton3");
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Kind, BoxKind::Completion);
  for (const char* extension : {"_1.shp", "_1.shx", "_1.dbf"}) {
    QVERIFY2(test::FileExists(JoinPath(taipei, roads + extension)), extension);
  }
  QCOMPARE(test::ReadPoints(JoinPath(taipei, roads + "_1.shp")).size(), std::size_t{1});

  // A missing companion is reported with the name decoded for showing.
  QVERIFY(::unlink(JoinPath(taipei, roads + ".dbf").c_str()) == 0);
  dialogs_->Boxes.clear();
  Click("ShapeButton3");
  QCOMPARE(dialogs_->Boxes[0].List, QStringLiteral("未能轉換：\n道路.dbf 不存在，沒有它無法轉換。"));
}

void MainWindowTest::samplesConvertToGeographic() {
  // The README's walk-through: the samples, mode 01 (TM2 to geographic), region Taiwan.
  const QDir samples(QStringLiteral(MORVANE_SAMPLES_DIR));
  const QStringList files = samples.entryList({"*.shp", "*.shx", "*.dbf", "*.cpg"}, QDir::Files);
  QCOMPARE(files.size(), 16);
  for (const QString& file : files) QVERIFY(QFile::copy(samples.filePath(file), dir_->filePath(file)));
  QVERIFY(SelectFolder(Folder()));
  QCOMPARE(List()->count(), 4);

  Click("ShapeButton3");
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Kind, BoxKind::Completion);
  for (int i = 0; i < List()->count(); ++i) {
    const std::string name = List()->Name(i);
    const std::string output = InFolder(name.substr(0, name.size() - 4) + "_1.shp");
    QFile converted(QString::fromStdString(output));
    QVERIFY2(converted.open(QIODevice::ReadOnly), output.c_str());
    QCOMPARE(converted.size(), QFileInfo(dir_->filePath(QString::fromStdString(name))).size());
    // The header box now holds longitudes and latitudes in Taiwan.
    const QByteArray header = converted.read(100);
    double box[4];
    std::memcpy(box, header.constData() + 36, sizeof box);
    QVERIFY2(box[0] > 119.9 && box[2] < 122.1 && box[1] > 21.8 && box[3] < 25.4, output.c_str());
  }
}

namespace {

// grid: TWD67 TM2 metres; degrees: longitude and latitude; twd97: TM2 metres whose .prj says
// TWD97. Listed in the directory's order, so found by name.
void WriteSuspiciousFolder(const std::string& folder) {
  test::WritePointShapefile(JoinPath(folder, "grid"), {{250000, 2650000}, {300000, 2700000}});
  test::WritePointShapefile(JoinPath(folder, "degrees"), {{121.0, 24.0}, {121.5, 25.0}});
  test::WritePointShapefile(JoinPath(folder, "twd97"), {{250000, 2650000}});
  FILE* prj = std::fopen(JoinPath(folder, "twd97.prj").c_str(), "wb");
  QVERIFY(prj != nullptr);
  std::fputs(
      "PROJCS[\"TWD_1997_TM_Taiwan\",GEOGCS[\"GCS_TWD_1997\",DATUM[\"D_TWD_1997\",SPHEROID[\"GRS_1980\",6378137.0,"
      "298.257222101]],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]],PROJECTION[\"Transverse_Mercator\"],"
      "PARAMETER[\"False_Easting\",250000.0],PARAMETER[\"False_Northing\",0.0],PARAMETER[\"Central_Meridian\",121.0],"
      "PARAMETER[\"Scale_Factor\",0.9999],PARAMETER[\"Latitude_Of_Origin\",0.0],UNIT[\"Meter\",1.0]]",
      prj);
  std::fclose(prj);
}

int RowOf(const CheckList* list, const std::string& name) {
  for (int i = 0; i < list->count(); ++i) {
    if (list->Name(i) == name) return i;
  }
  return -1;
}

}  // namespace

void MainWindowTest::suspiciousFilesAreMarkedWithTheirReasons() {
  WriteSuspiciousFolder(Folder());
  FILE* text = std::fopen(JoinPath(Folder(), "notes.shp").c_str(), "wb");
  QVERIFY(text != nullptr);
  std::fputs("name,x,y\ntaipei,121.5,25.0\nkaohsiung,120.3,22.6\n...................................................\n", text);
  std::fclose(text);
  QVERIFY(SelectFolder(Folder()));
  const int notes = RowOf(List(), "notes.shp");
  const int grid = RowOf(List(), "grid.shp");
  const int degrees = RowOf(List(), "degrees.shp");
  const int twd97 = RowOf(List(), "twd97.shp");
  QVERIFY(grid >= 0 && degrees >= 0 && twd97 >= 0);

  // Mode 01 reads TWD67 TM2 metres.
  QVERIFY(!List()->HasWarning(grid));
  QCOMPARE(List()->item(grid)->toolTip(), QString());
  // The reasons are worded in the window's language, Chinese here: no Latin letter besides
  // the file names.
  const QString degreesTip = List()->item(degrees)->toolTip();
  QVERIFY(List()->HasWarning(degrees));
  QVERIFY2(degreesTip.startsWith(QStringLiteral("degrees.shp 的坐標（橫坐標 121 至 121.5，縱坐標 24 至 25）")),
           qPrintable(degreesTip));
  QVERIFY2(degreesTip.endsWith(QStringLiteral("；看來是以度為單位的經緯度。")), qPrintable(degreesTip));
  QVERIFY2(!degreesTip.mid(QStringLiteral("degrees.shp").size()).contains(QRegularExpression(QStringLiteral("[A-Za-z]"))),
           qPrintable(degreesTip));
  QVERIFY(List()->HasWarning(twd97));
  QVERIFY2(List()->item(twd97)->toolTip().startsWith(QStringLiteral("twd97.prj 記載的是1997 台灣大地基準的二度分帶坐標")),
           qPrintable(List()->item(twd97)->toolTip()));
  // The modes that would fit its .prj are suggested, the choice is left as it was.
  QVERIFY2(List()->item(twd97)->toolTip().endsWith(QStringLiteral("\ntwd97.shp 的投影檔符合轉換方式 12、13。")),
           qPrintable(List()->item(twd97)->toolTip()));
  QCOMPARE(Control<RadioGroup>("RadioGroup1")->ItemIndex(), 0);

  // Another mode: mode 12 reads TWD97 TM2, so the .prj fits and the grid file has no .prj.
  ChooseMode(Mode::Twd97Tm2ToTwd67Tm2);
  QVERIFY(!List()->HasWarning(twd97));
  QVERIFY(!List()->HasWarning(grid));
  QVERIFY(List()->HasWarning(degrees));
  // A geographic mode with the islands' region: degrees of Taiwan look like another region.
  ChooseMode(Mode::Twd67GeographicToTwd67Tm2);
  QVERIFY(!List()->HasWarning(degrees));
  QVERIFY(List()->HasWarning(grid));
  ChooseRegion(kIslandsRegion);
  QVERIFY(List()->HasWarning(degrees));
  QVERIFY2(List()->item(degrees)->toolTip().endsWith(QStringLiteral("；看來是另一地區（地區 1，台灣地區）的坐標。")),
           qPrintable(List()->item(degrees)->toolTip()));
  QVERIFY(dialogs_->Boxes.empty());
  QVERIFY(dialogs_->Questions.empty());

  // What the run would fail on is marked too, as the run's errors are worded: a text file
  // named .shp.
  QVERIFY(notes >= 0);
  QVERIFY(List()->HasWarning(notes));
  QVERIFY2(List()->item(notes)->toolTip() == QStringLiteral("notes.shp 不是圖形檔。"),
           qPrintable(List()->item(notes)->toolTip()));
}

void MainWindowTest::suspiciousFilesAreAskedAboutOnceAtTheRun() {
  WriteSuspiciousFolder(Folder());
  QVERIFY(SelectFolder(Folder()));

  // Leave them out: only the plausible file is converted, and the run completes as ever.
  dialogs_->Answer = SuspiciousFilesChoice::LeaveOut;
  Click("ShapeButton3");
  QCOMPARE(dialogs_->Questions.size(), std::size_t{1});
  const QString& asked = dialogs_->Questions[0];
  QVERIFY2(asked.contains(QStringLiteral("degrees.shp 的坐標（")), qPrintable(asked));
  QVERIFY2(asked.contains(QStringLiteral("twd97.prj 記載的是")), qPrintable(asked));
  QVERIFY2(asked.contains(QStringLiteral("\ntwd97.shp 的投影檔符合轉換方式 12、13。")), qPrintable(asked));
  QVERIFY(!asked.contains(QStringLiteral("grid.shp")));
  // The run's summary names the files left out, with their reasons.
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Kind, BoxKind::Summary);
  QVERIFY2(dialogs_->Boxes[0].List.contains(QStringLiteral("略過（坐標看來不是來源坐標系統）：")),
           qPrintable(dialogs_->Boxes[0].List));
  QVERIFY2(dialogs_->Boxes[0].List.contains(QStringLiteral("\ndegrees.shp 的坐標（")), qPrintable(dialogs_->Boxes[0].List));
  QVERIFY(test::FileExists(InFolder("grid_1.shp")));
  QVERIFY(!test::FileExists(InFolder("degrees_1.shp")));
  QVERIFY(!test::FileExists(InFolder("twd97_1.shp")));
  // The list keeps its ticks.
  for (int i = 0; i < List()->count(); ++i) QVERIFY(List()->IsTicked(i));

  // Unticked suspicious files are not asked about.
  List()->SetTicked(RowOf(List(), "twd97.shp"), false);
  dialogs_->Questions.clear();
  dialogs_->Boxes.clear();
  dialogs_->Answer = SuspiciousFilesChoice::ConvertAnyway;
  Click("ShapeButton3");
  QCOMPARE(dialogs_->Questions.size(), std::size_t{1});
  QVERIFY(!dialogs_->Questions[0].contains(QStringLiteral("twd97.shp")));
  QVERIFY(test::FileExists(InFolder("degrees_1.shp")));
  QVERIFY(!test::FileExists(InFolder("twd97_1.shp")));

  // Convert anyway: every ticked file, the suspicious ones included (the outputs of the runs
  // before are replaced after their own question).
  List()->SetTicked(RowOf(List(), "twd97.shp"), true);
  dialogs_->Questions.clear();
  dialogs_->Boxes.clear();
  dialogs_->ReplaceAnswer = true;
  Click("ShapeButton3");
  QCOMPARE(dialogs_->Questions.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{2});
  QCOMPARE(dialogs_->Boxes[0].Kind, BoxKind::Question);
  QCOMPARE(dialogs_->Boxes[1].Kind, BoxKind::Completion);
  QVERIFY(test::FileExists(InFolder("twd97_1.shp")));

  // Nothing suspicious ticked: no question.
  QVERIFY(Reselect(Folder()));
  List()->SetAllTicked(false);
  List()->SetTicked(RowOf(List(), "grid.shp"), true);
  dialogs_->Questions.clear();
  Click("ShapeButton3");
  QVERIFY(dialogs_->Questions.empty());
}

void MainWindowTest::creditLineOpensMailLink() {
  auto* link = Control<LinkLabel>("LinkLabel1");
  QVERIFY(link->Text().contains(QString::fromLatin1(kContactAddress)));
  QDesktopServices::setUrlHandler(QStringLiteral("mailto"), this, "OpenUrl");
  QTest::mouseClick(link, Qt::LeftButton);
  QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
  QCOMPARE(openedUrls_, (QList<QUrl>{QUrl(QStringLiteral("mailto:") + QString::fromLatin1(kContactAddress))}));

  // With nothing to open the link (the offscreen platform has no mail program), nothing shows.
  QTest::mouseClick(link, Qt::LeftButton);
  QVERIFY(dialogs_->Boxes.empty());
}

void MainWindowTest::escapedErrorIsShownAndLoopGoesOn() {
  auto* app = qobject_cast<Application*>(QCoreApplication::instance());
  QVERIFY(app != nullptr);
  app->SetDialogs(dialogs_.get());
  ThrowingObject thrower;
  QEvent event(QEvent::User);
  QCOMPARE(QCoreApplication::sendEvent(&thrower, &event), false);
  app->SetDialogs(nullptr);
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Kind, BoxKind::Error);
  QCOMPARE(dialogs_->Boxes[0].Text, QStringLiteral("Handler failed."));

  // A run's error is worded in the window's language.
  app->SetDialogs(dialogs_.get());
  QEvent runError(static_cast<QEvent::Type>(QEvent::User + 1));
  QCOMPARE(QCoreApplication::sendEvent(&thrower, &runError), false);
  app->SetDialogs(nullptr);
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{2});
  QCOMPARE(dialogs_->Boxes[1].Text, QStringLiteral("roads.shp 無法開啟：沒有權限。"));
}

}  // namespace morvane

MORVANE_WINDOW_TEST_MAIN(morvane::MainWindowTest)

#include "main_window_test.moc"
