#include "shapefile/conversion_run.hpp"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <optional>
#include <set>
#include <stdexcept>
#include <utility>

#include "engine/builtin_transforms.hpp"
#include "shapefile/buffered_io.hpp"
#include "shapefile/datum_step.hpp"
#include "shapefile/folder_listing.hpp"
#include "shapefile/headers.hpp"
#include "shapefile/input_check.hpp"
#include "shapefile/live_temporaries.hpp"
#include "shapefile/output_names.hpp"
#include "shapefile/process_ids.hpp"
#include "shapefile/records.hpp"
#include "shapefile/target_system.hpp"

namespace morvane {

namespace {

constexpr char kCompletionText[] = "已完成!! 請按確定";
constexpr char kCompletionCaption[] = "Message";


// A header's box becomes the extent of the converted records; a file without points keeps
// the conversion of its stored corners.
void SetHeaderBox(EngineState& engine, TransformMode mode, ShapefileHeader& header,
                  const Extent& records) {
  if (records.Empty())
    ConvertHeaderBox(engine, mode, header.Bytes.data());
  else
    WriteBox(header.Box(), records.Bounds());
}

// One shapefile's outputs while they are written under temporary names. Unless Commit has
// moved them into place, the temporaries are removed when this goes out of scope.
class PendingOutputs {
 public:
  struct Output {
    std::string Final;
    std::string Temporary;
  };

  // `written`: the outputs that this conversion writes. `dropped`: outputs that it does not
  // write this time (no .cpg beside the input); an earlier file of such a name described the
  // outputs being replaced, so it goes when they do.
  PendingOutputs(FileSystem& files, const std::vector<std::string>& written, std::vector<std::string> dropped)
      : files_(files), dropped_(std::move(dropped)) {
    for (const std::string& final : written) {
      outputs_.push_back({final, NewTemporary(final)});
      RegisterTemporary(outputs_.back().Temporary);  // before it exists, for a stop by a signal
      files_.Remove(outputs_.back().Temporary);  // left by an earlier process of the same id
    }
    std::vector<std::string> finals = written;
    finals.insert(finals.end(), dropped_.begin(), dropped_.end());
    RemoveAbandonedTemporaries(files_, finals);  // left by runs that were killed
  }
  ~PendingOutputs() {
    for (const Output& output : outputs_) {
      if (!committed_) files_.Remove(output.Temporary);
      ForgetTemporary(output.Temporary);
    }
  }
  PendingOutputs(const PendingOutputs&) = delete;
  PendingOutputs& operator=(const PendingOutputs&) = delete;

  // The temporary of the written output `final`.
  const std::string& Temporary(const std::string& final) const {
    for (const Output& output : outputs_) {
      if (output.Final == final) return output.Temporary;
    }
    throw std::logic_error("no temporary for " + final);
  }

  // The same error, naming the final output instead of its temporary.
  [[noreturn]] void Rethrow(const FileError& error) const {
    for (const Output& output : outputs_) {
      if (error.Path() == output.Temporary) throw error.At(output.Final);
    }
    throw error;
  }

  // Renames every temporary over its final name and removes the dropped outputs. The earlier
  // outputs are first moved aside under temporary names, so that a failure part way can put
  // all of them back: the outputs are then either all new or all as they were. The earlier
  // files moved aside are removed last; one that cannot be is left under its temporary name.
  void Commit() {
    const auto hold = HoldOffRemoval();  // a stop by a signal waits until all are in place
    std::vector<Output> asides;  // earlier outputs and where they were moved
    std::size_t placed = 0;      // temporaries renamed into place
    std::string moving;          // the output being moved, which an error names
    try {
      std::vector<std::string> finals = dropped_;
      for (const Output& output : outputs_) finals.push_back(output.Final);
      for (const std::string& final : finals) {
        moving = final;
        if (!files_.IsRegularFile(final)) continue;
        const std::string aside = NewTemporary(final);
        files_.Rename(final, aside);
        asides.push_back({final, aside});
      }
      for (; placed < outputs_.size(); ++placed) {
        moving = outputs_[placed].Final;
        files_.Rename(outputs_[placed].Temporary, outputs_[placed].Final);
      }
    } catch (const FileError& error) {
      PutBack(asides, placed);
      throw error.At(moving);
    }
    committed_ = true;
    for (const Output& aside : asides) files_.Remove(aside.Temporary);
  }

