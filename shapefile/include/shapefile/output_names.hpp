// The names a conversion reads and writes for one ticked main file, and the temporary names
// its outputs are written under until all of them are complete.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shapefile/file_system.hpp"

namespace morvane {

struct ShapefileNames {
  std::string InputMain;    // folder + "/" + item
  std::string Stem;         // InputMain without its last 4 characters; + ".shx", + ".dbf"
  std::string OutputMain;   // <folder of InputMain>/<base>_1.shp
  std::string OutputIndex;  // <base>_1.shx
  std::string OutputTable;  // <base>_1.dbf
  std::string OutputProjection;  // <base>_1.prj, the target system
  std::string OutputCodePage;    // <base>_1.cpg, a copy of the input's
  std::string OutputDatumReport;  // <base>_1.datum.txt, the fitted datum step used (datum_step.hpp)
};

// What the outputs' names add to the input's base, before their own suffix.
inline constexpr std::string_view kOutputTag = "_1";

// When a conversion writes an output. One it does not write is removed if an earlier
// conversion left it, so that it cannot describe the new outputs.
enum class OutputCondition {
  Always,
  TargetSystem,     // the mode has a target system to describe (target_system.hpp)
  InputCodePage,    // the input has a .cpg beside it
  FittedDatumStep,  // the run converts with a fitted datum step (datum_step.hpp)
};

// One file that a conversion writes: "<base>" + kOutputTag + Suffix, held in ShapefileNames::*Name.
struct ConversionOutput {
  std::string_view Suffix;
  OutputCondition WrittenWhen;
  std::string ShapefileNames::*Name;
};

// Every output of a conversion, in the order they are written, moved into place and named in
// questions; its names, the outputs written and removed, the earlier outputs asked about, the
// jobs that must wait for one another and the folder listing all read this list. A new output
// is one entry here, its field of ShapefileNames and the code that writes its bytes in
// ConvertShapefile, which also says when a new condition holds.
inline constexpr ConversionOutput kConversionOutputs[] = {
    {".shp", OutputCondition::Always, &ShapefileNames::OutputMain},
    {".shx", OutputCondition::Always, &ShapefileNames::OutputIndex},
    {".dbf", OutputCondition::Always, &ShapefileNames::OutputTable},
    {".prj", OutputCondition::TargetSystem, &ShapefileNames::OutputProjection},
    {".cpg", OutputCondition::InputCodePage, &ShapefileNames::OutputCodePage},
    {".datum.txt", OutputCondition::FittedDatumStep, &ShapefileNames::OutputDatumReport},
};

// The suffix of the output held in `name` (e.g. ".prj" for &ShapefileNames::OutputProjection).
constexpr std::string_view OutputSuffix(std::string ShapefileNames::*name) {
  for (const ConversionOutput& output : kConversionOutputs) {
    if (output.Name == name) return output.Suffix;
  }
  return {};
}

// What the datum report of an output ends in after "<base>_1".
inline constexpr std::string_view kDatumReportSuffix = OutputSuffix(&ShapefileNames::OutputDatumReport);

// Every file a conversion of `names` writes, or removes when it has nothing to write there,
// in the order of kConversionOutputs.
std::vector<std::string> OutputsOf(const ShapefileNames& names);

// The outputs whose condition is `condition`, in the order of kConversionOutputs.
std::vector<std::string> OutputsOf(const ShapefileNames& names, OutputCondition condition);

// The base is the item's file name without its extension (the last "." and what follows), so
// "a.b.shp" gives "a.b_1.shp". The outputs go beside the input main file.
ShapefileNames BuildShapefileNames(const std::string& folder, const std::string& item);

// Temporary outputs live in the output's own folder, hidden, and name their final file, the
// writing process and a counter:
//     <folder>/.<final name>.morvane-tmp-<pid>-<n>        e.g. ".roads_1.shp.morvane-tmp-812-0"
// A run removes its own temporaries on every failure; a name of this pattern whose process is
// gone was left by a run that was killed.
std::string TemporaryOutputPath(const std::string& finalPath, unsigned long pid, unsigned long n);

// What a bare temporary name says: the bare name of its final output and the writer's id.
struct TemporaryOutputName {
  std::string FinalName;
  unsigned long Pid = 0;
  unsigned long N = 0;
};

// The parts of a bare file name that follows the temporary pattern above; nullopt otherwise.
std::optional<TemporaryOutputName> ParseTemporaryOutputName(std::string_view name);

// Whether a bare file name follows the temporary pattern above.
bool IsTemporaryOutputName(std::string_view name);

// Removes the temporaries of the outputs `finalPaths` that processes no longer running have
// left: a run that was killed cannot remove its own. Temporaries of running processes (another
// run writing the same outputs now) are left alone, and so are names that only look alike.
void RemoveAbandonedTemporaries(FileSystem& files, const std::vector<std::string>& finalPaths);

}  // namespace morvane
