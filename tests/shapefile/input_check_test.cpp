// The check of an input against the mode's source system: what it concludes from the header
// box, the first records and the .prj, what it says, and how little it reads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "shapefile/byte_order.hpp"
#include "shapefile/conversion_run.hpp"
#include "shapefile/input_check.hpp"
#include "shapefile/projection_file.hpp"
#include "shapefile/target_system.hpp"
#include "support/file_bytes.hpp"
#include "support/messages.hpp"
#include "support/run_feedback.hpp"
#include "support/shapefile_writer.hpp"

namespace morvane::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// .prj texts as GDAL writes them for the EPSG systems, in the ESRI dialect and its own.
const std::string kTwd97TmTaiwan =
    R"(PROJCS["TWD_1997_TM_Taiwan",GEOGCS["GCS_TWD_1997",DATUM["D_TWD_1997",SPHEROID["GRS_1980",6378137.0,298.257222101]],PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]],PROJECTION["Transverse_Mercator"],PARAMETER["False_Easting",250000.0],PARAMETER["False_Northing",0.0],PARAMETER["Central_Meridian",121.0],PARAMETER["Scale_Factor",0.9999],PARAMETER["Latitude_Of_Origin",0.0],UNIT["Meter",1.0]])";
const std::string kTwd67TmPenghu =
    R"(PROJCS["TWD_1967_TM_Penghu",GEOGCS["GCS_TWD_1967",DATUM["D_TWD_1967",SPHEROID["GRS_1967_Truncated",6378160.0,298.25]],PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]],PROJECTION["Transverse_Mercator"],PARAMETER["False_Easting",250000.0],PARAMETER["False_Northing",0.0],PARAMETER["Central_Meridian",119.0],PARAMETER["Scale_Factor",0.9999],PARAMETER["Latitude_Of_Origin",0.0],UNIT["Meter",1.0]])";
const std::string kTwd67Tm2Epsg =
    R"(PROJCS["TWD67 / TM2 zone 121",GEOGCS["TWD67",DATUM["Taiwan_Datum_1967",SPHEROID["GRS 1967 Modified",6378160,298.25,AUTHORITY["EPSG","7050"]],AUTHORITY["EPSG","1025"]],PRIMEM["Greenwich",0,AUTHORITY["EPSG","8901"]],UNIT["degree",0.0174532925199433,AUTHORITY["EPSG","9122"]],AUTHORITY["EPSG","3821"]],PROJECTION["Transverse_Mercator"],PARAMETER["latitude_of_origin",0],PARAMETER["central_meridian",121],PARAMETER["scale_factor",0.9999],PARAMETER["false_easting",250000],PARAMETER["false_northing",0],UNIT["metre",1,AUTHORITY["EPSG","9001"]],AXIS["Easting",EAST],AXIS["Northing",NORTH],AUTHORITY["EPSG","3828"]])";
const std::string kWgs84Utm51 =
    R"(PROJCS["WGS_1984_UTM_Zone_51N",GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",SPHEROID["WGS_1984",6378137.0,298.257223563]],PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]],PROJECTION["Transverse_Mercator"],PARAMETER["False_Easting",500000.0],PARAMETER["False_Northing",0.0],PARAMETER["Central_Meridian",123.0],PARAMETER["Scale_Factor",0.9996],PARAMETER["Latitude_Of_Origin",0.0],UNIT["Meter",1.0]])";
const std::string kGcsWgs84 =
    R"(GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",SPHEROID["WGS_1984",6378137.0,298.257223563]],PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])";
const std::string kGcsTwd97 =
    R"(GEOGCS["GCS_TWD_1997",DATUM["D_TWD_1997",SPHEROID["GRS_1980",6378137.0,298.257222101]],PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])";

// ---- reading .prj files ------------------------------------------------------------------

struct PrjCase {
  const char* Name;
  std::string Text;
  std::optional<NamedSystem> Expected;
};

void PrintTo(const PrjCase& c, std::ostream* os) { *os << c.Name; }

class ProjectionFiles : public testing::TestWithParam<PrjCase> {};

TEST_P(ProjectionFiles, NameTheirSystem) {
  const PrjCase& c = GetParam();
  const std::optional<NamedSystem> parsed = ParseProjectionFile(c.Text);
  ASSERT_EQ(parsed.has_value(), c.Expected.has_value());
  if (!parsed) return;
  EXPECT_EQ(parsed->Datum, c.Expected->Datum);
  EXPECT_EQ(parsed->Grid, c.Expected->Grid);
  EXPECT_EQ(parsed->CentralMeridian, c.Expected->CentralMeridian);
}

const NamedSystem kTwd97Tm2_121{NamedDatum::Twd97, NamedGrid::Tm2, 121.0};

