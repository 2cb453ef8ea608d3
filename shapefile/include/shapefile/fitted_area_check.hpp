// Whether a file lies within the area a fitted datum transform was fitted on. Outside it the
// transform extrapolates and its errors grow with the distance (plane_transform.hpp): a reason
// to warn, not to refuse. Penghu's built-in model, the one of region 2, extrapolates for Kinmen
// and Matsu.
//
// Judged on the extent the input check looked at (InputCheck::Seen: the points sampled through
// the file, not the header's box, which GDAL stretches to (0, 0) past a leading null shape), its
// corners taken to the TWD67 TM2 grid of the transform's meridian from the mode's source system
// (for TWD97 and WGS84 sources through the transform's inverse), against FittedArea() grown by
// kFittedAreaMargin.
#pragma once

#include <optional>

#include "engine/settings.hpp"
#include "shapefile/input_check.hpp"

namespace morvane {

class FittedTransform;

// How far beyond the fitted points' box a file may reach before the warning, metres.
inline constexpr double kFittedAreaMargin = 10000.0;

// How far, in metres, the farthest corner of the checked extent lies outside FittedArea(), when
// that is more than kFittedAreaMargin; nullopt when it lies within, when the check did not find
// the file plausible for `mode` (its own verdict says more than a distance from coordinates of
// another system would), when it saw no extent, when a corner cannot be converted, and for a
// mode without a datum step.
std::optional<double> DistanceOutsideFittedArea(const InputCheck& check, TransformMode mode,
                                                const FittedTransform& transform);

}  // namespace morvane
