// The window in both of its languages: Traditional Chinese as written and the built-in English
// translation. The captions are checked against the expected texts, no Chinese is left in the
// English window, no control's text is wider than the control, and the run's messages reach
// the boxes translated with their paths kept.
#include <unistd.h>

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cerrno>
#include <memory>

#include "datum_step_box.hpp"
#include "engine/mode_table.hpp"
#include "main_window.hpp"
#include "recording_dialogs.hpp"
#include "shapefile/folder_listing.hpp"
#include "support/shapefile_writer.hpp"
#include "start_options.hpp"
#include "check_texts.hpp"
#include "texts.hpp"
#include "translation.hpp"
#include "window_fixture.hpp"

namespace morvane {
namespace {

using test::BoxKind;

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Han characters, ideographic and full-width forms: what an untranslated text would show.
bool HasChinese(const QString& text) {
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if ((u >= 0x3000 && u <= 0x303f) || (u >= 0x3400 && u <= 0x9fff) || (u >= 0xff00 && u <= 0xffef)) {
      return true;
    }
  }
  return false;
}

// Latin letters: what an untranslated English text would show in the Chinese window.
bool HasLatinLetters(const QString& text) {
  for (const QChar c : text) {
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) return true;
  }
  return false;
}

// One error of every kind the window words, about `path`: each file operation with each cause
// it words (and none), each damage of a record, each floating-point trap.
std::vector<ErrorDetails> EveryProblem(const std::string& path) {
  std::vector<ErrorDetails> all;
  const int codes[] = {0,      kNotRegularFile, ENOENT, EACCES, EPERM,  EROFS,        ENOSPC, EDQUOT, EISDIR,
                       ENOTDIR, EIO,            EEXIST, EMFILE, ENFILE, ENAMETOOLONG, EFBIG,  EBUSY,  EXDEV};
  for (const FileOperation operation :
       {FileOperation::Open, FileOperation::Create, FileOperation::Read, FileOperation::Write}) {
    for (const int code : codes) {
      ErrorDetails details = DetailsOf(ErrorKind::FileOperation, path);
      details.Operation = operation;
      details.SystemCode = code;
      details.Reason = code == 0 ? std::string() : SystemReason(code);
      all.push_back(details);
    }
  }
  for (const ErrorKind kind : {ErrorKind::NotShapefile, ErrorKind::ShortHeader, ErrorKind::HeaderLength,
                               ErrorKind::MissingCompanion, ErrorKind::OutputExists, ErrorKind::OutsideLambertGrid}) {
    ErrorDetails details = DetailsOf(kind, path);
    details.Figures = {1, 2, 3};
    all.push_back(details);
  }
  for (const RecordDamage damage :
       {RecordDamage::CutShort, RecordDamage::ContentLength, RecordDamage::PastEnd, RecordDamage::TooShort,
        RecordDamage::NegativePoints, RecordDamage::TooManyPoints, RecordDamage::NegativeCount,
        RecordDamage::TooManyPartsPoints, RecordDamage::PartOutOfOrder, RecordDamage::UnknownType}) {
    for (const char* type : {"Point", "MultiPointM", "PolyLineZ", "Polygon", "MultiPatch"}) {
      ErrorDetails details = DetailsOf(ErrorKind::DamagedRecord, path);
      details.Damage = damage;
      details.Figures = {1, 2, 3};
      details.ShapeType = type;
      all.push_back(details);
    }
  }
  for (const FloatingPointTrap trap :
       {FloatingPointTrap::Invalid, FloatingPointTrap::DivisionByZero, FloatingPointTrap::Overflow}) {
    ErrorDetails details = DetailsOf(ErrorKind::FloatingPoint, path);
    details.Trap = trap;
    all.push_back(details);
  }
  return all;
}

// Every text a person sees on the window, each with the control that shows it.
QList<QPair<QString, QString>> VisibleTexts(const QWidget& window) {
  QList<QPair<QString, QString>> texts;
  for (const QWidget* widget : window.findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(&window)) continue;
    const QString name = widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                                        : widget->objectName();
    if (const auto* frame = qobject_cast<const QGroupBox*>(widget)) texts.append({name, frame->title()});
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) texts.append({name, button->text()});
    if (const auto* link = qobject_cast<const LinkLabel*>(widget)) texts.append({name, link->Text()});
  }
  return texts;
}

// How far the text's pixels reach from where it starts: the advance of the last character
// would also count the blank side of a full-width bracket, which clips nothing.
int InkWidth(const QFontMetrics& metrics, const QString& text) {
  return text.isEmpty() ? 0 : metrics.tightBoundingRect(text).right() + 1;
}

// Whether a word-wrapped label shows its whole text.
bool WrappedTextFits(const QLabel& label) {
  const QRect room = label.contentsRect();
  return QFontMetrics(label.font()).boundingRect(room, Qt::TextWordWrap, label.text()).height() <= room.height();
}

}  // namespace
}  // namespace morvane

Q_DECLARE_METATYPE(morvane::ErrorDetails)
Q_DECLARE_METATYPE(morvane::InputCheck)

namespace morvane {

class TranslationTest : public test::WindowFixture {
  Q_OBJECT

 public:
  TranslationTest() : WindowFixture(Start::WithoutWindow) {}

 private slots:
  void languageOption();
  void startRequests();
  void englishLoadsOnlyForEnglish();
  void captions_data();
  void captions();
  void englishWindowShowsNoChinese();
  void noTextIsClipped_data();
  void noTextIsClipped();
  void messages_data();
  void messages();
  void problems_data();
  void problems();
  void everyProblemIsWordedInEachLanguage();
  void checkFindings_data();
  void checkFindings();
  void errorsOfThePreviewAreWordedToo();
  void standardButtonsFollowTheLanguage();
  void summaryIsOneScrollableCopyableBox();
  void runBoxesAreTranslated();
  void failuresOfARunAreOneSummaryInTheWindowsLanguage_data();
  void failuresOfARunAreOneSummaryInTheWindowsLanguage();
  void runSummaryIsTranslated();
  void datumStepSpeaksEnglish();