INSTANTIATE_TEST_SUITE_P(
    Cases, ProjectionFiles,
    testing::Values(
        PrjCase{"EsriTwd97Taiwan", kTwd97TmTaiwan, kTwd97Tm2_121},
        PrjCase{"EsriTwd67Penghu", kTwd67TmPenghu, NamedSystem{NamedDatum::Twd67, NamedGrid::Tm2, 119.0}},
        PrjCase{"EpsgTwd67Tm2WithAxesAndAuthorities", kTwd67Tm2Epsg,
                NamedSystem{NamedDatum::Twd67, NamedGrid::Tm2, 121.0}},
        PrjCase{"EpsgTwd97Tm2ZoneNameOnly",
                R"(PROJCS["TWD97 / TM2 zone 119",GEOGCS["TWD97",DATUM["Taiwan_Datum_1997",SPHEROID["GRS 1980",6378137,298.257222101]]],PROJECTION["Transverse_Mercator"],UNIT["metre",1]])",
                NamedSystem{NamedDatum::Twd97, NamedGrid::Tm2, 119.0}},
        PrjCase{"Twd97Realisation2020",
                R"(PROJCS["TWD97[2020]_TM121",GEOGCS["GCS_TWD97[2020]",DATUM["D_TWD97[2020]",SPHEROID["GRS_1980",6378137.0,298.257222101]],PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]],PROJECTION["Transverse_Mercator"],PARAMETER["False_Easting",250000.0],PARAMETER["False_Northing",0.0],PARAMETER["Central_Meridian",121.0],PARAMETER["Scale_Factor",0.9999],PARAMETER["Latitude_Of_Origin",0.0],UNIT["Meter",1.0]])",
                kTwd97Tm2_121},
        PrjCase{"Twd97Realisation2020GridFromItsNameOnly",
                R"(PROJCS["TWD97[2020]_TM121",GEOGCS["GCS_TWD97[2020]",DATUM["D_TWD97[2020]",SPHEROID["GRS_1980",6378137.0,298.257222101]]],PROJECTION["Transverse_Mercator"],UNIT["Meter",1.0]])",
                kTwd97Tm2_121},
        PrjCase{"Twd97Realisation2010Islands",
                R"(PROJCS["TWD97[2010]_TM119",GEOGCS["GCS_TWD97[2010]",DATUM["D_TWD97[2010]",SPHEROID["GRS_1980",6378137.0,298.257222101]]],PROJECTION["Transverse_Mercator"],UNIT["Meter",1.0]])",
                NamedSystem{NamedDatum::Twd97, NamedGrid::Tm2, 119.0}},
        PrjCase{"Twd97Realisation2010EpsgStyle",
                R"(PROJCS["TWD97[2010] / TM2 zone 121",GEOGCS["TWD97[2010]",DATUM["Taiwan Datum 1997 [2010]",SPHEROID["GRS 1980",6378137,298.257222101]]],PROJECTION["Transverse_Mercator"],PARAMETER["central_meridian",121],PARAMETER["scale_factor",0.9999],PARAMETER["false_easting",250000],UNIT["metre",1]])",
                kTwd97Tm2_121},
        PrjCase{"GcsTwd97Realisation2020",
                R"(GEOGCS["GCS_TWD97[2020]",DATUM["D_TWD97[2020]",SPHEROID["GRS_1980",6378137.0,298.257222101]],PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])",
                NamedSystem{NamedDatum::Twd97, NamedGrid::Geographic, std::nullopt}},
        PrjCase{"EsriUtm51", kWgs84Utm51, NamedSystem{NamedDatum::Wgs84, NamedGrid::Utm, 123.0}},
        PrjCase{"UtmZoneFromTheName",
                R"(PROJCS["WGS 84 / UTM zone 50N",GEOGCS["WGS 84",DATUM["WGS_1984",SPHEROID["WGS 84",6378137,298.257223563]]],PROJECTION["Transverse_Mercator"]])",
                NamedSystem{NamedDatum::Wgs84, NamedGrid::Utm, 117.0}},
        PrjCase{"GcsWgs84", kGcsWgs84, NamedSystem{NamedDatum::Wgs84, NamedGrid::Geographic, std::nullopt}},
        PrjCase{"GcsTwd67WithByteOrderMarkAndNewline",
                "\xEF\xBB\xBFGEOGCS[\"GCS_TWD_1967\",DATUM[\"D_TWD_1967\",SPHEROID[\"GRS_1967_Truncated\",6378160.0,298.25]],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]]\r\n",
                NamedSystem{NamedDatum::Twd67, NamedGrid::Geographic, std::nullopt}},
        PrjCase{"TwoDegreeGridInFeetIsNotKnown",
                R"wkt(PROJCS["TWD97 / TM2 zone 121 (ftUS)",GEOGCS["GCS_TWD_1997",DATUM["D_TWD_1997",SPHEROID["GRS_1980",6378137.0,298.257222101]]],PROJECTION["Transverse_Mercator"],PARAMETER["False_Easting",820208.3],PARAMETER["Central_Meridian",121.0],PARAMETER["Scale_Factor",0.9999],UNIT["Foot_US",0.3048006096012192]])wkt",
                std::nullopt},
        PrjCase{"OtherProjection",
                R"(PROJCS["WGS_1984_Web_Mercator",GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",SPHEROID["WGS_1984",6378137.0,298.257223563]]],PROJECTION["Mercator_Auxiliary_Sphere"],UNIT["Meter",1.0]])",
                std::nullopt},
        PrjCase{"UnknownDatum",
                R"(GEOGCS["GCS_Tokyo",DATUM["D_Tokyo",SPHEROID["Bessel_1841",6377397.155,299.1528128]]])", std::nullopt},
        PrjCase{"CutShort", kTwd97TmTaiwan.substr(0, 120), std::nullopt},
        PrjCase{"NotWkt", "EPSG:3826", std::nullopt},
        PrjCase{"Empty", "", std::nullopt}),
    [](const testing::TestParamInfo<PrjCase>& row) { return row.param.Name; });

// Morvane's own name_1.prj names the target system that the engine converted to.
TEST(ProjectionFiles, OwnOutputsNameTheTargetSystem) {
  struct Own {
    Mode Which;
    Region Area;
    NamedSystem Expected;
  };
  const std::vector<Own> cases = {
      {Mode::Twd67GeographicToTwd67Tm2, kTaiwanRegion, {NamedDatum::Twd67, NamedGrid::Tm2, 121.0}},
      {Mode::Twd67GeographicToTwd67Tm2, kIslandsRegion, {NamedDatum::Twd67, NamedGrid::Tm2, 119.0}},
      {Mode::Twd67GeographicToTm3, kIslandsRegion, {NamedDatum::Twd67, NamedGrid::Tm3, 118.0}},
      {Mode::Twd67GeographicToUtm, kTaiwanRegion, {NamedDatum::Twd67, NamedGrid::Utm, 123.0}},
      {Mode::GeographicToLambert, kMainlandRegion, {NamedDatum::Wgs84, NamedGrid::Lambert, 110.0}},
      {Mode::Twd67Tm2ToTwd97Tm2, kTaiwanRegion, {NamedDatum::Twd97, NamedGrid::Tm2, 121.0}},
      {Mode::Twd97GeographicToTwd97Tm2, kIslandsRegion, {NamedDatum::Twd97, NamedGrid::Tm2, 119.0}},
      {Mode::Twd67GeographicToTwd97Geographic, kTaiwanRegion, {NamedDatum::Twd97, NamedGrid::Geographic, std::nullopt}},
      {Mode::Twd67GeographicToWgs84Geographic, kTaiwanRegion, {NamedDatum::Wgs84, NamedGrid::Geographic, std::nullopt}},
      {Mode::Twd67Tm2ToTwd67Geographic, kTaiwanRegion, {NamedDatum::Twd67, NamedGrid::Geographic, std::nullopt}},
  };
  for (const Own& own : cases) {
    SCOPED_TRACE("mode index " + std::to_string(IndexOf(own.Which)));
    IgnoringMessages sink;
    EngineState engine(sink);
    ApplyTransformSettings(engine, IndexOf(own.Which), own.Area);
    const std::optional<NamedSystem> parsed =
        ParseProjectionFile(*TargetSystemWkt(IndexOf(own.Which), engine.Settings, engine.Lambert));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->Datum, own.Expected.Datum);
    EXPECT_EQ(parsed->Grid, own.Expected.Grid);
    ASSERT_EQ(parsed->CentralMeridian.has_value(), own.Expected.CentralMeridian.has_value());
    if (parsed->CentralMeridian) {
      EXPECT_NEAR(*parsed->CentralMeridian, *own.Expected.CentralMeridian, 1e-9);
    }
  }
}

// ---- the check ----------------------------------------------------------------------------

// Around Taipei and Kaohsiung, in each source system (rounded: the check is about extents).
const std::vector<XY> kDegrees = {{120.3, 22.6}, {121.5, 25.0}};
const std::vector<XY> kTm2Metres = {{180000, 2500000}, {305000, 2770000}};
const std::vector<XY> kTm3Metres = {{380000, 2500000}, {405000, 2770000}};
const std::vector<XY> kUtmMetres = {{230000, 2500000}, {350000, 2770000}};
const std::vector<XY> kPenghuDegrees = {{119.5, 23.5}, {119.7, 23.7}};
// The mainland grid around Guangzhou and Beijing, and around Taiwan.
const std::vector<XY> kMainlandLambert = {{500000, 2500000}, {700000, 4500000}};
const std::vector<XY> kTaiwanLambert = {{1000000, 1500000}, {1200000, 1900000}};

enum class Header { Extent, Zero, NaN };

struct CheckCase {
  const char* Name;
  Mode Which;
  Region Area;
  std::vector<XY> Points;
  InputVerdict Verdict;
  std::string Reason;  // a part of the reason; empty: the reason is empty
  std::string Prj = "";
  std::string Fits = "";
  Header Box = Header::Extent;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.Name; }

class InputChecks : public testing::TestWithParam<CheckCase> {};

// The reasons of a check as the command line words them, without the fitting modes.
std::string Said(const InputCheck& check) {
  std::string text;
  for (const CheckReason& reason : check.Reasons) text += (text.empty() ? "" : "; ") + CheckReasonText(reason);
  return text;
}

