#include "shapefile/conversion_run.hpp"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <utility>

#include "shapefile/folder_listing.hpp"
#include "shapefile/input_check.hpp"
#include "shapefile/output_names.hpp"

namespace morvane {

namespace {

constexpr char kCompletionText[] = "已完成!! 請按確定";
constexpr char kCompletionCaption[] = "Message";

// The earlier outputs that converting `job` would replace: those that every conversion writes
// (main file, index and table; a .prj or .cpg alone is not a conversion's). None when a
// companion is missing: that file fails before anything is written.
std::vector<std::string> ExistingOutputs(FileSystem& files, const ShapefileJob& job) {
  const ShapefileNames names = BuildShapefileNames(job.Folder, job.Item);
  if (!FindCompanion(files, names.Stem, ".shx") || !FindCompanion(files, names.Stem, ".dbf")) return {};
  std::vector<std::string> existing;
  for (const std::string& output : OutputsOf(names, OutputCondition::Always)) {
    if (files.IsRegularFile(output)) existing.push_back(output);
  }
  return existing;
}

// What happened to one job.
struct JobResult {
  enum class Kind { NotBegun, Converted, Failed, Skipped, Refused, Stopped } Outcome = Kind::NotBegun;
  std::string Reason;
  std::uint64_t Vertices = 0;
  ErrorDetails Details;  // of a failure, or of an earlier output left in place
  InputCheck Check{};    // of a file left out for its input check
};

JobResult Failure(const ErrorDetails& details, const std::string& reason) {
  return {JobResult::Kind::Failed, reason, 0, details};
}

// The jobs a run converts and what it knows of them, shared by its slots.
class RunState {
 public:
  RunState(const std::vector<ShapefileJob>& jobs, const Conversion& conversion, const RunOptions& options,
           RunFeedback& feedback)
      : jobs_(jobs), mode_(conversion.Mode), datum_(conversion.Datum), options_(options), feedback_(feedback),
        results_(jobs.size()), checkErrors_(jobs.size()), willFail_(jobs.size(), false) {}

  // Leaves out the jobs whose outputs exist, unless they may be replaced: asked once, after
  // the input check, about the files that the run will convert.
  void ScreenExistingOutputs(FileSystem& files) {
    std::vector<std::size_t> replacing;
    std::vector<std::string> outputs;
    for (std::size_t i = 0; i < jobs_.size(); ++i) {
      if (results_[i].Outcome != JobResult::Kind::NotBegun || willFail_[i] || i > stopAt_) continue;
      const std::vector<std::string> existing = ExistingOutputs(files, jobs_[i]);
      if (existing.empty()) continue;
      replacing.push_back(i);
      outputs.push_back(existing.front());
    }
    if (replacing.empty() || options_.ReplaceOutputs || feedback_.ConfirmReplace(outputs)) return;
    for (std::size_t k = 0; k < replacing.size(); ++k) {
      const ErrorDetails exists = DetailsOf(ErrorKind::OutputExists, outputs[k]);
      results_[replacing[k]] = {JobResult::Kind::Skipped, EnglishText(exists), 0, exists};
    }
  }

  // Leaves out the jobs whose input check fails (input_check.hpp), unless they may be converted
  // anyway: asked once. Without KeepGoing the first of them ends the run there, as a failure
  // would. A file that the check finds unreadable is not asked about: its conversion fails when
  // its turn comes (with the error of a file operation that failed in the check), and without
  // KeepGoing nothing after it is asked about or begun.
  void ScreenInputs(FileSystem& files, Region region) {
    ListingCacheFileSystem listed(files);  // each folder listed once for the .prj lookups
    std::vector<std::size_t> suspicious;
    std::vector<FileProblem> problems;
    std::set<std::string> writtenBefore;  // main files that earlier jobs write
    for (std::size_t i = 0; i < jobs_.size(); ++i) {
      const ShapefileNames names = BuildShapefileNames(jobs_[i].Folder, jobs_[i].Item);
      const std::string& path = names.InputMain;
      const bool written = writtenBefore.count(path) > 0;
      writtenBefore.insert(names.OutputMain);
      // What an earlier job of this run writes is not there yet to be checked.
      if (results_[i].Outcome != JobResult::Kind::NotBegun || written) continue;
      InputCheck check;
      try {
        check = CheckInputOrThrow(path, mode_, region, listed);
      } catch (const FileError& error) {
        checkErrors_[i] = error;
      }
      if (checkErrors_[i] || !CanConvert(check)) {
        willFail_[i] = true;
        if (!options_.KeepGoing) stopAt_ = std::min(stopAt_, i);
        continue;
      }
      if (PassesCheck(check)) continue;
      suspicious.push_back(i);
      problems.push_back({path, CheckReasonsText(check, region), {}, check});
    }
    // Without KeepGoing, the files after one that fails are not begun: nothing to ask of them.
    while (!suspicious.empty() && suspicious.back() > stopAt_) {
      suspicious.pop_back();
      problems.pop_back();
    }
    if (suspicious.empty() || options_.ConvertSuspicious || feedback_.ConfirmSuspicious(problems)) return;
    for (std::size_t k = 0; k < suspicious.size(); ++k) {
      results_[suspicious[k]] = {JobResult::Kind::Refused, problems[k].Reason, 0, problems[k].Details, problems[k].Check};
    }
    if (!options_.KeepGoing) stopAt_ = std::min(stopAt_, suspicious.front());
  }

