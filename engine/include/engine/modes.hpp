// ConvertPoint, the engine's per-point entry: one coordinate pair from the source system of a
// mode to its target system.
//
// x is an easting in metres or a longitude in decimal degrees (east positive); y a northing in
// metres or a latitude in decimal degrees. Heights never pass through.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "engine/engine_state.hpp"

namespace morvane {

// Converts (x, y) with `mode`, reading the settings and the Lambert grid of `state` anew.
// outX and outY may alias the storage x and y were read from.
//  - One of the sixteen modes (mode below kModeCount): both outputs are written. The Transverse
//    Mercator chains store each output right after it is computed, so an output stored before a
//    failing step stays written: outY first in modes 1 to 6, 13 and 14, outX first in the
//    grid-to-grid modes 11 and 12 (TWD67 TM2 to TWD97 TM2 and back). The Lambert and
//    datum modes store both once both are computed.
//  - With a fitted transform in state.Datum, the datum modes 9, 10, 11, 12, 15 and 16 apply it
//    instead of the standard shift (engine/src/fitted_datum.hpp) and store both outputs once
//    both are computed; mode 12 still writes its TWD67 grid fields. The caller has checked
//    that the transform is on the region's meridian (CheckDatumStep, conversion.hpp).
//  - Any other mode: "No the other choice" goes to state.Messages and nothing is written.
// Throws FloatingPointError on an invalid operation (a NaN compared included), a division by
// zero or an overflow, and LambertGridError for a point outside the Lambert grid. A NaN or
// infinite x or y is an invalid operation in every mode, before anything is written.
void ConvertPoint(EngineState& state, TransformMode mode, double x, double y, double& outX,
                  double& outY);

// Converts the coordinate pairs of `pairs` (x0, y0, x1, y1, ...) in place, in order, exactly as
// ConvertPoint on each pair in turn would, its outputs written over it: the same results, the same
// messages, the same settings written by mode 12 (TWD97 TM2 to TWD67 TM2), and on a throw the pairs
// before the failing one converted, the failing one as ConvertPoint leaves it and the later ones
// untouched. A trailing odd element is left alone. Faster than a loop of ConvertPoint: the
// floating-point flags are read once for a block of pairs, not once per pair.
void ConvertPoints(EngineState& state, TransformMode mode, std::span<double> pairs);

// The captions of the mode and region radio groups, exactly as the window shows them.
extern const std::array<std::string_view, kModeCount> kModeCaptions;
extern const std::array<std::string_view, kRegionCount> kRegionCaptions;

}  // namespace morvane