Shapefile PointFile(const std::vector<XY>& points, Header header) {
  std::vector<RecordContent> records;
  for (const XY& point : points) records.push_back(PointRecord(ShapeType::Point, point));
  std::optional<Box> box;
  if (header == Header::Zero) box = Box{};
  if (header == Header::NaN) box = Box{kNaN, kNaN, kNaN, kNaN};
  return BuildShapefile(ShapeType::Point, records, box);
}

TEST_P(InputChecks, GiveTheirVerdictAndReason) {
  const CheckCase& c = GetParam();
  TempFolder folder;
  WriteShapefile(folder, "input", PointFile(c.Points, c.Box));
  if (!c.Prj.empty()) WriteFileBytes(folder / "input.prj", Bytes(c.Prj.begin(), c.Prj.end()));
  LocalFileSystem files;

  const InputCheck check = CheckInput(folder / "input.shp", IndexOf(c.Which), c.Area, files);

  EXPECT_EQ(check.Verdict, c.Verdict) << Said(check);
  if (c.Reason.empty()) {
    EXPECT_EQ(Said(check), "");
  } else {
    EXPECT_NE(Said(check).find(c.Reason), std::string::npos) << Said(check);
  }
  EXPECT_EQ(FittingModesText(check.FittingModes, c.Area), c.Fits);
  EXPECT_EQ(PassesCheck(check), c.Verdict == InputVerdict::Plausible);
}

constexpr InputVerdict kPlausible = InputVerdict::Plausible;
constexpr InputVerdict kImplausible = InputVerdict::Implausible;
constexpr InputVerdict kMismatch = InputVerdict::Mismatch;

INSTANTIATE_TEST_SUITE_P(
    EveryModeWithItsOwnSource, InputChecks,
    testing::Values(CheckCase{"Twd67Tm2ToTwd67Geographic", Mode::Twd67Tm2ToTwd67Geographic, kTaiwanRegion,
                              kTm2Metres, kPlausible, ""},
                    CheckCase{"Twd67GeographicToTwd67Tm2", Mode::Twd67GeographicToTwd67Tm2, kTaiwanRegion,
                              kDegrees, kPlausible, ""},
                    CheckCase{"Tm3ToTwd67Geographic", Mode::Tm3ToTwd67Geographic, kTaiwanRegion,
                              kTm3Metres, kPlausible, ""},
                    CheckCase{"Twd67GeographicToTm3", Mode::Twd67GeographicToTm3, kTaiwanRegion,
                              kDegrees, kPlausible, ""},
                    CheckCase{"UtmToTwd67Geographic", Mode::UtmToTwd67Geographic, kTaiwanRegion,
                              kUtmMetres, kPlausible, ""},
                    CheckCase{"Twd67GeographicToUtm", Mode::Twd67GeographicToUtm, kTaiwanRegion,
                              kDegrees, kPlausible, ""},
                    CheckCase{"LambertToGeographicMainland", Mode::LambertToGeographic, kMainlandRegion,
                              kMainlandLambert, kPlausible, ""},
                    CheckCase{"LambertToGeographicTaiwan", Mode::LambertToGeographic, kTaiwanRegion,
                              kTaiwanLambert, kPlausible, ""},
                    CheckCase{"GeographicToLambertMainland", Mode::GeographicToLambert, kMainlandRegion,
                              {{116.4, 39.9}, {113.3, 23.1}}, kPlausible, ""},
                    CheckCase{"Twd67GeographicToTwd97Geographic", Mode::Twd67GeographicToTwd97Geographic, kTaiwanRegion,
                              kDegrees, kPlausible, ""},
                    CheckCase{"Twd97GeographicToTwd67Geographic", Mode::Twd97GeographicToTwd67Geographic, kTaiwanRegion,
                              kDegrees, kPlausible, ""},
                    CheckCase{"Twd67Tm2ToTwd97Tm2", Mode::Twd67Tm2ToTwd97Tm2, kTaiwanRegion,
                              kTm2Metres, kPlausible, ""},
                    CheckCase{"Twd97Tm2ToTwd67Tm2", Mode::Twd97Tm2ToTwd67Tm2, kTaiwanRegion,
                              kTm2Metres, kPlausible, ""},
                    CheckCase{"Twd97Tm2ToTwd97Geographic", Mode::Twd97Tm2ToTwd97Geographic, kTaiwanRegion,
                              kTm2Metres, kPlausible, ""},
                    CheckCase{"Twd97GeographicToTwd97Tm2", Mode::Twd97GeographicToTwd97Tm2, kTaiwanRegion,
                              kDegrees, kPlausible, ""},
                    CheckCase{"Twd67GeographicToWgs84Geographic", Mode::Twd67GeographicToWgs84Geographic, kTaiwanRegion,
                              kDegrees, kPlausible, ""},
                    CheckCase{"Wgs84GeographicToTwd67Geographic", Mode::Wgs84GeographicToTwd67Geographic, kTaiwanRegion,
                              kDegrees, kPlausible, ""},
                    CheckCase{"Twd67GeographicToTwd67Tm2Islands", Mode::Twd67GeographicToTwd67Tm2, kIslandsRegion,
                              kPenghuDegrees, kPlausible, ""},
                    CheckCase{"Twd67Tm2ToTwd67GeographicIslands", Mode::Twd67Tm2ToTwd67Geographic, kIslandsRegion,
                              {{180000, 2560000}, {260000, 2900000}}, kPlausible, ""}),
    [](const testing::TestParamInfo<CheckCase>& row) { return row.param.Name; });

INSTANTIATE_TEST_SUITE_P(
    WrongCoordinates, InputChecks,
    testing::Values(
        CheckCase{"Tm2MetresToAGeographicMode", Mode::Twd67GeographicToTwd67Tm2, kTaiwanRegion,
                  kTm2Metres, kImplausible,
                  "its coordinates (x 180000 to 305000, y 2500000 to 2770000) lie outside the plausible TWD67 "
                  "longitude and latitude of Taiwan (x 116.25 to 124.05, y 20.25 to 26.75); they look like "
                  "metres of a Transverse Mercator grid"},
        CheckCase{"DegreesToAGridMode", Mode::Twd67Tm2ToTwd97Tm2, kTaiwanRegion, kDegrees, kImplausible,
                  "lie outside the plausible TWD67 TM2 grid (central meridian 121°E) of Taiwan (x -246672 to "
                  "568751, y 2239828 to 2968478); they look like longitude and latitude in degrees"},
        CheckCase{"DegreesToTheLambertGrid", Mode::LambertToGeographic, kMainlandRegion, kDegrees, kImplausible,
                  "they look like longitude and latitude in degrees"},
        CheckCase{"TaiwanDataWithTheIslandsRegion", Mode::Twd97GeographicToTwd97Tm2, kIslandsRegion,
                  kDegrees, kImplausible,
                  "of Penghu, Kinmen and Matsu (x 117.25 to 120.75, y 22.25 to 26.75); they look like another "
                  "region: Taiwan"},
        CheckCase{"IslandsDataWithTheTaiwanRegion", Mode::Twd67GeographicToTwd67Tm2, kTaiwanRegion,
                  {{118.3, 24.4}, {119.9, 26.2}}, kImplausible,
                  "they look like another region: Penghu, Kinmen and Matsu"},
        CheckCase{"NowhereNear", Mode::Twd67Tm2ToTwd67Geographic, kTaiwanRegion,
                  {{-5e7, 1}, {3, 9e9}}, kImplausible, "(x -50000000 to 3, y 1 to 9000000000) lie outside"},
        CheckCase{"NotANumber", Mode::Twd67GeographicToTwd97Geographic, kTaiwanRegion,
                  {{121, 24}, {kNaN, 24}}, kImplausible,
                  "some of its coordinates are not numbers (NaN or infinite)", "", "", Header::NaN},
        CheckCase{"InfinitePoint", Mode::Twd67GeographicToTwd67Tm2, kTaiwanRegion,
                  {{121, 24}, {std::numeric_limits<double>::infinity(), 24}}, kImplausible,
                  "not numbers", "", "", Header::Zero}),
    [](const testing::TestParamInfo<CheckCase>& row) { return row.param.Name; });

