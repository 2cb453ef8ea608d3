#include <filesystem>
#include <map>
#include <numeric>

#include "shapefile/conversion_run.hpp"
#include "shapefile/output_names.hpp"
#include "shapefile/path_text.hpp"

namespace morvane {

namespace {

namespace fs = std::filesystem;

// The folder as one spelling, so that "data", "./data" and "data/../data" compare equal.
std::string CanonicalFolder(const std::string& folder) {
  const fs::path path = folder.empty() ? fs::path(".") : PathFromText(folder);
  std::error_code error;
  fs::path canonical = fs::weakly_canonical(path, error);
  if (error) canonical = fs::absolute(path, error).lexically_normal();
  return TextFromPath(canonical);
}

// Every file the conversion of a job reads or writes, with whether it writes it. Companions
// are taken by their lower-case names, the ones that outputs are written under.
std::vector<std::pair<std::string, bool>> TouchedFiles(const ShapefileJob& job, const std::string& canonicalFolder) {
  const ShapefileNames names = BuildShapefileNames(canonicalFolder, job.Item);
  std::vector<std::pair<std::string, bool>> touched = {{names.InputMain, false}};
  for (const char* companion : {".shx", ".dbf", ".prj", ".cpg"}) touched.emplace_back(names.Stem + companion, false);
  for (const std::string& output : OutputsOf(names)) touched.emplace_back(output, true);
  return touched;
}

std::size_t FindRoot(std::vector<std::size_t>& parent, std::size_t i) {
  while (parent[i] != i) i = parent[i] = parent[parent[i]];
  return i;
}

}  // namespace

std::vector<std::vector<std::size_t>> GroupDependentJobs(const std::vector<ShapefileJob>& jobs) {
  std::vector<std::size_t> parent(jobs.size());
  std::iota(parent.begin(), parent.end(), std::size_t{0});

  // For every file: the jobs that touch it, and whether any of them writes it.
  struct FileUse {
    std::vector<std::size_t> Jobs;
    bool Written = false;
  };
  std::map<std::string, FileUse> uses;
  std::map<std::string, std::string> canonicalFolders;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    auto [folder, added] = canonicalFolders.try_emplace(jobs[i].Folder);
    if (added) folder->second = CanonicalFolder(jobs[i].Folder);
    for (const auto& [file, written] : TouchedFiles(jobs[i], folder->second)) {
      FileUse& use = uses[file];
      use.Jobs.push_back(i);
      use.Written = use.Written || written;
    }
  }
  for (const auto& [file, use] : uses) {
    if (!use.Written) continue;  // jobs that only read a file may run side by side
    for (const std::size_t job : use.Jobs) {
      parent[FindRoot(parent, job)] = FindRoot(parent, use.Jobs.front());
    }
  }

  std::vector<std::vector<std::size_t>> groups;
  std::map<std::size_t, std::size_t> groupOfRoot;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    const auto [entry, added] = groupOfRoot.try_emplace(FindRoot(parent, i), groups.size());
    if (added) groups.emplace_back();
    groups[entry->second].push_back(i);
  }
  return groups;
}

}  // namespace morvane
