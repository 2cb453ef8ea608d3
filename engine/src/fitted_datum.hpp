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

namespace morvane {

class FittedTransform;

// How a fitted transform takes over a chain (the chain's row in chain_dispatch.hpp says which).
enum class FittedForm {
  None,               // the chain shifts no datum: a fitted transform leaves it alone
  GridForward,        // mode 11: Forward
  GridInverse,        // mode 12: Inverse
  GeographicForward,  // modes 9 and 15: through the TWD67 TM2 grid, Forward, the fixed TWD97 inverse
  GeographicInverse,  // modes 10 and 16: the reverse
};

// One point in `form` (not None) with `transform`: stores both outputs, or throws
// FloatingPointError (a trapped flag) or ConversionError (a Local inverse that does not settle)
// with nothing stored. The caller has refused inputs that are not finite.
void ConvertPointFitted(const FittedTransform& transform, FittedForm form, double x, double y, double& outX,
                        double& outY);

// `count` pairs of `pairs` in `form` into `results`, exactly as ConvertPointFitted would compute
// them, without reading the flags (the caller reads them once for a block). Returns false if a
// point must go through ConvertPointFitted, which then fails.
bool ConvertPairsFitted(const FittedTransform& transform, FittedForm form, const double* pairs, std::size_t count,
                        double* results);

}  // namespace morvane