 private:
  // The window in `language`, shown; every box goes to dialogs_.
  void Open(const QString& language);
};

void TranslationTest::Open(const QString& language) {
  InstallTranslation(language);
  OpenWindow();
}

void TranslationTest::languageOption() {
  const struct {
    QStringList Arguments;
    QString Language;
  } cases[] = {
      {{"morvane"}, ""},
      {{"morvane", "--lang", "en"}, "en"},
      {{"morvane", "--lang=zh_TW"}, "zh_TW"},
      {{"morvane", "-platform", "offscreen", "--lang", "en_GB"}, "en_GB"},
      {{"morvane", "--lang"}, ""},          // no value
      {{"--lang", "en", "morvane"}, ""},     // the program's own name is not an option
  };
  for (const auto& c : cases) QCOMPARE(LanguageOption(c.Arguments), c.Language);
}

void TranslationTest::startRequests() {
  const struct {
    std::vector<const char*> Arguments;
    StartRequest Request;
  } cases[] = {
      {{"morvane"}, StartRequest::Window},
      {{"morvane", "--lang", "en"}, StartRequest::Window},
      {{"morvane", "--help"}, StartRequest::Help},
      {{"morvane", "-h"}, StartRequest::Help},
      {{"morvane", "--lang", "en", "--version"}, StartRequest::Version},
      {{"morvane", "--version", "--help"}, StartRequest::Version},  // the first one asked
      {{"morvane", "--", "--help"}, StartRequest::Window},          // after "--": not an option
      {{"--help"}, StartRequest::Window},                           // the program's own name
      {{"morvane", "--helpful"}, StartRequest::Window},
  };
  for (const auto& c : cases) {
    QCOMPARE(StartRequestOf(static_cast<int>(c.Arguments.size()), c.Arguments.data()), c.Request);
  }
  QVERIFY(HelpText().starts_with("Usage: morvane [--lang LANGUAGE]\n"));
  QCOMPARE(QString::fromStdString(VersionText()), QStringLiteral("morvane %1\n").arg(QStringLiteral(MORVANE_VERSION)));
}

void TranslationTest::englishLoadsOnlyForEnglish() {
  QVERIFY(InstallTranslation(QStringLiteral("en")));
  QVERIFY(InstallTranslation(QStringLiteral("en_GB")));
  QVERIFY(InstallTranslation(QStringLiteral("en_US")));
  // Chinese is the written language; others without a translation show it too.
  QVERIFY(!InstallTranslation(QStringLiteral("zh_TW")));
  QCOMPARE(QCoreApplication::translate("morvane::MainWindow", "全選"), QStringLiteral("全選"));
  QVERIFY(!InstallTranslation(QStringLiteral("de_DE")));
}

void TranslationTest::captions_data() {
  QTest::addColumn<QString>("language");
  QTest::addColumn<QString>("frame3");
  QTest::addColumn<QString>("modes");
  QTest::addColumn<QString>("mode11");
  QTest::addColumn<QString>("region3");
  QTest::addColumn<QString>("frame1");
  QTest::addColumn<QString>("selectAll");
  QTest::addColumn<QString>("selectNone");
  QTest::addColumn<QString>("frame2");
  QTest::addColumn<QString>("run");
  QTest::addColumn<QString>("computer");
  QTest::newRow("Traditional Chinese")
      << "zh_TW" << "步驟一:選擇轉換方式" << "A. 請[正確] 選擇影像坐標轉換方式 " << FromUtf8(kModes[10].Caption)
      << FromUtf8(kRegions[2].Caption) << "步驟二:請選擇路徑及欲處理之檔案" << "全選" << "全不選"
      << "步驟三:轉換" << "執行 按我就對了" << "電腦";
  QTest::newRow("English") << "en" << "Step 1: Choose the conversion"
                           << "A. Choose the right coordinate conversion " << "11. TWD67 TM2 → TWD97 TM2"
                           << "3. Mainland (Lambert only)" << "Step 2: Choose the folder and the files"
                           << "All" << "None" << "Step 3: Convert" << "Run the conversion" << "Computer";
}

void TranslationTest::captions() {
  QFETCH(QString, language);
  QFETCH(QString, frame3);
  QFETCH(QString, modes);
  QFETCH(QString, mode11);
  QFETCH(QString, region3);
  QFETCH(QString, frame1);
  QFETCH(QString, selectAll);
  QFETCH(QString, selectNone);
  QFETCH(QString, frame2);
  QFETCH(QString, run);
  QFETCH(QString, computer);
  Open(language);
  QCOMPARE(Control<QGroupBox>("GroupBox3")->title(), frame3);
  auto* modeGroup = Control<RadioGroup>("RadioGroup1");
  QCOMPARE(modeGroup->title(), modes);
  QCOMPARE(modeGroup->Item(ItemOf(Mode::Twd67Tm2ToTwd97Tm2))->text(), mode11);
  QCOMPARE(Control<RadioGroup>("RadioGroup2")->Item(kMainlandRegion)->text(), region3);
  QCOMPARE(Control<QGroupBox>("GroupBox1")->title(), frame1);
  QCOMPARE(Control<PillButton>("ShapeButton1")->text(), selectAll);
  QCOMPARE(Control<PillButton>("ShapeButton2")->text(), selectNone);
  QCOMPARE(Control<QGroupBox>("GroupBox2")->title(), frame2);
  QCOMPARE(Control<PillButton>("ShapeButton3")->text(), run);
  QCOMPARE(Control<FolderTree>("ShellTreeView1")->ComputerItem()->text(0), computer);
  // The mode items keep the engine's numbering, 01 to 16, in both languages.
  for (int i = 0; i < modeGroup->Count(); ++i) {
    const QString caption = modeGroup->Item(i)->text();
    QVERIFY2(caption.startsWith(QString::asprintf("%02d. ", i + 1)), qPrintable(caption));
  }
  QVERIFY(Control<LinkLabel>("LinkLabel1")->Text().endsWith(QString::fromLatin1(kContactAddress)));
}

void TranslationTest::englishWindowShowsNoChinese() {
  Open(QStringLiteral("en"));
  const auto texts = VisibleTexts(*form_);
  QVERIFY(texts.size() >= 16 + 3 + 3 + 3 + 2 + 1);
  for (const auto& [control, text] : texts) {
    QVERIFY2(!text.isEmpty(), qPrintable(control));
    QVERIFY2(!HasChinese(text), qPrintable(control + QStringLiteral(": ") + text));
  }
  const QString computer = Control<FolderTree>("ShellTreeView1")->ComputerItem()->text(0);
  QVERIFY(!HasChinese(computer));
}

void TranslationTest::noTextIsClipped_data() {
  QTest::addColumn<QString>("language");
  QTest::newRow("Traditional Chinese") << "zh_TW";
  QTest::newRow("English") << "en";
}

void TranslationTest::noTextIsClipped() {
  QFETCH(QString, language);
  Open(language);
  QVERIFY(!VisibleTexts(*form_).isEmpty());
  QStyle* style = form_->style();
  for (const QWidget* widget : form_->findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(form_.get())) continue;
    const QFontMetrics metrics(widget->font());
    const QString name = widget->objectName();
    if (const auto* radio = qobject_cast<const QRadioButton*>(widget)) {
      // The room the style leaves right of the indicator.
      QStyleOptionButton option;
      option.initFrom(radio);
      option.text = radio->text();
      const int room = style->subElementRect(QStyle::SE_RadioButtonContents, &option, radio).width();
      const int needed = InkWidth(metrics, radio->text());
      QVERIFY2(needed <= room,
               qPrintable(QStringLiteral("%1 needs %2 of %3 px").arg(radio->text()).arg(needed).arg(room)));
    } else if (const auto* pill = qobject_cast<const PillButton*>(widget)) {
      // Icon, gap and caption between the round ends (each may take a quarter of the height).
      const int needed = pill->iconSize().width() + 4 + InkWidth(metrics, pill->text()) + pill->height() / 2;
      QVERIFY2(needed <= pill->width(),
               qPrintable(QStringLiteral("%1 needs %2 of %3 px").arg(pill->text()).arg(needed).arg(pill->width())));
    } else if (const auto* frame = qobject_cast<const QGroupBox*>(widget)) {
      const int needed = InkWidth(metrics, frame->title()) + 8;
      QVERIFY2(needed <= frame->width(),
               qPrintable(QStringLiteral("%1 needs %2 of %3 px").arg(frame->title()).arg(needed).arg(frame->width())));
    } else if (const auto* link = qobject_cast<const LinkLabel*>(widget)) {
      const int needed = InkWidth(metrics, link->Text());
      QVERIFY2(needed <= link->width(), qPrintable(QStringLiteral("%1 needs %2 of %3 px")
                                                       .arg(name).arg(needed).arg(link->width())));
    }
  }
}

