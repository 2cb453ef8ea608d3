// The conversions' shortcuts against the operations they stand for, bit for bit: each
// shortcut computes part of a result in a cheaper way and checks that the result still rounds
// as the operation's does, so these tests take many points, among them the ones near rounding
// boundaries that the checks exist for (a shortcut without its check fails them). Then the
// derived constants that ConvertPoint keeps: a change of the settings, a derivation that raises
// a flag, and a flag left raised by the caller.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "engine/constants.hpp"
#include "engine/datum_shift.hpp"
#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "engine/tm_shortcuts.hpp"
#include "engine/transverse_mercator.hpp"
#include "test_support.hpp"

namespace morvane {
namespace {

using ::morvane::PrintTo;  // rows print by name in reports

// Fixed pseudo-random numbers in [0, 1); the standard fixes the generator's sequence.
class Uniform {
 public:
  explicit Uniform(unsigned seed) : random_(seed) {}
  double operator()() { return static_cast<double>(random_() >> 11) * 0x1.0p-53; }

 private:
  std::mt19937_64 random_;
};

TransformSettings SettingsFor(Mode mode, Region region) {
  RecordingMessages messages;
  EngineState state(messages);
  ApplyTransformSettings(state, IndexOf(mode), region);
  return state.Settings;
}

struct GridCase {
  const char* Name;
  Mode Which;  // whose settings
  Region Area;
};

// Every grid of the settings family: TWD67 TM2, TM3, UTM (zone 51 and 50), TWD97 TM2.
const GridCase kGrids[] = {
    {"Twd67Tm2", Mode::Twd67GeographicToTwd67Tm2, kTaiwanRegion},
    {"Tm3Islands", Mode::Twd67GeographicToTm3, kIslandsRegion},
    {"UtmZone51", Mode::Twd67GeographicToUtm, kTaiwanRegion},
    {"UtmZone50", Mode::Twd67GeographicToUtm, kIslandsRegion},
    {"Twd97Tm2", Mode::Twd97GeographicToTwd97Tm2, kTaiwanRegion},
};

class GridShortcuts : public testing::TestWithParam<GridCase> {};

// Taiwan and its neighbourhood densely, the whole globe sparsely, the central meridian and
// the equator.
TEST_P(GridShortcuts, ForwardResultsNarrowAsTheSingleOperations) {
  const TransformSettings s = SettingsFor(GetParam().Which, GetParam().Area);
  const TmSettingsGrid grid = TmSettingsGridOf(s);
  const double cm = static_cast<double>(s.CentralMeridian);
  Uniform uniform(1);
  for (int i = 0; i < 30000; ++i) {
    double lon = 115 + 12 * uniform();
    double lat = 18 + 12 * uniform();
    if (i % 3 == 1) {
      lon = -180 + 360 * uniform();
      lat = -89.9 + 179.8 * uniform();
    } else if (i % 3 == 2) {
      lon = i % 2 ? cm : cm + (uniform() - 0.5) * 1e-3;
      lat = i % 4 == 0 ? 0 : (uniform() - 0.5) * 1e-2;
    }
    const GridPointDouble fast = TmForwardNarrowed(grid, lon, lat);
    ASSERT_EQ(fast.Northing, static_cast<double>(TmNorthing(s, lon, lat))) << lon << " " << lat;
    ASSERT_EQ(fast.Easting, static_cast<double>(TmEasting(s, lon, lat))) << lon << " " << lat;
    const Extended lonE = lon + uniform() * 1e-9L;
    const Extended latE = lat + uniform() * 1e-9L;
    const GridPointDouble fixed = Tm2ForwardNarrowed97(s.CentralMeridian, lonE, latE);
    ASSERT_EQ(fixed.Northing, static_cast<double>(Tm2Northing97(s, lonE, latE))) << lon << " " << lat;
    ASSERT_EQ(fixed.Easting, static_cast<double>(Tm2Easting97(s, lonE, latE))) << lon << " " << lat;
  }
}

// Grid points of the region, of the whole zone far from the central meridian, and near the
// poles, where the shortcut hands over to the series of the operations.
TEST_P(GridShortcuts, InverseResultsNarrowAsTheSingleOperations) {
  const TransformSettings s = SettingsFor(GetParam().Which, GetParam().Area);
  const TmSettingsGrid grid = TmSettingsGridOf(s);
  const double fe = static_cast<double>(s.FalseEasting);
  Uniform uniform(2);
  for (int i = 0; i < 20000; ++i) {
    double easting = fe + (uniform() - 0.5) * 600000;
    double northing = 1.8e6 + 1.5e6 * uniform();
    if (i % 4 == 1) {
      easting = fe + (uniform() - 0.5) * 4e6;
      northing = (uniform() - 0.5) * 2e7;
    } else if (i % 4 == 2) {
      easting = fe + (uniform() - 0.5) * 3e5;
      northing = 7e6 + 2.9e6 * uniform();
    } else if (i % 4 == 3) {
      easting = i % 8 == 3 ? fe : fe + uniform() - 0.5;
    }
    const TmFootpoint footpoint = TmFootpointOf(s, easting, northing);
    const Extended lat = LatitudeAtFootpoint(footpoint);
    const Extended lon = LongitudeAtFootpoint(footpoint, s.CentralMeridian);
    ASSERT_EQ(lat, TmLatitude(s, easting, northing));  // the shared footpoint
    const GeographicPointDouble degrees = TmGeographicNarrowed(grid, easting, northing);
    ASSERT_EQ(degrees.Latitude, static_cast<double>(lat)) << easting << " " << northing;
    ASSERT_EQ(degrees.Longitude, static_cast<double>(lon)) << easting << " " << northing;
    const GeographicPointDouble radians = TmGeographicNarrowed(grid, easting, northing, true);
    ASSERT_EQ(radians.Latitude, static_cast<double>(lat * kDegToRad)) << easting << " " << northing;
    ASSERT_EQ(radians.Longitude, static_cast<double>(lon * kDegToRad)) << easting << " " << northing;
    const TmFootpoint fixed = Tm2FootpointOf97(easting, northing);
    const GeographicPointDouble fixedRadians = Tm2RadiansNarrowed97(s.CentralMeridian, easting, northing);
    ASSERT_EQ(fixedRadians.Latitude, static_cast<double>(LatitudeAtFootpoint(fixed) * kDegToRad));
    ASSERT_EQ(fixedRadians.Longitude,
              static_cast<double>(LongitudeAtFootpoint(fixed, s.CentralMeridian) * kDegToRad));
  }
}

INSTANTIATE_TEST_SUITE_P(Grids, GridShortcuts, testing::ValuesIn(kGrids), CaseName());

// The latitude from geocentric coordinates as the iteration is stated: start from the surface
// tangent, repeat until two iterates differ by less than 0.001 rad, return the newest.
Extended IteratedLatitude(Extended a, Extended e2, Extended x, Extended y, Extended z) {
  const auto narrow = [](Extended v) { return static_cast<double>(v); };
  const Extended p = std::sqrt(narrow(x * x + y * y));
  Extended phi = std::atan(narrow(z / (p * (1 - e2))));
  for (;;) {
    const Extended s = std::sin(narrow(phi));
    const Extended n = a / std::sqrt(narrow(1 - e2 * s * s));
    const Extended next = std::atan(narrow((z + e2 * n * s) / p));
    if (std::fabs(narrow(next - phi)) < 0.001) return next / kDegToRad;
    phi = next;
  }
}

// Points from a kilometre below to a kilometre above each ellipsoid, over the whole globe and
// densely over the region; the first step of the iteration is taken from the tangent alone.
TEST(GeocentricShortcut, LatitudeEqualsTheIterationAsStated) {
  const Extended b97 = kGrs80SemiMajorAxis - kGrs80SemiMajorAxis * kGrs80Flattening;
  const Extended e97 = (kGrs80SemiMajorAxis * kGrs80SemiMajorAxis - b97 * b97) /
                       (kGrs80SemiMajorAxis * kGrs80SemiMajorAxis);
  const Extended b84 = kWgs84SemiMajorAxis - kWgs84SemiMajorAxis * kWgs84Flattening;
  const Extended e84 = (kWgs84SemiMajorAxis * kWgs84SemiMajorAxis - b84 * b84) /
                       (kWgs84SemiMajorAxis * kWgs84SemiMajorAxis);
  Uniform uniform(3);
  for (int i = 0; i < 60000; ++i) {
    const double lon = i % 2 ? 116 + 8 * uniform() : -180 + 360 * uniform();
    const double lat = i % 2 ? 18 + 10 * uniform() : -89 + 178 * uniform();
    const double height = (uniform() - 0.5) * 2000;
    const GeocentricPoint g = Geocentric67(lon, lat, height);
    ASSERT_EQ(LatitudeFromGeocentric67(g.X, g.Y, g.Z),
              IteratedLatitude(kTwd67SemiMajorAxis, kTwd67EccentricitySquared, g.X, g.Y, g.Z))
        << lon << " " << lat << " " << height;
    ASSERT_EQ(LatitudeFromGeocentric97(g.X, g.Y, g.Z),
              IteratedLatitude(kGrs80SemiMajorAxis, e97, g.X, g.Y, g.Z));
    ASSERT_EQ(LatitudeFromGeocentric84(g.X, g.Y, g.Z),
              IteratedLatitude(kWgs84SemiMajorAxis, e84, g.X, g.Y, g.Z));
  }
}

// The geocentric conversion from narrowed radians is the one from degrees.
TEST(GeocentricShortcut, FromRadiansEqualsFromDegrees) {
  Uniform uniform(4);
  for (int i = 0; i < 2000; ++i) {
    const Extended lon = 116 + 8 * uniform();
    const Extended lat = 18 + 10 * uniform();
    const double phi = static_cast<double>(lat * kDegToRad);
    const double lambda = static_cast<double>(lon * kDegToRad);
    const GeocentricPoint from67 = Geocentric67(lon, lat, 0);
    const GeocentricPoint at67 = Geocentric67At(phi, lambda);
    ASSERT_TRUE(from67.X == at67.X && from67.Y == at67.Y && from67.Z == at67.Z);
    const GeocentricPoint from97 = Geocentric97(lon, lat, 0);
    const GeocentricPoint at97 = Geocentric97At(phi, lambda);
    ASSERT_TRUE(from97.X == at97.X && from97.Y == at97.Y && from97.Z == at97.Z);
  }
}

// ---- The derived constants ConvertPoint keeps ----------------------------------------------

struct Point {
  double X, Y;
};

Point Convert(EngineState& state, Mode mode, Point p) {
  Point out{3, 4};
  ConvertPoint(state, IndexOf(mode), p.X, p.Y, out.X, out.Y);
  return out;
}

// A state that has converted with some settings and then has a field changed converts as a
// new state with those settings would: every field counts, none is kept from before.
TEST(DerivedConstants, EveryChangedFieldTakesEffectAtTheNextPoint) {
  const Point grid{260000, 2650000};
  const Point geographic{121.3, 24.2};
  struct Change {
    Extended TransformSettings::*Field;
    Extended Value;
  };
  const Change changes[] = {{&TransformSettings::SemiMajorAxis, 6378137},
                            {&TransformSettings::InverseFlattening, 298.257222101},
                            {&TransformSettings::FalseEasting, 350000},
                            {&TransformSettings::ScaleFactor, 1},
                            {&TransformSettings::CentralMeridian, 119}};
  for (Mode mode : {Mode::Twd67Tm2ToTwd67Geographic, Mode::Twd67GeographicToTwd67Tm2}) {
    const Point p = mode == Mode::Twd67Tm2ToTwd67Geographic ? grid : geographic;
    for (const Change& change : changes) {
      RecordingMessages messages;
      EngineState kept(messages);
      ApplyTransformSettings(kept, IndexOf(mode), kTaiwanRegion);
      const Point before = Convert(kept, mode, p);
      kept.Settings.*change.Field = change.Value;
      EngineState fresh(messages);
      fresh.Settings = kept.Settings;
      const Point after = Convert(kept, mode, p);
      const Point expected = Convert(fresh, mode, p);
      EXPECT_EQ(after.X, expected.X) << IndexOf(mode);
      EXPECT_EQ(after.Y, expected.Y) << IndexOf(mode);
      EXPECT_FALSE(after.X == before.X && after.Y == before.Y) << IndexOf(mode);
    }
  }
}

// Settings whose derivation divides by zero (a flattening of 1 leaves no semi-minor axis for
// e'^2) fail every point, not only the first one that derives them.
TEST(DerivedConstants, SettingsThatFailToDeriveFailEveryPoint) {
  RecordingMessages messages;
  EngineState state(messages);
  ApplyTransformSettings(state, IndexOf(Mode::Twd67Tm2ToTwd67Geographic), kTaiwanRegion);
  state.Settings.InverseFlattening = 1;
  for (int i = 0; i < 3; ++i) {
    double x = 3;
    double y = 4;
    try {
      ConvertPoint(state, IndexOf(Mode::Twd67Tm2ToTwd67Geographic), 260000, 2650000, x, y);
      ADD_FAILURE() << "point " << i << " converted";
    } catch (const FloatingPointError& e) {
      EXPECT_STREQ(e.what(), "Floating point division by zero");
    }
    EXPECT_EQ(x, 3.0);
    EXPECT_EQ(y, 4.0);
  }
}

// A flag the caller left raised is not this point's failure: the point converts, to the same
// result, and the flags are clear afterwards.
TEST(DerivedConstants, FlagLeftRaisedByTheCallerDoesNotFailThePoint) {
  for (Mode mode : {Mode::Twd67Tm2ToTwd67Geographic, Mode::Twd67GeographicToTwd67Tm2,
                    Mode::Twd67GeographicToTwd97Geographic, Mode::Twd67Tm2ToTwd97Tm2, Mode::Twd97Tm2ToTwd67Tm2}) {
    RecordingMessages messages;
    EngineState state(messages);
    ApplyTransformSettings(state, IndexOf(mode), kTaiwanRegion);
    const bool geographic = mode == Mode::Twd67GeographicToTwd67Tm2 || mode == Mode::Twd67GeographicToTwd97Geographic;
    const Point p = geographic ? Point{121.3, 24.2} : Point{260000, 2650000};
    const Point expected = Convert(state, mode, p);
    std::feraiseexcept(FE_DIVBYZERO);
    const Point found = Convert(state, mode, p);
    EXPECT_EQ(found.X, expected.X) << IndexOf(mode);
    EXPECT_EQ(found.Y, expected.Y) << IndexOf(mode);
    EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO), 0) << IndexOf(mode);
  }
}

}  // namespace
}  // namespace morvane
