// The conversion run: every ticked shapefile of a list, in list order, into name_1.shp,
// name_1.shx, name_1.dbf, name_1.prj, (when the input has one) name_1.cpg and (with a fitted datum step) name_1.datum.txt beside it. The window and the command line both drive it; it
// reaches the outside world only through the interfaces below and FileSystem.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/conversion.hpp"
#include "engine/engine_state.hpp"
#include "engine/messages.hpp"
#include "shapefile/file_system.hpp"
#include "shapefile/record_threads.hpp"
#include "shapefile/run_error.hpp"

namespace morvane {

struct FileProblem;

// What the run shows: plain messages (MessageSink), the completion box and the two bars.
class RunFeedback : public MessageSink {
 public:
  // The completion box: `text` with `caption`, an OK button, no icon.
  virtual void ShowCompletion(const std::string& text, const std::string& caption) = 0;
  // The overall bar (percentage of ticked files begun, 100 at the end of a run).
  virtual void SetOverallProgress(int percent) = 0;
  // The per-file bar (100 whenever a file is finished).
  virtual void SetFileProgress(int percent) = 0;
  // Bytes of the current input main file read so far; for front ends that show finer
  // progress. The default ignores it.
  virtual void OnBytesRead(std::uint64_t /*done*/, std::uint64_t /*total*/) {}

  // An error that ended the conversion of one file; the window's error box. By default a
  // plain message.
  virtual void ShowError(const std::string& text) { ShowMessage(text); }
  // Asked at most once per run, before anything is written, with the outputs that the run
  // would replace: true replaces them, false leaves those files out. By default nothing is
  // replaced.
  virtual bool ConfirmReplace(const std::vector<std::string>& /*outputs*/) { return false; }
  // Asked at most once per run, before anything is written, with the files whose input check
  // failed (input_check.hpp), each with its reason: true converts them anyway, false leaves
  // them out. By default they are left out.
  virtual bool ConfirmSuspicious(const std::vector<FileProblem>& /*files*/) { return false; }
  // Whether the run is to stop before the next file; asked between files.
  virtual bool StopRequested() { return false; }

  // For runs that convert several files side by side (RunOptions::Jobs > 1): the feedback of
  // each slot, where its engine messages and per-file progress go, and when a slot begins and
  // ends a file. Then every call may come from any of the slots' threads.
  virtual RunFeedback& ForSlot(unsigned /*slot*/) { return *this; }
  virtual void FileStarted(unsigned /*slot*/, const std::string& /*path*/) {}
  virtual void FileFinished(unsigned /*slot*/) {}
};

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
  std::string Reason;  // the error's text, which names the file
};

// What a run did.
struct RunSummary {
  std::size_t Files = 0;      // asked for
  std::size_t Converted = 0;  // all outputs in place
  std::vector<FileProblem> Failed;   // begun and failed, nothing written; in list order
  std::vector<FileProblem> Skipped;  // left out before anything was written
  std::vector<FileProblem> Refused;  // left out after their input check, nothing written
  std::uint64_t Vertices = 0;
  // The datum step the run converted with (the datum modes; Standard for the others), and why
  // nothing was begun when it could not serve the mode and region (CheckDatumStep).
  DatumStep Datum;
  std::optional<DatumStepError> DatumRefused;

  std::size_t NotBegun() const { return Files - Converted - Failed.size() - Skipped.size() - Refused.size(); }
  bool AllConverted() const { return Files > 0 && Converted == Files; }
};

// What converting one shapefile did.
enum class ShapefileOutcome {
  Converted,  // all outputs are in place
  MissingCompanion,  // the message has been shown, nothing was written
};

// Figures of one converted shapefile, for summaries.
struct ShapefileStats {
  std::uint64_t Records = 0;
  std::uint64_t Vertices = 0;
  std::uint64_t BytesRead = 0;
  std::string Missing;  // for ShapefileOutcome::MissingCompanion: the message about the missing companion
};

// Converts folder/item with `mode` and sets the per-file bar to 100. The settings step must
// have run. The companions are found beside the main file with their extension in any letter
// case, the exact lower-case name first; when one is missing, "<path> Not found" is shown for
// its lower-case name and nothing is written.
// Besides the converted main file, the index and the table copy, name_1.prj says the mode's
// target system (target_system.hpp; none for a mode out of range) and name_1.cpg is a copy of
// the input's .cpg, found like the other companions; the input's .prj is never copied. An
// earlier name_1.prj or name_1.cpg that this conversion does not write again is removed, so
// that it cannot describe the new outputs.
// With a fitted transform in engine.Datum and a mode that shifts a datum, name_1.datum.txt
// reports the step (DatumReportText of `datum`, or of the transform the engine holds when `datum`
// is another), written and moved into place with the other outputs; a conversion with the
// standard step removes an earlier one.
// The outputs are written under temporary names (output_names.hpp) and moved into place
// only once all are complete, replacing earlier outputs of the same names. Throws RunError
// (FileError naming the real input or output path, or damaged input) or ConversionError when
// the file cannot be converted; then no temporary is left and no output has been changed.
// Moving into place first moves the earlier outputs aside under temporary names, so that a
// rename failing part way puts every one of them back. Earlier files moved aside are removed
// last; one that cannot be removed stays under its temporary name. Only a process killed while
// it moves the outputs can leave some new and others absent; the next conversion of the same
// file removes the temporaries of processes that are gone.
// Record boxes and both header boxes become the extent of the converted points (records.hpp).
// The records are converted on `threads` (record_threads.hpp): the outputs, messages, progress
// and errors are those of one thread.
ShapefileOutcome ConvertShapefile(EngineState& engine, const std::string& folder,
                                  const std::string& item, TransformMode mode,
                                  RunFeedback& feedback, FileSystem& files,
                                  ShapefileStats* stats = nullptr,
                                  const ConversionThreads& threads = {}, const DatumStep& datum = {});

// A whole run, for the window and the command line alike: the settings step, then every job
// in order (several side by side with options.Jobs, those that share files one after
// another), the overall bar before each file and, when all were converted, at 100 at the end. A file that cannot be
// converted (a missing companion, an error of the file system, a damaged file, an engine
// error) is reported (its message, or ShowError with the error naming the file) and written
// nothing; the run goes on with the next file unless !options.KeepGoing. Before anything is
// written, a file whose outputs exist is converted only with options.ReplaceOutputs or after
// feedback.ConfirmReplace, asked once for all of them; otherwise it is skipped. The completion
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
