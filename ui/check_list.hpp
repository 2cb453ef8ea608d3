// The file list of step two: one item per name, each with a check box, in the order the
// names were given. Each item keeps the name's raw bytes, which the run opens; the shown
// text is only its decoding.
#pragma once

#include <QListWidget>
#include <string>
#include <vector>

#include "shapefile/conversion_run.hpp"
#include "shapefile/folder_listing.hpp"

namespace morvane {

// Puts the listed files in the order of their shown names in the user's locale, each output of
// an earlier conversion right after its input.
void SortByShownName(std::vector<ListedShapefile>& entries);

class CheckList : public QListWidget {
  Q_OBJECT

 public:
  explicit CheckList(QWidget* parent = nullptr);

  // Replaces the whole list with `names`, every item ticked.
  void SetNames(const std::vector<std::string>& names);
  // Replaces the whole list with `entries`: each ticked, but the outputs of earlier
  // conversions, which are unticked and marked with an icon and a tooltip saying why.
  void SetEntries(const std::vector<ListedShapefile>& entries);
  // Whether item `index` is marked as the output of an earlier conversion.
  bool IsEarlierOutput(int index) const;
  void SetAllTicked(bool ticked);

  bool IsTicked(int index) const;
  void SetTicked(int index, bool ticked);
  std::string Name(int index) const;

  // The items as the run takes them: raw names and ticks, in list order.
  std::vector<RunItem> Items() const;

  // Marks an item whose input check failed: a warning icon, and `reason` as its tooltip. An
  // empty reason clears the mark.
  void SetWarning(int index, const QString& reason);
  bool HasWarning(int index) const;

 private:
  void ShowMarks(QListWidgetItem* item) const;
  QIcon BlankIcon() const;
};

}  // namespace morvane