void TranslationTest::messages_data() {
  QTest::addColumn<QString>("message");
  QTest::addColumn<QString>("chinese");
  QTest::addColumn<QString>("english");
  QTest::newRow("completion") << "已完成!! 請按確定" << "已完成!! 請按確定" << "Done!! Press OK";
  QTest::newRow("completion caption") << "Message" << "訊息" << "Message";
  QTest::newRow("invalid region") << "No this choice" << "沒有這個地區" << "No such region";
  QTest::newRow("invalid mode") << "No the other choice" << "沒有這個轉換方式" << "No such mode";
  QTest::newRow("missing companion") << "/maps/河川.shx Not found" << "/maps/河川.shx 不存在" << "/maps/河川.shx not found";
  QTest::newRow("cannot open") << "Cannot open file /maps/a.shp" << "無法開啟檔案 /maps/a.shp" << "Cannot open file /maps/a.shp";
  QTest::newRow("cannot create") << "Cannot create file /ro/a_1.shp" << "無法建立檔案 /ro/a_1.shp"
                                 << "Cannot create file /ro/a_1.shp";
  QTest::newRow("path with a place marker") << "/maps/%1 Not found" << "/maps/%1 不存在" << "/maps/%1 not found";
  QTest::newRow("floating point") << "Floating point overflow" << "浮點溢位" << "Floating point overflow";
  QTest::newRow("unforeseen text, unchanged") << "Handler failed" << "Handler failed" << "Handler failed";
  QTest::newRow("only a suffix") << " Not found" << " Not found" << " Not found";
}

void TranslationTest::messages() {
  QFETCH(QString, message);
  QFETCH(QString, chinese);
  QFETCH(QString, english);
  QCOMPARE(TranslatedMessage(message), chinese);
  QVERIFY(InstallTranslation(QStringLiteral("en")));
  QCOMPARE(TranslatedMessage(message), english);
}