 private:
  static std::string NewTemporary(const std::string& final) {
    static std::atomic<unsigned long> counter{0};
    return TemporaryOutputPath(final, CurrentProcessId(), counter++);
  }

  // Undoes a Commit that failed: the outputs placed go and the earlier files come back.
  void PutBack(const std::vector<Output>& asides, std::size_t placed) noexcept {
    for (std::size_t i = 0; i < placed; ++i) files_.Remove(outputs_[i].Final);
    for (const Output& aside : asides) {
      try {
        files_.Rename(aside.Temporary, aside.Final);
      } catch (const FileError&) {
        // Stays under its temporary name; the error that ended the commit is the one reported.
      }
    }
  }

  FileSystem& files_;
  std::vector<Output> outputs_;
  std::vector<std::string> dropped_;
  bool committed_ = false;
};

// Abandons the file in progress when the run is to stop; its temporaries go as the error unwinds.
void StopIfRequested(RunFeedback& feedback) {
  if (feedback.StopRequested()) throw ConversionCancelled();
}

void WriteTextFile(FileSystem& files, const std::string& path, const std::string& text) {
  std::unique_ptr<File> file = files.Create(path);
  file->Write(text.data(), text.size());
  file->Close();
}

// The step a datum report describes: the caller's, or, if the caller gave another, the one the
// engine holds, named by what it is.
DatumStep ReportedStep(const EngineState& engine, const DatumStep& datum) {
  if (datum.Transform == engine.Datum) return datum;
  const bool builtin = engine.Datum == BuiltinTransform(engine.Datum->Meridian());
  return {builtin ? DatumStepKind::CommonPoints : DatumStepKind::ModelFile, "", engine.Datum};
}

// Writes the converted main file to `outputPath`; returns the extent of its records.
Extent WriteMainFile(EngineState& engine, TransformMode mode, File& input,
                     const std::string& inputPath, FileSystem& files,
                     const std::string& outputPath, RunFeedback& feedback, ShapefileStats& stats,
                     const ConversionThreads& threads) {
  std::unique_ptr<File> output = files.Create(outputPath);
  BufferedReader in(input);
  BufferedWriter out(*output);
  ShapefileHeader header;
  if (in.Read(header.Bytes.data(), kFileHeaderSize) < kFileHeaderSize) ThrowShortHeader(inputPath);
  CheckMainFileHeader(header, in.FileSize(), inputPath);
  out.Write(header.Bytes.data(), kFileHeaderSize);

  const RewriteResult records =
      RewriteRecordsOnThreads(in, out, engine, mode, inputPath,
                              [&](std::uint64_t done) {
                                feedback.OnBytesRead(done, in.FileSize());
                                StopIfRequested(feedback);
                              },
                              threads);
  SetHeaderBox(engine, mode, header, records.Points);
  out.PatchAt(kHeaderBoxOffset, header.Box(), kBoxSize);
  out.Flush();
  output->Close();

  stats.Records = records.Records;
  stats.Vertices = records.Vertices;
  stats.BytesRead = in.Position();
  return records.Points;
}

// Checks the header of the main file before its companions are looked for, so that a file
// that is no shapefile is said to be one, and leaves the file at its start.
void CheckMainFileStart(File& input, const std::string& path) {
  ShapefileHeader header;
  std::size_t got = 0;
  for (std::size_t n; got < kFileHeaderSize && (n = input.Read(header.Bytes.data() + got, kFileHeaderSize - got)) > 0;)
    got += n;
  if (got < kFileHeaderSize) ThrowShortHeader(path);
  CheckMainFileHeader(header, input.Size(), path);
  input.SeekToStart();
}

// The index copy at `outputPath` with its header box set.
void WriteIndex(EngineState& engine, TransformMode mode, const std::string& inputPath,
                FileSystem& files, const std::string& outputPath, const Extent& records) {
  files.CopyNoOverwrite(inputPath, outputPath);
  std::unique_ptr<File> index = files.OpenReadWrite(outputPath);
  ShapefileHeader header;
  if (index->Read(header.Bytes.data(), kFileHeaderSize) < kFileHeaderSize) ThrowShortHeader(inputPath);
  SetHeaderBox(engine, mode, header, records);
  index->SeekToStart();
  index->Write(header.Bytes.data(), kFileHeaderSize);
  index->Close();
}

}  // namespace

ShapefileOutcome ConvertShapefile(EngineState& engine, const std::string& folder,
                                  const std::string& item, TransformMode mode,
                                  RunFeedback& feedback, FileSystem& files,
                                  ShapefileStats* stats, const ConversionThreads& threads, const DatumStep& datum) {
  const ShapefileNames names = BuildShapefileNames(folder, item);
  std::unique_ptr<File> input = files.OpenRead(names.InputMain);
  CheckMainFileStart(*input, names.InputMain);
  const std::optional<std::string> index = FindCompanion(files, names.Stem, ".shx");
  const std::optional<std::string> table = index ? FindCompanion(files, names.Stem, ".dbf") : std::nullopt;
  if (!index || !table) {
    const ErrorDetails missing = DetailsOf(ErrorKind::MissingCompanion, names.Stem + (index ? ".dbf" : ".shx"));
    feedback.ShowError(EnglishText(missing));
    if (stats != nullptr) {
      stats->Missing = EnglishText(missing);
      stats->MissingDetails = missing;
    }
    return ShapefileOutcome::MissingCompanion;
  }

  // The system the converted coordinates are in (none for a mode that converts nothing), and
  // the table's code page, which the byte copy of the table keeps. The input's own .prj
  // describes the source system and is never carried.
  const std::optional<std::string> system = TargetSystemWkt(mode, engine.Settings, engine.Lambert);
  const std::optional<std::string> codePage = FindCompanion(files, names.Stem, ".cpg");
  const std::string& projectionOutput = names.OutputProjection;
  const std::string& codePageOutput = names.OutputCodePage;
  std::vector<std::string> written = {names.OutputMain, names.OutputIndex, names.OutputTable};
  std::vector<std::string> dropped;
  (system ? written : dropped).push_back(projectionOutput);
  (codePage ? written : dropped).push_back(codePageOutput);
  // Outputs of a fitted datum step carry a report of it; an earlier report goes with the
  // outputs it described.
  const std::optional<std::string> datumReport =
      engine.Datum && TakesDatumStep(mode) ? std::optional(DatumReportText(mode, ReportedStep(engine, datum)))
                                           : std::nullopt;
  (datumReport ? written : dropped).push_back(names.OutputDatumReport);

  PendingOutputs outputs(files, written, std::move(dropped));
  ShapefileStats done;
  try {
    const Extent records = WriteMainFile(engine, mode, *input, names.InputMain, files,
                                         outputs.Temporary(names.OutputMain), feedback, done, threads);
    StopIfRequested(feedback);
    WriteIndex(engine, mode, *index, files, outputs.Temporary(names.OutputIndex), records);
    StopIfRequested(feedback);
    files.CopyNoOverwrite(*table, outputs.Temporary(names.OutputTable));
    if (system) WriteTextFile(files, outputs.Temporary(projectionOutput), *system);
    if (codePage) files.CopyNoOverwrite(*codePage, outputs.Temporary(codePageOutput));
    if (datumReport) WriteTextFile(files, outputs.Temporary(names.OutputDatumReport), *datumReport);
    input->Close();
  } catch (const FileError& error) {
    outputs.Rethrow(error);
  }
  // The last moment to stop: once the outputs move into place, the file is converted.
  StopIfRequested(feedback);
  outputs.Commit();
  feedback.SetFileProgress(100);
  if (stats != nullptr) *stats = done;
  return ShapefileOutcome::Converted;
}

std::vector<ShapefileJob> TickedJobs(const std::string& folder, const std::vector<RunItem>& items) {
  std::vector<ShapefileJob> jobs;
  for (const RunItem& item : items) {
    if (item.Ticked) jobs.push_back({folder, item.Text});
  }
  return jobs;
}

namespace {

// The earlier outputs that converting `job` would replace: its main file, index and table
// (a .prj or .cpg alone is not a conversion's). None when a companion is missing: that file
// fails before anything is written.
std::vector<std::string> ExistingOutputs(FileSystem& files, const ShapefileJob& job) {
  const ShapefileNames names = BuildShapefileNames(job.Folder, job.Item);
  if (!FindCompanion(files, names.Stem, ".shx") || !FindCompanion(files, names.Stem, ".dbf")) return {};
  std::vector<std::string> existing;
  for (const std::string& output : {names.OutputMain, names.OutputIndex, names.OutputTable}) {
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
