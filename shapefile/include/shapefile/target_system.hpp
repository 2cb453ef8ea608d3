// The coordinate system that a mode's outputs are in, written the way shapefile readers expect
// it in a .prj: ESRI-style WKT1 on one line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/lambert_grid.hpp"
#include "engine/settings.hpp"

namespace morvane {

// The target system of `mode` with the constants the engine converts with: the settings and
// the Lambert grid as the settings step left them for the run. TWD67 targets carry the
// translation to WGS84 that the engine applies, as a TOWGS84 clause, so that a reader that
// reprojects on the fly puts the data where the engine's own TWD67 to WGS84 mode would.
// An out-of-range mode converts nothing, so its outputs have no known system: nullopt.
std::optional<std::string> TargetSystemWkt(TransformMode mode, const TransformSettings& settings,
                                           const LambertParameters& lambert);

// Whether `wkt` is a projected system as TargetSystemWkt names it ("TWD_1997_TM2_121E",
// "WGS_1984_Lambert_Conformal_Conic"): the .prj of an earlier conversion. Geographic systems
// are written as other programs write them and are not told apart.
bool IsOwnTargetSystem(std::string_view wkt);

}  // namespace morvane
