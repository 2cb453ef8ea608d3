#include "shapefile/output_names.hpp"

#include <algorithm>
#include <charconv>

#include "shapefile/folder_listing.hpp"
#include "shapefile/process_ids.hpp"

namespace morvane {

namespace {

constexpr std::string_view kTemporaryMark = ".morvane-tmp-";

struct SplitName {
  std::string Folder;  // empty for a bare name
  std::string Name;
};

SplitName SplitPath(const std::string& path) {
  const std::size_t slash = LastSeparator(path);
  if (slash == std::string::npos) return {"", path};
  return {path.substr(0, slash == 0 ? 1 : slash), path.substr(slash + 1)};
}

std::string Base(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// A decimal number of digits only (no sign, no space) that fits.
std::optional<unsigned long> ParseNumber(std::string_view text) {
  unsigned long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

ShapefileNames BuildShapefileNames(const std::string& folder, const std::string& item) {
  ShapefileNames names;
  names.InputMain = JoinPath(folder, item);
  names.Stem = names.InputMain.substr(0, names.InputMain.size() - std::min<std::size_t>(4, names.InputMain.size()));
  const SplitName split = SplitPath(names.InputMain);
  const std::string base = JoinPath(split.Folder, Base(split.Name));
  for (const ConversionOutput& output : kConversionOutputs) {
    names.*output.Name = base + std::string(kOutputTag) + std::string(output.Suffix);
  }
  return names;
}

std::vector<std::string> OutputsOf(const ShapefileNames& names) {
  std::vector<std::string> outputs;
  for (const ConversionOutput& output : kConversionOutputs) outputs.push_back(names.*output.Name);
  return outputs;
}

std::vector<std::string> OutputsOf(const ShapefileNames& names, OutputCondition condition) {
  std::vector<std::string> outputs;
  for (const ConversionOutput& output : kConversionOutputs) {
    if (output.WrittenWhen == condition) outputs.push_back(names.*output.Name);
  }
  return outputs;
}

std::string TemporaryOutputPath(const std::string& finalPath, unsigned long pid, unsigned long n) {
  const SplitName split = SplitPath(finalPath);
  return JoinPath(split.Folder, "." + split.Name + std::string(kTemporaryMark) +
                                    std::to_string(pid) + "-" + std::to_string(n));
}

std::optional<TemporaryOutputName> ParseTemporaryOutputName(std::string_view name) {
  const std::size_t mark = name.rfind(kTemporaryMark);
  if (name.empty() || name.front() != '.' || mark == std::string_view::npos || mark < 2) return std::nullopt;
  const std::string_view tail = name.substr(mark + kTemporaryMark.size());
  const std::size_t dash = tail.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const std::optional<unsigned long> pid = ParseNumber(tail.substr(0, dash));
  const std::optional<unsigned long> n = ParseNumber(tail.substr(dash + 1));
  if (!pid || !n) return std::nullopt;
  return TemporaryOutputName{std::string(name.substr(1, mark - 1)), *pid, *n};
}

bool IsTemporaryOutputName(std::string_view name) { return ParseTemporaryOutputName(name).has_value(); }

void RemoveAbandonedTemporaries(FileSystem& files, const std::vector<std::string>& finalPaths) {
  std::vector<std::string> listed;  // each folder once
  for (const std::string& finalPath : finalPaths) {
    const std::string folder = SplitPath(finalPath).Folder;
    if (std::find(listed.begin(), listed.end(), folder) != listed.end()) continue;
    listed.push_back(folder);
    for (const std::string& name : files.ListFolder(folder.empty() ? "." : folder)) {
      const std::optional<TemporaryOutputName> temporary = ParseTemporaryOutputName(name);
      if (!temporary) continue;
      const bool ours = std::any_of(finalPaths.begin(), finalPaths.end(), [&](const std::string& path) {
        const SplitName split = SplitPath(path);
        return split.Folder == folder && split.Name == temporary->FinalName;
      });
      if (ours && !ProcessMayRun(temporary->Pid)) files.Remove(JoinPath(folder, name));
    }
  }
}

}  // namespace morvane