INSTANTIATE_TEST_SUITE_P(
    ProjectionFileAgainstTheMode, InputChecks,
    testing::Values(
        CheckCase{"Twd97PrjWithATwd67Mode", Mode::Twd67Tm2ToTwd97Tm2, kTaiwanRegion, kTm2Metres, kMismatch,
                  "its .prj names the TWD97 TM2 grid (central meridian 121°E), but mode 11 converts from the "
                  "TWD67 TM2 grid (central meridian 121°E)",
                  kTwd97TmTaiwan, "12, 13"},
        CheckCase{"Twd67PrjWithATwd97Mode", Mode::Twd97Tm2ToTwd67Tm2, kTaiwanRegion, kTm2Metres, kMismatch,
                  "its .prj names the TWD67 TM2 grid (central meridian 121°E), but mode 12 converts from the "
                  "TWD97 TM2 grid",
                  kTwd67Tm2Epsg, "1, 11"},
        CheckCase{"PenghuGridWithTheTaiwanRegion", Mode::Twd67Tm2ToTwd67Geographic, kTaiwanRegion,
                  kTm2Metres, kMismatch, "(central meridian 119°E)",
                  kTwd67TmPenghu, "1 (region 2), 11 (region 2)"},
        CheckCase{"MatchingPrj", Mode::Twd97Tm2ToTwd97Geographic, kTaiwanRegion,
                  kTm2Metres, kPlausible, "", kTwd97TmTaiwan, "12, 13"},
        CheckCase{"GeographicPrjFitsEveryModeOfItsDatum", Mode::Wgs84GeographicToTwd67Geographic, kTaiwanRegion,
                  kDegrees, kPlausible, "", kGcsWgs84, "8, 16"},
        CheckCase{"GeographicPrjOfAnotherDatum", Mode::Wgs84GeographicToTwd67Geographic, kTaiwanRegion,
                  kDegrees, kMismatch,
                  "its .prj names the TWD97 longitude and latitude, but mode 16 converts from the WGS84 longitude "
                  "and latitude",
                  kGcsTwd97, "8, 10, 14"},
        CheckCase{"WgsUtmIsNotTheTwd67Utm", Mode::UtmToTwd67Geographic, kTaiwanRegion,
                  kUtmMetres, kMismatch, "WGS84 UTM grid (central meridian 123°E)",
                  kWgs84Utm51, ""},
        CheckCase{"LambertModesTakeAnyDatum", Mode::GeographicToLambert, kMainlandRegion,
                  {{116.4, 39.9}, {113.3, 23.1}}, kPlausible, "", kGcsTwd97,
                  "8, 10, 14 (region 1)"},
        CheckCase{"MismatchAndWrongCoordinates", Mode::Twd67GeographicToTwd67Tm2, kTaiwanRegion, kTm2Metres, kMismatch,
                  "but mode 2 converts from the TWD67 longitude and latitude; its coordinates", kTwd97TmTaiwan,
                  "12, 13"},
        CheckCase{"UnknownPrjSaysNothing", Mode::Twd67GeographicToTwd67Tm2, kTaiwanRegion,
                  kDegrees, kPlausible, "", "PROJCS[\"Some local grid\"]"}),
    [](const testing::TestParamInfo<CheckCase>& row) { return row.param.Name; });

INSTANTIATE_TEST_SUITE_P(
    WhatTheHeaderSays, InputChecks,
    testing::Values(CheckCase{"EmptyFile", Mode::Twd67GeographicToTwd67Tm2, kTaiwanRegion,
                              {}, kPlausible, "it holds no points", "", "", Header::Zero},
                    CheckCase{"ZeroHeaderBoxRealRecords", Mode::Twd67GeographicToTwd67Tm2, kTaiwanRegion,
                              kTm2Metres, kImplausible,
                              "(x 180000 to 305000, y 2500000 to 2770000) lie outside", "", "", Header::Zero},
                    CheckCase{"ZeroHeaderBoxPlausibleRecords", Mode::Twd67GeographicToTwd67Tm2, kTaiwanRegion,
                              kDegrees, kPlausible, "", "", "", Header::Zero},
                    CheckCase{"NaNHeaderBoxPlausibleRecords", Mode::Twd67Tm2ToTwd67Geographic, kTaiwanRegion,
                              kTm2Metres, kPlausible, "", "", "", Header::NaN}),
    [](const testing::TestParamInfo<CheckCase>& row) { return row.param.Name; });

TEST(InputCheck, FindsTheProjectionFileInAnyLetterCase) {
  TempFolder folder;
  WriteShapefile(folder, "roads", PointFile(kTm2Metres, Header::Extent));
  WriteFileBytes(folder / "roads.PRJ", Bytes(kTwd97TmTaiwan.begin(), kTwd97TmTaiwan.end()));
  LocalFileSystem files;
  EXPECT_EQ(CheckInput(folder / "roads.shp", IndexOf(Mode::Twd67Tm2ToTwd97Tm2), kTaiwanRegion, files).Verdict,
            InputVerdict::Mismatch);
  EXPECT_EQ(CheckInput(folder / "roads.shp", IndexOf(Mode::Twd97Tm2ToTwd67Tm2), kTaiwanRegion, files).Verdict,
            InputVerdict::Plausible);
}

TEST(InputCheck, WhatTheConversionFailsOnIsUnreadable) {
  TempFolder folder;
  WriteFileBytes(folder / "short.shp", Bytes(60, 0));
  LocalFileSystem files;
  const InputCheck cut =
      CheckInput(folder / "short.shp", IndexOf(Mode::Twd67Tm2ToTwd67Geographic), kTaiwanRegion, files);
  EXPECT_EQ(cut.Verdict, InputVerdict::Unreadable);
  ASSERT_EQ(cut.Reasons.size(), 1u);
  EXPECT_EQ(cut.Reasons[0].Finding, CheckFinding::ShortHeader);
  EXPECT_EQ(Said(cut), "File " + (folder / "short.shp") + " is damaged: its header is shorter than 100 bytes");
  EXPECT_FALSE(PassesCheck(cut));
  EXPECT_FALSE(CanConvert(cut));
  const InputCheck missing =
      CheckInput(folder / "gone.shp", IndexOf(Mode::Twd67Tm2ToTwd67Geographic), kTaiwanRegion, files);
  EXPECT_EQ(missing.Verdict, InputVerdict::Unreadable);
  ASSERT_EQ(missing.Reasons.size(), 1u);
  EXPECT_EQ(missing.Reasons[0].Finding, CheckFinding::CannotRead);
  EXPECT_EQ(missing.Reasons[0].Path, folder / "gone.shp");
  EXPECT_EQ(Said(missing).rfind("Cannot open file " + (folder / "gone.shp"), 0), 0u) << Said(missing);
}