  // Converts job `index` with `engine`, unless the run has stopped or it was left out.
  void Convert(std::size_t index, unsigned slot, std::size_t ticked, EngineState& engine, RunFeedback& slotFeedback,
               FileSystem& files) {
    {
      std::lock_guard lock(mutex_);
      // Left out or refused before anything was written, or after the end.
      if (results_[index].Outcome != JobResult::Kind::NotBegun || index > stopAt_) return;
      if (stopped_) return;
      if (feedback_.StopRequested()) {
        stopped_ = true;
        cancelled_ = true;
        return;
      }
      feedback_.SetOverallProgress(static_cast<int>(started_ * 100 / ticked));
      ++started_;
    }
    const ShapefileJob& job = jobs_[index];
    const std::string path = JoinPath(job.Folder, job.Item);
    feedback_.FileStarted(slot, path);
    JobResult result;
    try {
      ShapefileStats stats;
      if (checkErrors_[index]) throw *checkErrors_[index];
      if (ConvertShapefile(engine, job.Folder, job.Item, mode_, slotFeedback, files, &stats, options_.Threads,
                           datum_) == ShapefileOutcome::Converted) {
        result = {JobResult::Kind::Converted, "", stats.Vertices, {}};
      } else {
        result = Failure(stats.MissingDetails, stats.Missing);  // its error has been shown
      }
    } catch (const ConversionCancelled&) {
      result = {JobResult::Kind::Stopped, "", 0, {}};
    } catch (const RunError& error) {
      result = Failure(error.Details(), error.what());  // names the file already
      slotFeedback.ShowError(result.Reason);
    } catch (const std::exception& error) {
      // Engine errors say what went wrong but not where.
      result = Failure(EngineErrorDetails(error, path), path + ": " + error.what());
      slotFeedback.ShowError(result.Reason);
    }
    feedback_.FileFinished(slot);
    std::lock_guard lock(mutex_);
    if (result.Outcome == JobResult::Kind::Failed && !options_.KeepGoing) stopped_ = true;
    if (result.Outcome == JobResult::Kind::Stopped) stopped_ = cancelled_ = true;
    results_[index] = std::move(result);
  }

  // The jobs not left out.
  std::size_t ToConvert() const {
    return static_cast<std::size_t>(std::count_if(results_.begin(), results_.end(), [](const JobResult& result) {
      return result.Outcome == JobResult::Kind::NotBegun;
    }));
  }

  RunSummary Summary() const {
    RunSummary summary;
    summary.Files = jobs_.size();
    summary.Cancelled = cancelled_;
    summary.Datum = datum_;
    for (std::size_t i = 0; i < jobs_.size(); ++i) {
      const JobResult& result = results_[i];
      const std::string path = JoinPath(jobs_[i].Folder, jobs_[i].Item);
      switch (result.Outcome) {
        case JobResult::Kind::Converted:
          ++summary.Converted;
          summary.Vertices += result.Vertices;
          break;
        case JobResult::Kind::Failed:
          summary.Failed.push_back({path, result.Reason, result.Details});
          break;
        case JobResult::Kind::Skipped:
          summary.Skipped.push_back({path, result.Reason, result.Details});
          break;
        case JobResult::Kind::Refused:
          summary.Refused.push_back({path, result.Reason, result.Details, result.Check});
          break;
        case JobResult::Kind::Stopped:
          summary.Stopped.push_back(path);
          break;
        case JobResult::Kind::NotBegun:
          break;
      }
    }
    return summary;
  }

