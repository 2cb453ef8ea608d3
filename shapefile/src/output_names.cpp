#include "shapefile/output_names.hpp"

#include <algorithm>

#include "shapefile/folder_listing.hpp"

namespace morvane {

namespace {

constexpr std::string_view kTemporaryMark = ".morvane-tmp-";

struct SplitName {
  std::string Folder;  // empty for a bare name
  std::string Name;
};

SplitName SplitPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {"", path};
  return {path.substr(0, slash == 0 ? 1 : slash), path.substr(slash + 1)};
}

std::string Base(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

ShapefileNames BuildShapefileNames(const std::string& folder, const std::string& item) {
  ShapefileNames names;
  names.InputMain = JoinPath(folder, item);
  names.Stem = names.InputMain.substr(0, names.InputMain.size() - std::min<std::size_t>(4, names.InputMain.size()));
  const SplitName split = SplitPath(names.InputMain);
  const std::string base = JoinPath(split.Folder, Base(split.Name));
  names.OutputMain = base + "_1.shp";
  names.OutputIndex = base + "_1.shx";
  names.OutputTable = base + "_1.dbf";
  return names;
}

std::string TemporaryOutputPath(const std::string& finalPath, unsigned long pid, unsigned long n) {
  const SplitName split = SplitPath(finalPath);
  return JoinPath(split.Folder, "." + split.Name + std::string(kTemporaryMark) +
                                    std::to_string(pid) + "-" + std::to_string(n));
}

bool IsTemporaryOutputName(std::string_view name) {
  const std::size_t mark = name.rfind(kTemporaryMark);
  if (name.empty() || name.front() != '.' || mark == std::string_view::npos || mark < 2) return false;
  const std::string_view tail = name.substr(mark + kTemporaryMark.size());
  const std::size_t dash = tail.find('-');
  return dash != std::string_view::npos && AllDigits(tail.substr(0, dash)) && AllDigits(tail.substr(dash + 1));
}

}  // namespace morvane