// A main file of `count` point records of which the one at `damaged` (from 0) has an unknown
// shape type.
Shapefile DamagedAt(std::size_t count, std::size_t damaged, Header header) {
  std::vector<RecordContent> records(count, PointRecord(ShapeType::Point, {121.0, 24.0}));
  records[damaged] = ContentBuilder(77).Double(1).Double(2).Build();
  return BuildShapefile(ShapeType::Point, records, header == Header::Zero ? Box{} : Box{121, 24, 121, 24});
}

// The check reads the first records in order and a spread of the others through the index,
// whatever the header box says: damage among them is seen, and the last record is always
// among them; damage in a record it does not read is not.
TEST(InputCheck, ReadsABoundedSpreadOfRecords) {
  TempFolder folder;
  LocalFileSystem files;
  const auto verdict = [&](std::size_t count, std::size_t damaged, Header header) {
    WriteShapefile(folder, "f", DamagedAt(count, damaged, header));
    return CheckInput(folder / "f.shp", IndexOf(Mode::Twd67GeographicToTwd67Tm2), kTaiwanRegion, files).Verdict;
  };
  EXPECT_EQ(verdict(3, 0, Header::Extent), InputVerdict::Unreadable);
  EXPECT_EQ(verdict(kCheckedRecordLimit, kCheckedRecordLimit - 1, Header::Zero), InputVerdict::Unreadable);
  EXPECT_EQ(verdict(1000, 999, Header::Extent), InputVerdict::Unreadable);
  // 1000 records: the 16 first and 48 of the 984 others, about every 20th.
  EXPECT_EQ(verdict(1000, kCheckedRecordLimit, Header::Extent), InputVerdict::Plausible);
  const InputCheck seen = CheckInput(folder / "f.shp", IndexOf(Mode::Twd67GeographicToTwd67Tm2), kTaiwanRegion, files);
  EXPECT_TRUE(seen.Reasons.empty()) << Said(seen);
}

// The grid extents come from the engine: the corners of the region's box with its margin,
// converted, lie inside them, and the geographic ones are the box itself.
TEST(InputCheck, GridExtentsHoldTheRegionConverted) {
  IgnoringMessages sink;
  EngineState engine(sink);
  ApplyTransformSettings(engine, IndexOf(Mode::Twd67GeographicToTwd67Tm2), kTaiwanRegion);
  const Box tm2 = PlausibleExtent(IndexOf(Mode::Twd67Tm2ToTwd67Geographic), kTaiwanRegion);
  for (const XY corner : std::vector<XY>{{118.75, 20.75}, {123.25, 20.75}, {118.75, 26.75}, {123.25, 26.75}}) {
    double x = 0;
    double y = 0;
    ConvertPoint(engine, IndexOf(Mode::Twd67GeographicToTwd67Tm2), corner.X, corner.Y, x, y);
    EXPECT_GE(x, tm2.Xmin);
    EXPECT_LE(x, tm2.Xmax);
    EXPECT_GE(y, tm2.Ymin);
    EXPECT_LE(y, tm2.Ymax);
  }
  const Box geographic = PlausibleExtent(IndexOf(Mode::Twd67GeographicToTwd67Tm2), kIslandsRegion);
  EXPECT_EQ(geographic.Xmin, 117.25);
  EXPECT_EQ(geographic.Ymax, 26.75);
  // The islands' grid lies around its own meridian, west of Taiwan's.
  const Box islandsTm2 = PlausibleExtent(IndexOf(Mode::Twd67Tm2ToTwd67Geographic), kIslandsRegion);
  EXPECT_LT(islandsTm2.Xmax, tm2.Xmax);
  EXPECT_GT(islandsTm2.Ymin, tm2.Ymin);
}


// ---- real-world inputs written by GDAL ---------------------------------------------------

// Places, longitude and latitude, that national layers hold.
struct Place {
  const char* Name;
  double Lon;
  double Lat;
};
const std::vector<Place> kTaiwanPlaces = {{"Taipei", 121.52, 25.04},       {"Kaohsiung", 120.30, 22.62},
                                          {"Hualien", 121.60, 23.98},      {"Eluanbi", 120.85, 21.90},
                                          {"Green Island", 121.49, 22.66}, {"Orchid Island", 121.55, 22.05}};
const std::vector<Place> kPenghu = {{"Magong", 119.57, 23.57}, {"Qimei", 119.43, 23.21}};
const std::vector<Place> kKinmen = {{"Kinmen", 118.32, 24.44}, {"Lieyu", 118.24, 24.43}};
const std::vector<Place> kMatsu = {{"Nangan", 119.94, 26.16}, {"Dongyin", 120.49, 26.37}};
const std::vector<Place> kPratas = {{"Pratas", 116.72, 20.70}};

std::vector<Place> Joined(std::initializer_list<std::vector<Place>> groups) {
  std::vector<Place> all;
  for (const std::vector<Place>& group : groups) all.insert(all.end(), group.begin(), group.end());
  return all;
}

// A layer as GDAL writes it: small triangles around the places, given in the longitude and
// latitude of EPSG `from` and written in EPSG `to` (reprojected by GDAL when they differ).
struct GdalLayer {
  std::vector<Place> Places;
  int From;
  int To;
  bool LeadingNull = false;  // a first feature without geometry
  std::string Prj = "";      // replaces GDAL's .prj; "-" removes it
};

const std::string kTwd97_2020Tm121 =
    R"(PROJCS["TWD97[2020]_TM121",GEOGCS["GCS_TWD97[2020]",DATUM["D_TWD97[2020]",SPHEROID["GRS_1980",6378137.0,298.257222101]],PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]],PROJECTION["Transverse_Mercator"],PARAMETER["False_Easting",250000.0],PARAMETER["False_Northing",0.0],PARAMETER["Central_Meridian",121.0],PARAMETER["Scale_Factor",0.9999],PARAMETER["Latitude_Of_Origin",0.0],UNIT["Meter",1.0]])";
const std::string kGcsTwd97_2020 =
    R"(GEOGCS["GCS_TWD97[2020]",DATUM["D_TWD97[2020]",SPHEROID["GRS_1980",6378137.0,298.257222101]],PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])";

const std::map<std::string, GdalLayer>& GdalLayers() {
  static const std::map<std::string, GdalLayer> layers = {
      {"tm2_leading_null", {kTaiwanPlaces, 3821, 3828, true}},
      {"national_twd67_degrees", {Joined({kTaiwanPlaces, kPenghu, kKinmen, kMatsu, kPratas}), 3821, 3821}},
      {"national_twd97_degrees", {Joined({kTaiwanPlaces, kPenghu, kKinmen, kMatsu, kPratas}), 3824, 3824, true}},
      {"national_wgs84_degrees", {Joined({kTaiwanPlaces, kPenghu, kKinmen, kMatsu}), 4326, 4326}},
      {"national_twd97_tm2", {Joined({kTaiwanPlaces, kPenghu, kKinmen, kMatsu, kPratas}), 3824, 3826}},
      {"national_twd67_tm2", {Joined({kKinmen, kTaiwanPlaces, kMatsu}), 3821, 3828}},
      {"kinmen_twd97_degrees", {kKinmen, 3824, 3824}},
      {"kinmen_twd97_tm2_119", {kKinmen, 3824, 3825}},
      {"kinmen_twd97_tm2_119_no_prj", {kKinmen, 3824, 3825, false, "-"}},
      {"penghu_twd67_degrees", {kPenghu, 3821, 3821, true}},
      {"penghu_twd67_tm2_119_no_prj", {kPenghu, 3821, 3827, false, "-"}},
      {"matsu_twd97_degrees", {kMatsu, 3824, 3824}},
      {"national_twd97_2020_tm2", {Joined({kTaiwanPlaces, kKinmen, kMatsu}), 3824, 3826, false, kTwd97_2020Tm121}},
      {"national_twd97_2020_degrees", {Joined({kTaiwanPlaces, kPenghu}), 3824, 3824, false, kGcsTwd97_2020}},
  };
  return layers;
}