void TranslationTest::problems_data() {
  QTest::addColumn<ErrorDetails>("details");
  QTest::addColumn<QString>("chinese");
  QTest::addColumn<QString>("english");
  const auto file = [](FileOperation operation, const char* path, int code) {
    ErrorDetails details = DetailsOf(ErrorKind::FileOperation, path);
    details.Operation = operation;
    details.SystemCode = code;
    details.Reason = code == 0 ? std::string() : SystemReason(code);
    return details;
  };
  const auto record = [](RecordDamage damage, std::vector<std::int64_t> figures, std::string type = {}) {
    ErrorDetails details = DetailsOf(ErrorKind::DamagedRecord, "/maps/roads.shp");
    details.Record = 3;
    details.Offset = 180;
    details.Damage = damage;
    details.Figures = std::move(figures);
    details.ShapeType = std::move(type);
    return details;
  };
  ErrorDetails length = DetailsOf(ErrorKind::HeaderLength, "/maps/roads.shp");
  length.Figures = {2000, 1000};
  ErrorDetails overflow = DetailsOf(ErrorKind::FloatingPoint, "/maps/roads.shp");
  overflow.Trap = FloatingPointTrap::Overflow;
  ErrorDetails grid = DetailsOf(ErrorKind::OutsideLambertGrid, "/maps/roads.shp");
  grid.X = 10;
  grid.Y = -95.5;

  QTest::newRow("read-only output") << file(FileOperation::Create, "/ro/roads_1.shp", EROFS)
                                    << "roads_1.shp 無法建立：檔案系統是唯讀的。"
                                    << "roads_1.shp cannot be created: the file system is read-only.";
  QTest::newRow("missing input") << file(FileOperation::Open, "/maps/河川.shp", ENOENT)
                                 << "河川.shp 無法開啟：沒有這個檔案或資料夾。"
                                 << "河川.shp cannot be opened: there is no such file or folder.";
  QTest::newRow("full disk") << file(FileOperation::Write, "/maps/roads_1.dbf", ENOSPC)
                             << "roads_1.dbf 無法寫入：磁碟已滿。" << "roads_1.dbf cannot be written: the disk is full.";
  QTest::newRow("no cause known") << file(FileOperation::Read, "/maps/roads.shp", 0) << "roads.shp 無法讀取。"
                                  << "roads.shp cannot be read.";
  QTest::newRow("unusual error number") << file(FileOperation::Open, "/maps/roads.shp", 9999)
                                        << "roads.shp 無法開啟：系統錯誤 9999。"
                                        << "roads.shp cannot be opened: system error 9999.";
  QTest::newRow("not a shapefile") << DetailsOf(ErrorKind::NotShapefile, "/maps/towns.shp")
                                   << "towns.shp 不是圖形檔。" << "towns.shp is not a shapefile.";
  QTest::newRow("header length") << length << "roads.shp 已損壞：檔頭記載的長度是 2000 位元組，檔案只有 1000 位元組。"
                                 << "roads.shp is damaged: its header gives a length of 2000 bytes, the file has 1000.";
  QTest::newRow("record cut short") << record(RecordDamage::CutShort, {})
                                    << "roads.shp 已損壞：第 3 筆紀錄（位於第 180 位元組）被截斷了。"
                                    << "roads.shp is damaged: record 3 (at byte 180) is cut short.";
  QTest::newRow("record too short") << record(RecordDamage::TooShort, {20}, "PointZ")
                                    << "roads.shp 已損壞：第 3 筆紀錄（位於第 180 位元組）太短，放不下一個點（含高程）（20 位元組）。"
                                    << "roads.shp is damaged: record 3 (at byte 180) is too short for a Point with Z (20 bytes).";
  QTest::newRow("part out of order") << record(RecordDamage::PartOutOfOrder, {2, 2, 5})
                                     << "roads.shp 已損壞：第 3 筆紀錄（位於第 180 位元組）的第 2 部分從第 2 點開始，順序不對或超出其 5 點。"
                                     << "roads.shp is damaged: record 3 (at byte 180) has part 2 starting at point 2, "
                                        "out of order or past its 5 points.";
  QTest::newRow("missing companion") << DetailsOf(ErrorKind::MissingCompanion, "/maps/roads.dbf")
                                     << "roads.dbf 不存在，沒有它無法轉換。"
                                     << "roads.dbf was not found; without it the shapefile cannot be converted.";
  QTest::newRow("floating point") << overflow << "roads.shp 無法轉換：浮點溢位。"
                                  << "roads.shp cannot be converted: a floating point overflow.";
  QTest::newRow("outside the grid") << grid << "roads.shp 無法轉換：點 (10, -95.5) 在蘭勃特方格之外。"
                                    << "roads.shp cannot be converted: the point (10, -95.5) lies outside the Lambert grid.";
}

void TranslationTest::problems() {
  QFETCH(ErrorDetails, details);
  QFETCH(QString, chinese);
  QFETCH(QString, english);
  QCOMPARE(ProblemText(details), chinese);
  QVERIFY(InstallTranslation(QStringLiteral("en")));
  QCOMPARE(ProblemText(details), english);
}

void TranslationTest::everyProblemIsWordedInEachLanguage() {
  const std::string folder = "/地圖/";
  const std::vector<ErrorDetails> all = EveryProblem(folder + "river.shp");
  QVERIFY(all.size() > 60);
  for (const QString& language : {QStringLiteral("zh_TW"), QStringLiteral("en")}) {
    InstallTranslation(language);
    const bool chinese = language == QStringLiteral("zh_TW");
    for (const ErrorDetails& details : all) {
      const QString text = ProblemText(details);
      const QString name = DisplayText(details.Path.substr(folder.size()));
      // A sentence that starts with the file's name, without the folder.
      QVERIFY2(text.startsWith(name + u' '), qPrintable(text));
      QVERIFY2(text.endsWith(chinese ? u'。' : u'.'), qPrintable(text));
      QVERIFY2(!text.contains(QStringLiteral("地圖")), qPrintable(text));
      const QString words = text.mid(name.size());
      QVERIFY2(chinese ? !HasLatinLetters(words) : !HasChinese(words), qPrintable(language + u' ' + text));
    }
  }
}

