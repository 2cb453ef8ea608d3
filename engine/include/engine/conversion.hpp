// One conversion as a plain value: the mode, the region and the datum step. Every run, the
// preview, the input check and the .prj writer build what they need from it afresh, so the same
// value gives the same result whatever was converted before.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/engine_state.hpp"
#include "engine/plane_model_file.hpp"
#include "engine/settings.hpp"

namespace morvane {

class FittedTransform;

// How the datum modes (TWD67 to and from TWD97 or WGS84) shift between the datums.
enum class DatumStepKind {
  Standard,      // the fixed seven-parameter shift
  CommonPoints,  // the built-in transform fitted to the region's published common points
  ModelFile,     // a transform fitted by the user and saved to a file
};

struct DatumStep {
  DatumStepKind Kind = DatumStepKind::Standard;
  std::string ModelPath;  // ModelFile: the file, as the user named it
  // The fitted transform the step applies; null for Standard. Immutable and shared by every
  // thread of a run.
  std::shared_ptr<const FittedTransform> Transform;
};

struct Conversion {
  TransformMode Mode = 0;
  Region RegionIndex = 0;
  DatumStep Datum;
};

// Whether `mode` shifts between TWD67 and TWD97 or WGS84, the modes a datum step applies to:
// 9, 10, 11, 12, 15 and 16. A fitted step takes WGS84 for TWD97 (they agree to about a metre).
bool TakesDatumStep(TransformMode mode);

// The meridian of the region's two-degree grid, which a fitted transform must be fitted on:
// 121 for Taiwan, 119 for Penghu, Kinmen and Matsu; none for the mainland.
std::optional<int> RegionTm2Meridian(Region region);

// Why a datum step cannot serve a conversion, as data; the front ends word it.
enum class DatumStepProblem {
  NotADatumMode,     // Mode: a mode that shifts no datum was given a fitted step
  NoTm2Grid,         // Region: a region without a two-degree grid (the mainland)
  NoBuiltinModel,    // Region: no common points were published for it (the mainland)
  NoTransform,       // a fitted step without its transform
  MeridianMismatch,  // ModelMeridian, RegionMeridian: fitted on another region's grid
  UnreadableModel,   // Path; Reason: the file system's words
  InvalidModel,      // Path; Model: where and why the model file is wrong
};

struct DatumStepError {
  DatumStepProblem Kind = DatumStepProblem::NoTransform;
  TransformMode Mode = 0;
  Region RegionIndex = 0;
  int ModelMeridian = 0;
  int RegionMeridian = 0;
  std::string Path;
  std::string Reason;
  std::optional<ModelFileError> Model;  // InvalidModel
};

// One English sentence for the command line, e.g. "the model fitted on the 119 meridian does
// not fit region 1, whose grid is on the 121 meridian".
std::string DescribeInEnglish(const DatumStepError& error);

// Whether `conversion`'s datum step can serve its mode and region: none for the standard step
// and for a fitted step of a datum mode whose transform is on the region's meridian. Runs and
// the point command refuse a conversion with a problem before anything is converted.
std::optional<DatumStepError> CheckDatumStep(const Conversion& conversion);

// Sets `state` up for `conversion` from nothing: the start values of the settings and the
// initial Lambert grid, the datum step's transform, then the settings step of the mode and
// region. Messages of the settings step go to the state's sink.
void PrepareEngine(EngineState& state, const Conversion& conversion);

// A new engine state prepared for `conversion`, its messages going to `messages`.
EngineState EngineFor(const Conversion& conversion, MessageSink& messages);

}  // namespace morvane
