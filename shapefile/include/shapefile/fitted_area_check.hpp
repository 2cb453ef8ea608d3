// Whether a file lies within the area a fitted datum transform was fitted on. Outside it the
// transform extrapolates and its errors grow with the distance (plane_transform.hpp): a reason
// to warn, not to refuse. Penghu's built-in model, the one of region 2, extrapolates for Kinmen
// and Matsu.
//
// Reads the main file's 100-byte header: the corners of its box, taken to the TWD67 TM2 grid of
// the transform's meridian from the mode's source system (for TWD97 and WGS84 sources through the
// transform's inverse), against FittedArea() grown by kFittedAreaMargin.
#pragma once

#include <optional>
#include <string>

#include "engine/settings.hpp"
#include "shapefile/file_system.hpp"

namespace morvane {

class FittedTransform;

// How far beyond the fitted points' box a file may reach before the warning, metres.
inline constexpr double kFittedAreaMargin = 10000.0;

// How far, in metres, the farthest corner of the file's box lies outside FittedArea(), when
// that is more than kFittedAreaMargin; nullopt when it lies within, or when the box cannot be
// read or converted (no header, an empty or absurd box, a mode without a datum step).
std::optional<double> DistanceOutsideFittedArea(const std::string& mainPath, TransformMode mode,
                                                const FittedTransform& transform, FileSystem& files);

}  // namespace morvane
