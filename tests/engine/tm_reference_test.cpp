// The Transverse Mercator series and the meridian arc against reference values computed from
// the published formulas at 40 digits (tests/engine/data/tm_reference_values.py): the arc as
// the integral of the meridian radius of curvature, the series as the terms of the UTM manual
// (DMA TM 8358.2) write them, with k0 in each term and the arc and the footpoint from that
// integral.
//
// The points lie 4 to 6 degrees (or 450 to 750 km) from the central meridian and from 8 to 65
// degrees north, where every coefficient of the highest terms moves a result by far more than
// the tolerance: a wrong digit in any coefficient fails here, in the shortcuts and the plain
// operations alike, since both take the same polynomials. The tolerances are what the engine's
// double-precision sines and its bisection's 1e-7 m allow, with the meridian arc's left-out
// n^5 term (up to 4.6e-8 m) on top.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/constants.hpp"
#include "engine/engine_state.hpp"
#include "engine/meridian_arc.hpp"
#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "engine/transverse_mercator.hpp"
#include "test_support.hpp"

namespace morvane {
namespace {

using ::morvane::PrintTo;  // rows print by name in reports

enum class Family { Settings, Fixed97 };

// The settings family with the UTM settings of a Taiwan run (TWD67 ellipsoid with 1/f 297,
// k0 0.9996, false easting 500000, central meridian 123); the fixed family reads only the
// central meridian.
TransformSettings SettingsWith(Family family, double centralMeridian) {
  RecordingMessages messages;
  EngineState state(messages);
  ApplyTransformSettings(state, IndexOf(Mode::Twd67GeographicToUtm), kTaiwanRegion);
  if (family == Family::Fixed97) state.Settings.CentralMeridian = centralMeridian;
  return state.Settings;
}

struct ForwardCase {
  const char* Name;
  Family Kind;
  double CentralMeridian, Longitude, Latitude;  // degrees
  double Easting, Northing;                     // metres
};

const ForwardCase kForwardCases[] = {
    {"Fixed_6East_24", Family::Fixed97, 121, 127, 24, 861202.03206366447376, 2668071.9418707540755},
    {"Fixed_5West_45", Family::Fixed97, 121, 116, 45, -144195.0164494355716, 4996623.6694026553996},
    {"Fixed_4East_62", Family::Fixed97, 119, 123, 62, 459476.78757088342417, 6882703.2311268040384},
    {"Fixed_6West_8", Family::Fixed97, 121, 115, 8, -412566.41530089723632, 889404.7421184461352},
    {"Utm_5East_30", Family::Settings, 123, 128, 30, 982550.12619453912534, 3329259.5257233104195},
};

class SeriesForward : public testing::TestWithParam<ForwardCase> {};

TEST_P(SeriesForward, EqualsThePublishedTerms) {
  const ForwardCase& c = GetParam();
  const TransformSettings s = SettingsWith(c.Kind, c.CentralMeridian);
  const TmGridPoint grid = c.Kind == Family::Fixed97 ? Tm2Forward97(s, c.Longitude, c.Latitude)
                                                     : TmForward(s, c.Longitude, c.Latitude);
  EXPECT_NEAR(static_cast<double>(grid.Easting), c.Easting, 2e-9);
  EXPECT_NEAR(static_cast<double>(grid.Northing), c.Northing, 6e-8);
}

INSTANTIATE_TEST_SUITE_P(Reference, SeriesForward, testing::ValuesIn(kForwardCases), CaseName());

struct InverseCase {
  const char* Name;
  Family Kind;
  double CentralMeridian, Easting, Northing;  // degrees, metres
  double Longitude, Latitude;                 // degrees
};

const InverseCase kInverseCases[] = {
    {"Fixed_East_24", Family::Fixed97, 121, 860000, 2660000, 126.98489057187390076, 23.927973802759852848},
    {"Fixed_West_50", Family::Fixed97, 121, -200000, 5540000, 114.74300957221443042, 49.828239966524522949},
    {"Fixed_East_65", Family::Fixed97, 119, 450000, 7210000, 123.23200878094464728, 64.934403508611201496},
    {"Fixed_West_12", Family::Fixed97, 121, -330000, 1330000, 115.68110363624994112, 11.976943306100890397},
    {"Utm_East_30", Family::Settings, 123, 1000000, 3320000, 128.1758781986713475, 29.909791505504445999},
};

class SeriesInverse : public testing::TestWithParam<InverseCase> {};

TEST_P(SeriesInverse, EqualsThePublishedTerms) {
  const InverseCase& c = GetParam();
  const TransformSettings s = SettingsWith(c.Kind, c.CentralMeridian);
  const Extended longitude = c.Kind == Family::Fixed97 ? Tm2Longitude97(s, c.Easting, c.Northing)
                                                       : TmLongitude(s, c.Easting, c.Northing);
  const Extended latitude = c.Kind == Family::Fixed97 ? Tm2Latitude97(s, c.Easting, c.Northing)
                                                      : TmLatitude(s, c.Easting, c.Northing);
  EXPECT_NEAR(static_cast<double>(longitude), c.Longitude, 2e-13);
  EXPECT_NEAR(static_cast<double>(latitude), c.Latitude, 3e-12);
}

INSTANTIATE_TEST_SUITE_P(Reference, SeriesInverse, testing::ValuesIn(kInverseCases), CaseName());

// The arc of GRS80 against the integral of rho, after the one term the series leaves out,
// -693/1280 n^5 G sin 10 phi: what remains is of the order n^6, under 1e-10 m.
TEST(MeridianArc, EqualsTheIntegralOfTheMeridianRadiusUpToItsLeftOutTerm) {
  struct Row {
    double Latitude;  // radians
    double Integral;  // metres
  };
  const Row rows[] = {
      {0.1, 633565.09731585537408},
      {0.42, 2662402.3955708654777},
      {0.7853981633974483, 4984944.3778579868176},
      {1.2, 7630088.7672918610949},
      {1.5, 9548905.651803692247},
  };
  const Extended a = kGrs80SemiMajorAxis;
  const Extended b = a - a * kGrs80Flattening;
  const MeridianArc arc = MeridianArcOf(a, b);
  const Extended n = (a - b) / (a + b);
  for (const Row& row : rows) {
    const Extended leftOut = -693.0L / 1280 * (n * n * n * n * n) * arc.G * std::sin(10 * row.Latitude);
    EXPECT_NEAR(static_cast<double>(MeridianArcLength(arc, row.Latitude) + leftOut), row.Integral, 1.5e-10)
        << row.Latitude;
  }
}

}  // namespace
}  // namespace morvane
