#include "main_window.hpp"

#include <QCoreApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QHBoxLayout>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "background_run.hpp"
#include "check_texts.hpp"
#include "engine/mode_table.hpp"
#include "fonts.hpp"
#include "step_two_layout.hpp"
#include "shapefile/folder_listing.hpp"
#include "texts.hpp"
#include "translation.hpp"
#include "widgets/icons.hpp"

namespace morvane {
namespace {

// The design's client area, in pixels at 96 dots per inch.
constexpr int kClientWidth = 712;
constexpr int kClientHeight = 635;
constexpr int kPreviewWidth = 480;
// The region group keeps at least the width it has at the design size.
constexpr int kRegionGroupMinimumWidth = 183;

// What the window remembers between sessions.
const QString kFolderKey = QStringLiteral("folder");
const QString kModeKey = QStringLiteral("mode");
const QString kRegionKey = QStringLiteral("region");

// The engine's captions, written in Chinese, are the sources of their translations.
QString Translated(const char* context, std::string_view caption) {
  return QCoreApplication::translate(context, std::string(caption).c_str());
}

QStringList ModeCaptions() {
  QStringList list;
  for (const ModeRow& row : kModes) list << Translated("Modes", row.Caption);
  return list;
}

QStringList RegionCaptions() {
  QStringList list;
  for (const RegionRow& row : kRegions) list << Translated("Regions", row.Caption);
  return list;
}

QGroupBox* MakeFrame(const QString& caption, int height, QWidget* parent) {
  auto* frame = new QGroupBox(caption, parent);
  frame->setFont(FrameFont());
  QPalette palette = frame->palette();
  palette.setColor(QPalette::WindowText, Qt::black);
  palette.setColor(QPalette::Text, Qt::black);
  frame->setPalette(palette);
  frame->setFixedHeight(height);
  return frame;
}

QString CreditLine() {
  return MainWindow::tr("Morvane 坐標轉換工具　由 Morvane 開發小組製作　問題與建議請寫信到 %1")
      .arg(QString::fromLatin1(kContactAddress));
}

}  // namespace

MainWindow::MainWindow(WindowDialogs& dialogs, QWidget* parent)
    : QWidget(parent),
      dialogs_(dialogs),
      fileProgress_(new TiledProgressBar(this)),
      overallProgress_(new TiledProgressBar(this)),
      feedback_(dialogs, *overallProgress_, *fileProgress_) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Morvane V2.2          2006.03.15"));
  setFont(WindowFont());
  resize(kClientWidth, kClientHeight);

  // Step one: mode and region.
  stepOne_ = MakeFrame(tr("步驟一:選擇轉換方式"), 209, this);
  modes_ = new RadioGroup(tr("A. 請[正確] 選擇影像坐標轉換方式 "), ModeCaptions(), 2, stepOne_);
  modes_->setFixedWidth(519);
  regions_ = new RadioGroup(tr("B. 請選擇轉換的地區"), RegionCaptions(), 1, stepOne_);
  // It takes whatever width is left and clips its captions rather than widen the window, but
  // never less than shows its title and the start of every caption.
  regions_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  regions_->setMinimumWidth(kRegionGroupMinimumWidth);
  // The datum step shares the regions' column.
  datumStep_ = new DatumStepBox(dialogs, stepOne_);
  datumStep_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  auto* regionColumn = new QVBoxLayout;
  regionColumn->setSpacing(0);
  regionColumn->addWidget(regions_);
  regionColumn->addWidget(datumStep_, 1);
  auto* stepOne = new QHBoxLayout(stepOne_);
  stepOne->setContentsMargins(2, 2, 2, 2);
  stepOne->setSpacing(0);
  stepOne->addWidget(modes_);
  stepOne->addLayout(regionColumn);

  // Step two: folder and files, placed as designed at the design size and growing with the
  // window beyond it.
  stepTwo_ = MakeFrame(tr("步驟二:請選擇路徑及欲處理之檔案"), 320, this);
  stepTwo_->setMinimumSize(StepTwoLayout::MinimumFrameSize());
  stepTwo_->setMaximumHeight(QWIDGETSIZE_MAX);
  stepTwo_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
  folders_ = new FolderTree(stepTwo_);
  selectAll_ = new PillButton(tr("全選"), TickIcon(), stepTwo_);
  selectAll_->SetTransparentBackground(true);
  selectNone_ = new PillButton(tr("全不選"), CrossIcon(), stepTwo_);
  selectNone_->SetTransparentBackground(true);
  fileList_ = new CheckList(stepTwo_);
  new StepTwoLayout(stepTwo_, folders_, selectAll_, selectNone_, fileList_);

