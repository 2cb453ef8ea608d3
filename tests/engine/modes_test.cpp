// ConvertPoint over all sixteen modes: the published cases, round trips, shared chains,
// settings carried between runs, the writes of mode 12 (TWD97 TM2 to TWD67 TM2), the islands'
// (region 2) meridian of the datum-crossing grid modes, the Lambert grid error and the captions.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "engine/constants.hpp"
#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "test_support.hpp"

namespace morvane {
namespace {

using ::morvane::PrintTo;  // rows print by name in reports

struct Point {
  double X, Y;
};

// TWD67 geographic points of each region: Taiwan (Taipei, Kaohsiung, Hualien, the southern
// cape, Orchid Island), the islands (Penghu, Kinmen, Nangan, Dongyin) and the mainland
// (Beijing, Shanghai, Urumqi, Guangzhou, Harbin).
const std::vector<Point> kTaiwan = {{121.52, 25.04}, {120.30, 22.62}, {121.60, 23.98},
                                    {120.85, 21.90}, {121.55, 22.04}};
const std::vector<Point> kIslands = {{119.57, 23.57}, {118.32, 24.44}, {119.94, 26.16},
                                     {120.49, 26.37}};
const std::vector<Point> kMainland = {{116.40, 39.90}, {121.47, 31.23}, {87.62, 43.82},
                                      {113.26, 23.13}, {126.63, 45.75}};

const std::vector<Point>& PointsOf(Region region) {
  return region == kTaiwanRegion ? kTaiwan : region == kIslandsRegion ? kIslands : kMainland;
}

// Past the last mode: ConvertPoint refuses it, and a table row that names it runs no mode.
constexpr Mode kNoMode = static_cast<Mode>(kModeCount);

class Engine {
 public:
  Engine() : State(Messages) {}

  // One run of `mode` in `region`, converting one point.
  Point Run(Mode mode, Region region, Point p) { return Run(IndexOf(mode), region, p); }
  Point Run(TransformMode mode, Region region, Point p) {
    ApplyTransformSettings(State, mode, region);
    return Convert(mode, p);
  }
  Point Convert(Mode mode, Point p) { return Convert(IndexOf(mode), p); }
  Point Convert(TransformMode mode, Point p) {
    Point out{-1, -1};
    ConvertPoint(State, mode, p.X, p.Y, out.X, out.Y);
    return out;
  }