void TranslationTest::checkFindings_data() {
  QTest::addColumn<InputCheck>("check");
  QTest::addColumn<QString>("chinese");
  QTest::addColumn<QString>("english");
  const std::string path = "/maps/roads.shp";
  const NamedSystem twd67Tm2{NamedDatum::Twd67, NamedGrid::Tm2, 121.0};
  const auto found = [&](CheckFinding finding, Mode mode = Mode::Twd67Tm2ToTwd67Geographic,
                         Region region = kTaiwanRegion) {
    CheckReason reason;
    reason.Finding = finding;
    reason.Path = path;
    reason.Mode = IndexOf(mode);
    reason.RegionIndex = region;
    reason.Source = twd67Tm2;
    return reason;
  };
  const auto one = [](const CheckReason& reason) { return InputCheck{InputVerdict::Implausible, {reason}, {}, {}}; };

  QTest::newRow("no points") << one(found(CheckFinding::NoPoints)) << "roads.shp 沒有任何點。"
                             << "roads.shp holds no points.";
  QTest::newRow("not numbers") << one(found(CheckFinding::NotNumbers))
                               << "roads.shp 有些坐標不是數值（非數值或無限大）。"
                               << "roads.shp has coordinates that are not numbers (NaN or infinite).";
  // Grid values in whole metres, degrees to four decimals.
  CheckReason degrees = found(CheckFinding::OutsideExtent);
  degrees.Seen = {121.0, 24.0, 121.5, 25.0};
  degrees.Extent = {-246672.4, 2239828.0, 568751.0, 2968478.0};
  degrees.Resembles = LookAlike::Degrees;
  QTest::newRow("outside, like degrees")
      << one(degrees)
      << "roads.shp 的坐標（橫坐標 121 至 121.5，縱坐標 24 至 25）不在台灣地區的1967 台灣大地基準的二度分帶坐標（中央經線東經 "
         "121°）合理範圍（橫坐標 -246672 至 568751，縱坐標 2239828 至 2968478）之內；看來是以度為單位的經緯度。"
      << "roads.shp has coordinates (x 121 to 121.5, y 24 to 25) outside the plausible TWD67 TM2 grid (central meridian "
         "121°E) of Taiwan (x -246672 to 568751, y 2239828 to 2968478); they look like longitude and latitude in degrees.";
  CheckReason taiwan = found(CheckFinding::OutsideExtent, Mode::Twd67GeographicToTwd97Geographic, kIslandsRegion);
  taiwan.Source = {NamedDatum::Twd67, NamedGrid::Geographic, std::nullopt};
  taiwan.Seen = {121.123456, 24.0, 121.5, 25.0};
  taiwan.Extent = {118.0, 23.0, 120.5, 26.5};
  taiwan.Resembles = LookAlike::OtherRegion;
  taiwan.OtherRegion = kTaiwanRegion;
  QTest::newRow("outside, like another region")
      << one(taiwan)
      << "roads.shp 的坐標（橫坐標 121.1235 至 121.5，縱坐標 24 至 25）不在澎湖、金門、馬祖的1967 台灣大地基準的經緯度合理範圍"
         "（橫坐標 118 至 120.5，縱坐標 23 至 26.5）之內；看來是另一地區（地區 1，台灣地區）的坐標。"
      << "roads.shp has coordinates (x 121.1235 to 121.5, y 24 to 25) outside the plausible TWD67 longitude and latitude "
         "of Penghu, Kinmen and Matsu (x 118 to 120.5, y 23 to 26.5); they look like coordinates of another region "
         "(region 1, Taiwan).";
  CheckReason tm = found(CheckFinding::OutsideExtent, Mode::LambertToGeographic);
  tm.Source = {NamedDatum::Unknown, NamedGrid::Lambert, std::nullopt};
  tm.Seen = {250000.0, 2650000.0, 250000.0, 2650000.0};
  tm.Extent = {-1e6, 1e6, 1e6, 3e6};
  tm.Resembles = LookAlike::TmMetres;
  QTest::newRow("outside, like grid metres")
      << one(tm)
      << "roads.shp 的坐標（橫坐標 250000 至 250000，縱坐標 2650000 至 2650000）不在台灣地區的蘭勃特方格坐標合理範圍（橫坐標 "
         "-1000000 至 1000000，縱坐標 1000000 至 3000000）之內；看來是橫麥卡托方格的公尺數。"
      << "roads.shp has coordinates (x 250000 to 250000, y 2650000 to 2650000) outside the plausible Lambert grid of "
         "Taiwan (x -1000000 to 1000000, y 1000000 to 3000000); they look like metres of a Transverse Mercator grid.";
  CheckReason islands = found(CheckFinding::InAnotherRegion);
  islands.Seen = {150000.0, 2600000.0, 160000.0, 2610000.0};
  islands.Resembles = LookAlike::OtherRegion;
  islands.OtherRegion = kIslandsRegion;
  QTest::newRow("in another region")
      << one(islands)
      << "roads.shp 的坐標（橫坐標 150000 至 160000，縱坐標 2600000 至 2610000）全在澎湖、金門、馬祖，應選地區 2：那裡的方格有自己的中央經線。"
      << "roads.shp has coordinates (x 150000 to 160000, y 2600000 to 2610000) all in Penghu, Kinmen and Matsu; "
         "choose region 2, whose grids have a central meridian of their own.";
  QTest::newRow("region not for the mode")
      << one(found(CheckFinding::RegionNotForMode, Mode::Twd67Tm2ToTwd67Geographic, kMainlandRegion))
      << "roads.shp 無法以轉換方式 1 在地區 3（大陸地區）轉換：這個方式用地區的中央經線，而地區 3 沒有設定，只適用蘭勃特轉換方式 7 和 8。"
      << "roads.shp cannot be converted by mode 1 in region 3 (the mainland): the mode converts on the central meridian "
         "of the region, and region 3 sets none; it is only for the Lambert modes 7 and 8.";
  // The .prj's finding names the .prj; the hint of the modes that fit it names the main file.
  CheckReason utm = found(CheckFinding::PrjNamesAnother);
  utm.Path = "/maps/roads.prj";
  utm.Named = {NamedDatum::Wgs84, NamedGrid::Utm, 123.0};
  InputCheck mismatch{InputVerdict::Mismatch, {utm}, {{11, kTaiwanRegion}, {12, kIslandsRegion}}, {}};
  QTest::newRow(".prj names another")
      << mismatch
      << "roads.prj 記載的是1984 世界大地基準的通用橫麥卡托坐標（中央經線東經 123°），但轉換方式 1 的來源是1967 "
         "台灣大地基準的二度分帶坐標（中央經線東經 121°）。\nroads.shp 的投影檔符合轉換方式 12、13（地區 2）。"
      << "roads.prj names the WGS84 UTM grid (central meridian 123°E), but mode 1 converts from the TWD67 TM2 grid "
         "(central meridian 121°E).\nroads.shp has a .prj that fits modes 12, 13 (region 2).";
  CheckReason tm3 = found(CheckFinding::PrjNamesAnother, Mode::Twd97GeographicToTwd67Geographic);
  tm3.Path = "/maps/roads.prj";
  tm3.Named = {NamedDatum::Twd97, NamedGrid::Tm3, 121.0};
  tm3.Source = {NamedDatum::Twd97, NamedGrid::Geographic, std::nullopt};
  QTest::newRow(".prj names a three-degree grid")
      << InputCheck{InputVerdict::Mismatch, {tm3}, {}, {}}
      << "roads.prj 記載的是1997 台灣大地基準的三度分帶坐標（中央經線東經 121°），但轉換方式 10 的來源是1997 台灣大地基準的經緯度。"
      << "roads.prj names the TWD97 TM3 grid (central meridian 121°E), but mode 10 converts from the TWD97 longitude "
         "and latitude.";

  // What the run would fail on, as the run's errors are worded: from the figures of the finding
  // when it came without the error, from the error the check kept otherwise.
  const auto unreadable = [](CheckFinding finding, const std::string& file) {
    CheckReason reason;
    reason.Finding = finding;
    reason.Path = file;
    reason.Detail = "the run's English words";
    return InputCheck{InputVerdict::Unreadable, {reason}, {}, {}};
  };
  QTest::newRow("companion missing") << unreadable(CheckFinding::CompanionMissing, "/maps/roads.dbf")
                                     << "roads.dbf 不存在，沒有它無法轉換。"
                                     << "roads.dbf was not found; without it the shapefile cannot be converted.";
  QTest::newRow("not a shapefile") << unreadable(CheckFinding::NotAShapefile, path) << "roads.shp 不是圖形檔。"
                                   << "roads.shp is not a shapefile.";
  QTest::newRow("short header") << unreadable(CheckFinding::ShortHeader, "/maps/roads.shx")
                                << "roads.shx 已損壞：檔頭不足 100 位元組。"
                                << "roads.shx is damaged: its header is shorter than 100 bytes.";
  InputCheck beyond = unreadable(CheckFinding::LengthBeyondFile, path);
  beyond.Reasons[0].StatedBytes = 2000;
  beyond.Reasons[0].FileBytes = 1500;
  QTest::newRow("length beyond the file") << beyond << "roads.shp 已損壞：檔頭記載的長度是 2000 位元組，檔案只有 1500 位元組。"
                                          << "roads.shp is damaged: its header gives a length of 2000 bytes, the file has 1500.";
  InputCheck damaged = unreadable(CheckFinding::DamagedRecord, path);
  damaged.Reasons[0].Error = DetailsOf(ErrorKind::DamagedRecord, path);
  damaged.Reasons[0].Error.Record = 3;
  damaged.Reasons[0].Error.Offset = 180;
  damaged.Reasons[0].Error.Damage = RecordDamage::CutShort;
  QTest::newRow("damaged record") << damaged << "roads.shp 已損壞：第 3 筆紀錄（位於第 180 位元組）被截斷了。"
                                  << "roads.shp is damaged: record 3 (at byte 180) is cut short.";
  InputCheck unread = unreadable(CheckFinding::CannotRead, path);
  unread.Reasons[0].Error = FileError(FileOperation::Read, path, EIO).Details();
  QTest::newRow("cannot read") << unread << "roads.shp 無法讀取：輸入輸出錯誤。"
                               << "roads.shp cannot be read: an input/output error.";
}

