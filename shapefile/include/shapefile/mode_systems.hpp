// The source and target coordinate system of each mode as the input check, the .prj of the
// outputs and the preview know them: the datum, and longitude and latitude or which grid; for
// a grid, the central meridian each region gives it. One table, derived from the rows of the
// mode table (engine/mode_table.hpp), which say how the engine computes each side; a new mode
// gets its systems from its row.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "engine/mode_table.hpp"
#include "shapefile/projection_file.hpp"

namespace morvane {

// A coordinate system as a .prj would name it. The Lambert modes apply no datum shift: their
// geographic side is on the grid's own ellipsoid, so any datum is theirs (Unknown).
struct ModeSystem {
  NamedDatum Datum = NamedDatum::Unknown;
  NamedGrid Grid = NamedGrid::Geographic;
};

constexpr bool SameSystem(const ModeSystem& a, const ModeSystem& b) { return a.Datum == b.Datum && a.Grid == b.Grid; }

constexpr bool IsGeographic(const ModeSystem& system) { return system.Grid == NamedGrid::Geographic; }

// The Transverse Mercator grids, by the name the mode table (CoordinateSystem::GridName) and
// Morvane's own .prj files ("TWD_1997_TM2_121E") give them.
struct TmGridName {
  NamedGrid Grid;
  std::string_view Name;
};
inline constexpr std::array<TmGridName, 3> kTmGrids{{
    {NamedGrid::Tm2, "TM2"},
    {NamedGrid::Tm3, "TM3"},
    {NamedGrid::Utm, "UTM"},
}};

constexpr bool IsTransverseMercator(NamedGrid grid) {
  for (const TmGridName& tm : kTmGrids) {
    if (tm.Grid == grid) return true;
  }
  return false;
}

// The grid's name in kTmGrids; empty for longitude and latitude and the Lambert grid, which
// are named otherwise.
constexpr std::string_view GridAbbreviation(NamedGrid grid) {
  for (const TmGridName& tm : kTmGrids) {
    if (tm.Grid == grid) return tm.Name;
  }
  return "";
}

// How a system of the mode table is named.
constexpr ModeSystem NamedOf(const CoordinateSystem& system) {
  ModeSystem named;
  switch (system.System) {
    case Datum::Twd67: named.Datum = NamedDatum::Twd67; break;
    case Datum::Twd97: named.Datum = NamedDatum::Twd97; break;
    case Datum::Wgs84: named.Datum = NamedDatum::Wgs84; break;
    case Datum::LambertGrid: break;
  }
  if (system.Kind == GridKind::Lambert) named.Grid = NamedGrid::Lambert;
  for (const TmGridName& tm : kTmGrids) {
    if (system.GridName == tm.Name) named.Grid = tm.Grid;
  }
  return named;
}

struct ModeSystems {
  ModeSystem Source;
  ModeSystem Target;
};

// In index order, as kModes.
inline constexpr std::array<ModeSystems, kModeCount> kModeSystems = [] {
  std::array<ModeSystems, kModeCount> systems{};
  for (TransformMode mode = 0; mode < kModeCount; ++mode)
    systems[mode] = {NamedOf(kModes[mode].Source), NamedOf(kModes[mode].Target)};
  return systems;
}();

// Of a mode in range.
constexpr const ModeSystem& SourceOf(TransformMode mode) { return kModeSystems[mode].Source; }
constexpr const ModeSystem& TargetOf(TransformMode mode) { return kModeSystems[mode].Target; }

// Whether a mode in range reads longitude and latitude.
constexpr bool IsGeographicSource(TransformMode mode) { return IsGeographic(SourceOf(mode)); }

// Whether the result of `mode` depends on the region: whether it reads the central meridian
// the region sets (the Transverse Mercator modes 1 to 6 and 11 to 14). The Lambert modes
// always use the mainland grid; the datum modes 9, 10, 15 and 16 read no grid.
bool RegionMatters(TransformMode mode);

// The central meridian of the source grid of `mode` (in range) in `region`, in degrees east,
// as a run after start-up sets it (a region that keeps the value keeps the mode's own or the
// start value); none for geographic sources.
std::optional<double> SourceCentralMeridian(TransformMode mode, Region region);

// The source of `mode` (in range) in `region`, its central meridian included.
NamedSystem SourceSystem(TransformMode mode, Region region);

// The first mode that converts longitude and latitude into `grid` (on its datum); nullopt for
// none.
constexpr std::optional<TransformMode> ModeIntoGrid(const ModeSystem& grid) {
  for (TransformMode mode = 0; mode < kModeCount; ++mode) {
    if (IsGeographic(SourceOf(mode)) && SameSystem(TargetOf(mode), grid)) return mode;
  }
  return std::nullopt;
}

// The first mode that converts `grid` into longitude and latitude on its datum; nullopt for
// none (and for longitude and latitude themselves).
constexpr std::optional<TransformMode> ModeOutOfGrid(const ModeSystem& grid) {
  for (TransformMode mode = 0; mode < kModeCount; ++mode) {
    if (!IsGeographic(SourceOf(mode)) && IsGeographic(TargetOf(mode)) && SameSystem(SourceOf(mode), grid)) return mode;
  }
  return std::nullopt;
}

// Whether every grid a mode reads is one that some mode writes from longitude and latitude:
// the input check finds a grid's plausible extent by converting a box of longitudes and
// latitudes into it.
constexpr bool EveryReadGridIsWritten() {
  for (TransformMode mode = 0; mode < kModeCount; ++mode) {
    if (!IsGeographicSource(mode) && !ModeIntoGrid(SourceOf(mode))) return false;
  }
  return true;
}

}  // namespace morvane
