#include "folder_tree.hpp"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileIconProvider>
#include <QFileInfo>
#include <QMouseEvent>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "fonts.hpp"
#include "shapefile/folder_listing.hpp"
#include "texts.hpp"

namespace morvane {
namespace {

constexpr int kPathRole = Qt::UserRole;         // QByteArray: the raw path; absent on the root
constexpr int kChildrenReadRole = Qt::UserRole + 1;  // bool: the directory has been read

// Orders siblings the way the user's locale orders their shown names.
class FolderItem : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem& other) const override {
    return QString::localeAwareCompare(text(0), other.text(0)) < 0;
  }
};

QByteArray ToBytes(const std::string& text) {
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The visible subfolders of `folder`, raw names in directory order. Hidden folders (names
// starting with a dot) are left out, as file managers do.
std::vector<std::string> ReadSubfolders(const std::string& folder) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name.empty() || name.front() == '.') continue;
    const bool folderEntry = entry->d_type == DT_DIR ||
                             ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
                              IsFolder(JoinPath(folder, name)));
    if (folderEntry) names.push_back(name);
  }
  return names;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
    return user->pw_dir;
  }
  return {};
}

// Undoes the octal escapes of /proc/self/mounts (a blank is written as \040).
std::string UnescapeMountField(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string::npos) {
        out.push_back(static_cast<char>(std::stoi(digits, nullptr, 8)));
        i += 3;
        continue;
      }
    }
    out.push_back(field[i]);
  }
  return out;
}

bool IsVolumeMountPoint(const std::string& path) {
  for (const char* prefix : {"/media/", "/mnt/", "/run/media/"}) {
    if (path.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

// Mounted volumes the way a desktop shows them: the mount points below /media, /mnt and
// /run/media, in the order the kernel lists them.
std::vector<std::string> MountedVolumes() {
  std::vector<std::string> volumes;
  std::ifstream mounts("/proc/self/mounts");
  std::string line;
  while (std::getline(mounts, line)) {
    std::istringstream fields(line);
    std::string device;
    std::string mountPoint;
    if (!(fields >> device >> mountPoint)) continue;
    mountPoint = UnescapeMountField(mountPoint);
    if (IsVolumeMountPoint(mountPoint) && IsFolder(mountPoint)) volumes.push_back(mountPoint);
  }
  return volumes;
}

QTreeWidgetItem* AddFolderItem(QTreeWidgetItem* parent, const std::string& path,
                               const QString& shownName, const QIcon& icon) {
  auto* item = new FolderItem(parent);
  item->setText(0, shownName);
  item->setIcon(0, icon);
  item->setData(0, kPathRole, ToBytes(path));
  item->setData(0, kChildrenReadRole, false);
  // Shows an expand button until the directory has been read and turned out to be empty.
  item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  return item;
}

}  // namespace

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(false);  // no expand button or line at the computer level
  setIndentation(19);
  setFont(TreeFont());
  setSelectionMode(QAbstractItemView::SingleSelection);

  QFileIconProvider icons;
  auto* computer = new FolderItem(this);
  computer->setText(0, tr("電腦"));
  computer->setIcon(0, icons.icon(QFileIconProvider::Computer));

  std::vector<std::string> firstLevel = {"/"};
  const std::string home = HomeFolder();
  if (!home.empty() && home != "/") firstLevel.push_back(home);
  for (const std::string& volume : MountedVolumes()) {
    if (std::find(firstLevel.begin(), firstLevel.end(), volume) == firstLevel.end()) {
      firstLevel.push_back(volume);
    }
  }
  for (const std::string& path : firstLevel) {
    const QIcon icon = path == "/" ? icons.icon(QFileIconProvider::Drive)
                       : path == home ? icons.icon(QFileInfo(QString::fromLocal8Bit(home)))
                                      : icons.icon(QFileIconProvider::Drive);
    AddFolderItem(computer, path, DisplayText(path), icon);
  }

  connect(this, &QTreeWidget::itemExpanded, this, &FolderTree::OnItemExpanded);
  computer->setExpanded(true);
  setCurrentItem(computer);
}

std::string FolderTree::SelectedFolder() const { return FolderPath(currentItem()); }

std::string FolderTree::FolderPath(const QTreeWidgetItem* item) {
  if (item == nullptr) return {};
  const QByteArray path = item->data(0, kPathRole).toByteArray();
  return std::string(path.constData(), static_cast<std::size_t>(path.size()));
}

void FolderTree::OnItemExpanded(QTreeWidgetItem* item) {
  if (item->data(0, kChildrenReadRole).isValid() && !item->data(0, kChildrenReadRole).toBool()) {
    item->setData(0, kChildrenReadRole, true);
    const std::string folder = FolderPath(item);
    const QIcon icon = QFileIconProvider().icon(QFileIconProvider::Folder);
    for (const std::string& name : ReadSubfolders(folder)) {
      AddFolderItem(item, JoinPath(folder, name), DisplayText(name), icon);
    }
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
  }
  emit FolderExpanded(item);
}

bool FolderTree::SelectPath(const std::string& path) {
  if (path.empty() || path.front() != '/') return false;
  QTreeWidgetItem* item = nullptr;
  for (int i = 0; i < ComputerItem()->childCount(); ++i) {
    if (FolderPath(ComputerItem()->child(i)) == "/") item = ComputerItem()->child(i);
  }
  if (item == nullptr) return false;
  std::size_t start = 1;
  while (start < path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string name = path.substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    item->setExpanded(true);
    const std::string wanted = JoinPath(FolderPath(item), name);
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < item->childCount() && next == nullptr; ++i) {
      if (FolderPath(item->child(i)) == wanted) next = item->child(i);
    }
    if (next == nullptr) return false;
    item = next;
  }
  setCurrentItem(item);
  scrollToItem(item);
  return true;
}

void FolderTree::SortAll() { sortItems(0, Qt::AscendingOrder); }

void FolderTree::Refresh() {
  for (int i = 0; i < ComputerItem()->childCount(); ++i) RefreshChildren(ComputerItem()->child(i));
  SortAll();
}

void FolderTree::RefreshChildren(QTreeWidgetItem* item) {
  if (!item->data(0, kChildrenReadRole).toBool()) return;  // read when first expanded
  const std::string folder = FolderPath(item);
  const std::vector<std::string> names = ReadSubfolders(folder);
  std::vector<std::string> paths;
  for (const std::string& name : names) paths.push_back(JoinPath(folder, name));
  for (int i = item->childCount() - 1; i >= 0; --i) {
    if (std::find(paths.begin(), paths.end(), FolderPath(item->child(i))) == paths.end()) delete item->takeChild(i);
  }
  const QIcon icon = QFileIconProvider().icon(QFileIconProvider::Folder);
  for (std::size_t n = 0; n < names.size(); ++n) {
    bool known = false;
    for (int i = 0; i < item->childCount() && !known; ++i) known = FolderPath(item->child(i)) == paths[n];
    if (!known) AddFolderItem(item, paths[n], DisplayText(names[n]), icon);
  }
  for (int i = 0; i < item->childCount(); ++i) RefreshChildren(item->child(i));
}

void FolderTree::mousePressEvent(QMouseEvent* event) {
  // A right click selects the folder under the pointer as a left click does.
  if (event->button() == Qt::RightButton) {
    if (QTreeWidgetItem* item = itemAt(event->position().toPoint())) setCurrentItem(item);
  }
  QTreeWidget::mousePressEvent(event);
}

}  // namespace morvane