// Each line a sentence that starts with its file's name and speaks only the window's language.
void TranslationTest::checkFindings() {
  QFETCH(InputCheck, check);
  QFETCH(QString, chinese);
  QFETCH(QString, english);
  for (const bool inChinese : {true, false}) {
    // Chinese is written, not installed: only English reports a translation.
    QCOMPARE(InstallTranslation(inChinese ? QStringLiteral("zh_TW") : QStringLiteral("en")), !inChinese);
    const QString text = CheckWords(check, "/maps/roads.shp");
    QCOMPARE(text, inChinese ? chinese : english);
    for (const QString& line : text.split(u'\n')) {
      const qsizetype name = line.indexOf(u' ');
      QVERIFY2(name > 0 && line.left(name).startsWith(QStringLiteral("roads.")), qPrintable(line));
      QVERIFY2(line.endsWith(inChinese ? u'。' : u'.'), qPrintable(line));
      const QString words = line.mid(name);
      QVERIFY2(inChinese ? !HasLatinLetters(words) : !HasChinese(words), qPrintable(line));
    }
  }
}

void TranslationTest::errorsOfThePreviewAreWordedToo() {
  const RunError damaged(DetailsOf(ErrorKind::ShortHeader, "/maps/roads.shp"));
  const FileError missing(FileOperation::Open, "/maps/gone.shp", ENOENT);
  const LambertGridError outside("The point (1, 2) lies outside the Lambert grid", 1, 2);
  QCOMPARE(ErrorText(damaged, "/maps/roads.shp"), QStringLiteral("roads.shp 已損壞：檔頭不足 100 位元組。"));
  QCOMPARE(ErrorText(missing, "/maps/gone.shp"), QStringLiteral("gone.shp 無法開啟：沒有這個檔案或資料夾。"));
  QCOMPARE(ErrorText(outside, "/maps/a.shp"), QStringLiteral("a.shp 無法轉換：點 (1, 2) 在蘭勃特方格之外。"));
  QVERIFY(InstallTranslation(QStringLiteral("en")));
  QCOMPARE(ErrorText(damaged, "/maps/roads.shp"),
           QStringLiteral("roads.shp is damaged: its header is shorter than 100 bytes."));
  QCOMPARE(ErrorText(outside, "/maps/a.shp"),
           QStringLiteral("a.shp cannot be converted: the point (1, 2) lies outside the Lambert grid."));
}