std::string GeoJson(const GdalLayer& layer) {
  std::string json = R"({"type":"FeatureCollection","features":[)";
  if (layer.LeadingNull) json += R"({"type":"Feature","properties":{"name":"none"},"geometry":null},)";
  for (std::size_t i = 0; i < layer.Places.size(); ++i) {
    const Place& p = layer.Places[i];
    const auto at = [](double lon, double lat) { return "[" + std::to_string(lon) + "," + std::to_string(lat) + "]"; };
    if (i > 0) json += ",";
    json += R"({"type":"Feature","properties":{"name":")" + std::string(p.Name) +
            R"("},"geometry":{"type":"Polygon","coordinates":[[)" + at(p.Lon, p.Lat) + "," + at(p.Lon + 0.01, p.Lat) +
            "," + at(p.Lon, p.Lat + 0.01) + "," + at(p.Lon, p.Lat) + "]]}}";
  }
  return json + "]}";
}

// The folder with every layer written by ogr2ogr, made once; empty when GDAL is not there.
const TempFolder* GdalFolder() {
  static const TempFolder* folder = []() -> const TempFolder* {
    if (std::system("ogr2ogr --version > /dev/null 2>&1") != 0) return nullptr;
    auto* made = new TempFolder;
    for (const auto& [name, layer] : GdalLayers()) {
      WriteFileText(*made / (name + ".geojson"), GeoJson(layer));
      const std::string systems = layer.From == layer.To
                                      ? " -a_srs EPSG:" + std::to_string(layer.To)
                                      : " -s_srs EPSG:" + std::to_string(layer.From) + " -t_srs EPSG:" + std::to_string(layer.To);
      const std::string command = "ogr2ogr -f 'ESRI Shapefile'" + systems + " '" + (*made / (name + ".shp")) + "' '" +
                                  (*made / (name + ".geojson")) + "' > /dev/null 2>&1";
      EXPECT_EQ(std::system(command.c_str()), 0) << command;
      if (layer.Prj == "-") std::remove((*made / (name + ".prj")).c_str());
      if (!layer.Prj.empty() && layer.Prj != "-") WriteFileText(*made / (name + ".prj"), layer.Prj);
    }
    return made;
  }();
  return folder;
}

struct GdalCase {
  const char* Layer;
  Mode Which;
  Region Area;
  InputVerdict Verdict;
  std::optional<CheckFinding> Finding = std::nullopt;  // of the first reason, when one is wanted
};

// The mode and region as users number them.
unsigned ModeNumber(const GdalCase& c) { return RowOf(IndexOf(c.Which)).Number; }
int RegionNumber(const GdalCase& c) { return c.Area + 1; }

void PrintTo(const GdalCase& c, std::ostream* os) {
  *os << c.Layer << " mode " << ModeNumber(c) << " region " << RegionNumber(c);
}

class GdalInputs : public testing::TestWithParam<GdalCase> {};

TEST_P(GdalInputs, GetTheirVerdict) {
  const GdalCase& c = GetParam();
  const TempFolder* folder = GdalFolder();
  if (folder == nullptr) GTEST_SKIP() << "ogr2ogr (gdal-bin) is not installed";
  LocalFileSystem files;
  const InputCheck check =
      CheckInput(*folder / (std::string(c.Layer) + ".shp"), IndexOf(c.Which), c.Area, files);
  EXPECT_EQ(check.Verdict, c.Verdict) << Said(check);
  if (c.Finding) {
    ASSERT_FALSE(check.Reasons.empty());
    EXPECT_EQ(check.Reasons[0].Finding, *c.Finding) << Said(check);
  }
}

constexpr auto kOutside = CheckFinding::OutsideExtent;
constexpr auto kIslands = CheckFinding::InAnotherRegion;
constexpr auto kRegion3 = CheckFinding::RegionNotForMode;
constexpr auto kPrj = CheckFinding::PrjNamesAnother;

INSTANTIATE_TEST_SUITE_P(
    RightOnes, GdalInputs,
    testing::Values(
        // The header box of a file that begins with a null shape holds (0, 0).
        GdalCase{"tm2_leading_null", Mode::Twd67Tm2ToTwd67Geographic, kTaiwanRegion, kPlausible},
        GdalCase{"tm2_leading_null", Mode::Twd67Tm2ToTwd97Tm2, kTaiwanRegion, kPlausible},
        // National layers: every region for the modes that do not depend on it, region 1 for
        // the others.
        GdalCase{"national_twd67_degrees", Mode::Twd67GeographicToTwd97Geographic, kTaiwanRegion, kPlausible},
        GdalCase{"national_twd67_degrees", Mode::Twd67GeographicToTwd97Geographic, kIslandsRegion, kPlausible},
        GdalCase{"national_twd67_degrees", Mode::Twd67GeographicToTwd97Geographic, kMainlandRegion, kPlausible},
        GdalCase{"national_twd67_degrees", Mode::Twd67GeographicToWgs84Geographic, kTaiwanRegion, kPlausible},
        GdalCase{"national_twd67_degrees", Mode::Twd67GeographicToWgs84Geographic, kIslandsRegion, kPlausible},
        GdalCase{"national_twd67_degrees", Mode::Twd67GeographicToWgs84Geographic, kMainlandRegion, kPlausible},
        GdalCase{"national_twd67_degrees", Mode::Twd67GeographicToTwd67Tm2, kTaiwanRegion, kPlausible},
        GdalCase{"national_twd67_degrees", Mode::Twd67GeographicToTm3, kTaiwanRegion, kPlausible},
        GdalCase{"national_twd67_degrees", Mode::Twd67GeographicToUtm, kTaiwanRegion, kPlausible},
        GdalCase{"national_twd67_degrees", Mode::GeographicToLambert, kTaiwanRegion, kPlausible},
        GdalCase{"national_twd67_degrees", Mode::GeographicToLambert, kMainlandRegion, kPlausible},
        GdalCase{"national_twd97_degrees", Mode::Twd97GeographicToTwd67Geographic, kTaiwanRegion, kPlausible},
        GdalCase{"national_twd97_degrees", Mode::Twd97GeographicToTwd67Geographic, kIslandsRegion, kPlausible},
        GdalCase{"national_twd97_degrees", Mode::Twd97GeographicToTwd67Geographic, kMainlandRegion, kPlausible},
        GdalCase{"national_twd97_degrees", Mode::Twd97GeographicToTwd97Tm2, kTaiwanRegion, kPlausible},
        GdalCase{"national_wgs84_degrees", Mode::Wgs84GeographicToTwd67Geographic, kTaiwanRegion, kPlausible},
        GdalCase{"national_wgs84_degrees", Mode::Wgs84GeographicToTwd67Geographic, kIslandsRegion, kPlausible},
        GdalCase{"national_wgs84_degrees", Mode::Wgs84GeographicToTwd67Geographic, kMainlandRegion, kPlausible},
        GdalCase{"national_twd97_tm2", Mode::Twd97Tm2ToTwd67Tm2, kTaiwanRegion, kPlausible},
        GdalCase{"national_twd97_tm2", Mode::Twd97Tm2ToTwd97Geographic, kTaiwanRegion, kPlausible},
        GdalCase{"national_twd67_tm2", Mode::Twd67Tm2ToTwd67Geographic, kTaiwanRegion, kPlausible},
        GdalCase{"national_twd67_tm2", Mode::Twd67Tm2ToTwd97Tm2, kTaiwanRegion, kPlausible},
        // One island group: region 2.
        GdalCase{"kinmen_twd97_degrees", Mode::Twd97GeographicToTwd97Tm2, kIslandsRegion, kPlausible},
        GdalCase{"kinmen_twd97_degrees", Mode::Twd97GeographicToTwd67Geographic, kTaiwanRegion, kPlausible},
        GdalCase{"kinmen_twd97_tm2_119", Mode::Twd97Tm2ToTwd97Geographic, kIslandsRegion, kPlausible},
        GdalCase{"kinmen_twd97_tm2_119", Mode::Twd97Tm2ToTwd67Tm2, kIslandsRegion, kPlausible},
        GdalCase{"kinmen_twd97_tm2_119_no_prj", Mode::Twd97Tm2ToTwd97Geographic, kIslandsRegion, kPlausible},
        GdalCase{"penghu_twd67_degrees", Mode::Twd67GeographicToTwd67Tm2, kIslandsRegion, kPlausible},
        GdalCase{"penghu_twd67_degrees", Mode::Twd67GeographicToTwd97Geographic, kTaiwanRegion, kPlausible},
        GdalCase{"penghu_twd67_tm2_119_no_prj", Mode::Twd67Tm2ToTwd67Geographic, kIslandsRegion, kPlausible},
        GdalCase{"matsu_twd97_degrees", Mode::Twd97GeographicToTwd97Tm2, kIslandsRegion, kPlausible},
        // The realisation names of TWD97.
        GdalCase{"national_twd97_2020_tm2", Mode::Twd97Tm2ToTwd97Geographic, kTaiwanRegion, kPlausible},
        GdalCase{"national_twd97_2020_tm2", Mode::Twd97Tm2ToTwd67Tm2, kTaiwanRegion, kPlausible},
        GdalCase{"national_twd97_2020_degrees", Mode::Twd97GeographicToTwd97Tm2, kTaiwanRegion, kPlausible},
        GdalCase{"national_twd97_2020_degrees", Mode::Twd97GeographicToTwd67Geographic, kIslandsRegion, kPlausible}),
    [](const testing::TestParamInfo<GdalCase>& row) {
      return std::string(row.param.Layer) + "_mode" + std::to_string(ModeNumber(row.param)) + "_region" +
             std::to_string(RegionNumber(row.param));
    });

