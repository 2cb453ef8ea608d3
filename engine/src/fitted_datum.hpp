// The datum modes with a fitted plane transform (EngineState::Datum, plane_transform.hpp) in
// place of the standard seven-parameter shift. The transform maps TWD67 TM2 to TWD97 TM2 on one
// meridian's grid, so every chain passes through that grid:
//  - mode 11 (TWD67 TM2 to TWD97 TM2): Forward; mode 12 (back): Inverse.
//  - modes 9 and 15 (TWD67 geographic to TWD97 or WGS84 geographic): the TWD67 TM2 grid on the
//    transform's meridian (6378160 m, 1/f 298.247167, k0 0.9999, false easting 250000 m),
//    Forward, then the engine's fixed TWD97 TM2 inverse (GRS80). Modes 10 and 16 the reverse.
//    WGS84 is taken for TWD97: the two agree to about a metre, far below what the fit moves.
// Both outputs are stored once both are computed. A trapped floating-point flag raised on the
// way ends the point with FloatingPointError, nothing stored, as in the other chains.
#pragma once

#include <cstddef>

#include "engine/mode_table.hpp"

namespace morvane {

class FittedTransform;

// Whether `chain` is a datum chain that a fitted transform takes over.
bool TakesFittedDatum(Chain chain);

// One point through `chain` with `transform`: stores both outputs, or throws FloatingPointError
// (a trapped flag) or ConversionError (a Local inverse that does not settle) with nothing
// stored. The caller has refused inputs that are not finite.
void ConvertPointFitted(const FittedTransform& transform, Chain chain, double x, double y, double& outX,
                        double& outY);

// `count` pairs of `pairs` through `chain` into `results`, exactly as ConvertPointFitted would
// compute them, without reading the flags (the caller reads them once for a block). Returns
// false if a point must go through ConvertPointFitted, which then fails.
bool ConvertPairsFitted(const FittedTransform& transform, Chain chain, const double* pairs, std::size_t count,
                        double* results);

}  // namespace morvane
