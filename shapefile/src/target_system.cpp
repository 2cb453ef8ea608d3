#include "shapefile/target_system.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

#include "engine/constants.hpp"
#include "engine/mode_table.hpp"
#include "shapefile/mode_systems.hpp"

namespace morvane {

namespace {

struct Ellipsoid {
  double SemiMajorAxis;
  double InverseFlattening;
};

constexpr Ellipsoid kTwd67{static_cast<double>(kTwd67SemiMajorAxis),
                           static_cast<double>(kTwd67InverseFlattening)};
constexpr Ellipsoid kGrs80{static_cast<double>(kGrs80SemiMajorAxis),
                           static_cast<double>(kGrs80SettingsInverseFlattening)};
constexpr Ellipsoid kWgs84{static_cast<double>(kWgs84SemiMajorAxis), kWgs84InverseFlattening};

bool SameEllipsoid(const Ellipsoid& a, const Ellipsoid& b) {
  return a.SemiMajorAxis == b.SemiMajorAxis &&
         std::fabs(a.InverseFlattening - b.InverseFlattening) <= 1e-9 * b.InverseFlattening;
}

Ellipsoid EllipsoidOf(const CoordinateSystem& target, const TransformSettings& settings,
                      const LambertParameters& lambert) {
  const auto axis = static_cast<double>(settings.SemiMajorAxis);
  if (target.Kind == GridKind::SettingsTm) return {axis, static_cast<double>(settings.InverseFlattening)};
  if (target.Kind == GridKind::Twd67Tm2) return {axis, static_cast<double>(kTwd67InverseFlattening)};
  switch (target.System) {
    case Datum::Twd67:
      return kTwd67;
    case Datum::Twd97:
      return kGrs80;
    case Datum::Wgs84:
      return kWgs84;
    case Datum::LambertGrid:
      break;
  }
  return {lambert.SemiMajorAxis, 1.0 / lambert.Flattening};
}

// 15 significant digits, trailing zeros dropped ("121", "0.9999"). Independent of the C
// locale, which the window sets from the environment.
std::string Digits(double value) {
  if (value == 0) value = 0;  // no "-0"
  std::array<char, 32> text{};
  const auto result =
      std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::general, 15);
  return std::string(text.data(), result.ptr);
}

// A WKT number the way the shapefile .prj files of GDAL print them: "6378160.0", "0.9999".
std::string Number(double value) {
  std::string text = Digits(value);
  if (text.find_first_of(".en") == std::string::npos) text += ".0";
  return text;
}

double Degrees(double radians) { return radians * 180.0 / kPi; }

std::string Parameter(std::string_view name, double value) {
  return "PARAMETER[\"" + std::string(name) + "\"," + Number(value) + "]";
}

struct Names {
  std::string Short;  // "TWD_1967"
  std::string Spheroid;
};

Names NamesOf(NamedDatum datum, const Ellipsoid& ellipsoid) {
  std::string spheroid = "Spheroid_" + Digits(ellipsoid.SemiMajorAxis) + "_" +
                         Digits(ellipsoid.InverseFlattening);
  if (SameEllipsoid(ellipsoid, kTwd67)) spheroid = "GRS_1967";
  if (SameEllipsoid(ellipsoid, kGrs80)) spheroid = "GRS_1980";
  if (SameEllipsoid(ellipsoid, kWgs84)) spheroid = "WGS_1984";
  switch (datum) {
    case NamedDatum::Twd67:
      return {"TWD_1967", spheroid};
    case NamedDatum::Twd97:
      return {"TWD_1997", spheroid};
    case NamedDatum::Wgs84:
      return {"WGS_1984", spheroid};
    case NamedDatum::Unknown:
      break;
  }
  return {SameEllipsoid(ellipsoid, kWgs84) ? "WGS_1984" : "Lambert_Grid", spheroid};
}

std::string GeographicWkt(NamedDatum datum, const Names& names, const Ellipsoid& ellipsoid) {
  std::string datumWkt = "DATUM[\"D_" + names.Short + "\",SPHEROID[\"" + names.Spheroid + "\"," +
                         Number(ellipsoid.SemiMajorAxis) + "," + Number(ellipsoid.InverseFlattening) + "]";
  if (datum == NamedDatum::Twd67) {
    // The engine's TWD67 to WGS84 shift is this translation alone.
    datumWkt += ",TOWGS84[" + Number(kDatum67Translation.X) + "," + Number(kDatum67Translation.Y) + "," +
                Number(kDatum67Translation.Z) + ",0.0,0.0,0.0,0.0]";
  }
  datumWkt += "]";
  return "GEOGCS[\"GCS_" + names.Short + "\"," + datumWkt +
         ",PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]]";
}

struct TmGrid {
  double FalseEasting;
  double ScaleFactor;
  double CentralMeridian;
};

TmGrid TmGridOf(GridKind kind, const TransformSettings& settings) {
  const auto meridian = static_cast<double>(settings.CentralMeridian);
  if (kind == GridKind::SettingsTm)
    return {static_cast<double>(settings.FalseEasting), static_cast<double>(settings.ScaleFactor), meridian};
  return {static_cast<double>(kTm2FalseEasting), static_cast<double>(kTm2ScaleFactor), meridian};
}

}  // namespace