  credit_ = new LinkLabel(CreditLine(), this);
  credit_->setFixedHeight(16);

  // Step three: run.
  stepThree_ = MakeFrame(tr("步驟三:轉換"), 61, this);
  run_ = new PillButton(tr("執行 按我就對了"), PlayIcon(), stepThree_);
  run_->setGeometry(264, 20, 153, 33);
  cancel_ = new PillButton(tr("取消"), CrossIcon(), stepThree_);
  cancel_->setGeometry(440, 20, 97, 33);
  cancel_->setEnabled(false);

  fileProgress_->setFixedHeight(13);
  overallProgress_->setFixedHeight(13);

  // Docking: frames and the credit line along the top at full width, bars at the bottom.
  auto* column = new QVBoxLayout;
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(stepOne_);
  column->addWidget(stepTwo_, 1);
  column->addWidget(credit_);
  column->addWidget(stepThree_);
  // The design leaves three pixels between step three and the bars.
  column->addSpacing(kClientHeight - 209 - 320 - 16 - 61 - 2 * 13);
  column->addWidget(fileProgress_);
  column->addWidget(overallProgress_);

  // The preview, right of everything above.
  preview_ = new PreviewPane(DefaultCoastlinePath(), this);
  preview_->hide();
  auto* panes = new QHBoxLayout(this);
  panes->setContentsMargins(0, 0, 0, 0);
  panes->setSpacing(0);
  // Both share a wider window in the proportion of their design widths.
  panes->addLayout(column, kClientWidth);
  panes->addWidget(preview_, kPreviewWidth);

  stepOne_->setObjectName(QStringLiteral("GroupBox3"));
  modes_->setObjectName(QStringLiteral("RadioGroup1"));
  regions_->setObjectName(QStringLiteral("RadioGroup2"));
  stepTwo_->setObjectName(QStringLiteral("GroupBox1"));
  folders_->setObjectName(QStringLiteral("ShellTreeView1"));
  selectAll_->setObjectName(QStringLiteral("ShapeButton1"));
  selectNone_->setObjectName(QStringLiteral("ShapeButton2"));
  fileList_->setObjectName(QStringLiteral("CheckListBox1"));
  credit_->setObjectName(QStringLiteral("LinkLabel1"));
  stepThree_->setObjectName(QStringLiteral("GroupBox2"));
  run_->setObjectName(QStringLiteral("ShapeButton3"));
  cancel_->setObjectName(QStringLiteral("ShapeButton4"));
  fileProgress_->setObjectName(QStringLiteral("ProgressFill2"));
  overallProgress_->setObjectName(QStringLiteral("ProgressFill1"));

  watcher_ = new QFileSystemWatcher(this);
  connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &MainWindow::RefreshFolders);
  connect(run_, &QAbstractButton::clicked, this, &MainWindow::StartConversion);
  connect(cancel_, &QAbstractButton::clicked, this, &MainWindow::CancelConversion);
  connect(selectAll_, &QAbstractButton::clicked, this, &MainWindow::SelectAll);
  connect(selectNone_, &QAbstractButton::clicked, this, &MainWindow::SelectNone);
  connect(folders_, &QTreeWidget::currentItemChanged, this, &MainWindow::ListSelectedFolder);
  connect(folders_, &FolderTree::FolderExpanded, this, &MainWindow::SortFolderTree);
  connect(credit_, &LinkLabel::Clicked, this, &MainWindow::OpenMailLink);
  connect(fileList_, &QListWidget::currentRowChanged, this, &MainWindow::PreviewCurrentFile);
  connect(modes_, &RadioGroup::ItemIndexChanged, this, &MainWindow::PreviewWithChosenMode);
  connect(regions_, &RadioGroup::ItemIndexChanged, this, &MainWindow::PreviewWithChosenMode);
  connect(datumStep_, &DatumStepBox::Changed, this, &MainWindow::UseDatumStep);
  setAcceptDrops(true);

  auto* refresh = new QShortcut(QKeySequence::Refresh, this);
  connect(refresh, &QShortcut::activated, this, &MainWindow::RefreshFolders);

  // The tree was built with the computer expanded and selected, so the list starts empty.
  folders_->SortAll();
}

