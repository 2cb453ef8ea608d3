// Both Transverse Mercator families: the published grid values, the properties on the central
// meridian and the equator, symmetry, round trips, and the footpoint search over every
// latitude.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "engine/constants.hpp"
#include "engine/engine_state.hpp"
#include "engine/transverse_mercator.hpp"
#include "test_support.hpp"

namespace morvane {
namespace {

using ::morvane::PrintTo;  // rows print by name in reports

// The settings that a run of `mode` in `region` leaves, from the start values.
TransformSettings SettingsFor(TransformMode mode, Region region) {
  RecordingMessages messages;
  EngineState state(messages);
  ApplyTransformSettings(state, mode, region);
  return state.Settings;
}

enum class Family { Settings, Fixed97 };

Extended Easting(Family family, const TransformSettings& s, double lon, double lat) {
  return family == Family::Settings ? TmEasting(s, lon, lat) : Tm2Easting97(s, lon, lat);
}
Extended Northing(Family family, const TransformSettings& s, double lon, double lat) {
  return family == Family::Settings ? TmNorthing(s, lon, lat) : Tm2Northing97(s, lon, lat);
}
Extended Latitude(Family family, const TransformSettings& s, Extended e, Extended n) {
  return family == Family::Settings
             ? TmLatitude(s, static_cast<double>(e), static_cast<double>(n))
             : Tm2Latitude97(s, e, n);
}
Extended Longitude(Family family, const TransformSettings& s, Extended e, Extended n) {
  return family == Family::Settings
             ? TmLongitude(s, static_cast<double>(e), static_cast<double>(n))
             : Tm2Longitude97(s, e, n);
}

// ---- Published grid values --------------------------------------------------------------

struct GridCase {
  const char* Name;
  Family Kind;
  TransformMode Mode;  // the settings come from a run of this mode in region 1 (Taiwan)
  double Longitude, Latitude;
  double Easting, Northing;  // metres, as published: to the millimetre
};

// Provenance: the TWD97 two-degree grid table (fixed family, central meridian 121) and the
// TWD67 two-degree values of the settings family. Tolerance: half the last digit shown.
const GridCase kGridCases[] = {
    {"Fixed_121_5_24", Family::Fixed97, 0, 121.5, 24, 300871.235, 2655113.409},
    {"Fixed_121_24", Family::Fixed97, 0, 121, 24, 250000, 2655023.125},
    {"Fixed_120_5_22_5", Family::Fixed97, 0, 120.5, 22.5, 198556.555, 2489004.295},
    {"Fixed_122_25", Family::Fixed97, 0, 122, 25, 350943.313, 2766149.872},
    {"Twd67_121_5_24", Family::Settings, 1, 121.5, 24, 300871.419, 2655122.432},
    {"Twd67_120_5_22_5", Family::Settings, 1, 120.5, 22.5, 198556.369, 2489012.748},
};

class GridValues : public testing::TestWithParam<GridCase> {};

TEST_P(GridValues, ForwardGivesThePublishedMetres) {
  const GridCase& c = GetParam();
  const TransformSettings s = SettingsFor(c.Mode, 0);
  EXPECT_NEAR(static_cast<double>(Easting(c.Kind, s, c.Longitude, c.Latitude)), c.Easting, 0.0005);
  EXPECT_NEAR(static_cast<double>(Northing(c.Kind, s, c.Longitude, c.Latitude)), c.Northing,
              0.0005);
}

INSTANTIATE_TEST_SUITE_P(Published, GridValues, testing::ValuesIn(kGridCases), CaseName());

// ---- Properties that hold exactly or to the last bits -----------------------------------

struct GridSetup {
  const char* Name;
  Family Kind;
  TransformMode Mode;
  Region Area;
};

// Every grid the settings family serves, and the fixed family on both central meridians.
const GridSetup kGridSetups[] = {
    {"Twd67Tm2", Family::Settings, 1, 0},         {"Twd67Tm2Islands", Family::Settings, 1, 1},
    {"Tm3", Family::Settings, 3, 0},              {"Tm3Islands", Family::Settings, 3, 1},
    {"UtmZone51", Family::Settings, 5, 0},        {"UtmZone50", Family::Settings, 5, 1},
    {"Twd97Tm2Settings", Family::Settings, 13, 0}, {"Fixed97", Family::Fixed97, 11, 0},
    {"Fixed97Islands", Family::Fixed97, 11, 1},
};

class GridProperties : public testing::TestWithParam<GridSetup> {
 protected:
  TransformSettings S = SettingsFor(GetParam().Mode, GetParam().Area);
  Family Kind = GetParam().Kind;
  double Lambda0 = static_cast<double>(S.CentralMeridian);
  Extended FalseEasting = Kind == Family::Settings ? S.FalseEasting : kTm2FalseEasting;
};

TEST_P(GridProperties, CentralMeridianMapsToTheFalseEasting) {
  for (double lat : {-30.0, 0.0, 21.9, 24.0, 26.4}) {
    EXPECT_EQ(Easting(Kind, S, Lambda0, lat), FalseEasting) << lat;
  }
}

TEST_P(GridProperties, EquatorHasNorthingZero) {
  for (double dlon : {-3.0, -0.5, 0.0, 1.0, 2.5}) {
    EXPECT_EQ(Northing(Kind, S, Lambda0 + dlon, 0.0), 0) << dlon;
  }
}

TEST_P(GridProperties, EastAndWestMirrorAboutTheCentralMeridian) {
  for (double dlon : {0.25, 1.0, 1.75}) {
    for (double lat : {22.0, 24.5, 26.2}) {
      const Extended east = Easting(Kind, S, Lambda0 + dlon, lat);
      const Extended west = Easting(Kind, S, Lambda0 - dlon, lat);
      EXPECT_NEAR(static_cast<double>(east - FalseEasting), static_cast<double>(FalseEasting - west),
                  1e-9);
      EXPECT_NEAR(static_cast<double>(Northing(Kind, S, Lambda0 + dlon, lat)),
                  static_cast<double>(Northing(Kind, S, Lambda0 - dlon, lat)), 1e-9);
    }
  }
}

TEST_P(GridProperties, FalseEastingMapsBackToTheCentralMeridian) {
  for (double northing : {2400000.0, 2655023.125, 2920000.0}) {
    EXPECT_EQ(Longitude(Kind, S, FalseEasting, northing), S.CentralMeridian) << northing;
  }
}

TEST_P(GridProperties, InverseUndoesForwardWithinANanodegree) {
  // Taiwan, Penghu, Kinmen and Matsu: 20.5 to 26.5 degrees north, 1.5 degrees either side of
  // the central meridian (the UTM zones reach farther, over the same points).
  int points = 0;
  for (double dlon = -1.5; dlon <= 1.5; dlon += 0.375) {
    for (double lat = 20.5; lat <= 26.5; lat += 0.5) {
      const double lon = Lambda0 + dlon;
      const Extended e = Easting(Kind, S, lon, lat);
      const Extended n = Northing(Kind, S, lon, lat);
      EXPECT_NEAR(static_cast<double>(Longitude(Kind, S, e, n)), lon, 1e-9) << lon << ' ' << lat;
      EXPECT_NEAR(static_cast<double>(Latitude(Kind, S, e, n)), lat, 1e-9) << lon << ' ' << lat;
      ++points;
    }
  }
  EXPECT_EQ(points, 9 * 13);
}

INSTANTIATE_TEST_SUITE_P(Grids, GridProperties, testing::ValuesIn(kGridSetups), CaseName());

// ---- The footpoint search ---------------------------------------------------------------

// The grid point of (121, 26.2) on the TWD97 grid. A bisection of 21..26 degrees used to end
// at its edge and return 26 without a word; every latitude must now meet the tolerance.
TEST(Footpoint, MatsuLatitudeIsNoLongerCutAtTheOldBracket) {
  const TransformSettings grs80 = SettingsFor(13, 0);
  EXPECT_NEAR(static_cast<double>(Tm2Latitude97(grs80, 250000, 2898702.579)), 26.2, 1e-8);
  EXPECT_NEAR(static_cast<double>(TmLatitude(grs80, 250000, 2898702.579)), 26.2, 1e-8);
}

TEST(Footpoint, FindsEveryLatitudeToTheArcTolerance) {
  const MeridianArc arc = MeridianArcOf(kGrs80SemiMajorAxis,
                                        kGrs80SemiMajorAxis - kGrs80SemiMajorAxis * kGrs80Flattening);
  for (double lat : {-89.5, -45.0, -20.0, -0.3, 0.0, 0.3, 14.0, 20.5, 21.0, 26.0, 26.4, 37.0,
                     66.5, 89.9}) {
    const Extended target = MeridianArcLength(arc, lat * kDegToRad);
    const Extended found = FootpointLatitude(arc, target, kFixedFootpointMaxSteps);
    // 1e-7 m of arc is below 1e-11 degrees.
    EXPECT_NEAR(static_cast<double>(found), lat, 1e-11) << lat;
    EXPECT_LE(std::fabs(static_cast<double>(MeridianArcLength(arc, found * kDegToRad) - target)),
              1.1e-7)
        << lat;
  }
}

TEST(Footpoint, ArcBeyondThePoleEndsAtTheStepLimitNearTheBracketEdge) {
  const MeridianArc arc = MeridianArcOf(6378160, 6378160 - 6378160 / 298.247167L);
  const Extended found = FootpointLatitude(arc, 2.5e7, kSettingsFootpointMaxSteps);
  EXPECT_NEAR(static_cast<double>(found), 90.0, 1e-12);
}


// The fast search must return the bisection's own last midpoint, bit for bit: it skips the
// arcs whose outcome the root already decides and takes the others from one sine/cosine pair
// unless they fall near the tolerance. Targets: the whole meridian of both hemispheres, the
// northings of Taiwan densely, and ones within a few tolerances of the bisection's midpoints.
TEST(Footpoint, FastSearchReturnsTheBisectionsMidpointBitForBit) {
  const Extended a67 = 6378160;
  const MeridianArc arcs[] = {
      MeridianArcOf(a67, a67 - a67 / static_cast<Extended>(298.247167)),
      MeridianArcOf(a67, a67 - a67 / static_cast<Extended>(297.0)),
      MeridianArcOf(kGrs80SemiMajorAxis, kGrs80SemiMajorAxis - kGrs80SemiMajorAxis * kGrs80Flattening),
  };
  std::mt19937_64 random(12345);  // the standard fixes its sequence
  auto uniform = [&random] { return static_cast<double>(random() >> 11) * 0x1.0p-53; };  // [0, 1)
  int compared = 0;
  for (const MeridianArc& arc : arcs) {
    for (int i = 0; i < 4000; ++i) {
      Extended target;
      switch (i % 4) {
        case 0: target = (uniform() * 2 - 1) * 1.0e7; break;          // pole to pole
        case 1: target = 2.3e6 + uniform() * 0.65e6; break;           // Taiwan and the islands
        case 2: target = (uniform() - 0.5) * 1e-5; break;             // the equator
        default: {  // near a midpoint of the bisection, within a few tolerances
          const Extended mid = -90 + 180 * std::ldexp(std::floor(uniform() * 65536) + 0.5, -16);
          target = MeridianArcLength(arc, mid * kDegToRad) + (uniform() - 0.5) * 6e-7;
        }
      }
      for (int steps : {kSettingsFootpointMaxSteps, kFixedFootpointMaxSteps}) {
        const Extended fast = FootpointLatitude(arc, target, steps);
        const Extended plain = FootpointLatitudeByBisection(arc, target, steps);
        ASSERT_EQ(fast, plain) << static_cast<double>(target);
        ++compared;
      }
    }
  }
  EXPECT_EQ(compared, 3 * 4000 * 2);
}

// The paired forward operations share the sine, cosine and tangent of the latitude and must
// give exactly what the single operations give.
TEST(ForwardPair, EqualsTheSingleOperationsBitForBit) {
  for (TransformMode mode : {1u, 3u, 5u, 13u}) {
    const TransformSettings s = SettingsFor(mode, 0);
    for (double lon = 119.5; lon <= 122.5; lon += 0.37) {
      for (double lat = 20.5; lat <= 26.5; lat += 0.61) {
        const TmGridPoint pair = TmForward(s, lon, lat);
        EXPECT_EQ(pair.Easting, TmEasting(s, lon, lat));
        EXPECT_EQ(pair.Northing, TmNorthing(s, lon, lat));
        const TmGridPoint pair97 = Tm2Forward97(s, lon, lat);
        EXPECT_EQ(pair97.Easting, Tm2Easting97(s, lon, lat));
        EXPECT_EQ(pair97.Northing, Tm2Northing97(s, lon, lat));
      }
    }
  }
}

}  // namespace
}  // namespace morvane