 private:
  const std::vector<ShapefileJob>& jobs_;
  const TransformMode mode_;
  const DatumStep datum_;
  const RunOptions& options_;
  RunFeedback& feedback_;
  std::mutex mutex_;
  std::vector<JobResult> results_;
  std::vector<std::optional<FileError>> checkErrors_;  // of the input check, by job
  std::vector<bool> willFail_;  // the input check found what the conversion will fail on
  std::int64_t started_ = 0;
  bool stopped_ = false;    // no file is begun any more
  bool cancelled_ = false;  // by a stop request
  // The job at which the screening before the run ended it; those after it are not begun.
  std::size_t stopAt_ = static_cast<std::size_t>(-1);
};

}  // namespace

std::vector<ShapefileJob> TickedJobs(const std::string& folder, const std::vector<RunItem>& items) {
  std::vector<ShapefileJob> jobs;
  for (const RunItem& item : items) {
    if (item.Ticked) jobs.push_back({folder, item.Text});
  }
  return jobs;
}

RunSummary RunConversion(EngineState& engine, const Conversion& conversion, const std::vector<ShapefileJob>& jobs,
                         const RunOptions& options, RunFeedback& feedback, FileSystem& files) {
  PrepareEngine(engine, conversion);
  if (std::optional<DatumStepError> refusal = CheckDatumStep(conversion)) {
    // Nothing is begun with a step that cannot serve the mode and region.
    RunSummary summary;
    summary.Files = jobs.size();
    summary.Datum = conversion.Datum;
    summary.DatumRefused = refusal;
    feedback.ShowError(DescribeInEnglish(*refusal));
    return summary;
  }
  RunState run(jobs, conversion, options, feedback);
  // The inputs first: a file refused or unreadable is not asked about its outputs.
  run.ScreenInputs(files, conversion.RegionIndex);
  run.ScreenExistingOutputs(files);
  const std::size_t ticked = std::max<std::size_t>(1, run.ToConvert());

  const std::vector<std::vector<std::size_t>> groups =
      options.Jobs > 1 ? GroupDependentJobs(jobs) : std::vector<std::vector<std::size_t>>{};
  const unsigned slots = static_cast<unsigned>(std::min<std::size_t>(std::max(1u, options.Jobs), std::max<std::size_t>(1, groups.size())));
  if (slots <= 1) {
    for (std::size_t i = 0; i < jobs.size(); ++i) run.Convert(i, 0, ticked, engine, feedback, files);
  } else {
    // Each slot converts whole groups with an engine state of its own, set up as the run's.
    std::atomic<std::size_t> nextGroup{0};
    std::vector<std::jthread> threads;
    for (unsigned slot = 0; slot < slots; ++slot) {
      threads.emplace_back([&, slot] {
        RunFeedback& slotFeedback = feedback.ForSlot(slot);
        EngineState slotEngine(slotFeedback);
        slotEngine.Settings = engine.Settings;
        slotEngine.Lambert = engine.Lambert;
        slotEngine.Datum = engine.Datum;
        for (std::size_t group = nextGroup++; group < groups.size(); group = nextGroup++) {
          for (const std::size_t index : groups[group]) run.Convert(index, slot, ticked, slotEngine, slotFeedback, files);
        }
      });
    }
  }
  const RunSummary summary = run.Summary();
  // The bar reaches 100 only when every file was converted; otherwise it stays where the last
  // file began, and the caller says what was not converted.
  if (summary.AllConverted()) {
    feedback.SetOverallProgress(100);
    feedback.ShowCompletion(kCompletionText, kCompletionCaption);
  }
  return summary;
}

RunSummary RunConversion(const Conversion& conversion, const std::vector<ShapefileJob>& jobs, const RunOptions& options,
                         RunFeedback& feedback, FileSystem& files) {
  EngineState engine(feedback);
  return RunConversion(engine, conversion, jobs, options, feedback, files);
}

RunSummary RunConversion(const Conversion& conversion, const std::vector<RunItem>& items, const std::string& folder,
                         RunFeedback& feedback, FileSystem& files) {
  return RunConversion(conversion, TickedJobs(folder, items), RunOptions{}, feedback, files);
}

RunSummary RunConversion(EngineState& engine, const std::vector<ShapefileJob>& jobs, TransformMode mode,
                         Region region, const RunOptions& options, RunFeedback& feedback, FileSystem& files) {
  return RunConversion(engine, Conversion{mode, region, {}}, jobs, options, feedback, files);
}

RunSummary RunConversion(EngineState& engine, const std::vector<RunItem>& items, const std::string& folder,
                         TransformMode mode, Region region, RunFeedback& feedback, FileSystem& files) {
  return RunConversion(engine, TickedJobs(folder, items), mode, region, RunOptions{}, feedback, files);
}

}  // namespace morvane
