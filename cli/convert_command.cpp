#include "convert_command.hpp"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <numeric>
#include <thread>

#include "engine/engine_state.hpp"
#include "messages.hpp"
#include "run_reporter.hpp"
#include "shapefile/conversion_run.hpp"
#include "shapefile/file_system.hpp"
#include "shapefile/folder_listing.hpp"
#include "shapefile/output_names.hpp"

namespace morvane {

namespace {

namespace fs = std::filesystem;

bool IsFolder(const std::string& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

// The folder as one spelling, so that "data", "./data" and "data/../data" compare equal.
std::string CanonicalFolder(const std::string& folder) {
  const fs::path path = folder.empty() ? fs::path(".") : fs::path(folder);
  std::error_code error;
  fs::path canonical = fs::weakly_canonical(path, error);
  if (error) canonical = fs::absolute(path, error).lexically_normal();
  return canonical.string();
}

// Every file the run reads or writes for a job, with whether it writes it. Companions are
// taken by their lower-case names, the ones that outputs are written under.
std::vector<std::pair<std::string, bool>> TouchedFiles(const ShapefileJob& job,
                                                       const std::string& canonicalFolder) {
  const ShapefileNames names = BuildShapefileNames(canonicalFolder, job.Item);
  return {{names.InputMain, false}, {names.Stem + ".shx", false}, {names.Stem + ".dbf", false},
          {names.OutputMain, true}, {names.OutputIndex, true},    {names.OutputTable, true}};
}

std::size_t FindRoot(std::vector<std::size_t>& parent, std::size_t i) {
  while (parent[i] != i) i = parent[i] = parent[parent[i]];
  return i;
}

// What the jobs share while they convert.
struct SharedRun {
  const std::vector<ShapefileJob>& Jobs;
  const std::vector<std::vector<std::size_t>>& Groups;
  TransformMode Mode;
  Region RegionIndex;
  bool KeepGoing;
  ConversionThreads Threads;  // per file
  RunReporter& Reporter;
  std::atomic<std::size_t> NextGroup{0};
  std::atomic<bool> Stop{false};
  std::atomic<std::size_t> Converted{0};
  std::atomic<std::size_t> Failed{0};
  std::atomic<std::uint64_t> Vertices{0};
};

void ConvertOne(SharedRun& run, unsigned slot, EngineState& engine, JobFeedback& feedback,
                FileSystem& files, const ShapefileJob& job) {
  run.Reporter.FileStarted(slot);
  ShapefileStats stats;
  bool converted = false;
  try {
    converted = ConvertShapefile(engine, job.Folder, job.Item, run.Mode, feedback, files, &stats,
                                 run.Threads) ==
                ShapefileOutcome::Converted;
  } catch (const RunError& error) {
    run.Reporter.Message(error.what());  // already names the file
  } catch (const std::exception& error) {
    // Engine errors say what went wrong but not where.
    run.Reporter.Message(JoinPath(job.Folder, job.Item) + ": " + error.what());
  }
  run.Reporter.FileFinished(slot);
  if (converted) {
    ++run.Converted;
    run.Vertices += stats.Vertices;
  } else {
    ++run.Failed;
    if (!run.KeepGoing) run.Stop = true;
  }
}

// One job: its own engine state, set up from the start values as a run after start-up is,
// then groups taken in order until none is left or a failure stops the run.
void RunJob(SharedRun& run, unsigned slot) {
  JobFeedback feedback(run.Reporter, slot);
  EngineState engine(feedback);
  ApplyTransformSettings(engine, run.Mode, run.RegionIndex);
  LocalFileSystem files;
  for (;;) {
    const std::size_t group = run.NextGroup++;
    if (group >= run.Groups.size()) return;
    for (const std::size_t index : run.Groups[group]) {
      if (run.Stop) return;
      ConvertOne(run, slot, engine, feedback, files, run.Jobs[index]);
    }
  }
}

std::string CountOf(std::size_t count, const char* noun) {
  return std::to_string(count) + ' ' + noun + (count == 1 ? "" : "s");
}

std::string Summary(const SharedRun& run, double seconds) {
  const std::size_t total = run.Jobs.size();
  const std::size_t skipped = total - run.Converted - run.Failed;
  std::string text = run.Converted == total
                         ? CountOf(total, "file") + " converted"
                         : std::to_string(run.Converted) + " of " + CountOf(total, "file") +
                               " converted, " + std::to_string(run.Failed) + " failed";
  if (skipped > 0) text += ", " + std::to_string(skipped) + " not begun";
  char figures[64];
  std::snprintf(figures, sizeof figures, ", %llu vertices, %.2f seconds",
                static_cast<unsigned long long>(run.Vertices.load()), seconds);
  return text + figures;
}

}  // namespace

std::vector<ShapefileJob> ListJobs(const std::vector<std::string>& operands) {
  for (const std::string& operand : operands) {
    if (!IsFolder(operand) && !EndsWithIgnoringCase(operand, ".shp")) {
      throw UsageError("'" + operand + "' is neither a folder nor a .shp file");
    }
  }
  std::vector<ShapefileJob> jobs;
  for (const std::string& operand : operands) {
    if (IsFolder(operand)) {
      const std::vector<std::string> names = ListShapefiles(operand);
      if (names.empty()) PrintMessage(operand + ": no .shp files in this folder");
      for (const std::string& name : names) jobs.push_back({operand, name});
    } else {
      // A bare name stays bare (the working folder), so messages show it as typed.
      const fs::path path(operand);
      jobs.push_back({path.parent_path().string(), path.filename().string()});
    }
  }
  return jobs;
}

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

int RunConvertCommand(const ParsedArguments& parsed) {
  const auto start = std::chrono::steady_clock::now();
  const ModeAndRegion choice = RequireModeAndRegion(parsed);
  const auto jobsOption = parsed.Options.find("jobs");
  const unsigned jobCount =
      jobsOption == parsed.Options.end() ? 1 : ParseJobCount(jobsOption->second);
  const auto threadsOption = parsed.Options.find("threads");
  const unsigned threadCount =
      threadsOption == parsed.Options.end() ? 0 : ParseThreadCount(threadsOption->second);
  if (parsed.Operands.empty()) throw UsageError("no PATH to convert");
  const bool quiet = parsed.Has("quiet");

  const std::vector<ShapefileJob> jobs = ListJobs(parsed.Operands);
  const std::vector<std::vector<std::size_t>> groups = GroupDependentJobs(jobs);
  const unsigned workers = static_cast<unsigned>(
      std::max<std::size_t>(1, std::min<std::size_t>(jobCount, groups.size())));

  // Files at once and threads per file share the cores rather than multiply them.
  ConversionThreads perFile;
  perFile.Count = threadCount != 0 ? threadCount : std::max(1u, CoreCount() / workers);

  RunReporter reporter(!quiet && isatty(STDERR_FILENO) == 1, jobs.size(), workers);
  SharedRun run{jobs,    groups,  choice.ModeIndex, choice.RegionIndex, parsed.Has("keep-going"),
                perFile, reporter};
  if (workers == 1) {
    RunJob(run, 0);
  } else {
    std::vector<std::jthread> threads;
    for (unsigned slot = 0; slot < workers; ++slot) {
      threads.emplace_back([&run, slot] { RunJob(run, slot); });
    }
  }
  reporter.EndProgress();

  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  if (!quiet) reporter.Message(Summary(run, elapsed.count()));
  return run.Converted == jobs.size() ? 0 : 1;
}

}  // namespace morvane
