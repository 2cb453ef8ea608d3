#include "shapefile/folder_listing.hpp"

#include "shapefile/file_system.hpp"

namespace morvane {

namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool EndsWithIgnoringCase(std::string_view name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  const std::string_view tail = name.substr(name.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    if (AsciiLower(tail[i]) != AsciiLower(suffix[i])) return false;
  }
  return true;
}

std::vector<std::string> ListShapefiles(const std::string& folder) {
  std::vector<std::string> names = LocalFileSystem().ListFolder(folder);
  std::erase_if(names, [](const std::string& name) { return !EndsWithIgnoringCase(name, ".shp"); });
  return names;
}

std::optional<std::string> FindCompanion(FileSystem& files, const std::string& stem,
                                         const std::string& extension) {
  const std::string exact = stem + extension;
  if (files.IsRegularFile(exact)) return exact;
  const std::size_t slash = stem.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : stem.substr(0, slash == 0 ? 1 : slash);
  const std::string stemName = slash == std::string::npos ? stem : stem.substr(slash + 1);
  for (const std::string& name : files.ListFolder(folder)) {
    if (name.size() != stemName.size() + extension.size()) continue;
    if (name.compare(0, stemName.size(), stemName) != 0) continue;
    if (!EndsWithIgnoringCase(name, extension)) continue;
    const std::string path = slash == std::string::npos ? name : JoinPath(folder, name);
    if (files.IsRegularFile(path)) return path;
  }
  return std::nullopt;
}

std::vector<std::string> ListingCacheFileSystem::ListFolder(const std::string& folder) {
  auto [entry, added] = listings_.try_emplace(folder);
  if (added) entry->second = files_.ListFolder(folder);
  return entry->second;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace morvane
