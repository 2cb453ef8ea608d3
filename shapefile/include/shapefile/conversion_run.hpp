// The conversion run: every ticked shapefile of a list, in list order, into name_1.shp,
// name_1.shx, name_1.dbf, name_1.prj, (when the input has one) name_1.cpg and (with a fitted datum step) name_1.datum.txt beside it. The window and the command line both drive it; it
// reaches the outside world only through the interfaces below and FileSystem.
#pragma once

#include <algorithm>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "engine/conversion.hpp"
#include "engine/engine_state.hpp"
#include "engine/messages.hpp"
#include "shapefile/file_system.hpp"
#include "shapefile/input_check.hpp"
#include "shapefile/record_threads.hpp"
#include "shapefile/run_error.hpp"
#include "shapefile/run_feedback.hpp"
#include "shapefile/shapefile_conversion.hpp"

namespace morvane {

// One entry of the file list: the bare file name as the folder listing gave it, and its tick.
struct RunItem {
  std::string Text;
  bool Ticked = true;
};

// One shapefile to convert: its folder and its bare main file name.
struct ShapefileJob {
  std::string Folder;
  std::string Item;
};

// The ticked items of a file list, in list order, as jobs in `folder`.
std::vector<ShapefileJob> TickedJobs(const std::string& folder, const std::vector<RunItem>& items);

// How a run goes about its files.
struct RunOptions {
  bool KeepGoing = true;        // false: no file is begun after one has failed
  unsigned Jobs = 1;            // files converted side by side, each with its own engine state
  bool ReplaceOutputs = false;  // replace earlier outputs without asking
  bool ConvertSuspicious = false;  // convert files whose input check fails without asking
  ConversionThreads Threads;    // that convert the records of each file
};

// A file that a run did not convert, and why.
struct FileProblem {
  std::string Path;    // the input main file
  std::string Reason;  // the error's English text, which names the file
  ErrorDetails Details = {};  // the same as data, for front ends that word it themselves
  InputCheck Check{};  // for a file whose input check failed: what it found, as data
};

// What a run did.
struct RunSummary {
  std::size_t Files = 0;      // asked for
  std::size_t Converted = 0;  // all outputs in place
  std::vector<FileProblem> Failed;   // begun and failed, nothing written; in list order
  std::vector<FileProblem> Skipped;  // left out before anything was written
  std::vector<FileProblem> Refused;  // left out after their input check, nothing written
  std::uint64_t Vertices = 0;
  bool Cancelled = false;            // a stop request left files unconverted
  std::vector<std::string> Stopped;  // input main files begun and abandoned by it, nothing written
  // The datum step the run converted with (the datum modes; Standard for the others), and why
  // nothing was begun when it could not serve the mode and region (CheckDatumStep).
  DatumStep Datum;
  std::optional<DatumStepError> DatumRefused;

  std::size_t NotBegun() const {
    return Files - Converted - Failed.size() - Skipped.size() - Refused.size() - Stopped.size();
  }
  bool AllConverted() const { return Files > 0 && Converted == Files; }
};

// A whole run, for the window and the command line alike: the settings step, then every job
// in order (several side by side with options.Jobs, those that share files one after
// another), the overall bar before each file and, when all were converted, at 100 at the end. A file that cannot be
// converted (a missing companion, an error of the file system, a damaged file, an engine
// error) is reported (its message, or ShowError with the error naming the file) and written
// nothing; the run goes on with the next file unless !options.KeepGoing. Before anything is
// written, every file is checked (input_check.hpp) and those that fail the check are asked
// about (ConfirmSuspicious); then a file that will be converted and whose outputs exist is
// converted only with options.ReplaceOutputs or after feedback.ConfirmReplace, asked once for
// all of them; otherwise it is skipped. Once feedback.StopRequested() is true (within a file,
// that of the file's slot), the file in progress is abandoned with nothing written, no other is
// begun and the summary is Cancelled, naming the abandoned files in Stopped; earlier outputs
// stay as they were. The completion
// box "已完成!! 請按確定" with the caption "Message" is shown only when every file was
// converted; otherwise the caller tells the user from the summary.
// The run builds its engine state afresh from `conversion` (PrepareEngine): nothing an earlier
// run did carries over. A datum step that cannot serve the mode and region (CheckDatumStep) ends
// the run before anything is read or written: ShowError with its English wording, and the
// summary's DatumRefused.
RunSummary RunConversion(const Conversion& conversion, const std::vector<ShapefileJob>& jobs, const RunOptions& options,
                         RunFeedback& feedback, FileSystem& files);

// The window's run: the ticked items of its list in `folder`, converting every file it can.
RunSummary RunConversion(const Conversion& conversion, const std::vector<RunItem>& items, const std::string& folder,
                         RunFeedback& feedback, FileSystem& files);

// The same on `engine`, which is prepared for `conversion` first, and afterwards holds what the
// run left in it (the settings that mode 12 writes), for callers that look at it.
RunSummary RunConversion(EngineState& engine, const Conversion& conversion, const std::vector<ShapefileJob>& jobs,
                         const RunOptions& options, RunFeedback& feedback, FileSystem& files);

// The standard datum step with `mode` and `region`, on `engine` as above.
RunSummary RunConversion(EngineState& engine, const std::vector<ShapefileJob>& jobs, TransformMode mode,
                         Region region, const RunOptions& options, RunFeedback& feedback, FileSystem& files);
RunSummary RunConversion(EngineState& engine, const std::vector<RunItem>& items,
                         const std::string& folder, TransformMode mode, Region region,
                         RunFeedback& feedback, FileSystem& files);

// Sets of job indexes that must run one after the other, in order: jobs whose outputs are
// another job's inputs or outputs (a.shp next to a_1.shp, or a.shp and a.SHP, which share
// their outputs). Each set is in ascending order and the sets are ordered by their first job.
std::vector<std::vector<std::size_t>> GroupDependentJobs(const std::vector<ShapefileJob>& jobs);

}  // namespace morvane
