// The program's one window (object name "Form1"): step one chooses the mode and the region, step two a
// folder and its shapefiles, step three runs the conversion; a credit line with a mail link
// and two progress bars sit below. The class only builds the controls and wires their
// events to the handlers; the conversion itself is the shapefile library's run.
#pragma once

#include <QFileSystemWatcher>
#include <QGroupBox>
#include <QSettings>
#include <atomic>
#include <QWidget>

#include "check_list.hpp"
#include "dialogs.hpp"
#include "engine/engine_state.hpp"
#include "folder_tree.hpp"
#include "preview_pane.hpp"
#include "shapefile/file_system.hpp"
#include "shapefile/input_check.hpp"
#include "widgets/link_label.hpp"
#include "widgets/pill_button.hpp"
#include "widgets/radio_group.hpp"
#include "widgets/tiled_progress_bar.hpp"
#include "window_feedback.hpp"

namespace morvane {

// The credit line's contact address; the link opens "mailto:" followed by it.
inline constexpr char kContactAddress[] = "morvane-team@example.org";

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // The dialogs must outlive the window.
  explicit MainWindow(WindowDialogs& dialogs, QWidget* parent = nullptr);

  // Event handlers. The controls keep the design's object names (RadioGroup1, ShapeButton3,
  // ...), by which the design and the tests find them.
  void StartConversion();        // the run button, ShapeButton3
  void CancelConversion();       // ShapeButton4: stop the run after the file in progress
  void SelectAll();              // ShapeButton1
  void SelectNone();             // ShapeButton2
  void ListSelectedFolder();     // a folder selected in ShellTreeView1
  void SortFolderTree();         // a branch of ShellTreeView1 expanded
  void OpenMailLink();           // LinkLabel1
  void PreviewCurrentFile();     // the current file of CheckListBox1
  void PreviewWithChosenMode();  // another mode or region chosen

  // F5 and a change in the selected folder: the tree reads its folders again and the list
  // follows the folder's files, keeping the ticks of the files still there.
  void RefreshFolders();

  // Shows an error that ended an operation, as the error box.
  void ShowError(const QString& message);

  EngineState& Engine() { return engine_; }

  // Chooses the folder, mode and region that `settings` remember from the last session, and
  // remembers every later choice there. Without it nothing is remembered.
  void UseSettings(QSettings& settings);

  // The folder of a drop from a file manager: the first local folder among its URLs, as raw
  // bytes; empty if there is none.
  static std::string DroppedFolder(const QMimeData* data);

 protected:
  void showEvent(QShowEvent* event) override;
  // Closing during a run asks whether to stop it; the window then closes when it has stopped.
  void closeEvent(QCloseEvent* event) override;
  void SetRunning(bool running);
  // A folder dropped on the window is selected in the tree.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  WindowDialogs& dialogs_;

  // Controls, top to bottom.
  QGroupBox* GroupBox3;
  RadioGroup* RadioGroup1;
  RadioGroup* RadioGroup2;
  QGroupBox* GroupBox1;
  FolderTree* ShellTreeView1;
  PillButton* ShapeButton1;
  PillButton* ShapeButton2;
  CheckList* CheckListBox1;
  LinkLabel* LinkLabel1;
  QGroupBox* GroupBox2;
  PillButton* ShapeButton3;
  PillButton* ShapeButton4;  // enabled only while a run is in progress
  TiledProgressBar* ProgressFill2;
  TiledProgressBar* ProgressFill1;
  // Hidden until a file is previewed; it then widens the window by its own width, as far as
  // the screen allows (ShowPreviewWithinScreen).
  PreviewPane* Preview;

  // Lists the selected folder's shapefiles, sorted by name in the locale's order. With
  // `keepTicks`, files listed before keep their ticks and new ones are ticked.
  void ListFolderFiles(bool keepTicks);
  // Checks every listed file against the chosen mode and region, and marks those that fail.
  void CheckListedFiles();
  // Shows the preview right of the steps: the window widens by the preview's width as far as
  // the screen's available area allows, and moves left to stay inside it; on a narrow screen
  // the preview gets the room there is.
  void ShowPreviewWithinScreen();

  WindowFeedback feedback_;
  EngineState engine_;
  LocalFileSystem files_;
  bool centred_ = false;
  QFileSystemWatcher* watcher_ = nullptr;  // on the selected folder
  QSettings* settings_ = nullptr;
  bool running_ = false;
  std::atomic<bool> stop_ = false;
  bool closeAfterRun_ = false;
  bool refreshAfterRun_ = false;
};

}  // namespace morvane