void MainWindow::StartConversion() {
  // A press during a run (the button is disabled then) starts nothing on top of it.
  if (running_) return;
  // The marks follow the files as they are now; the run checks them again itself.
  CheckListedFiles();
  // A fitted datum step for another region than the one chosen is not run.
  if (datumStep_->Applies() && !datumStep_->Problem().isEmpty()) {
    ShowError(datumStep_->Problem());
    return;
  }
  // The boxes at the end of the run name a fitted datum step; with the standard step they stay
  // as they always were.
  const QString datumNote = datumStep_->Step().Kind != DatumStepKind::Standard
                                ? QStringLiteral("\n\n") + datumStep_->Description()
                                : QString();
  feedback_.SetCompletionNote(datumNote);
  try {
    const Conversion conversion = ChosenConversion();
    const std::string folder = folders_->SelectedFolder();
    const std::vector<RunItem> items = fileList_->Items();
    // The run goes to a worker; the window's loop turns until it ends.
    stop_ = false;
    SetRunning(true);
    ForwardingFeedback feedback(*this, feedback_, stop_);
    RunSummary summary;
    try {
      RunInBackground([&] { summary = RunConversion(conversion, items, folder, feedback, files_); });
    } catch (...) {
      SetRunning(false);
      throw;
    }
    SetRunning(false);
    if (refreshAfterRun_) {
      refreshAfterRun_ = false;
      QTimer::singleShot(0, this, &MainWindow::RefreshFolders);
    }
    if (closeAfterRun_) {
      close();
      return;
    }
    if (summary.Files == 0)
      dialogs_.ShowMessage(NothingToConvertText(!folder.empty()));
    else if (summary.Cancelled)
      dialogs_.ShowRunSummary(CancelledRunHeadline(summary) + datumNote, RunSummaryList(summary));
    else if (!summary.AllConverted())
      dialogs_.ShowRunSummary(RunSummaryHeadline(summary) + datumNote, RunSummaryList(summary));
  } catch (const RunError& error) {
    dialogs_.ShowError(ProblemText(error.Details()));
  } catch (const std::exception& error) {
    ShowError(DisplayText(error.what()));
  }
}

Conversion MainWindow::ChosenConversion() const {
  return Conversion{static_cast<TransformMode>(modes_->ItemIndex()), regions_->ItemIndex(),
                    datumStep_->Step()};
}

void MainWindow::CancelConversion() {
  stop_ = true;
  cancel_->setEnabled(false);
}

void MainWindow::SetRunning(bool running) {
  running_ = running;
  run_->setEnabled(!running);
  cancel_->setEnabled(running);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!running_) {
    QWidget::closeEvent(event);
    return;
  }
  event->ignore();
  if (dialogs_.AskYesNo(CloseDuringRunText())) {
    stop_ = true;
    closeAfterRun_ = true;
  }
}

void MainWindow::SelectAll() { fileList_->SetAllTicked(true); }

void MainWindow::SelectNone() { fileList_->SetAllTicked(false); }

void MainWindow::ListSelectedFolder() {
  const std::string folder = folders_->SelectedFolder();
  if (settings_ != nullptr && !folder.empty()) {
    settings_->setValue(kFolderKey, QByteArray(folder.data(), static_cast<qsizetype>(folder.size())));
  }
  if (!watcher_->directories().isEmpty()) watcher_->removePaths(watcher_->directories());
  if (!folder.empty()) watcher_->addPath(QFile::decodeName(QByteArray::fromStdString(folder)));
  ListFolderFiles(false);
}

void MainWindow::ListFolderFiles(bool keepTicks) {
  const std::string folder = folders_->SelectedFolder();
  // The computer root has no path: its list is empty.
  std::vector<ListedShapefile> entries =
      folder.empty() ? std::vector<ListedShapefile>{} : ListShapefilesMarked(files_, folder);
  SortByShownName(entries);
  if (keepTicks) {
    // Files listed before keep their ticks; new ones come as listing marks them.
    const std::vector<RunItem> before = fileList_->Items();
    fileList_->SetEntries(entries);
    for (int i = 0; i < fileList_->count(); ++i) {
      const std::string name = fileList_->Name(i);
      const auto old = std::find_if(before.begin(), before.end(), [&](const RunItem& item) { return item.Text == name; });
      if (old != before.end()) fileList_->SetTicked(i, old->Ticked);
    }
  } else {
    fileList_->SetEntries(entries);
  }
  CheckListedFiles();
}

void MainWindow::RefreshFolders() {
  // The run's own outputs appear while it goes on: the folder is read again once it has ended.
  if (running_) {
    refreshAfterRun_ = true;
    return;
  }
  folders_->Refresh();
  ListFolderFiles(true);
}

