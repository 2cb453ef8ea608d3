// The Lambert grid: SetLambertParameters (derived constants and every refusal) and the two
// conversions on the mainland grid and the initial one.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "engine/constants.hpp"
#include "engine/lambert_conic.hpp"
#include "engine/lambert_grid.hpp"
#include "test_support.hpp"

namespace morvane {
namespace {

using ::morvane::PrintTo;  // rows print by name in reports

namespace st = lambert_status;

constexpr double kDegree = kPi / 180;

LambertParameters MainlandGrid() {
  LambertParameters grid;
  EXPECT_EQ(SetLambertParameters(grid, grid.SemiMajorAxis, grid.Flattening, kMainlandOriginLatitude,
                                 kMainlandCentralMeridian, kMainlandFirstParallel,
                                 kMainlandSecondParallel, 0, 0),
            st::Success);
  return grid;
}

bool SameBytes(const LambertParameters& a, const LambertParameters& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(LambertGrid, MainlandDefinitionDerivesThePublishedConstants) {
  const LambertParameters grid = MainlandGrid();
  EXPECT_NEAR(grid.ConeConstant, 0.5915298988, 5e-11);
  EXPECT_NEAR(grid.MappingConstant, 1.9983002814, 5e-11);
  EXPECT_NEAR(grid.ScaledMappingConstant, 12745432.962, 5e-4);
  EXPECT_NEAR(grid.OriginRadius, 11497056.721, 5e-4);
  EXPECT_EQ(grid.CentralMeridian, kMainlandCentralMeridian);
  EXPECT_EQ(grid.EastingHalfRange, 40000000.0);
}

struct RefusalCase {
  const char* Name;
  double A, F, OriginLatitude, CentralMeridian, FirstParallel, SecondParallel;
  LambertStatus Expected;
};

constexpr double kF = 1 / 298.257223563;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Between the latitude limit (89°59'59") and pi/2.
constexpr double kBeyondLimit = (kLambertLatitudeLimit + kHalfPi) / 2;

// Provenance: the status table of the grid definition and its edge cases.
const RefusalCase kRefusalCases[] = {
    {"BothParallelsZero", 6378137, kF, 0.1, 1.9, 0, 0, st::ParallelsBothZero | st::ParallelsSymmetric},
    {"SymmetricParallels", 6378137, kF, 0.1, 1.9, 0.5, -0.5, st::ParallelsSymmetric},
    {"FlatteningOf200", 6378137, 1.0 / 200, 0.1, 1.9, 0.4, 0.8, st::InverseFlatteningInvalid},
    {"FlatteningOf351", 6378137, 1.0 / 351, 0.1, 1.9, 0.4, 0.8, st::InverseFlatteningInvalid},
    {"SemiMajorAxisZero", 0, kF, 0.1, 1.9, 0.4, 0.8, st::SemiMajorAxisInvalid},
    {"FirstParallelBeyondLimit", 6378137, kF, 0.1, 1.9, kBeyondLimit, 0.8, st::FirstParallelOutOfRange},
    {"SecondParallelBeyondLimit", 6378137, kF, 0.1, 1.9, 0.4, -kBeyondLimit,
     st::SecondParallelOutOfRange},
    {"OriginLatitudeBeyondLimit", 6378137, kF, kHalfPi, 1.9, 0.4, 0.8, st::OriginLatitudeOutOfRange},
    {"CentralMeridianBelowMinusPi", 6378137, kF, 0.1, -3.2, 0.4, 0.8, st::CentralMeridianOutOfRange},
    {"CentralMeridianAboveTwoPi", 6378137, kF, 0.1, 6.3, 0.4, 0.8, st::CentralMeridianOutOfRange},
    {"NaNFailsItsRangeTest", kNaN, kF, 0.1, kNaN, 0.4, 0.8,
     st::SemiMajorAxisInvalid | st::CentralMeridianOutOfRange},
    {"EveryTestIsMade", -1, 1.0 / 100, 2, 7, 2, -2,
     st::SemiMajorAxisInvalid | st::InverseFlatteningInvalid | st::OriginLatitudeOutOfRange |
         st::CentralMeridianOutOfRange | st::FirstParallelOutOfRange |
         st::SecondParallelOutOfRange | st::ParallelsSymmetric},
};

class LambertRefusals : public testing::TestWithParam<RefusalCase> {};

TEST_P(LambertRefusals, ReturnsTheBitsAndKeepsThePreviousGrid) {
  const RefusalCase& c = GetParam();
  LambertParameters grid = MainlandGrid();
  const LambertParameters before = grid;
  EXPECT_EQ(SetLambertParameters(grid, c.A, c.F, c.OriginLatitude, c.CentralMeridian,
                                 c.FirstParallel, c.SecondParallel, 0, 0),
            c.Expected);
  EXPECT_TRUE(SameBytes(grid, before));
}

INSTANTIATE_TEST_SUITE_P(Definitions, LambertRefusals, testing::ValuesIn(kRefusalCases), CaseName());

TEST(LambertGrid, CentralMeridianAbovePiIsStoredMinusTwoPi) {
  LambertParameters grid;
  ASSERT_EQ(SetLambertParameters(grid, 6378137, kF, 0.1, 4.0, 0.4, 0.8, 100, 200), st::Success);
  EXPECT_EQ(grid.CentralMeridian, 4.0 - kTwoPi);
  EXPECT_EQ(grid.FalseEasting, 100.0);
  EXPECT_EQ(grid.FalseNorthing, 200.0);
}

TEST(LambertGrid, EqualParallelsGiveTheOneParallelCone) {
  LambertParameters grid;
  ASSERT_EQ(SetLambertParameters(grid, 6378137, kF, 0.5, 1.9, 0.6, 0.6, 0, 0), st::Success);
  EXPECT_EQ(grid.ConeConstant, std::sin(0.6));
}

// ---- Conversions on the mainland grid ---------------------------------------------------

TEST(LambertForward, OriginMapsToZeroAndTheCentralMeridianToEastingZero) {
  const LambertParameters grid = MainlandGrid();
  double e = 1;
  double n = 1;
  ASSERT_EQ(LambertForward(grid, 10 * kDegree, 110 * kDegree, e, n), st::Success);
  EXPECT_NEAR(e, 0, 1e-6);
  EXPECT_NEAR(n, 0, 1e-6);
  for (double lat : {-30.0, 0.0, 25.0, 47.0, 70.0}) {
    ASSERT_EQ(LambertForward(grid, lat * kDegree, grid.CentralMeridian, e, n), st::Success);
    EXPECT_EQ(e, 0.0) << lat;
  }
}

TEST(LambertForward, NorthPoleIsTheApexAndTheSouthPoleIsRefused) {
  const LambertParameters grid = MainlandGrid();
  double e = 1;
  double n = 1;
  ASSERT_EQ(LambertForward(grid, kHalfPi, 2.0, e, n), st::Success);
  EXPECT_EQ(e, 0.0);
  EXPECT_EQ(n, grid.OriginRadius);
  e = 7;
  n = 8;
  EXPECT_EQ(LambertForward(grid, -kHalfPi, 2.0, e, n), st::LatitudeOutOfRange);
  EXPECT_EQ(e, 7.0);
  EXPECT_EQ(n, 8.0);
}

struct ForwardRangeCase {
  const char* Name;
  double Latitude, Longitude;
  LambertStatus Expected;
};

const ForwardRangeCase kForwardRangeCases[] = {
    {"LatitudeAbovePiOver2", 1.6, 2.0, st::LatitudeOutOfRange},
    {"LatitudeBelowMinusPiOver2", -1.6, 2.0, st::LatitudeOutOfRange},
    {"LongitudeBelowMinusPi", 0.5, -3.2, st::LongitudeOutOfRange},
    {"LongitudeAboveTwoPi", 0.5, 6.3, st::LongitudeOutOfRange},
    {"Both", 2.0, 7.0, st::LatitudeOutOfRange | st::LongitudeOutOfRange},
};

class LambertForwardRange : public testing::TestWithParam<ForwardRangeCase> {};

TEST_P(LambertForwardRange, RefusesAndWritesNothing) {
  const ForwardRangeCase& c = GetParam();
  double e = 7;
  double n = 8;
  EXPECT_EQ(LambertForward(MainlandGrid(), c.Latitude, c.Longitude, e, n), c.Expected);
  EXPECT_EQ(e, 7.0);
  EXPECT_EQ(n, 8.0);
}

INSTANTIATE_TEST_SUITE_P(Ranges, LambertForwardRange, testing::ValuesIn(kForwardRangeCases), CaseName());

TEST(LambertForward, LongitudeWithinTwoPiIsBroughtIntoMinusPiToPi) {
  const LambertParameters grid = MainlandGrid();
  double e1 = 0, n1 = 0, e2 = 0, n2 = 0;
  ASSERT_EQ(LambertForward(grid, 0.6, 3.5, e1, n1), st::Success);
  ASSERT_EQ(LambertForward(grid, 0.6, 3.5 - kTwoPi, e2, n2), st::Success);
  EXPECT_NEAR(e1, e2, 1e-6);
  EXPECT_NEAR(n1, n2, 1e-6);
}

TEST(LambertInverse, ApexReturnsThePoleWithoutIterating) {
  double lat = 0;
  double lon = 0;
  const LambertParameters grid = MainlandGrid();
  ASSERT_EQ(LambertInverse(grid, 0, grid.OriginRadius, lat, lon), st::Success);
  EXPECT_EQ(lat, kHalfPi);
  EXPECT_EQ(lon, 1.9198621771937625);
}

struct InverseRangeCase {
  const char* Name;
  double Easting, Northing;
  LambertStatus Expected;
};

const InverseRangeCase kInverseRangeCases[] = {
    {"EastingBeyondHalfRange", 40000000.5, 0, st::EastingOutOfRange},
    {"EastingBelowHalfRange", -4.1e7, 0, st::EastingOutOfRange},
    {"NorthingBeyondHalfRange", 0, 4.5e7, st::NorthingOutOfRange},
    {"Both", -5e7, -5e7, st::EastingOutOfRange | st::NorthingOutOfRange},
};

class LambertInverseRange : public testing::TestWithParam<InverseRangeCase> {};

TEST_P(LambertInverseRange, RefusesAndWritesNothing) {
  const InverseRangeCase& c = GetParam();
  double lat = 7;
  double lon = 8;
  EXPECT_EQ(LambertInverse(MainlandGrid(), c.Easting, c.Northing, lat, lon), c.Expected);
  EXPECT_EQ(lat, 7.0);
  EXPECT_EQ(lon, 8.0);
}

INSTANTIATE_TEST_SUITE_P(Ranges, LambertInverseRange, testing::ValuesIn(kInverseRangeCases), CaseName());

TEST(LambertInverse, UndoesForwardOverTheMainland) {
  const LambertParameters grid = MainlandGrid();
  for (double latDeg = 1; latDeg <= 60; latDeg += 3.5) {
    for (double lonDeg = 100; lonDeg <= 130; lonDeg += 2.5) {
      double e = 0, n = 0, lat = 0, lon = 0;
      ASSERT_EQ(LambertForward(grid, latDeg * kDegree, lonDeg * kDegree, e, n), st::Success);
      ASSERT_EQ(LambertInverse(grid, e, n, lat, lon), st::Success);
      EXPECT_NEAR(lat, latDeg * kDegree, 1e-9) << latDeg << ' ' << lonDeg;
      EXPECT_NEAR(lon, lonDeg * kDegree, 1e-9) << latDeg << ' ' << lonDeg;
    }
  }
}

TEST(LambertInverse, LatitudeNearTheEquatorSnapsToZero) {
  const LambertParameters grid = MainlandGrid();
  for (double latitude : {1.5e-7, -1.9e-7, 0.0}) {
    double e = 0, n = 0, lat = 1, lon = 1;
    ASSERT_EQ(LambertForward(grid, latitude, 2.0, e, n), st::Success);
    ASSERT_EQ(LambertInverse(grid, e, n, lat, lon), st::Success);
    EXPECT_EQ(lat, 0.0) << latitude;
  }
}

TEST(LambertForward, InitialGridPutsItsOriginAtZero) {
  const LambertParameters initial;  // stored derived values, not recomputed
  double e = 1;
  double n = 1;
  ASSERT_EQ(LambertForward(initial, 45 * kDegree, 0, e, n), st::Success);
  EXPECT_EQ(e, 0.0);
  EXPECT_NEAR(n, 0, 1e-4);
}

}  // namespace
}  // namespace morvane
