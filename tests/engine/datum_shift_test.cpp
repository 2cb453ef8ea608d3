// Geocentric conversions and the datum shifts between TWD67, TWD97 and WGS84.
#include <gtest/gtest.h>

#include <string>

#include "engine/datum_shift.hpp"
#include "test_support.hpp"

namespace morvane {
namespace {

using ::morvane::PrintTo;  // rows print by name in reports

double D(Extended v) { return static_cast<double>(v); }

TEST(Geocentric, Twd67PointOfTaiwan) {
  // (121, 24) on the TWD67 ellipsoid, published to the centimetre.
  EXPECT_NEAR(D(GeocentricX67(121, 24, 0)), -3002655.68, 0.005);
  EXPECT_NEAR(D(GeocentricY67(121, 24, 0)), 4997258.25, 0.005);
  EXPECT_NEAR(D(GeocentricZ67(24, 0)), 2578292.33, 0.005);
}

TEST(Geocentric, HeightMovesThePointAlongTheNormal) {
  const double h = 100;
  const Extended dx = GeocentricX97(121, 24, h) - GeocentricX97(121, 24, 0);
  const Extended dy = GeocentricY97(121, 24, h) - GeocentricY97(121, 24, 0);
  const Extended dz = GeocentricZ97(24, h) - GeocentricZ97(24, 0);
  EXPECT_NEAR(D(dx * dx + dy * dy + dz * dz), h * h, 1e-6);
}

struct LongitudeCase {
  const char* Name;
  double Longitude;
};

// The +180 branch is the normal path for the region (X < 0, Y > 0 east of 90 degrees).
const LongitudeCase kLongitudeCases[] = {
    {"EastOf90AddsHalfTurn", 121}, {"WestOfMinus90SubtractsHalfTurn", -120},
    {"WithinNinetyNeitherBranch", 30}, {"NearAntimeridian", 179.5},
    {"WestNeitherBranch", -45},
};

class GeocentricLongitude : public testing::TestWithParam<LongitudeCase> {};

TEST_P(GeocentricLongitude, ComesBackOnEveryEllipsoid) {
  const double lon = GetParam().Longitude;
  EXPECT_NEAR(D(LongitudeFromGeocentric(GeocentricX67(lon, 24, 0), GeocentricY67(lon, 24, 0))), lon,
              1e-12);
  EXPECT_NEAR(D(LongitudeFromGeocentric(GeocentricX84(lon, -33, 0), GeocentricY84(lon, -33, 0))),
              lon, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Branches, GeocentricLongitude, testing::ValuesIn(kLongitudeCases), CaseName());

TEST(Geocentric, LatitudeOfASurfacePointComesBack) {
  for (double lat : {24.0, -40.0, 60.0}) {
    const Extended x = GeocentricX67(121, lat, 0);
    const Extended y = GeocentricY67(121, lat, 0);
    EXPECT_NEAR(D(LatitudeFromGeocentric67(x, y, GeocentricZ67(lat, 0))), lat, 1e-12) << lat;
    const Extended x97 = GeocentricX97(121, lat, 0);
    const Extended y97 = GeocentricY97(121, lat, 0);
    EXPECT_NEAR(D(LatitudeFromGeocentric97(x97, y97, GeocentricZ97(lat, 0))), lat, 1e-12) << lat;
  }
}

TEST(DatumShift, SevenParameterStepIsUndoneToRounding) {
  const GeocentricPoint p{-3002655.68, 4997258.25, 2578292.33};
  const GeocentricPoint back = DatumShift97To67(DatumShift67To97(p));
  EXPECT_NEAR(D(back.X - p.X), 0, 1e-9);
  EXPECT_NEAR(D(back.Y - p.Y), 0, 1e-9);
  EXPECT_NEAR(D(back.Z - p.Z), 0, 1e-9);
  // By hand: translation + (p + translation) (s - 1) + T; the rotations add under 1e-7 m.
  const GeocentricPoint shifted = DatumShift67To97(p);
  EXPECT_NEAR(D(shifted.X - p.X), -751.9766659, 1e-6);
  EXPECT_NEAR(D(shifted.Y - p.Y), -358.0560690, 1e-6);
  EXPECT_NEAR(D(shifted.Z - p.Z), -179.0072811, 1e-6);
}

TEST(DatumShift, TranslationAloneToAndFromWgs84) {
  const GeocentricPoint p{-3002655.5, 4997258.25, 2578292.125};
  const GeocentricPoint to84 = DatumShift67To84(p);
  EXPECT_EQ(to84.X, p.X - 752);
  EXPECT_EQ(to84.Y, p.Y - 358);
  EXPECT_EQ(to84.Z, p.Z - 179);
  const GeocentricPoint back = DatumShift84To67(to84);
  EXPECT_EQ(back.X, p.X);
  EXPECT_EQ(back.Y, p.Y);
  EXPECT_EQ(back.Z, p.Z);
}

TEST(Geocentric, AllThreeComponentsAtOnceEqualTheSingleOperations) {
  for (double lon = 117.5; lon <= 123; lon += 0.5) {
    for (double lat = 21; lat <= 27; lat += 0.75) {
      for (double h : {0.0, 35.5}) {
        const GeocentricPoint p67 = Geocentric67(lon, lat, h);
        EXPECT_EQ(p67.X, GeocentricX67(lon, lat, h));
        EXPECT_EQ(p67.Y, GeocentricY67(lon, lat, h));
        EXPECT_EQ(p67.Z, GeocentricZ67(lat, h));
        const GeocentricPoint p97 = Geocentric97(lon, lat, h);
        EXPECT_EQ(p97.X, GeocentricX97(lon, lat, h));
        EXPECT_EQ(p97.Y, GeocentricY97(lon, lat, h));
        EXPECT_EQ(p97.Z, GeocentricZ97(lat, h));
        const GeocentricPoint p84 = Geocentric84(lon, lat, h);
        EXPECT_EQ(p84.X, GeocentricX84(lon, lat, h));
        EXPECT_EQ(p84.Y, GeocentricY84(lon, lat, h));
        EXPECT_EQ(p84.Z, GeocentricZ84(lat, h));
      }
    }
  }
}

}  // namespace
}  // namespace morvane
