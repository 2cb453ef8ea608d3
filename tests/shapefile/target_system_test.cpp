// The .prj and .cpg beside the converted files: GDAL reads from every .prj the system the mode
// converted to, reprojects TWD67 outputs to where our own TWD67 to WGS84 mode puts them, and
// the code page travels with the table copy.
#include <gtest/gtest.h>
#include <shapefil.h>
#include <stdio.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "shapefile/conversion_run.hpp"
#include "shapefile/target_system.hpp"
#include "support/file_bytes.hpp"
#include "support/run_feedback.hpp"
#include "support/shapefile_writer.hpp"

namespace morvane::test {
namespace {

bool HaveTool(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Standard output of `command`; a failure to run it fails the test.
std::string RunTool(const std::string& command) {
  FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot run " << command;
    return {};
  }
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  EXPECT_EQ(::pclose(pipe), 0) << command;
  return out;
}

// Past the last mode: the run converts with no mode.
constexpr Mode kNoMode = static_cast<Mode>(kModeCount);

// A source point of the mode's own system, so that every mode converts it without error.
XY SourcePoint(Mode mode) {
  if (mode == Mode::LambertToGeographic) return {0.0, 0.0};  // the Lambert grid's origin
  if (mode == Mode::Twd67Tm2ToTwd67Geographic || mode == Mode::Tm3ToTwd67Geographic ||
      mode == Mode::UtmToTwd67Geographic || mode == Mode::Twd67Tm2ToTwd97Tm2 || mode == Mode::Twd97Tm2ToTwd67Tm2 ||
      mode == Mode::Twd97Tm2ToTwd97Geographic) {
    return {300000.0, 2655000.0};
  }
  return {121.0, 24.0};
}

void ConvertOne(EngineState& engine, const TempFolder& folder, const std::string& base, Mode mode,
                const std::vector<XY>& points) {
  std::vector<RecordContent> records;
  for (const XY& point : points) records.push_back(PointRecord(ShapeType::Point, point));
  WriteShapefile(folder, base, BuildShapefile(ShapeType::Point, records));
  IgnoringFeedback feedback;
  LocalFileSystem files;
  ASSERT_EQ(ConvertShapefile(engine, folder.Path(), base + ".shp", IndexOf(mode), feedback, files),
            ShapefileOutcome::Converted);
}

// ---- GDAL's reading of the .prj ----------------------------------------------------------

// The part of a layer's WKT1 (as ogrinfo prints it) that says where its coordinates are.
struct ReadSystem {
  std::string Projection;  // empty for geographic coordinates
  double SemiMajorAxis = 0;
  double InverseFlattening = 0;
  std::vector<double> ToWgs84;
  std::map<std::string, double> Parameters;  // lower-case names
};

std::vector<double> Numbers(const std::string& list) {
  std::vector<double> numbers;
  std::stringstream in(list);
  for (std::string item; std::getline(in, item, ',');) numbers.push_back(std::stod(item));
  return numbers;
}

ReadSystem ParseWkt(const std::string& wkt) {
  ReadSystem system;
  const std::size_t spheroid = wkt.find("SPHEROID[\"");
  if (spheroid != std::string::npos) {  // SPHEROID["name",a,rf and maybe more]
    std::stringstream values(wkt.substr(wkt.find("\",", spheroid) + 2));
    std::string a, rf;
    std::getline(values, a, ',');
    std::getline(values, rf, ',');
    system.SemiMajorAxis = std::stod(a);
    system.InverseFlattening = std::stod(rf);
  }
  const std::size_t towgs84 = wkt.find("TOWGS84[");
  if (towgs84 != std::string::npos) system.ToWgs84 = Numbers(wkt.substr(towgs84 + 8, wkt.find(']', towgs84) - towgs84 - 8));
  const std::size_t projection = wkt.find("PROJECTION[\"");
  if (projection != std::string::npos)
    system.Projection = wkt.substr(projection + 12, wkt.find('"', projection + 12) - projection - 12);
  for (std::size_t at = wkt.find("PARAMETER[\""); at != std::string::npos; at = wkt.find("PARAMETER[\"", at + 1)) {
    const std::size_t nameEnd = wkt.find('"', at + 11);
    std::string name = wkt.substr(at + 11, nameEnd - at - 11);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    system.Parameters[name] = std::stod(wkt.substr(nameEnd + 2));
  }
  return system;
}

// Layer name -> its system, from one ogrinfo listing of a folder; layers without a system left out.
std::map<std::string, ReadSystem> ReadLayers(const std::string& listing) {
  std::map<std::string, ReadSystem> layers;
  const std::string mark = "Layer name: ";
  for (std::size_t at = listing.find(mark); at != std::string::npos;) {
    const std::size_t nameEnd = listing.find('\n', at);
    const std::string name = listing.substr(at + mark.size(), nameEnd - at - mark.size());
    const std::size_t next = listing.find(mark, nameEnd);
    const std::string block = listing.substr(nameEnd, next == std::string::npos ? std::string::npos : next - nameEnd);
    if (block.find("GEOGCS[") != std::string::npos) layers[name] = ParseWkt(block);
    at = next;
  }
  return layers;
}

// What software must take each mode's outputs to be.
enum class Kind { Geographic, TransverseMercator, Lambert };
struct Intended {
  Kind Target;
  double SemiMajorAxis;
  double InverseFlattening;
  bool Twd67;  // carries the engine's translation to WGS84
  double FalseEasting = 0;
  double ScaleFactor = 0;
};
constexpr double kTwd67A = 6378160, kTwd67Rf = 298.247167, kGrs80Rf = 298.257222101, kWgs84Rf = 298.257223563;
const Intended kIntended[kModeCount] = {
    {Kind::Geographic, kTwd67A, kTwd67Rf, true},                           // 0  TM2 to 67 geographic
    {Kind::TransverseMercator, kTwd67A, kTwd67Rf, true, 250000, 0.9999},   // 1  to 67 TM2
    {Kind::Geographic, kTwd67A, kTwd67Rf, true},                           // 2  TM3 to 67 geographic
    {Kind::TransverseMercator, kTwd67A, kTwd67Rf, true, 350000, 1},        // 3  to TM3
    {Kind::Geographic, kTwd67A, kTwd67Rf, true},                           // 4  UTM to 67 geographic
    {Kind::TransverseMercator, kTwd67A, 297, true, 500000, 0.9996},        // 5  to UTM, the settings' 1/f
    {Kind::Geographic, 6378137, kWgs84Rf, false},                          // 6  Lambert to its own ellipsoid
    {Kind::Lambert, 6378137, kWgs84Rf, false},                             // 7  to Lambert
    {Kind::Geographic, 6378137, kGrs80Rf, false},                          // 8  to 97 geographic
    {Kind::Geographic, kTwd67A, kTwd67Rf, true},                           // 9  to 67 geographic
    {Kind::TransverseMercator, 6378137, kGrs80Rf, false, 250000, 0.9999},  // 10 to 97 TM2
    {Kind::TransverseMercator, kTwd67A, kTwd67Rf, true, 250000, 0.9999},   // 11 to 67 TM2
    {Kind::Geographic, 6378137, kGrs80Rf, false},                          // 12 to 97 geographic
    {Kind::TransverseMercator, 6378137, kGrs80Rf, false, 250000, 0.9999},  // 13 to 97 TM2
    {Kind::Geographic, 6378137, kWgs84Rf, false},                          // 14 to WGS84
    {Kind::Geographic, kTwd67A, kTwd67Rf, true},                           // 15 to 67 geographic
};

// One converted file: the run that made it, and the grid values it must carry.
struct Scenario {
  std::string Name;
  Mode Which;
  Region Area;
  std::vector<std::pair<Mode, Region>> Before;  // runs since start-up before this one
  double CentralMeridian;                                // Transverse Mercator targets
  std::vector<double> LambertGrid;  // central meridian, parallels, origin latitude (degrees)
};

std::vector<Scenario> EveryModeAndRegion() {
  // The Lambert modes set up the mainland grid in every region.
  const std::vector<double> mainlandGrid = {110, 25, 47, 10};
  // Central meridians of a run right after start-up, by region; the mainland keeps 121 for
  // the grids that it leaves alone.
  std::map<Mode, std::vector<double>> meridians = {
      {Mode::Twd67GeographicToTwd67Tm2, {121, 119, 121}}, {Mode::Twd67GeographicToTm3, {121, 118, 121}},
      {Mode::Twd67GeographicToUtm, {123, 117, 121}},      {Mode::Twd67Tm2ToTwd97Tm2, {121, 119, 121}},
      {Mode::Twd97Tm2ToTwd67Tm2, {121, 119, 121}},        {Mode::Twd97GeographicToTwd97Tm2, {121, 119, 121}}};
  // Layer names give the mode and the region as users number them.
  const auto name = [](Mode mode, Region region) {
    return "mode" + std::to_string(RowOf(IndexOf(mode)).Number) + "_region" + std::to_string(region + 1);
  };
  std::vector<Scenario> scenarios;
  for (Region region = 0; region < kRegionCount; ++region) {
    for (TransformMode index = 0; index < kModeCount; ++index) {
      const Mode mode = static_cast<Mode>(index);
      const double meridian = meridians.count(mode) ? meridians[mode][static_cast<std::size_t>(region)] : 0;
      scenarios.push_back({name(mode, region), mode, region, {}, meridian, mainlandGrid});
    }
  }
  // The mainland grid stays after a mainland run, and kept central meridians are the earlier run's.
  for (Region region : {kTaiwanRegion, kIslandsRegion}) {
    for (Mode mode : {Mode::LambertToGeographic, Mode::GeographicToLambert}) {
      scenarios.push_back({name(mode, region) + "_after_mainland", mode, region,
                           {{Mode::GeographicToLambert, kMainlandRegion}}, 0, mainlandGrid});
    }
  }
  scenarios.push_back({name(Mode::Twd67GeographicToTm3, kMainlandRegion) + "_after_islands", Mode::Twd67GeographicToTm3,
                       kMainlandRegion, {{Mode::Twd67GeographicToTm3, kIslandsRegion}}, 118, {}});
  scenarios.push_back({name(Mode::Twd97Tm2ToTwd67Tm2, kMainlandRegion) + "_after_utm", Mode::Twd97Tm2ToTwd67Tm2,
                       kMainlandRegion, {{Mode::Twd67GeographicToUtm, kTaiwanRegion}}, 123, {}});
  return scenarios;
}

void ExpectNear(const std::map<std::string, double>& parameters, const std::string& name, double value) {
  const auto found = parameters.find(name);
  ASSERT_NE(found, parameters.end()) << name;
  EXPECT_NEAR(found->second, value, 1e-9 * std::max(1.0, std::fabs(value))) << name;
}

TEST(TargetSystem, GdalReadsTheSystemEachModeConvertedToForEveryRegion) {
  if (!HaveTool("ogrinfo")) GTEST_SKIP() << "ogrinfo (gdal-bin) is not installed";
  TempFolder folder;
  const std::vector<Scenario> scenarios = EveryModeAndRegion();
  for (const Scenario& s : scenarios) {
    IgnoringFeedback feedback;
    EngineState engine(feedback);
    for (const auto& [mode, region] : s.Before) ApplyTransformSettings(engine, IndexOf(mode), region);
    ApplyTransformSettings(engine, IndexOf(s.Which), s.Area);
    ConvertOne(engine, folder, s.Name, s.Which, {SourcePoint(s.Which)});
  }
  // GDAL's matching of each layer's system against the EPSG database costs a tenth of a second
  // per layer; the reprojection test below reads with it, as GIS programs do.
  const std::map<std::string, ReadSystem> layers = ReadLayers(
      RunTool("ogrinfo --config USE_OSR_FIND_MATCHES NO -ro -so -al -wkt_format WKT1 " + folder.Path()));

  ASSERT_EQ(layers.size(), scenarios.size());  // the inputs have no .prj, every output has one
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.Name);
    const auto layer = layers.find(s.Name + "_1");
    ASSERT_NE(layer, layers.end());
    const ReadSystem& read = layer->second;
    const Intended& want = kIntended[IndexOf(s.Which)];
    EXPECT_EQ(read.SemiMajorAxis, want.SemiMajorAxis);
    EXPECT_NEAR(read.InverseFlattening, want.InverseFlattening, 1e-9);
    if (want.Twd67)
      EXPECT_EQ(read.ToWgs84, (std::vector<double>{-752, -358, -179, 0, 0, 0, 0}));
    else
      EXPECT_TRUE(read.ToWgs84.empty());
    switch (want.Target) {
      case Kind::Geographic:
        EXPECT_EQ(read.Projection, "");
        break;
      case Kind::TransverseMercator:
        EXPECT_EQ(read.Projection, "Transverse_Mercator");
        ExpectNear(read.Parameters, "central_meridian", s.CentralMeridian);
        ExpectNear(read.Parameters, "scale_factor", want.ScaleFactor);
        ExpectNear(read.Parameters, "false_easting", want.FalseEasting);
        ExpectNear(read.Parameters, "false_northing", 0);
        ExpectNear(read.Parameters, "latitude_of_origin", 0);
        break;
      case Kind::Lambert:
        EXPECT_EQ(read.Projection, "Lambert_Conformal_Conic_2SP");
        ExpectNear(read.Parameters, "central_meridian", s.LambertGrid[0]);
        ExpectNear(read.Parameters, "standard_parallel_1", s.LambertGrid[1]);
        ExpectNear(read.Parameters, "standard_parallel_2", s.LambertGrid[2]);
        ExpectNear(read.Parameters, "latitude_of_origin", s.LambertGrid[3]);
        ExpectNear(read.Parameters, "false_easting", 0);
        ExpectNear(read.Parameters, "false_northing", 0);
        break;
    }
  }
}

