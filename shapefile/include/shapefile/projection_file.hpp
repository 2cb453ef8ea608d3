// What a shapefile's .prj says about the coordinates: the datum, whether they are longitude and
// latitude or a grid, which grid, and its central meridian. Read from the one-line WKT that
// GIS programs write beside a shapefile, in the ESRI dialect ("TWD_1997_TM_Taiwan",
// "GCS_WGS_1984") or the EPSG one ("TWD97 / TM2 zone 121"), and from Morvane's own outputs. The
// realisations of TWD97 that government data names ("GCS_TWD97[2020]", "TWD97[2010]_TM119")
// are TWD97: the check tells datums apart by metres, not by centimetres.
#pragma once

#include <optional>
#include <string_view>

namespace morvane {

enum class NamedDatum { Twd67, Twd97, Wgs84, Unknown };

// The grids told apart by their false easting and scale factor (250000 and 0.9999 for the
// two-degree grids, 350000 and 1 for the three-degree grid, 500000 and 0.9996 for UTM).
enum class NamedGrid { Geographic, Tm2, Tm3, Utm, Lambert };

struct NamedSystem {
  NamedDatum Datum = NamedDatum::Unknown;
  NamedGrid Grid = NamedGrid::Geographic;
  std::optional<double> CentralMeridian;  // degrees east; grids only, when stated
};

// The system a .prj names, or nullopt when it cannot be told: text that is not WKT, another
// projection, a grid of other constants, units other than metres, or an unknown datum (a
// Lambert grid is kept without one, since its datum is its ellipsoid's).
std::optional<NamedSystem> ParseProjectionFile(std::string_view text);

}  // namespace morvane