std::optional<std::string> TargetSystemWkt(TransformMode mode, const TransformSettings& settings,
                                           const LambertParameters& lambert) {
  if (mode >= kModeCount) return std::nullopt;
  // The geographic targets on TWD67 all take the TWD67 ellipsoid, that of mode 5 (UTM to TWD67
  // geographic) too.
  const CoordinateSystem& target = RowOf(mode).Target;
  const ModeSystem& named = TargetOf(mode);
  const Ellipsoid ellipsoid = EllipsoidOf(target, settings, lambert);
  const Names names = NamesOf(named.Datum, ellipsoid);
  const std::string geographic = GeographicWkt(named.Datum, names, ellipsoid);

  if (IsGeographic(named)) return geographic;
  if (named.Grid == NamedGrid::Lambert) {
    return "PROJCS[\"" + names.Short + "_Lambert_Conformal_Conic\"," + geographic +
           ",PROJECTION[\"Lambert_Conformal_Conic\"]," + Parameter("False_Easting", lambert.FalseEasting) + "," +
           Parameter("False_Northing", lambert.FalseNorthing) + "," +
           Parameter("Central_Meridian", Degrees(lambert.CentralMeridian)) + "," +
           Parameter("Standard_Parallel_1", Degrees(lambert.FirstStandardParallel)) + "," +
           Parameter("Standard_Parallel_2", Degrees(lambert.SecondStandardParallel)) + "," +
           Parameter("Latitude_Of_Origin", Degrees(lambert.OriginLatitude)) + ",UNIT[\"Meter\",1.0]]";
  }
  const TmGrid grid = TmGridOf(target.Kind, settings);
  return "PROJCS[\"" + names.Short + "_" + std::string(GridAbbreviation(named.Grid)) + "_" + Digits(grid.CentralMeridian) +
         "E\"," + geographic + ",PROJECTION[\"Transverse_Mercator\"]," +
         Parameter("False_Easting", grid.FalseEasting) + "," + Parameter("False_Northing", 0.0) + "," +
         Parameter("Central_Meridian", grid.CentralMeridian) + "," + Parameter("Scale_Factor", grid.ScaleFactor) +
         "," + Parameter("Latitude_Of_Origin", 0.0) + ",UNIT[\"Meter\",1.0]]";
}

}  // namespace morvane

namespace morvane {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// "121", "120.5": the central meridian as Digits prints it.
bool IsMeridianDigits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if ((c < '0' || c > '9') && c != '.' && c != '-') return false;
  }
  return true;
}

}  // namespace

bool IsOwnTargetSystem(std::string_view wkt) {
  constexpr std::string_view kOpening = "PROJCS[\"";
  if (!StartsWith(wkt, kOpening)) return false;
  wkt.remove_prefix(kOpening.size());
  const std::size_t close = wkt.find('"');
  if (close == std::string_view::npos) return false;
  std::string_view name = wkt.substr(0, close);
  bool named = false;
  for (const std::string_view datum : {"TWD_1967_", "TWD_1997_", "WGS_1984_", "Lambert_Grid_"}) {
    if (StartsWith(name, datum)) {
      name.remove_prefix(datum.size());
      named = true;
      break;
    }
  }
  if (!named) return false;
  if (name == "Lambert_Conformal_Conic") return true;
  for (const TmGridName& tm : kTmGrids) {
    const std::string grid = std::string(tm.Name) + "_";
    if (StartsWith(name, grid) && name.size() > grid.size() + 1 && name.back() == 'E') {
      return IsMeridianDigits(name.substr(grid.size(), name.size() - grid.size() - 1));
    }
  }
  return false;
}

}  // namespace morvane