// ---- Reprojection through the .prj -------------------------------------------------------

std::vector<XY> ReadPoints(const std::string& path) {
  std::vector<XY> points;
  SHPHandle shp = SHPOpen(path.c_str(), "rb");
  if (shp == nullptr) {
    ADD_FAILURE() << "cannot read " << path;
    return points;
  }
  int count = 0;
  SHPGetInfo(shp, &count, nullptr, nullptr, nullptr);
  for (int i = 0; i < count; ++i) {
    SHPObject* shape = SHPReadObject(shp, i);
    points.push_back({shape->padfX[0], shape->padfY[0]});
    SHPDestroyObject(shape);
  }
  SHPClose(shp);
  return points;
}

// X,Y of every feature of `shp` reprojected by ogr2ogr to WGS84 geographic coordinates.
std::vector<XY> ReprojectToWgs84(const std::string& shp) {
  std::stringstream csv(RunTool("ogr2ogr -f CSV /vsistdout/ -t_srs EPSG:4326 -lco GEOMETRY=AS_XY " + shp));
  std::vector<XY> points;
  std::string line;
  std::getline(csv, line);  // X,Y
  while (std::getline(csv, line)) {
    const std::vector<double> xy = Numbers(line);
    points.push_back({xy.at(0), xy.at(1)});
  }
  return points;
}