INSTANTIATE_TEST_SUITE_P(
    WrongOnes, GdalInputs,
    testing::Values(
        GdalCase{"tm2_leading_null", Mode::Twd67GeographicToTwd67Tm2, kTaiwanRegion, kMismatch},
        GdalCase{"tm2_leading_null", Mode::Twd67Tm2ToTwd97Tm2, kIslandsRegion, kMismatch, kPrj},
        GdalCase{"tm2_leading_null", Mode::Twd67Tm2ToTwd97Tm2, kMainlandRegion, kImplausible, kRegion3},
        GdalCase{"national_twd67_degrees", Mode::Twd67GeographicToTwd67Tm2, kIslandsRegion, kImplausible, kOutside},
        GdalCase{"national_twd67_degrees", Mode::Twd67GeographicToTwd67Tm2, kMainlandRegion, kImplausible, kRegion3},
        GdalCase{"national_twd67_degrees", Mode::Twd97GeographicToTwd97Tm2, kTaiwanRegion, kMismatch, kPrj},
        GdalCase{"national_twd67_degrees", Mode::Twd67Tm2ToTwd97Tm2, kTaiwanRegion, kMismatch, kPrj},
        GdalCase{"national_twd97_tm2", Mode::Twd97Tm2ToTwd97Geographic, kIslandsRegion, kMismatch, kPrj},
        GdalCase{"national_twd97_tm2", Mode::Twd97Tm2ToTwd97Geographic, kMainlandRegion, kImplausible, kRegion3},
        GdalCase{"national_twd97_tm2", Mode::Twd97GeographicToTwd97Tm2, kTaiwanRegion, kMismatch, kPrj},
        GdalCase{"kinmen_twd97_degrees", Mode::Twd97GeographicToTwd97Tm2, kTaiwanRegion, kImplausible, kIslands},
        GdalCase{"kinmen_twd97_degrees", Mode::Twd97GeographicToTwd97Tm2, kMainlandRegion, kImplausible, kRegion3},
        GdalCase{"kinmen_twd97_tm2_119", Mode::Twd97Tm2ToTwd97Geographic, kTaiwanRegion, kMismatch, kPrj},
        GdalCase{"kinmen_twd97_tm2_119_no_prj", Mode::Twd97Tm2ToTwd97Geographic, kTaiwanRegion, kImplausible, kIslands},
        GdalCase{"penghu_twd67_degrees", Mode::Twd67GeographicToTwd67Tm2, kTaiwanRegion, kImplausible, kIslands},
        GdalCase{"penghu_twd67_tm2_119_no_prj", Mode::Twd67Tm2ToTwd67Geographic, kTaiwanRegion, kImplausible, kIslands},
        GdalCase{"penghu_twd67_tm2_119_no_prj", Mode::Twd67GeographicToTwd67Tm2, kIslandsRegion, kImplausible,
                 kOutside},
        GdalCase{"matsu_twd97_degrees", Mode::Twd97GeographicToTwd97Tm2, kTaiwanRegion, kImplausible, kIslands},
        GdalCase{"national_twd97_2020_tm2", Mode::Twd67Tm2ToTwd97Tm2, kTaiwanRegion, kMismatch, kPrj},
        GdalCase{"national_twd97_2020_degrees", Mode::Twd67GeographicToTwd97Geographic, kTaiwanRegion, kMismatch,
                 kPrj}),
    [](const testing::TestParamInfo<GdalCase>& row) {
      return std::string(row.param.Layer) + "_mode" + std::to_string(ModeNumber(row.param)) + "_region" +
             std::to_string(RegionNumber(row.param));
    });

// Kinmen and Matsu are never the mainland, whatever the mode and region.
TEST(InputCheck, TheIslandsAreNeverTheMainland) {
  const TempFolder* folder = GdalFolder();
  if (folder == nullptr) GTEST_SKIP() << "ogr2ogr (gdal-bin) is not installed";
  LocalFileSystem files;
  for (const char* layer : {"kinmen_twd97_degrees", "matsu_twd97_degrees", "national_twd67_degrees"}) {
    for (TransformMode mode = 0; mode < kModeCount; ++mode) {
      for (Region region = 0; region < kRegionCount; ++region) {
        const InputCheck check = CheckInput(*folder / (std::string(layer) + ".shp"), mode, region, files);
        for (const CheckReason& reason : check.Reasons) {
          EXPECT_FALSE(reason.Resembles == LookAlike::OtherRegion && reason.OtherRegion == kMainlandRegion)
              << layer << " mode index " << mode << " region index " << region << ": " << Said(check);
        }
      }
    }
  }
}

// ---- the check and the run agree ---------------------------------------------------------

