// The sixteen conversion modes in one table: for each, the number and caption users see, the
// chain of operations, the grid settings each region gives, the source and target coordinate
// systems, and the English description. Everything else that depends on the mode (the
// engine's dispatch, the settings step, the .prj of the outputs, the command line, the
// window's captions, the input check) reads it from here.
//
// The engine and the window's radio group index the modes 0 to 15 (TransformMode); users see
// them numbered 1 to 16, as the captions do. Code names a mode by its Mode value.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "engine/constants.hpp"
#include "engine/settings.hpp"

namespace morvane {

enum class Mode : TransformMode {
  Twd67Tm2ToTwd67Geographic = 0,
  Twd67GeographicToTwd67Tm2 = 1,
  Tm3ToTwd67Geographic = 2,
  Twd67GeographicToTm3 = 3,
  UtmToTwd67Geographic = 4,
  Twd67GeographicToUtm = 5,
  LambertToGeographic = 6,
  GeographicToLambert = 7,
  Twd67GeographicToTwd97Geographic = 8,
  Twd97GeographicToTwd67Geographic = 9,
  Twd67Tm2ToTwd97Tm2 = 10,
  Twd97Tm2ToTwd67Tm2 = 11,
  Twd97Tm2ToTwd97Geographic = 12,
  Twd97GeographicToTwd97Tm2 = 13,
  Twd67GeographicToWgs84Geographic = 14,
  Wgs84GeographicToTwd67Geographic = 15,
};

// The index of a mode, as ConvertPoint and the radio group take it.
constexpr TransformMode IndexOf(Mode mode) { return static_cast<TransformMode>(mode); }

// The fixed chains of operations that the modes run.
enum class Chain {
  GridToGeographic,      // inverse Transverse Mercator with the settings
  GeographicToGrid,      // forward Transverse Mercator with the settings
  LambertToGeographic,   // inverse Lambert conformal conic, no datum shift
  GeographicToLambert,   // forward Lambert conformal conic, no datum shift
  Twd67ToTwd97,          // geocentric, translation and seven-parameter step
  Twd97ToTwd67,
  Twd67ToWgs84,          // geocentric translation
  Wgs84ToTwd67,
  Twd67GridToTwd97Grid,  // TWD67 TM2 (settings) to the fixed TWD97 TM2 grid
  Twd97GridToTwd67Grid,  // the fixed TWD97 TM2 grid to TWD67 TM2, writing its grid fields
};

// The ellipsoid and grid constants that the settings step writes for a mode.
enum class GridValues {
  Keep,      // the mode reads none of them: earlier values stay
  Twd67Tm2,  // TWD67 ellipsoid, two-degree grid
  Tm3,       // TWD67 ellipsoid, three-degree grid
  Utm,       // 6378160 m with 1/f 297, UTM grid
  Grs80Tm2,  // GRS80 (rounded 1/f), two-degree grid
};

// The datum a system's coordinates are on.
enum class Datum {
  Twd67,
  Twd97,
  Wgs84,
  LambertGrid,  // the Lambert grid's own ellipsoid, shifted to nothing
};

// What kind of coordinates a system has, and for grids how they are computed.
enum class GridKind {
  Geographic,  // longitude and latitude in degrees
  SettingsTm,  // the Transverse Mercator of the settings, ellipsoid included
  Twd97Tm2,    // the fixed GRS80 two-degree grid; only the central meridian from the settings
  Twd67Tm2,    // the two-degree values that mode 12 writes per point, on the settings' axis
  Lambert,     // the Lambert conformal conic grid
};

// One coordinate system as a mode reads or writes it.
struct CoordinateSystem {
  Datum System;
  GridKind Kind;
  std::string_view GridName;     // "TM2", "TM3", "UTM" for the Transverse Mercator grids
  std::string_view Description;  // English, for the command line
};

inline constexpr CoordinateSystem kTwd67GeographicSystem{
    Datum::Twd67, GridKind::Geographic, "", "TWD67 geographic (longitude, latitude in degrees)"};
inline constexpr CoordinateSystem kTwd67Tm2System{
    Datum::Twd67, GridKind::SettingsTm, "TM2", "TWD67 TM2 grid (easting, northing in metres)"};
inline constexpr CoordinateSystem kTm3System{
    Datum::Twd67, GridKind::SettingsTm, "TM3", "TM3 grid on the TWD67 ellipsoid (easting, northing in metres)"};
inline constexpr CoordinateSystem kUtmSystem{
    Datum::Twd67, GridKind::SettingsTm, "UTM", "UTM zone 51 grid (easting, northing in metres)"};
inline constexpr CoordinateSystem kLambertSystem{
    Datum::LambertGrid, GridKind::Lambert, "", "Lambert conformal conic grid (easting, northing in metres)"};
// The Lambert modes apply no datum shift: their geographic side is on the grid's own
// ellipsoid, whatever the caption says.
inline constexpr CoordinateSystem kLambertGeographicSystem{
    Datum::LambertGrid, GridKind::Geographic, "",
    "longitude, latitude in degrees on the Lambert grid's WGS 84 ellipsoid (no datum shift)"};
inline constexpr CoordinateSystem kTwd97GeographicSystem{
    Datum::Twd97, GridKind::Geographic, "", "TWD97 geographic (longitude, latitude in degrees)"};
// TWD97 TM2 as the settings compute it (modes 13 and 14) and as the fixed grid does (11, 12).
inline constexpr CoordinateSystem kTwd97Tm2SettingsSystem{
    Datum::Twd97, GridKind::SettingsTm, "TM2", "TWD97 TM2 grid (easting, northing in metres)"};
inline constexpr CoordinateSystem kTwd97Tm2FixedSystem{
    Datum::Twd97, GridKind::Twd97Tm2, "TM2", "TWD97 TM2 grid (easting, northing in metres)"};
// TWD67 TM2 as mode 12 writes it: the two-degree values it stores at every point.
inline constexpr CoordinateSystem kTwd67Tm2WrittenSystem{
    Datum::Twd67, GridKind::Twd67Tm2, "TM2", "TWD67 TM2 grid (easting, northing in metres)"};
inline constexpr CoordinateSystem kWgs84GeographicSystem{
    Datum::Wgs84, GridKind::Geographic, "", "WGS84 geographic (longitude, latitude in degrees)"};

// The central meridian the settings step writes, by region; nullopt keeps the value before.
using RegionMeridians = std::array<std::optional<Extended>, kRegionCount>;

struct ModeRow {
  Mode Id;
  unsigned Number;           // what users see, 1 to 16
  std::string_view Caption;  // the radio group's item, exactly
  Chain Steps;
  GridValues Grid;                       // what the settings step writes first
  std::optional<Extended> GridMeridian;  // and the central meridian with it
  RegionMeridians Meridians;             // then the central meridian of each region
  bool WritesTwd67GridFields;            // at every point (false easting, scale, 1/f)
  bool UsesLambertGrid;
  CoordinateSystem Source;
  CoordinateSystem Target;
};

namespace mode_table_detail {
inline constexpr std::optional<Extended> kKeep = std::nullopt;
// Region 1 writes 121 for every mode, 123 for UTM; region 3 keeps the value.
inline constexpr RegionMeridians kTm2Meridians{kTaiwanCentralMeridian, kIslandsTm2CentralMeridian, kKeep};
inline constexpr RegionMeridians kTm3Meridians{kTaiwanCentralMeridian, kIslandsTm3CentralMeridian, kKeep};
inline constexpr RegionMeridians kUtmMeridians{kUtm51CentralMeridian, kIslandsUtmCentralMeridian, kKeep};
inline constexpr RegionMeridians kNoGridMeridians{kTaiwanCentralMeridian, kKeep, kKeep};
}  // namespace mode_table_detail

// In index order: kModes[i].Id is Mode{i}.
inline constexpr std::array<ModeRow, kModeCount> kModes = [] {
  using namespace mode_table_detail;
  return std::array<ModeRow, kModeCount>{{
      {Mode::Twd67Tm2ToTwd67Geographic, 1, "01. ｛６７ＴＭ２｝\u3000 轉 ｛６７經緯度｝",
       Chain::GridToGeographic, GridValues::Twd67Tm2, kTaiwanCentralMeridian, kTm2Meridians,
       false, false, kTwd67Tm2System, kTwd67GeographicSystem},
      {Mode::Twd67GeographicToTwd67Tm2, 2, "02. ｛６７經緯度｝ \u3000轉 ｛６７ＴＭ２｝",
       Chain::GeographicToGrid, GridValues::Twd67Tm2, kTaiwanCentralMeridian, kTm2Meridians,
       false, false, kTwd67GeographicSystem, kTwd67Tm2System},
      {Mode::Tm3ToTwd67Geographic, 3, "03. ｛\u3000\u3000ＴＭ３｝ \u3000轉 ｛６７經緯度｝",
       Chain::GridToGeographic, GridValues::Tm3, kKeep, kTm3Meridians,
       false, false, kTm3System, kTwd67GeographicSystem},
      {Mode::Twd67GeographicToTm3, 4, "04. ｛６７經緯度｝ \u3000轉 ｛\u3000\u3000ＴＭ３｝",
       Chain::GeographicToGrid, GridValues::Tm3, kKeep, kTm3Meridians,
       false, false, kTwd67GeographicSystem, kTm3System},
      // Its geographic output is TWD67's, whatever ellipsoid the inverse projection ran on:
      // the datum shifts read those coordinates as TWD67.
      {Mode::UtmToTwd67Geographic, 5, "05. ｛５１ＵＴＭ｝ \u3000轉 ｛６７經緯度｝",
       Chain::GridToGeographic, GridValues::Utm, kKeep, kUtmMeridians,
       false, false, kUtmSystem, kTwd67GeographicSystem},
      {Mode::Twd67GeographicToUtm, 6, "06. ｛６７經緯度｝ \u3000轉 ｛５１ＵＴＭ｝",
       Chain::GeographicToGrid, GridValues::Utm, kKeep, kUtmMeridians,
       false, false, kTwd67GeographicSystem, kUtmSystem},
      {Mode::LambertToGeographic, 7, "07. ｛\u3000\u3000蘭勃特｝ \u3000轉 ｛６７經緯度｝",
       Chain::LambertToGeographic, GridValues::Keep, kKeep, kNoGridMeridians,
       false, true, kLambertSystem, kLambertGeographicSystem},
      {Mode::GeographicToLambert, 8, "08. ｛６７經緯度｝ \u3000轉 ｛\u3000\u3000蘭勃特｝",
       Chain::GeographicToLambert, GridValues::Keep, kKeep, kNoGridMeridians,
       false, true, kLambertGeographicSystem, kLambertSystem},
      // Reads no settings field; the islands' region still writes the two-degree meridian, as
      // for the grid modes 11 and 12 beside it.
      {Mode::Twd67GeographicToTwd97Geographic, 9, "09. ｛６７經緯度｝\u3000 轉 ｛９７經緯度｝",
       Chain::Twd67ToTwd97, GridValues::Keep, kKeep, kTm2Meridians,
       false, false, kTwd67GeographicSystem, kTwd97GeographicSystem},
      {Mode::Twd97GeographicToTwd67Geographic, 10, "10. ｛９７經緯度｝\u3000 轉 ｛６７經緯度｝",
       Chain::Twd97ToTwd67, GridValues::Keep, kKeep, kNoGridMeridians,
       false, false, kTwd97GeographicSystem, kTwd67GeographicSystem},
      // Both two-degree grids read the settings' central meridian.
      {Mode::Twd67Tm2ToTwd97Tm2, 11, "11. ｛６７ＴＭ２｝\u3000 轉 ｛９７ＴＭ２｝",
       Chain::Twd67GridToTwd97Grid, GridValues::Twd67Tm2, kKeep, kTm2Meridians,
       false, false, kTwd67Tm2System, kTwd97Tm2FixedSystem},
      {Mode::Twd97Tm2ToTwd67Tm2, 12, "12. ｛９７ＴＭ２｝ \u3000轉 ｛６７ＴＭ２｝",
       Chain::Twd97GridToTwd67Grid, GridValues::Twd67Tm2, kKeep, kTm2Meridians,
       true, false, kTwd97Tm2FixedSystem, kTwd67Tm2WrittenSystem},
      {Mode::Twd97Tm2ToTwd97Geographic, 13, "13. ｛９７ＴＭ２｝ \u3000轉 ｛９７經緯度｝",
       Chain::GridToGeographic, GridValues::Grs80Tm2, kTaiwanCentralMeridian, kTm2Meridians,
       false, false, kTwd97Tm2SettingsSystem, kTwd97GeographicSystem},
      {Mode::Twd97GeographicToTwd97Tm2, 14, "14. ｛９７經緯度｝ \u3000轉 ｛９７ＴＭ２｝",
       Chain::GeographicToGrid, GridValues::Grs80Tm2, kTaiwanCentralMeridian, kTm2Meridians,
       false, false, kTwd97GeographicSystem, kTwd97Tm2SettingsSystem},
      {Mode::Twd67GeographicToWgs84Geographic, 15, "15. ｛６７經緯度｝ \u3000轉 ｛８４經緯度｝",
       Chain::Twd67ToWgs84, GridValues::Keep, kKeep, kNoGridMeridians,
       false, false, kTwd67GeographicSystem, kWgs84GeographicSystem},
      {Mode::Wgs84GeographicToTwd67Geographic, 16, "16. ｛８４經緯度｝ \u3000轉 ｛６７經緯度｝",
       Chain::Wgs84ToTwd67, GridValues::Keep, kKeep, kNoGridMeridians,
       false, false, kWgs84GeographicSystem, kTwd67GeographicSystem},
  }};
}();

// The row of an index in range (mode < kModeCount).
constexpr const ModeRow& RowOf(TransformMode mode) { return kModes[mode]; }
constexpr const ModeRow& RowOf(Mode mode) { return kModes[IndexOf(mode)]; }

// The index of the mode users call `number` (1 to 16), or nullopt.
constexpr std::optional<TransformMode> ModeOfNumber(unsigned number) {
  if (number < 1 || number > kModeCount) return std::nullopt;
  return number - 1;
}

// The regions, as the radio group shows them and as the command line describes them.
struct RegionRow {
  unsigned Number;  // what users see, 1 to 3
  std::string_view Caption;
  std::string_view Description;
};

inline constexpr std::array<RegionRow, kRegionCount> kRegions{{
    {1, "1.台灣地區", "Taiwan"},
    {2, "2.澎湖．金門．馬祖", "Penghu, Kinmen and Matsu"},
    {3, "3.大陸地區（限用蘭勃特投影）", "the mainland (for the Lambert modes 7 and 8)"},
}};

// Regions by index: the settings step treats the mainland apart.
inline constexpr Region kTaiwanRegion = 0;
inline constexpr Region kIslandsRegion = 1;
inline constexpr Region kMainlandRegion = 2;

// The table is in index order and numbers the modes from 1.
static_assert([] {
  for (TransformMode i = 0; i < kModeCount; ++i) {
    if (IndexOf(kModes[i].Id) != i || kModes[i].Number != i + 1) return false;
  }
  return true;
}());

}  // namespace morvane
