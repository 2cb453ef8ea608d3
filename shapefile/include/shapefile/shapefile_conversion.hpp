// The conversion of one shapefile into its outputs (output_names.hpp), the step that a run
// (conversion_run.hpp) takes for each of its files.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "engine/conversion.hpp"
#include "engine/engine_state.hpp"
#include "shapefile/file_system.hpp"
#include "shapefile/record_threads.hpp"
#include "shapefile/run_error.hpp"
#include "shapefile/run_feedback.hpp"

namespace morvane {

// Thrown by ConvertShapefile when the run is to stop part way through a file.
class ConversionCancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "Conversion cancelled"; }
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
  ErrorDetails MissingDetails = {};  // the same as data
};

// Converts folder/item with `mode` and sets the per-file bar to 100. The settings step must
// have run. The main file's header is checked first (a file that is not a shapefile is said to
// be one). The companions are found beside the main file with their extension in any letter
// case, the exact lower-case name first; when one is missing, the error "<path> Not found"
// (ErrorKind::MissingCompanion) is shown for its lower-case name and nothing is written.
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
// and errors are those of one thread. feedback.StopRequested() is asked between blocks of
// records and between the outputs; once it is true, the conversion throws ConversionCancelled,
// with no temporary left and no output changed.
ShapefileOutcome ConvertShapefile(EngineState& engine, const std::string& folder,
                                  const std::string& item, TransformMode mode,
                                  RunFeedback& feedback, FileSystem& files,
                                  ShapefileStats* stats = nullptr,
                                  const ConversionThreads& threads = {}, const DatumStep& datum = {});

}  // namespace morvane