void TranslationTest::standardButtonsFollowTheLanguage() {
  for (const QString& language : {QStringLiteral("zh_TW"), QStringLiteral("en")}) {
    InstallTranslation(language);
    const bool chinese = language == QStringLiteral("zh_TW");
    MessageBoxDialogs dialogs(QStringLiteral("morvane"));
    QStringList shown;
    // Reads the buttons of the box that opens, then answers it.
    const auto answer = [&](QMessageBox::StandardButton press) {
      QTimer::singleShot(0, [&shown, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        for (QAbstractButton* button : box->buttons()) shown << button->text();
        box->button(press)->click();
      });
    };
    answer(QMessageBox::No);
    QVERIFY(!dialogs.AskYesNo(CloseDuringRunText()));
    answer(QMessageBox::Ok);
    dialogs.ShowError(QStringLiteral("x"));
    shown.sort();
    const QStringList expected = chinese ? QStringList{"否", "是", "確定"} : QStringList{"No", "OK", "Yes"};
    QCOMPARE(shown, expected);
  }
}

void TranslationTest::summaryIsOneScrollableCopyableBox() {
  for (const QString& language : {QStringLiteral("zh_TW"), QStringLiteral("en")}) {
    InstallTranslation(language);
    MessageBoxDialogs dialogs(QStringLiteral("morvane"));
    QStringList lines;
    for (int i = 0; i < 200; ++i) lines << QStringLiteral("file%1.shp").arg(i);
    QString ok;
    bool scrolls = false;
    bool readOnly = false;
    QString listed;
    QTimer::singleShot(0, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      QVERIFY(dialog != nullptr);
      auto* list = dialog->findChild<QPlainTextEdit*>(QStringLiteral("SummaryList"));
      QVERIFY(list != nullptr);
      listed = list->toPlainText();
      readOnly = list->isReadOnly() && (list->textInteractionFlags() & Qt::TextSelectableByKeyboard);
      scrolls = list->verticalScrollBar()->maximum() > 0;
      auto* buttons = dialog->findChild<QDialogButtonBox*>();
      QVERIFY(buttons != nullptr);
      ok = buttons->button(QDialogButtonBox::Ok)->text();
      QVERIFY(dialog->frameGeometry().width() <= dialog->screen()->availableGeometry().width());
      buttons->button(QDialogButtonBox::Ok)->click();
    });
    dialogs.ShowRunSummary(QStringLiteral("headline"), lines.join(u'\n'));
    QCOMPARE(listed, lines.join(u'\n'));
    QVERIFY(readOnly);
    QVERIFY(scrolls);
    QCOMPARE(ok, language == QStringLiteral("en") ? QStringLiteral("OK") : QStringLiteral("確定"));
  }
}

void TranslationTest::runBoxesAreTranslated() {
  QTemporaryDir good;
  QTemporaryDir broken;
  QVERIFY(good.isValid() && broken.isValid());
  test::WritePointShapefile(JoinPath(good.path().toStdString(), "towns"), {{250000, 2650000}});
  const std::string wells = JoinPath(broken.path().toStdString(), "wells");
  test::WritePointShapefile(wells, {{250000, 2650000}});
  QVERIFY(::unlink((wells + ".shx").c_str()) == 0);

  Open(QStringLiteral("en"));
  auto* tree = Control<FolderTree>("ShellTreeView1");
  QVERIFY(tree->SelectPath(good.path().toStdString()));
  QTest::mouseClick(Control<PillButton>("ShapeButton3"), Qt::LeftButton);
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Kind, BoxKind::Completion);
  QCOMPARE(dialogs_->Boxes[0].Text, QStringLiteral("Done!! Press OK"));
  QCOMPARE(dialogs_->Boxes[0].Caption, QStringLiteral("Message"));

  dialogs_->Boxes.clear();
  QVERIFY(tree->SelectPath(broken.path().toStdString()));
  QTest::mouseClick(Control<PillButton>("ShapeButton3"), Qt::LeftButton);
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  QCOMPARE(dialogs_->Boxes[0].Kind, BoxKind::Summary);
  QCOMPARE(dialogs_->Boxes[0].Text, QStringLiteral("Converted 0 of 1 files."));
  QCOMPARE(dialogs_->Boxes[0].List,
           QStringLiteral("Not converted:\nwells.shx was not found; without it the shapefile cannot be converted."));

  // An error escaping a handler is translated too, then gets its full stop.
  auto* app = qobject_cast<Application*>(QCoreApplication::instance());
  QVERIFY(app != nullptr);
  app->SetDialogs(dialogs_.get());
  app->ShowEscapedError(QStringLiteral("No the other choice"));
  app->SetDialogs(nullptr);
  QCOMPARE(dialogs_->Boxes.back().Kind, BoxKind::Error);
  QCOMPARE(dialogs_->Boxes.back().Text, QStringLiteral("No such mode."));
}

void TranslationTest::failuresOfARunAreOneSummaryInTheWindowsLanguage_data() {
  QTest::addColumn<QString>("language");
  QTest::newRow("Traditional Chinese") << "zh_TW";
  QTest::newRow("English") << "en";
}

