// One conversion as a plain value: the mode, the region and the datum step. Every run, the
// preview, the input check and the .prj writer build what they need from it afresh, so the same
// value gives the same result whatever was converted before.
#pragma once

#include <memory>
#include <string>

#include "engine/engine_state.hpp"
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

// Sets `state` up for `conversion` from nothing: the start values of the settings and the
// initial Lambert grid, the datum step's transform, then the settings step of the mode and
// region. Messages of the settings step go to the state's sink.
void PrepareEngine(EngineState& state, const Conversion& conversion);

// A new engine state prepared for `conversion`, its messages going to `messages`.
EngineState EngineFor(const Conversion& conversion, MessageSink& messages);

}  // namespace morvane