double MetresApart(XY a, XY b) {
  const double radians = 3.141592653589793 / 180, earth = 6371000;
  return earth * radians * std::hypot((a.X - b.X) * std::cos(a.Y * radians), a.Y - b.Y);
}

TEST(TargetSystem, ReprojectingTwd67OutputsThroughTheirPrjLandsWhereOurOwnShiftToWgs84Does) {
  if (!HaveTool("ogr2ogr")) GTEST_SKIP() << "ogr2ogr (gdal-bin) is not installed";
  struct Case {
    const char* Name;
    Mode Which;
    Region Area;
    std::vector<XY> Points;                 // in the mode's source system
    std::optional<Mode> ToTwd67Geographic;  // the inverse of a grid target
  };
  const std::vector<XY> taiwan = {{121.5, 25.05}, {120.3, 22.63}, {121.6, 23.98}, {120.75, 22.0}};
  const std::vector<Case> cases = {
      {"twd67_tm2", Mode::Twd67GeographicToTwd67Tm2, kTaiwanRegion, taiwan, Mode::Twd67Tm2ToTwd67Geographic},
      {"twd67_tm3_kinmen", Mode::Twd67GeographicToTm3, kIslandsRegion, {{118.32, 24.43}, {118.4, 24.5}},
       Mode::Tm3ToTwd67Geographic},
      {"twd67_tm2_from_twd97", Mode::Twd97Tm2ToTwd67Tm2, kTaiwanRegion, {{304500.0, 2771200.0}, {198600.0, 2502900.0}},
       Mode::Twd67Tm2ToTwd67Geographic},
      {"twd67_from_wgs84", Mode::Wgs84GeographicToTwd67Geographic, kTaiwanRegion, taiwan, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    IgnoringFeedback feedback;
    EngineState engine(feedback);
    ApplyTransformSettings(engine, IndexOf(c.Which), c.Area);
    ConvertOne(engine, folder, c.Name, c.Which, c.Points);
    const std::string output = folder / (std::string(c.Name) + "_1.shp");

    // The output's points in TWD67 geographic coordinates, then our own shift of them.
    std::vector<XY> twd67 = ReadPoints(output);
    EngineState reference(feedback);
    if (c.ToTwd67Geographic) {
      const TransformMode inverse = IndexOf(*c.ToTwd67Geographic);
      ApplyTransformSettings(reference, inverse, c.Area);
      for (XY& p : twd67) ConvertPoint(reference, inverse, p.X, p.Y, p.X, p.Y);
    }
    std::vector<XY> ours = twd67;
    const TransformMode toWgs84 = IndexOf(Mode::Twd67GeographicToWgs84Geographic);
    for (XY& p : ours) ConvertPoint(reference, toWgs84, p.X, p.Y, p.X, p.Y);

    const std::vector<XY> gdal = ReprojectToWgs84(output);
    ASSERT_EQ(gdal.size(), c.Points.size());
    for (std::size_t i = 0; i < gdal.size(); ++i) {
      EXPECT_LT(MetresApart(gdal[i], ours[i]), 1.0) << "point " << i;
      EXPECT_GT(MetresApart(gdal[i], twd67[i]), 800.0) << "point " << i << " was not shifted";
    }
  }
}

// ---- The .cpg and the files the run does not write -------------------------------------

TEST(TargetSystem, CodePageIsCarriedByteForByteAndNeverInventedAndTheInputPrjIsNotCopied) {
  struct Case {
    const char* Base;
    std::map<std::string, Bytes> Companions;  // beside the input
    std::optional<Bytes> EarlierOutputCpg;    // name_1.cpg left by an earlier run
    std::optional<std::string> CarriedFrom;   // the companion name_1.cpg must equal
  };
  const Bytes big5 = {'9', '5', '0'}, utf8 = {'U', 'T', 'F', '-', '8', '\n'};
  const std::vector<Case> cases = {
      {"roads", {{"roads.cpg", big5}}, std::nullopt, "roads.cpg"},
      {"ROADS", {{"ROADS.CPG", big5}}, utf8, "ROADS.CPG"},
      {"lakes", {{"lakes.CPG", utf8}, {"lakes.cpg", big5}}, std::nullopt, "lakes.cpg"},
      {"rivers", {}, std::nullopt, std::nullopt},
      {"paths", {{"paths.prj", {'P', 'R', 'J'}}}, big5, std::nullopt},  // the stale .cpg goes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Base);
    TempFolder folder;
    for (const auto& [name, bytes] : c.Companions) WriteFileBytes(folder / name, bytes);
    const std::string base = c.Base;
    if (c.EarlierOutputCpg) WriteFileBytes(folder / (base + "_1.cpg"), *c.EarlierOutputCpg);
    IgnoringFeedback feedback;
    EngineState engine(feedback);
    ApplyTransformSettings(engine, IndexOf(Mode::Twd67GeographicToTwd67Tm2), kTaiwanRegion);
    ConvertOne(engine, folder, base, Mode::Twd67GeographicToTwd67Tm2, {{121.0, 24.0}});

    LocalFileSystem files;
    if (c.CarriedFrom)
      EXPECT_EQ(ReadFileBytes(folder / (base + "_1.cpg")), ReadFileBytes(folder / *c.CarriedFrom));
    else
      EXPECT_FALSE(files.IsRegularFile(folder / (base + "_1.cpg")));
    const Bytes prj = ReadFileBytes(folder / (base + "_1.prj"));
    EXPECT_EQ(std::string(prj.begin(), prj.end()),
              TargetSystemWkt(IndexOf(Mode::Twd67GeographicToTwd67Tm2), engine.Settings, engine.Lambert).value());
  }
}

TEST(TargetSystem, ModeOutOfRangeWritesNoPrjAndRemovesAnEarlierOne) {
  TempFolder folder;
  WriteFileBytes(folder / "roads_1.prj", {'o', 'l', 'd'});
  IgnoringFeedback feedback;
  EngineState engine(feedback);
  ConvertOne(engine, folder, "roads", kNoMode, {{121.0, 24.0}});
  EXPECT_FALSE(LocalFileSystem().IsRegularFile(folder / "roads_1.prj"));
  EXPECT_TRUE(LocalFileSystem().IsRegularFile(folder / "roads_1.shp"));
  EXPECT_FALSE(TargetSystemWkt(IndexOf(kNoMode), engine.Settings, engine.Lambert).has_value());
}

}  // namespace
}  // namespace morvane::test
