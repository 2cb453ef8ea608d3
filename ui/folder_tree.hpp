// The folder tree of step two: only folders, under one root node for the computer whose first
// level is the file-system root, the home folder and the mounted volumes. Children are read
// from the directory when a folder is first expanded. Paths are kept as the platform's raw
// bytes, so a folder whose name is not UTF-8 (Big5 from an old Windows disk) is shown decoded
// and still opened by its real name.
#pragma once

#include <QTreeWidget>
#include <string>

namespace morvane {

class FolderTree : public QTreeWidget {
  Q_OBJECT

 public:
  explicit FolderTree(QWidget* parent = nullptr);

  QTreeWidgetItem* ComputerItem() const { return topLevelItem(0); }

  // The raw path of the selected folder; empty for the computer root, which has none.
  std::string SelectedFolder() const;
  // The raw path of any item of the tree; empty for the computer root.
  static std::string FolderPath(const QTreeWidgetItem* item);

  // Expands the tree down to `path` (absolute, raw bytes) and selects it. Returns false,
  // leaving the selection alone, when a folder on the way is not in the tree.
  bool SelectPath(const std::string& path);

  // Sorts every level by the shown names with the locale's comparison.
  void SortAll();

  // Reads every folder already read again: folders made since appear, folders gone go; the
  // tree is sorted again.
  void Refresh();

 signals:
  // A folder was expanded; its children have been read by then.
  void FolderExpanded(QTreeWidgetItem* item);

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void OnItemExpanded(QTreeWidgetItem* item);
  void RefreshChildren(QTreeWidgetItem* item);
};

}  // namespace morvane