void TranslationTest::failuresOfARunAreOneSummaryInTheWindowsLanguage() {
  QFETCH(QString, language);
  const bool chinese = language == QStringLiteral("zh_TW");
  QTemporaryDir folder;
  QVERIFY(folder.isValid());
  const std::string path = folder.path().toStdString();
  for (const char* stem : {"a", "b", "d"}) test::WritePointShapefile(JoinPath(path, stem), {{250000, 2650000}});
  QVERIFY(::unlink(JoinPath(path, "a.dbf").c_str()) == 0);        // a missing companion
  QVERIFY(::truncate(JoinPath(path, "b.shp").c_str(), 50) == 0);  // a damaged header
  QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("c.shp")));     // a folder named like a shapefile
  QVERIFY(::truncate(JoinPath(path, "d.shx").c_str(), 20) == 0);  // a damaged index

  Open(language);
  QVERIFY(Control<FolderTree>("ShellTreeView1")->SelectPath(path));
  QCOMPARE(Control<CheckList>("CheckListBox1")->count(), 4);
  QTest::mouseClick(Control<PillButton>("ShapeButton3"), Qt::LeftButton);

  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  const test::ShownBox& box = dialogs_->Boxes[0];
  QCOMPARE(box.Kind, BoxKind::Summary);
  QCOMPARE(box.Text, chinese ? QStringLiteral("已轉換 0 個檔案，共 4 個。") : QStringLiteral("Converted 0 of 4 files."));
  const QStringList lines = box.List.split(u'\n');
  QCOMPARE(lines.size(), 5);
  const QStringList names = {"a.dbf", "b.shp", "c.shp", "d.shx"};
  for (int i = 0; i < 4; ++i) {
    QVERIFY2(lines[i + 1].startsWith(names[i] + u' '), qPrintable(lines[i + 1]));
    const QString words = lines[i + 1].mid(names[i].size());
    QVERIFY2(chinese ? !HasLatinLetters(words) : !HasChinese(words), qPrintable(lines[i + 1]));
  }
  QVERIFY2(chinese ? !HasLatinLetters(box.Text + lines[0]) : !HasChinese(box.Text + lines[0]), qPrintable(box.List));
}

void TranslationTest::runSummaryIsTranslated() {
  RunSummary summary;
  summary.Files = 5;
  summary.Converted = 1;
  summary.Failed = {{"/maps/a.shp", "/maps/a.shx Not found", DetailsOf(ErrorKind::MissingCompanion, "/maps/a.shx")},
                    {"/maps/c.shp", "Handler failed", {}}};
  summary.Skipped = {{"/maps/b_1.shp", "", {}}};
  const QString chinese = RunSummaryText(summary);
  QCOMPARE(chinese, QStringLiteral("已轉換 1 個檔案，共 5 個。\n\n未能轉換：\na.shx 不存在，沒有它無法轉換。\nc.shp：Handler failed"
                                   "\n\n略過（未覆蓋）：\n/maps/b_1.shp\n\n未開始：1 個檔案"));
  QCOMPARE(CancelledRunHeadline(summary), QStringLiteral("轉換已取消。\n已轉換 1 個檔案，共 5 個。"));
  QVERIFY(InstallTranslation(QStringLiteral("en")));
  QCOMPARE(RunSummaryText(summary),
           QStringLiteral("Converted 1 of 5 files.\n\nNot converted:\na.shx was not found; without it the shapefile cannot "
                          "be converted.\nc.shp: Handler failed\n\nLeft out (not replaced):\n/maps/b_1.shp\n\nNot begun: 1 files"));
  QCOMPARE(CancelledRunHeadline(summary), QStringLiteral("The conversion was cancelled.\nConverted 1 of 5 files."));
  QCOMPARE(NothingToConvertText(false), QStringLiteral("Choose a folder in step 2 first; nothing was converted."));
  QVERIFY(!HasChinese(ReplaceQuestionText({"/maps/b_1.shp"})));
  QVERIFY(!HasChinese(CloseDuringRunText()));
}

void TranslationTest::datumStepSpeaksEnglish() {
  Open(QStringLiteral("en"));
  auto* box = Control<DatumStepBox>("DatumStepBox");
  auto* accuracy = Control<QLabel>("DatumStepAccuracy");
  auto* choices = Control<QComboBox>("DatumStepChoice");
  QStringList texts{box->title(), accuracy->text()};
  Control<RadioGroup>("RadioGroup1")->SetItemIndex(ItemOf(Mode::Twd67Tm2ToTwd97Tm2));
  for (Region region = 0; region < kRegionCount; ++region) {
    Control<RadioGroup>("RadioGroup2")->SetItemIndex(region);
    for (int choice : {0, 1}) {
      box->Choose(choice);
      QApplication::processEvents();  // the layout follows the text
      QVERIFY2(WrappedTextFits(*accuracy), qPrintable(accuracy->text()));
      texts << accuracy->text() << choices->itemText(choice) << choices->itemData(choice, Qt::ToolTipRole).toString();
    }
  }
  QVERIFY2(texts.last().contains(QStringLiteral("No built-in model")), qPrintable(texts.join(u'|')));
  // Control points: the residual window, its table and the arrows' caption.
  Control<RadioGroup>("RadioGroup2")->SetItemIndex(kTaiwanRegion);
  dialogs_->FileAnswers.push_back(QStringLiteral(MORVANE_COMMON_POINTS_CSV));
  box->Choose(2);
  QVERIFY(dialogs_->Boxes.empty());
  ResidualWindow* residuals = box->Residuals();
  QVERIFY(residuals->isVisible());
  texts << choices->itemText(2) << choices->itemText(3) << accuracy->text() << residuals->windowTitle();
  for (const QLabel* label : residuals->findChildren<QLabel*>()) texts << label->text();
  for (const QPushButton* button : residuals->findChildren<QPushButton*>()) texts << button->text();
  auto* table = residuals->findChild<ResidualTable*>(QStringLiteral("ResidualTable"));
  for (int column = 0; column < table->columnCount(); ++column) texts << table->horizontalHeaderItem(column)->text();
  for (int row = 0; row < table->rowCount(); ++row) texts << table->item(row, ResidualTable::Mark)->text();
  auto* models = residuals->findChild<QComboBox*>(QStringLiteral("ResidualModel"));
  for (int i = 0; i < models->count(); ++i) texts << models->itemText(i);
  texts << Control<QLabel>("PreviewArrowScaleText")->text();
  dialogs_->FileAnswers.push_back(QStringLiteral("/nonexistent/folder/x.model"));
  residuals->SaveModel();
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{1});
  texts << dialogs_->Boxes[0].Text;
  QVERIFY(texts.size() > 40);
  for (const QString& text : texts) QVERIFY2(!HasChinese(text), qPrintable(text));
}

}  // namespace morvane

MORVANE_WINDOW_TEST_MAIN(morvane::TranslationTest)

#include "translation_test.moc"
