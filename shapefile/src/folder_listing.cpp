#include "shapefile/folder_listing.hpp"

#include <algorithm>

#include "shapefile/file_system.hpp"
#include "shapefile/output_names.hpp"
#include "shapefile/target_system.hpp"

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

std::vector<std::string> ListShapefiles(FileSystem& files, const std::string& folder) {
  std::vector<std::string> names = files.ListFolder(folder);
  std::erase_if(names, [](const std::string& name) { return !EndsWithIgnoringCase(name, ".shp"); });
  return names;
}

std::optional<std::string> FindCompanion(FileSystem& files, const std::string& stem,
                                         const std::string& extension) {
  const std::string exact = stem + extension;
  if (files.IsRegularFile(exact)) return exact;
  const std::size_t slash = LastSeparator(stem);
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

namespace {

// name without its four-character extension.
std::string_view BaseOf(std::string_view name) { return name.substr(0, name.size() - 4); }

// Whether `shapefiles` holds the input that `name` would be the output of: "roads.shp" (in
// any case) for "roads_1.shp".
bool HasInputBeside(std::string_view name, const std::vector<std::string>& shapefiles) {
  const std::string_view base = BaseOf(name);
  if (base.size() <= kOutputTag.size() || !base.ends_with(kOutputTag)) return false;
  const std::string_view inputBase = base.substr(0, base.size() - kOutputTag.size());
  for (const std::string& other : shapefiles) {
    if (BaseOf(other) == inputBase) return true;
  }
  return false;
}

// Whether the .prj beside `shapefile` (lower-case extension, or any case) is one this program
// wrote.
bool HasOwnProjection(FileSystem& files, const std::string& folder, std::string_view shapefile,
                      const std::vector<std::string>& names) {
  const std::string_view base = BaseOf(shapefile);
  const std::string_view suffix = OutputSuffix(&ShapefileNames::OutputProjection);
  for (const std::string& name : names) {
    if (name.size() != base.size() + suffix.size() || !name.starts_with(base) || !EndsWithIgnoringCase(name, suffix))
      continue;
    const std::string path = JoinPath(folder, name);
    if (!files.IsRegularFile(path)) continue;
    try {
      std::unique_ptr<File> file = files.OpenRead(path);
      std::string text(4096, '\0');  // the systems this program writes are far shorter
      text.resize(file->Read(text.data(), text.size()));
      if (IsOwnTargetSystem(text)) return true;
    } catch (const FileError&) {
      // An unreadable .prj says nothing.
    }
  }
  return false;
}

// Whether a datum report of this program lies beside `shapefile`: "roads_1.datum.txt" for
// "roads_1.shp".
bool HasDatumReport(std::string_view shapefile, const std::vector<std::string>& names) {
  const std::string report = std::string(BaseOf(shapefile)) + std::string(kDatumReportSuffix);
  return std::find(names.begin(), names.end(), report) != names.end();
}

}  // namespace

std::vector<ListedShapefile> ListShapefilesMarked(FileSystem& files, const std::string& folder) {
  const std::vector<std::string> names = files.ListFolder(folder);
  const std::vector<std::string> shapefiles = ListShapefiles(files, folder);
  std::vector<ListedShapefile> listed;
  for (const std::string& name : shapefiles) {
    listed.push_back({name, HasInputBeside(name, shapefiles) || HasDatumReport(name, names) ||
                                HasOwnProjection(files, folder, name, names)});
  }
  return listed;
}

std::size_t LastSeparator(std::string_view path) { return path.find_last_of(kPathSeparators); }

void PlaceOutputsAfterInputs(std::vector<ListedShapefile>& entries) {
  std::vector<std::string> names;
  for (const ListedShapefile& entry : entries) names.push_back(entry.Name);
  // The outputs of each input base, in list order; an output whose input is not listed stays
  // where it is.
  std::map<std::string_view, std::vector<std::size_t>> outputsOf;
  std::vector<bool> placedLater(entries.size(), false);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!HasInputBeside(names[i], names)) continue;
    const std::string_view base = BaseOf(names[i]);
    outputsOf[base.substr(0, base.size() - kOutputTag.size())].push_back(i);
    placedLater[i] = true;
  }
  std::vector<ListedShapefile> ordered;
  ordered.reserve(entries.size());
  // Appends entry i, then its outputs and theirs.
  const auto place = [&](auto& self, std::size_t i) -> void {
    ordered.push_back(entries[i]);
    const auto outputs = outputsOf.find(BaseOf(names[i]));
    if (outputs == outputsOf.end()) return;
    const std::vector<std::size_t> next = std::move(outputs->second);
    outputsOf.erase(outputs);  // an input listed twice in different case takes them once
    for (const std::size_t output : next) self(self, output);
  };
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!placedLater[i]) place(place, i);
  }
  entries = std::move(ordered);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const std::size_t last = LastSeparator(folder);
  if (last == folder.size() - 1) return folder + name;
  const char separator = last == std::string::npos ? kPathSeparators.back() : folder[last];
  return folder + separator + name;
}

}  // namespace morvane
