// The conversion run: every ticked shapefile of a list, in list order, into name_1.shp,
// name_1.shx, name_1.dbf, name_1.prj and (when the input has one) name_1.cpg beside it. The window and the command line both drive it; it
// reaches the outside world only through the interfaces below and FileSystem.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/engine_state.hpp"
#include "engine/messages.hpp"
#include "shapefile/file_system.hpp"
#include "shapefile/record_threads.hpp"
#include "shapefile/run_error.hpp"

namespace morvane {

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
};

// One entry of the file list: the bare file name as the folder listing gave it, and its tick.
struct RunItem {
  std::string Text;
  bool Ticked = true;
};

// What converting one shapefile did.
enum class ShapefileOutcome {
  Converted,  // all outputs are in place
  EndRun,     // a companion file is missing; the message has been shown, nothing was written
};

// Figures of one converted shapefile, for summaries.
struct ShapefileStats {
  std::uint64_t Records = 0;
  std::uint64_t Vertices = 0;
  std::uint64_t BytesRead = 0;
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
                                  const ConversionThreads& threads = {});

// The whole run of the run button: settings step, ticked count, each ticked item in order,
// overall bar to 100 and the completion box "已完成!! 請按確定" with the caption "Message".
// An error that ends the run propagates (no completion box); the caller shows it.
void RunConversion(EngineState& engine, const std::vector<RunItem>& items,
                   const std::string& folder, TransformMode mode, Region region,
                   RunFeedback& feedback, FileSystem& files, const ConversionThreads& threads = {});

}  // namespace morvane