  RecordingMessages Messages;
  EngineState State;
};

// ---- Published cases --------------------------------------------------------------------

TEST(Modes, Twd67ToTwd97AndToWgs84AtTheReferencePoint) {
  Engine engine;
  const Point to97 = engine.Run(Mode::Twd67GeographicToTwd97Geographic, kTaiwanRegion, {121, 24});
  EXPECT_NEAR(to97.X, 121.008146962, 5e-10);
  EXPECT_NEAR(to97.Y, 23.998224150, 5e-10);
  const Point to84 = engine.Run(Mode::Twd67GeographicToWgs84Geographic, kTaiwanRegion, {121, 24});
  EXPECT_NEAR(to84.X, 121.008146875, 5e-10);
  EXPECT_NEAR(to84.Y, 23.998223989, 5e-10);
}

TEST(Modes, OutOfRangeModeShowsOneMessageAndWritesNothing) {
  for (TransformMode mode : {IndexOf(kNoMode), 0xFFFFFFFFu}) {
    Engine engine;
    const TransformSettings before = engine.State.Settings;
    double x = 3;
    double y = 4;
    ConvertPoint(engine.State, mode, 121, 24, x, y);
    EXPECT_EQ(x, 3.0);
    EXPECT_EQ(y, 4.0);
    EXPECT_EQ(engine.Messages.Texts, std::vector<std::string>{"No the other choice"});
    EXPECT_EQ(engine.State.Settings.CentralMeridian, before.CentralMeridian);
  }
}

// ---- Round trips ------------------------------------------------------------------------

struct RoundTripCase {
  const char* Name;
  Mode Prepare;  // turns TWD67 geographic points into the source system, or kNoMode
  Mode There;
  Mode Back;
  std::vector<Region> Regions;
  double Tolerance;  // in the units of the source system
};

// Tolerances: 1e-9 degrees for the projections (1e-9 rad for Lambert), 1e-7 degrees and 1 cm
// where a datum shift drops the height in between. UTM gets 1e-8 degrees (1 mm): Nangan and
// Dongyin lie 3 to 3.5 degrees from the meridian of zone 50, where the series lose accuracy.
const RoundTripCase kRoundTrips[] = {
    {"Twd67Tm2", kNoMode, Mode::Twd67GeographicToTwd67Tm2, Mode::Twd67Tm2ToTwd67Geographic,
     {kTaiwanRegion, kIslandsRegion}, 1e-9},
    {"Tm3", kNoMode, Mode::Twd67GeographicToTm3, Mode::Tm3ToTwd67Geographic, {kTaiwanRegion, kIslandsRegion}, 1e-9},
    {"Utm", kNoMode, Mode::Twd67GeographicToUtm, Mode::UtmToTwd67Geographic, {kTaiwanRegion, kIslandsRegion}, 1e-8},
    {"Twd97Tm2", kNoMode, Mode::Twd97GeographicToTwd97Tm2, Mode::Twd97Tm2ToTwd97Geographic,
     {kTaiwanRegion, kIslandsRegion}, 1e-9},
    {"Lambert", kNoMode, Mode::GeographicToLambert, Mode::LambertToGeographic, {kMainlandRegion}, 6e-8},
    {"Twd97Geographic", kNoMode, Mode::Twd67GeographicToTwd97Geographic, Mode::Twd97GeographicToTwd67Geographic,
     {kTaiwanRegion, kIslandsRegion}, 1e-7},
    {"Wgs84Geographic", kNoMode, Mode::Twd67GeographicToWgs84Geographic, Mode::Wgs84GeographicToTwd67Geographic,
     {kTaiwanRegion, kIslandsRegion}, 1e-7},
    {"Twd67Tm2ThroughTwd97Tm2", Mode::Twd67GeographicToTwd67Tm2, Mode::Twd67Tm2ToTwd97Tm2, Mode::Twd97Tm2ToTwd67Tm2,
     {kTaiwanRegion, kIslandsRegion}, 0.01},
    {"Twd97Tm2ThroughTwd67Tm2", Mode::Twd97GeographicToTwd97Tm2, Mode::Twd97Tm2ToTwd67Tm2, Mode::Twd67Tm2ToTwd97Tm2,
     {kTaiwanRegion, kIslandsRegion}, 0.01},
};

class RoundTrips : public testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrips, ThereAndBackReturnsThePoint) {
  const RoundTripCase& c = GetParam();
  for (Region region : c.Regions) {
    for (Point p : PointsOf(region)) {
      Engine engine;
      if (c.Prepare != kNoMode) p = engine.Run(c.Prepare, region, p);
      const Point there = engine.Run(c.There, region, p);
      const Point back = engine.Run(c.Back, region, there);
      EXPECT_NEAR(back.X, p.X, c.Tolerance) << region << ": " << p.X << ", " << p.Y;
      EXPECT_NEAR(back.Y, p.Y, c.Tolerance) << region << ": " << p.X << ", " << p.Y;
      if (c.Tolerance >= 1e-7) {  // the height is dropped: close, but not the same point
        EXPECT_TRUE(back.X != p.X || back.Y != p.Y);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Pairs, RoundTrips, testing::ValuesIn(kRoundTrips), CaseName());

// ---- Shared chains and carried-over settings -------------------------------------------

TEST(Modes, ModesSharingAChainAgreeUnderEqualSettings) {
  TransformSettings shared;  // the three-degree grid of the islands
  shared.FalseEasting = 350000.0;
  shared.ScaleFactor = 1.0;
  shared.CentralMeridian = 118.0;
  const std::vector<std::vector<Mode>> groups = {
      {Mode::Twd67Tm2ToTwd67Geographic, Mode::Tm3ToTwd67Geographic, Mode::UtmToTwd67Geographic,
       Mode::Twd97Tm2ToTwd97Geographic},
      {Mode::Twd67GeographicToTwd67Tm2, Mode::Twd67GeographicToTm3, Mode::Twd67GeographicToUtm,
       Mode::Twd97GeographicToTwd97Tm2}};
  const std::vector<Point> inputs = {{250000.0, 2650000.0}, {119.5, 24.0}};
  for (std::size_t g = 0; g < groups.size(); ++g) {
    std::vector<Point> results;
    for (Mode mode : groups[g]) {
      Engine engine;
      engine.State.Settings = shared;
      results.push_back(engine.Convert(mode, inputs[g]));
    }
    for (const Point& r : results) {
      EXPECT_EQ(r.X, results[0].X);
      EXPECT_EQ(r.Y, results[0].Y);
    }
  }
}

TEST(Modes, Twd67Tm2ToTwd97Tm2GivesTheSameResultWhateverRanBefore) {
  const Point tm2{302000.5, 2771000.25};
  Engine fresh;
  const Point expected = fresh.Run(Mode::Twd67Tm2ToTwd97Tm2, kTaiwanRegion, tm2);
  for (TransformMode before = 0; before < kModeCount; ++before) {
    for (Region region = 0; region < kRegionCount; ++region) {
      Engine engine;
      engine.Run(before, region, {121, 24});
      const Point got = engine.Run(Mode::Twd67Tm2ToTwd97Tm2, kTaiwanRegion, tm2);
      EXPECT_EQ(got.X, expected.X) << before << ' ' << region;
      EXPECT_EQ(got.Y, expected.Y) << before << ' ' << region;
    }
  }
}

TEST(Modes, Twd97Tm2ToTwd67Tm2WritesTheTwd67GridFieldsAtEveryPoint) {
  Engine engine;
  // UTM values: 1/f 297, FE 500000, k0 0.9996, meridian 117.
  engine.Run(Mode::Twd67GeographicToUtm, kIslandsRegion, {118.3, 24.4});
  engine.State.Settings.SemiMajorAxis = 6378000;
  engine.Convert(Mode::Twd97Tm2ToTwd67Tm2, {250000, 2650000});
  EXPECT_EQ(engine.State.Settings.FalseEasting, static_cast<Extended>(250000.0));
  EXPECT_EQ(engine.State.Settings.ScaleFactor, static_cast<Extended>(0.9999));
  EXPECT_EQ(engine.State.Settings.InverseFlattening, static_cast<Extended>(298.247167));
  EXPECT_EQ(engine.State.Settings.SemiMajorAxis, static_cast<Extended>(6378000.0));
  EXPECT_EQ(engine.State.Settings.CentralMeridian, static_cast<Extended>(117.0));
}

// Modes 11 and 12 (TWD67 TM2 to TWD97 TM2 and back) in region 2 (the islands) used to keep the
// central meridian of an earlier run (121 after start-up), which put every island point in the
// wrong two-degree zone by metres.
TEST(Modes, IslandGridsCrossTheDatumOnTheirOwnMeridian) {
  for (const Point& geo67 : kIslands) {
    Engine engine;
    engine.Run(Mode::Twd97GeographicToTwd97Tm2, kTaiwanRegion, {121, 24});  // leaves 121
    const Point tm67 = engine.Run(Mode::Twd67GeographicToTwd67Tm2, kIslandsRegion, geo67);
    const Point tm97 = engine.Run(Mode::Twd67Tm2ToTwd97Tm2, kIslandsRegion, tm67);
    const Point geo97 = engine.Run(Mode::Twd97Tm2ToTwd97Geographic, kIslandsRegion, tm97);
    const Point expected97 = engine.Run(Mode::Twd67GeographicToTwd97Geographic, kIslandsRegion, geo67);
    EXPECT_NEAR(geo97.X, expected97.X, 1e-8);
    EXPECT_NEAR(geo97.Y, expected97.Y, 1e-8);

    engine.Run(Mode::Twd67Tm2ToTwd67Geographic, kTaiwanRegion, {250000, 2650000});  // leaves 121 again
    const Point back67 = engine.Run(Mode::Twd97Tm2ToTwd67Tm2, kIslandsRegion, tm97);
    EXPECT_NEAR(back67.X, tm67.X, 0.01);
    EXPECT_NEAR(back67.Y, tm67.Y, 0.01);
  }
}

TEST(Modes, InPlaceConversionMatchesSeparateOutputs) {
  for (TransformMode index = 0; index < kModeCount; ++index) {
    const Mode mode = static_cast<Mode>(index);
    const bool lambert = mode == Mode::LambertToGeographic || mode == Mode::GeographicToLambert;
    const Region region = lambert ? kMainlandRegion : kTaiwanRegion;
    Engine engine;
    Point source{121.5, 24.5};
    if (mode == Mode::LambertToGeographic) source = engine.Run(Mode::GeographicToLambert, kMainlandRegion, source);
    if (mode == Mode::Twd67Tm2ToTwd67Geographic || mode == Mode::Tm3ToTwd67Geographic ||
        mode == Mode::UtmToTwd67Geographic || mode == Mode::Twd67Tm2ToTwd97Tm2 || mode == Mode::Twd97Tm2ToTwd67Tm2 ||
        mode == Mode::Twd97Tm2ToTwd97Geographic) {
      source = {260000.5, 2700000.5};
    }
    const Point separate = engine.Run(mode, region, source);
    Point inPlace = source;
    ConvertPoint(engine.State, index, inPlace.X, inPlace.Y, inPlace.X, inPlace.Y);
    EXPECT_EQ(inPlace.X, separate.X) << index;
    EXPECT_EQ(inPlace.Y, separate.Y) << index;
  }
}

// ---- Lambert modes ----------------------------------------------------------------------

// The Lambert modes convert on the mainland grid in every region, whatever ran before: the
// same input gives the same answer in a fresh engine and after a mainland run.
TEST(Modes, LambertModesUseTheMainlandGridInEveryRegionWhateverRanBefore) {
  const Point beijing{116.40, 39.90};
  Engine mainland;
  const Point expected = mainland.Run(Mode::GeographicToLambert, kMainlandRegion, beijing);
  const Point expectedBack = mainland.Run(Mode::LambertToGeographic, kMainlandRegion, expected);
  for (Region region = 0; region < kRegionCount; ++region) {
    Engine fresh;
    const Point grid = fresh.Run(Mode::GeographicToLambert, region, beijing);
    EXPECT_EQ(grid.X, expected.X) << region;
    EXPECT_EQ(grid.Y, expected.Y) << region;
    Engine afterMainland;
    afterMainland.Run(Mode::Twd67Tm2ToTwd67Geographic, kMainlandRegion, kTaiwan[0]);
    const Point back = afterMainland.Run(Mode::LambertToGeographic, region, expected);
    EXPECT_EQ(back.X, expectedBack.X) << region;
    EXPECT_EQ(back.Y, expectedBack.Y) << region;
  }
  // The mainland grid, not one centred at 0 degrees: Beijing lies 6.4 degrees east of its
  // 110 degree meridian.
  EXPECT_GT(expected.X, 400000);
  EXPECT_LT(expected.X, 700000);
}

TEST(Modes, LambertModesConvertWithoutADatumShift) {
  Engine engine;
  const Point grid = engine.Run(Mode::GeographicToLambert, kMainlandRegion, {116.4, 39.9});
  const Point back = engine.Run(Mode::LambertToGeographic, kMainlandRegion, grid);
  EXPECT_NEAR(back.X, 116.4, 1e-10);
  EXPECT_NEAR(back.Y, 39.9, 1e-10);
}

struct OutsideGridCase {
  const char* Name;
  Mode Which;
  Point Input;
  const char* Coordinates;  // as the message gives them
};

// A point the grid refuses used to leave the outputs unset; it now ends the conversion.
const OutsideGridCase kOutsideGrid[] = {
    {"EastingBeyondTheGrid", Mode::LambertToGeographic, {5e7, 1000.5}, "(50000000, 1000.5)"},
    {"NorthingBeyondTheGrid", Mode::LambertToGeographic, {0, -4.0000001e7}, "(0, -40000001)"},
    {"SouthPoleOnTheFarSideOfTheCone", Mode::GeographicToLambert, {110, -90}, "(110, -90)"},
    {"LatitudeBeyondThePole", Mode::GeographicToLambert, {110, 95}, "(110, 95)"},
    {"LongitudeBeyondTwoPi", Mode::GeographicToLambert, {400, 30}, "(400, 30)"},
};

class LambertOutsideGrid : public testing::TestWithParam<OutsideGridCase> {};

TEST_P(LambertOutsideGrid, EndsTheConversionWithTheCoordinatesAndWritesNothing) {
  const OutsideGridCase& c = GetParam();
  Engine engine;
  ApplyTransformSettings(engine.State, IndexOf(c.Which), kMainlandRegion);
  double x = 3;
  double y = 4;
  try {
    ConvertPoint(engine.State, IndexOf(c.Which), c.Input.X, c.Input.Y, x, y);
    ADD_FAILURE() << "no error";
  } catch (const LambertGridError& e) {
    EXPECT_EQ(std::string(e.what()),
              std::string("The point ") + c.Coordinates + " lies outside the Lambert grid");
  }
  EXPECT_EQ(x, 3.0);
  EXPECT_EQ(y, 4.0);
}

INSTANTIATE_TEST_SUITE_P(Points, LambertOutsideGrid, testing::ValuesIn(kOutsideGrid), CaseName());

// ---- Captions ---------------------------------------------------------------------------

TEST(Captions, ModesAreNumberedAndSpacedAsTheRadioGroupShowsThem) {
  const std::string ideographic = "\u3000";
  for (std::size_t i = 0; i < kModeCaptions.size(); ++i) {
    const std::string caption(kModeCaptions[i]);
    char number[8];
    std::snprintf(number, sizeof number, "%02zu. ", i + 1);
    EXPECT_EQ(caption.rfind(number, 0), 0u) << caption;
    // The ideographic space comes first before 轉 in items 01, 09, 10 and 11.
    const bool ideographicFirst = i == 0 || i == 8 || i == 9 || i == 10;
    const std::string gap = ideographicFirst ? "｝" + ideographic + " 轉 ｛" : "｝ " + ideographic + "轉 ｛";
    EXPECT_NE(caption.find(gap), std::string::npos) << caption;
  }
  EXPECT_EQ(kModeCaptions[2], "03. ｛\u3000\u3000ＴＭ３｝ \u3000轉 ｛６７經緯度｝");
  EXPECT_EQ(kModeCaptions[7], "08. ｛６７經緯度｝ \u3000轉 ｛\u3000\u3000蘭勃特｝");
}

TEST(Captions, Regions) {
  EXPECT_EQ(kRegionCaptions[0], "1.台灣地區");
  EXPECT_EQ(kRegionCaptions[1], "2.澎湖．金門．馬祖");
  EXPECT_EQ(kRegionCaptions[2], "3.大陸地區（限用蘭勃特投影）");
}


// ---- The mode table ---------------------------------------------------------------------

// Each row's systems agree with its chain: a grid on the side the chain projects, degrees on
// the other, the datums the chain shifts between, and the caption numbered as the row.
TEST(ModeTable, SystemsAgreeWithTheChainAndTheCaption) {
  struct Sides {
    bool SourceGeographic, TargetGeographic;
  };
  for (const ModeRow& row : kModes) {
    const bool sourceGeographic = row.Source.Kind == GridKind::Geographic;
    const bool targetGeographic = row.Target.Kind == GridKind::Geographic;
    Sides expected{};
    switch (row.Steps) {
      case Chain::GridToGeographic:
      case Chain::LambertToGeographic:
        expected = {false, true};
        break;
      case Chain::GeographicToGrid:
      case Chain::GeographicToLambert:
        expected = {true, false};
        break;
      case Chain::Twd67GridToTwd97Grid:
      case Chain::Twd97GridToTwd67Grid:
        expected = {false, false};
        break;
      default:
        expected = {true, true};
    }
    EXPECT_EQ(sourceGeographic, expected.SourceGeographic) << row.Number;
    EXPECT_EQ(targetGeographic, expected.TargetGeographic) << row.Number;
    const bool shiftsDatum = row.Steps >= Chain::Twd67ToTwd97 && row.Steps <= Chain::Twd97GridToTwd67Grid;
    EXPECT_EQ(row.Source.System != row.Target.System, shiftsDatum) << row.Number;
    char number[4];
    std::snprintf(number, sizeof number, "%02u.", row.Number);
    EXPECT_EQ(row.Caption.substr(0, 3), number);
    EXPECT_EQ(row.UsesLambertGrid, row.Source.Kind == GridKind::Lambert || row.Target.Kind == GridKind::Lambert);
  }
}

}  // namespace
}  // namespace morvane