// Records the questions of a run and what it shows, not its progress bars.
class QuestionFeedback : public RecordingFeedback {
 public:
  void SetOverallProgress(int) override {}
  void SetFileProgress(int) override {}
};

Shapefile DegreesFile() { return PointFile(kDegrees, Header::Extent); }

// Whatever the run fails on before converting, the check finds, in the run's own words.
TEST(InputCheck, WhatTheRunFailsOnTheCheckSaysInTheSameWords) {
  struct Case {
    const char* Name;
    void (*Spoil)(const TempFolder& folder);
    CheckFinding Finding;
  };
  const auto cutMain = [](const TempFolder& folder, std::size_t size) {
    Bytes main = ReadFileBytes(folder / "in.shp");
    main.resize(size);
    WriteFileBytes(folder / "in.shp", main);
  };
  static const auto cut = cutMain;
  const std::vector<Case> cases = {
      {"no .dbf", [](const TempFolder& f) { std::remove((f / "in.dbf").c_str()); }, CheckFinding::CompanionMissing},
      {"no .shx", [](const TempFolder& f) { std::remove((f / "in.shx").c_str()); }, CheckFinding::CompanionMissing},
      {"a text file renamed, without companions",
       [](const TempFolder& f) {
         const std::string text = "name,x,y\ntaipei,121.5,25.0\nkaohsiung,120.3,22.6\n" + std::string(120, 'z');
         WriteFileBytes(f / "in.shp", Bytes(text.begin(), text.end()));
         std::remove((f / "in.shx").c_str());
         std::remove((f / "in.dbf").c_str());
       },
       CheckFinding::NotAShapefile},
      {"cut inside the header", [](const TempFolder& f) { cut(f, 60); }, CheckFinding::ShortHeader},
      {"shorter than its header says", [](const TempFolder& f) { cut(f, ReadFileBytes(f / "in.shp").size() - 3); },
       CheckFinding::LengthBeyondFile},
      {"a record that runs past the end",
       [](const TempFolder& f) {
         Bytes main = ReadFileBytes(f / "in.shp");
         main.resize(main.size() - 3);
         WriteInt32BE(main.data() + 24, static_cast<std::int32_t>(main.size() / 2));
         WriteFileBytes(f / "in.shp", main);
       },
       CheckFinding::DamagedRecord},
      {"an index without its header", [](const TempFolder& f) { WriteFileBytes(f / "in.shx", Bytes(99, 0)); },
       CheckFinding::ShortHeader},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    WriteShapefile(folder, "in", DegreesFile());
    c.Spoil(folder);
    LocalFileSystem files;
    const InputCheck check =
        CheckInput(folder / "in.shp", IndexOf(Mode::Twd67GeographicToTwd67Tm2), kTaiwanRegion, files);
    EXPECT_EQ(check.Verdict, InputVerdict::Unreadable);
    ASSERT_EQ(check.Reasons.size(), 1u);
    EXPECT_EQ(check.Reasons[0].Finding, c.Finding);

    QuestionFeedback feedback;
    EngineState engine(feedback);
    const RunSummary summary = RunConversion(engine, {{"in.shp", true}}, folder.Path(), 1, 0, feedback, files);
    ASSERT_EQ(summary.Failed.size(), 1u);
    EXPECT_EQ(summary.Failed[0].Reason, Said(check));
    // The same error as data, for front ends that word it themselves.
    EXPECT_EQ(check.Reasons[0].Error.Kind, summary.Failed[0].Details.Kind);
    EXPECT_EQ(EnglishText(check.Reasons[0].Error), summary.Failed[0].Reason);
    EXPECT_TRUE(feedback.Problems.empty());  // never offered to be converted anyway
  }
}

// The run asks first which suspicious files to convert, then about the outputs of the files it
// will convert: none of a file refused or unreadable.
TEST(InputCheck, TheRunAsksAboutInputsBeforeOutputs) {
  for (const bool anyway : {false, true}) {
    SCOPED_TRACE(anyway ? "converted anyway" : "refused");
    TempFolder folder;
    WriteShapefile(folder, "good", DegreesFile());
    WriteShapefile(folder, "metres", PointFile(kTm2Metres, Header::Extent));
    const std::string text = "name,x,y\ntaipei,121.5,25.0\n" + std::string(120, 'z');
    for (const char* output : {"good_1.shp", "metres_1.shp", "text_1.shp", "text_1.shx", "text_1.dbf"})
      WriteFileBytes(folder / output, {'o', 'l', 'd'});
    WriteShapefile(folder, "text", DegreesFile());
    WriteFileBytes(folder / "text.shp", Bytes(text.begin(), text.end()));

    QuestionFeedback feedback;
    feedback.ConvertAnyway = anyway;
    EngineState engine(feedback);
    LocalFileSystem files;
    const RunSummary summary = RunConversion(
        engine, {{"text.shp", true}, {"metres.shp", true}, {"good.shp", true}}, folder.Path(), 1, 0, feedback, files);
    const std::string replaced =
        anyway ? "replace? " + (folder / "metres_1.shp") + " " + (folder / "good_1.shp") : "replace? " + (folder / "good_1.shp");
    ASSERT_GE(feedback.Events.size(), 2u);
    EXPECT_EQ(feedback.Events[0], "convert anyway? " + (folder / "metres.shp"));
    EXPECT_EQ(feedback.Events[1], replaced);
    ASSERT_EQ(feedback.Problems.size(), 1u);
    EXPECT_EQ(feedback.Problems[0].Check.Verdict, InputVerdict::Implausible);
    EXPECT_EQ(feedback.Problems[0].Reason.rfind("its coordinates (x 180000 to 305000", 0), 0u) << feedback.Problems[0].Reason;
    ASSERT_EQ(summary.Failed.size(), 1u);
    EXPECT_EQ(summary.Failed[0].Reason, "File " + (folder / "text.shp") + " is not a shapefile");
    EXPECT_EQ(summary.Converted, anyway ? 2u : 1u);
    ASSERT_EQ(summary.Refused.size(), anyway ? 0u : 1u);
    // A refused file keeps what its check found.
    if (!anyway) {
      EXPECT_EQ(summary.Refused[0].Check.Reasons.size(), feedback.Problems[0].Check.Reasons.size());
      EXPECT_EQ(summary.Refused[0].Check.Verdict, InputVerdict::Implausible);
    }
  }
}

// Without keep-going, the run ends at a file that fails: nothing after it is asked about.
TEST(InputCheck, NothingIsAskedAboutFilesAfterOneThatWillFail) {
  TempFolder folder;
  WriteShapefile(folder, "metres", PointFile(kTm2Metres, Header::Extent));
  WriteFileBytes(folder / "metres_1.shp", {'o', 'l', 'd'});
  WriteShapefile(folder, "cut", DegreesFile());
  WriteFileBytes(folder / "cut.shp", Bytes(60, 0));
  QuestionFeedback feedback;
  EngineState engine(feedback);
  LocalFileSystem files;
  RunOptions options;
  options.KeepGoing = false;
  const RunSummary summary = RunConversion(engine, TickedJobs(folder.Path(), {{"cut.shp", true}, {"metres.shp", true}}),
                                           1, 0, options, feedback, files);
  EXPECT_EQ(feedback.Events,
            std::vector<std::string>{"error File " + (folder / "cut.shp") + " is damaged: its header is shorter than 100 bytes"});
  EXPECT_EQ(summary.Failed.size(), 1u);
  EXPECT_EQ(summary.NotBegun(), 1u);
}

}  // namespace
}  // namespace morvane::test