void MainWindow::CheckListedFiles() {
  const std::string folder = folders_->SelectedFolder();
  const auto mode = static_cast<TransformMode>(modes_->ItemIndex());
  const Region region = regions_->ItemIndex();
  ListingCacheFileSystem files(files_);  // the folder is listed once for all the .prj lookups
  for (int i = 0; i < fileList_->count(); ++i) {
    const std::string path = JoinPath(folder, fileList_->Name(i));
    const InputCheck check = CheckInput(path, mode, region, files);
    // The modes that fit the .prj are a hint only: the user's choice of mode stays as it is.
    fileList_->SetWarning(i, PassesCheck(check) ? QString() : CheckWords(check, path));
  }
}

void MainWindow::SortFolderTree() { folders_->SortAll(); }

void MainWindow::OpenMailLink() {
  // Without a mail program this fails; nothing is shown then.
  QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + QString::fromLatin1(kContactAddress)));
}

void MainWindow::PreviewCurrentFile() {
  const int row = fileList_->currentRow();
  if (row < 0) return;
  ShowPreview();
  preview_->ShowFile(JoinPath(folders_->SelectedFolder(), fileList_->Name(row)),
                    fileList_->item(row)->text(), static_cast<TransformMode>(modes_->ItemIndex()),
                    regions_->ItemIndex());
}

void MainWindow::ShowPreview() {
  if (preview_->isVisible()) return;
  const QRect frame = frameGeometry();
  const int frameExtra = frame.width() - width();
  preview_->show();
  const QScreen* display = screen();
  if (display == nullptr) {
    resize(width() + kPreviewWidth, height());
    return;
  }
  const QRect available = display->availableGeometry();
  resize(std::min(frame.width() + kPreviewWidth, available.width()) - frameExtra, height());
  // Moved left as far as the wider window needs, and never past the screen's left edge.
  QRect widened(frame.topLeft(), QSize(width() + frameExtra, frame.height()));
  if (widened.right() > available.right()) widened.moveRight(available.right());
  if (widened.left() < available.left()) widened.moveLeft(available.left());
  move(widened.topLeft());
}

void MainWindow::UseDatumStep() {
  if (settings_ != nullptr) datumStep_->Remember(*settings_);
  ResidualArrows arrows = datumStep_->Arrows();
  if (!arrows.Empty()) ShowPreview();
  preview_->SetResidualArrows(std::move(arrows));
}

void MainWindow::PreviewWithChosenMode() {
  if (settings_ != nullptr) {
    settings_->setValue(kModeKey, modes_->ItemIndex());
    settings_->setValue(kRegionKey, regions_->ItemIndex());
  }
  preview_->SetConversion(static_cast<TransformMode>(modes_->ItemIndex()), regions_->ItemIndex());
  datumStep_->SetConversion(static_cast<TransformMode>(modes_->ItemIndex()), regions_->ItemIndex());
  CheckListedFiles();
}

void MainWindow::UseSettings(QSettings& settings) {
  // Read everything before choosing anything: each choice writes the settings.
  const int mode = settings.value(kModeKey, 0).toInt();
  const int region = settings.value(kRegionKey, 0).toInt();
  const QByteArray folder = settings.value(kFolderKey).toByteArray();
  if (mode >= 0 && mode < modes_->Count()) modes_->SetItemIndex(mode);
  if (region >= 0 && region < regions_->Count()) regions_->SetItemIndex(region);
  if (!folder.isEmpty()) folders_->SelectPath(folder.toStdString());
  // After the region: a fitted step is read for the region's grid.
  datumStep_->Recall(settings);
  settings_ = &settings;
}

std::string MainWindow::DroppedFolder(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return {};
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    const QByteArray path = QFile::encodeName(url.toLocalFile());
    if (QFileInfo(url.toLocalFile()).isDir()) return path.toStdString();
  }
  return {};
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedFolder(event->mimeData()).empty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const std::string folder = DroppedFolder(event->mimeData());
  if (folder.empty()) return;
  folders_->SelectPath(folder);
  event->acceptProposedAction();
}

void MainWindow::ShowError(const QString& message) {
  dialogs_.ShowError(ErrorBoxText(TranslatedMessage(message)));
}

void MainWindow::showEvent(QShowEvent* event) {
  if (!centred_) {
    centred_ = true;
    if (const QScreen* display = screen()) {
      QRect frame = frameGeometry();
      frame.moveCenter(display->availableGeometry().center());
      move(frame.topLeft());
    }
  }
  QWidget::showEvent(event);
}

}  // namespace morvane
