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
#include "datum_step_box.hpp"
#include "dialogs.hpp"
#include "engine/conversion.hpp"
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

  // Event handlers. The controls are named by their role; they keep the design's object names
  // (RadioGroup1, ShapeButton3, ...), by which the design and the tests find them.
  void StartConversion();        // the run button run_ (ShapeButton3)
  void CancelConversion();       // cancel_ (ShapeButton4): stop the run, abandoning the file in progress
  void SelectAll();              // selectAll_ (ShapeButton1)
  void SelectNone();             // selectNone_ (ShapeButton2)
  void ListSelectedFolder();     // a folder selected in folders_ (ShellTreeView1)
  void SortFolderTree();         // a branch of folders_ expanded
  void OpenMailLink();           // credit_ (LinkLabel1)
  void PreviewCurrentFile();     // the current file of fileList_ (CheckListBox1)
  void PreviewWithChosenMode();  // another mode or region chosen

  // F5 and a change in the selected folder: the tree reads its folders again and the list
  // follows the folder's files, keeping the ticks of the files still there.
  void RefreshFolders();

  // Shows an error that ended an operation, as the error box.
  void ShowError(const QString& message);

  // The conversion that the chosen mode and region describe; a run, the check and the preview
  // each build what they need from it afresh.
  Conversion ChosenConversion() const;

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
  QGroupBox* stepOne_;
  RadioGroup* modes_;
  RadioGroup* regions_;
  DatumStepBox* datumStep_;  // below the regions
  QGroupBox* stepTwo_;
  FolderTree* folders_;
  PillButton* selectAll_;
  PillButton* selectNone_;
  CheckList* fileList_;
  LinkLabel* credit_;
  QGroupBox* stepThree_;
  PillButton* run_;
  PillButton* cancel_;  // enabled only while a run is in progress
  TiledProgressBar* fileProgress_;
  TiledProgressBar* overallProgress_;
  // Hidden until a file is previewed; it then widens the window by its own width, as far as
  // the screen allows (ShowPreview).
  PreviewPane* preview_;

  // Lists the selected folder's shapefiles, sorted by name in the locale's order. With
  // `keepTicks`, files listed before keep their ticks and new ones are ticked.
  void ListFolderFiles(bool keepTicks);
  // Checks every listed file against the chosen mode and region, and marks those that fail.
  void CheckListedFiles();
  // A new datum step: remembered, and its residual arrows (if any) on the preview.
  void UseDatumStep();
  // Shows the preview right of the steps, if it is hidden: the window widens by the preview's
  // width as far as the screen's available area allows, and moves left to stay inside it; on a
  // narrow screen the preview gets the room there is.
  void ShowPreview();

  WindowFeedback feedback_;
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
