// The datum step as users name it, and what a run writes about it.
//
// "standard" is the fixed seven-parameter shift; "common-points" the transform built into the
// engine, fitted to the published common points of the region (Taiwan on the 121 meridian,
// Penghu on the 119; Kinmen and Matsu lie outside Penghu's points, the mainland has none);
// anything else names a model file (plane_model_file.hpp), read through the FileSystem.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/conversion.hpp"
#include "shapefile/file_system.hpp"

namespace morvane {

inline constexpr std::string_view kStandardStepName = "standard";
inline constexpr std::string_view kCommonPointsStepName = "common-points";

struct DatumStepResolution {
  std::optional<DatumStep> Step;
  std::optional<DatumStepError> Error;  // why there is no step
  bool Ok() const { return Step.has_value(); }
};

// The step `choice` names for `mode` and `region`: a fitted step is refused for a mode that
// shifts no datum, "common-points" for a region without a built-in model, a model file that
// cannot be read or is no model, and a transform on another meridian than the region's
// (CheckDatumStep). "standard" is never refused.
DatumStepResolution ResolveDatumStep(std::string_view choice, TransformMode mode, Region region, FileSystem& files);

// How the command line names a step: "standard", "common-points" or "model file <path>".
std::string DatumStepName(const DatumStep& step);

// The text of name_1.datum.txt (UTF-8) for outputs converted with `mode` and the fitted `step`:
// the step, the model kind and meridian, the model file if any, the RMS and leave-one-out RMS
// of its fit, its fitted area and, when the points must be credited, their attribution.
std::string DatumReportText(TransformMode mode, const DatumStep& step);

}  // namespace morvane
