#include "convert_command.hpp"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "engine/conversion.hpp"
#include "engine/plane_transform.hpp"
#include "messages.hpp"
#include "run_reporter.hpp"
#include "shapefile/conversion_run.hpp"
#include "shapefile/datum_step.hpp"
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

// The run's feedback on standard error: messages and the progress line of every job.
class CommandLineFeedback : public RunFeedback {
 public:
  explicit CommandLineFeedback(RunReporter& reporter, unsigned slots) : reporter_(reporter) {
    for (unsigned slot = 0; slot < slots; ++slot) slots_.push_back(std::make_unique<JobFeedback>(reporter, slot));
  }

  void ShowMessage(const std::string& text) override { reporter_.Message(text); }
  void ShowCompletion(const std::string&, const std::string&) override {}
  void SetOverallProgress(int) override {}
  void SetFileProgress(int percent) override { slots_[0]->SetFileProgress(percent); }
  void OnBytesRead(std::uint64_t done, std::uint64_t total) override { slots_[0]->OnBytesRead(done, total); }
  RunFeedback& ForSlot(unsigned slot) override { return *slots_.at(slot); }
  void FileStarted(unsigned slot, const std::string&) override { reporter_.FileStarted(slot); }
  void FileFinished(unsigned slot) override { reporter_.FileFinished(slot); }
  // Without --force every such file is refused, each named with its reason.
  bool ConfirmSuspicious(const std::vector<FileProblem>& files) override {
    for (const FileProblem& file : files) reporter_.Message(file.Path + ": not converted: " + file.Reason);
    return false;
  }

 private:
  RunReporter& reporter_;
  std::vector<std::unique_ptr<JobFeedback>> slots_;
};

std::string CountOf(std::size_t count, const char* noun) {
  return std::to_string(count) + ' ' + noun + (count == 1 ? "" : "s");
}

// ", datum step common-points (leave-one-out RMS 0.412 m)" for a fitted step; nothing for the
// standard one, the default.
std::string DatumStepPart(const DatumStep& step) {
  if (step.Kind == DatumStepKind::Standard || !step.Transform) return "";
  char rms[64];
  std::snprintf(rms, sizeof rms, " (leave-one-out RMS %.3f m)", step.Transform->Summary().LooRms);
  return ", datum step " + DatumStepName(step) + rms;
}

std::string Summary(const RunSummary& run, double seconds) {
  std::string text = run.AllConverted() || run.Files == 0
                         ? CountOf(run.Files, "file") + " converted"
                         : std::to_string(run.Converted) + " of " + CountOf(run.Files, "file") + " converted";
  if (!run.Failed.empty()) text += ", " + std::to_string(run.Failed.size()) + " failed";
  if (!run.Skipped.empty()) text += ", " + std::to_string(run.Skipped.size()) + " skipped";
  if (!run.Refused.empty()) text += ", " + std::to_string(run.Refused.size()) + " refused";
  if (run.NotBegun() > 0) text += ", " + std::to_string(run.NotBegun()) + " not begun";
  text += DatumStepPart(run.Datum);
  char figures[64];
  std::snprintf(figures, sizeof figures, ", %llu vertices, %.2f seconds",
                static_cast<unsigned long long>(run.Vertices), seconds);
  return text + figures;
}

// The files the run did not convert, one line each, with their reasons.
std::vector<std::string> ProblemLines(const RunSummary& run) {
  std::vector<std::string> lines;
  for (const FileProblem& problem : run.Failed) lines.push_back("failed: " + problem.Reason);
  for (const FileProblem& problem : run.Skipped) {
    lines.push_back("skipped: " + problem.Path + ": " + problem.Reason + " (--overwrite replaces it)");
  }
  return lines;
}

}  // namespace

std::vector<ShapefileJob> ListJobs(const std::vector<std::string>& operands, std::vector<std::string>& leftOut) {
  for (const std::string& operand : operands) {
    if (!IsFolder(operand) && !EndsWithIgnoringCase(operand, ".shp")) {
      throw UsageError("'" + operand + "' is neither a folder nor a .shp file");
    }
  }
  std::vector<ShapefileJob> jobs;
  for (const std::string& operand : operands) {
    if (IsFolder(operand)) {
      LocalFileSystem files;
      const std::vector<ListedShapefile> listed = ListShapefilesMarked(files, operand);
      if (listed.empty()) PrintMessage(operand + ": no .shp files in this folder");
      for (const ListedShapefile& entry : listed) {
        // Converting an output again would convert twice; named on its own it is converted.
        if (entry.EarlierOutput)
          leftOut.push_back(JoinPath(operand, entry.Name));
        else
          jobs.push_back({operand, entry.Name});
      }
    } else {
      // A bare name stays bare (the working folder), so messages show it as typed.
      const fs::path path(operand);
      jobs.push_back({path.parent_path().string(), path.filename().string()});
    }
  }
  return jobs;
}

int RunConvertCommand(const ParsedArguments& parsed) {
  const auto start = std::chrono::steady_clock::now();
  LocalFileSystem files;
  const Conversion conversion = RequireConversion(parsed, files);
  const auto jobsOption = parsed.Options.find("jobs");
  const unsigned jobCount =
      jobsOption == parsed.Options.end() ? 1 : ParseJobCount(jobsOption->second);
  const auto threadsOption = parsed.Options.find("threads");
  const unsigned threadCount =
      threadsOption == parsed.Options.end() ? 0 : ParseThreadCount(threadsOption->second);
  if (parsed.Operands.empty()) throw UsageError("no PATH to convert");
  const bool quiet = parsed.Has("quiet");

  std::vector<std::string> leftOut;
  const std::vector<ShapefileJob> jobs = ListJobs(parsed.Operands, leftOut);
  const unsigned workers = static_cast<unsigned>(std::max<std::size_t>(
      1, std::min<std::size_t>(jobCount, jobCount > 1 ? GroupDependentJobs(jobs).size() : 1)));

  // Files at once and threads per file share the cores rather than multiply them.
  ConversionThreads perFile;
  perFile.Count = threadCount != 0 ? threadCount : std::max(1u, CoreCount() / workers);

  RunReporter reporter(!quiet && isatty(STDERR_FILENO) == 1, jobs.size(), workers);
  CommandLineFeedback feedback(reporter, workers);
  RunOptions options;
  options.KeepGoing = parsed.Has("keep-going");
  options.Jobs = workers;
  options.ReplaceOutputs = parsed.Has("overwrite");
  options.ConvertSuspicious = parsed.Has("force");
  options.Threads = perFile;
  const RunSummary summary = RunConversion(conversion, jobs, options, feedback, files);
  reporter.EndProgress();

  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  if (!quiet) {
    std::string text = Summary(summary, elapsed.count());
    if (!leftOut.empty()) text += "; " + CountOf(leftOut.size(), "earlier output") + " left out";
    reporter.Message(text);
    for (const std::string& line : ProblemLines(summary)) reporter.Message(line);
    for (const std::string& path : leftOut) reporter.Message("left out: " + path + ": the output of an earlier conversion");
  }
  return summary.AllConverted() || jobs.empty() ? 0 : 1;
}

}  // namespace morvane
