// The window in both of its languages: Traditional Chinese as written and the built-in English
// translation. The captions are checked against the expected texts, no Chinese is left in the
// English window, no control's text is wider than the control, and the run's messages reach
// the boxes translated with their paths kept.
#include <unistd.h>

#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QtTest>
#include <clocale>
#include <memory>

#include "application.hpp"
#include "datum_step_box.hpp"
#include "engine/mode_table.hpp"
#include "fonts.hpp"
#include "main_window.hpp"
#include "recording_dialogs.hpp"
#include "shapefile/folder_listing.hpp"
#include "shapefile_fixture.hpp"
#include "texts.hpp"
#include "translation.hpp"

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

class TranslationTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup();

  void languageOption();
  void englishLoadsOnlyForEnglish();
  void captions_data();
  void captions();
  void englishWindowShowsNoChinese();
  void noTextIsClipped_data();
  void noTextIsClipped();
  void messages_data();
  void messages();
  void runBoxesAreTranslated();
  void runSummaryIsTranslated();
  void datumStepSpeaksEnglish();

 private:
  // The window in `language`, shown; every box goes to dialogs_.
  void Open(const QString& language);
  template <typename T>
  T* Control(const char* name) const {
    return form_->findChild<T*>(QString::fromLatin1(name));
  }

  std::unique_ptr<test::RecordingDialogs> dialogs_;
  std::unique_ptr<MainWindow> form_;
};

void TranslationTest::Open(const QString& language) {
  InstallTranslation(language);
  dialogs_ = std::make_unique<test::RecordingDialogs>();
  form_ = std::make_unique<MainWindow>(*dialogs_);
  form_->show();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void TranslationTest::cleanup() {
  form_.reset();
  dialogs_.reset();
  InstallTranslation(QStringLiteral("zh_TW"));
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
  QCOMPARE(modeGroup->Item(10)->text(), mode11);
  QCOMPARE(Control<RadioGroup>("RadioGroup2")->Item(2)->text(), region3);
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
  QTest::addColumn<QString>("english");
  QTest::newRow("completion") << "已完成!! 請按確定" << "Done!! Press OK";
  QTest::newRow("completion caption") << "Message" << "Message";
  QTest::newRow("invalid region") << "No this choice" << "No such region";
  QTest::newRow("invalid mode") << "No the other choice" << "No such mode";
  QTest::newRow("missing companion") << "/maps/河川.shx Not found" << "/maps/河川.shx not found";
  QTest::newRow("cannot open") << "Cannot open file /maps/a.shp" << "Cannot open file /maps/a.shp";
  QTest::newRow("cannot create") << "Cannot create file /ro/a_1.shp" << "Cannot create file /ro/a_1.shp";
  QTest::newRow("path with a place marker") << "/maps/%1 Not found" << "/maps/%1 not found";
  QTest::newRow("floating point") << "Floating point overflow" << "Floating point overflow";
  QTest::newRow("damaged file, English in both")
      << "File /maps/a.shp is damaged: record 3 (at byte 180) is cut short"
      << "File /maps/a.shp is damaged: record 3 (at byte 180) is cut short";
  QTest::newRow("only a suffix") << " Not found" << " Not found";
}

void TranslationTest::messages() {
  QFETCH(QString, message);
  QFETCH(QString, english);
  QCOMPARE(TranslatedMessage(message), message);  // Chinese: as the run wrote it
  QVERIFY(InstallTranslation(QStringLiteral("en")));
  QCOMPARE(TranslatedMessage(message), english);
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
  const QString notFound = QString::fromStdString(wells) + QStringLiteral(".shx not found");
  QCOMPARE(dialogs_->Boxes.size(), std::size_t{2});
  QCOMPARE(dialogs_->Boxes[0].Text, notFound);
  QCOMPARE(dialogs_->Boxes[1].Text, QStringLiteral("Converted 0 of 1 files.\n\nNot converted:\n") + notFound);

  // An error escaping a handler is translated too, then gets its full stop.
  auto* app = qobject_cast<Application*>(QCoreApplication::instance());
  QVERIFY(app != nullptr);
  app->SetDialogs(dialogs_.get());
  app->ShowEscapedError(QStringLiteral("No the other choice"));
  app->SetDialogs(nullptr);
  QCOMPARE(dialogs_->Boxes.back().Kind, BoxKind::Error);
  QCOMPARE(dialogs_->Boxes.back().Text, QStringLiteral("No such mode."));
}

void TranslationTest::runSummaryIsTranslated() {
  RunSummary summary;
  summary.Files = 4;
  summary.Converted = 1;
  summary.Failed = {{"/maps/a.shp", "/maps/a.shx Not found"}};
  summary.Skipped = {{"/maps/b_1.shp", ""}};
  const QString chinese = RunSummaryText(summary);
  QCOMPARE(chinese, QStringLiteral("已轉換 1 個檔案，共 4 個。\n\n未能轉換：\n/maps/a.shx Not found"
                                   "\n\n略過（未覆蓋）：\n/maps/b_1.shp\n\n未開始：1 個檔案"));
  QVERIFY(InstallTranslation(QStringLiteral("en")));
  QCOMPARE(RunSummaryText(summary), QStringLiteral("Converted 1 of 4 files.\n\nNot converted:\n/maps/a.shx not found"
                                                   "\n\nLeft out (not replaced):\n/maps/b_1.shp\n\nNot begun: 1 files"));
  QCOMPARE(NothingToConvertText(false), QStringLiteral("Choose a folder in step 2 first; nothing was converted."));
  QVERIFY(!HasChinese(ReplaceQuestionText({"/maps/b_1.shp"})));
}

void TranslationTest::datumStepSpeaksEnglish() {
  Open(QStringLiteral("en"));
  auto* box = Control<DatumStepBox>("DatumStepBox");
  auto* accuracy = Control<QLabel>("DatumStepAccuracy");
  auto* choices = Control<QComboBox>("DatumStepChoice");
  QStringList texts{box->title(), accuracy->text()};
  Control<RadioGroup>("RadioGroup1")->SetItemIndex(10);
  for (int region : {0, 1, 2}) {
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
  Control<RadioGroup>("RadioGroup2")->SetItemIndex(0);
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

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  morvane::Application app(argc, argv);
  morvane::InstallFontSubstitutes();
  morvane::TranslationTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "translation_test.moc"
