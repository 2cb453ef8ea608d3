#include "shapefile/mode_systems.hpp"

#include "engine/constants.hpp"
#include "engine/settings.hpp"

namespace morvane {

bool RegionMatters(TransformMode mode) {
  if (mode >= kModeCount) return false;
  return IsTransverseMercator(SourceOf(mode).Grid) || IsTransverseMercator(TargetOf(mode).Grid);
}

std::optional<double> SourceCentralMeridian(TransformMode mode, Region region) {
  switch (SourceOf(mode).Grid) {
    case NamedGrid::Geographic:
      return std::nullopt;
    case NamedGrid::Lambert:
      return kMainlandCentralMeridian * 180.0 / kPi;
    default:
      break;
  }
  const ModeRow& row = RowOf(mode);
  const std::optional<Extended> meridian =
      row.Meridians[static_cast<std::size_t>(region)] ? row.Meridians[static_cast<std::size_t>(region)] : row.GridMeridian;
  return static_cast<double>(meridian.value_or(TransformSettings{}.CentralMeridian));
}

NamedSystem SourceSystem(TransformMode mode, Region region) {
  const ModeSystem& source = SourceOf(mode);
  return {source.Datum, source.Grid, SourceCentralMeridian(mode, region)};
}

}  // namespace morvane
