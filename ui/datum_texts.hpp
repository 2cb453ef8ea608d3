// The window's words for the datum step: the fitted models, the refusals of a common-point file
// and of a model file (the engine gives them as data), and the accuracy of each choice.
#pragma once

#include <QString>
#include <optional>
#include <string_view>

#include "engine/common_points.hpp"
#include "engine/conversion.hpp"
#include "engine/plane_model_file.hpp"
#include "engine/plane_transform.hpp"
#include "engine/settings.hpp"

namespace morvane {

// The RMS of the seven-parameter step against published common points, in metres, as measured
// on Taiwan's (121 meridian) and Penghu's (119 meridian) points.
inline constexpr double kStandardStepRmsTaiwan = 2.86;
inline constexpr double kStandardStepRmsPenghu = 4.75;

// The model that the command line and the model file spell `name` ("affine"), if any.
std::optional<PlaneModel> PlaneModelNamed(std::string_view name);

// "相似", "仿射", "局部" in the window's language.
QString PlaneModelText(PlaneModel model);

// A length in metres with `decimals` places and its unit; a dash for NaN (no leave-one-out).
QString MetresText(double metres, int decimals = 2);

// Why a common-point file cannot be used, naming its line and point where there is one.
QString CommonPointErrorText(const CommonPointError& error);

// Why a model file cannot be read, naming its line where there is one.
QString ModelFileErrorText(const ModelFileError& error);

// Why a datum step cannot serve the chosen mode and region.
QString DatumStepErrorText(const DatumStepError& error);

// The standard step's accuracy in `region`, as measured on published points; for the mainland,
// that there is none to measure it on.
QString StandardStepAccuracy(Region region);

// A fitted transform's model, points and leave-one-out RMS: "仿射, 17 點, 留一法 RMS 0.41 m".
QString FitAccuracy(const FittedTransform& transform);

// The built-in model's accuracy in `region`; Penghu's says that Kinmen and Matsu extrapolate.
// For the mainland, that it has none.
QString BuiltinStepAccuracy(Region region);

}  // namespace morvane
