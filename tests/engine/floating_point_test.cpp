// Floating-point failures: a conversion behaves as if invalid operation, division by zero and
// overflow were trapped, with the exact texts, and keeps an output stored before the failing
// step. Inputs are volatile so that the compiler cannot fold the failing arithmetic away.
#include <gtest/gtest.h>

#include <cfenv>
#include <limits>
#include <string>

#include "engine/datum_shift.hpp"
#include "engine/lambert_conic.hpp"
#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "engine/transverse_mercator.hpp"
#include "test_support.hpp"

namespace morvane {
namespace {

using ::morvane::PrintTo;  // rows print by name in reports

volatile double gNaN = std::numeric_limits<double>::quiet_NaN();
volatile double gZero = 0.0;

// Converts one point; the text of the FloatingPointError it ends with, or "" if none.
std::string FloatingPointFailure(EngineState& state, TransformMode mode, double x, double y,
                                 double& outX, double& outY) {
  try {
    ConvertPoint(state, mode, x, y, outX, outY);
  } catch (const FloatingPointError& e) {
    return e.what();
  }
  return "";
}

struct FailureCase {
  const char* Name;
  Mode Which;
  Region Area;
  bool NaNInX;  // otherwise y is NaN
};

// Every chain: those that compare the coordinate (the footpoint search, the Lambert range
// tests, the longitude and latitude steps of the datum chains) and those that would carry it
// through without a comparison (the forward series, the easting of the inverse), which used to
// write NaN without a word.
const FailureCase kNaNCases[] = {
    {"Twd67Tm2ToTwd67GeographicEasting", Mode::Twd67Tm2ToTwd67Geographic, kTaiwanRegion, true},
    {"Twd67GeographicToTwd67Tm2Longitude", Mode::Twd67GeographicToTwd67Tm2, kTaiwanRegion, true},
    {"Twd67GeographicToTm3Latitude", Mode::Twd67GeographicToTm3, kTaiwanRegion, false},
    {"Twd67GeographicToUtmLongitude", Mode::Twd67GeographicToUtm, kIslandsRegion, true},
    {"Twd97GeographicToTwd97Tm2Latitude", Mode::Twd97GeographicToTwd97Tm2, kTaiwanRegion, false},
    {"Twd67Tm2ToTwd67GeographicNorthing", Mode::Twd67Tm2ToTwd67Geographic, kTaiwanRegion, false},
    {"Tm3ToTwd67GeographicNorthing", Mode::Tm3ToTwd67Geographic, kTaiwanRegion, false},
    {"UtmToTwd67GeographicNorthing", Mode::UtmToTwd67Geographic, kTaiwanRegion, false},
    {"Twd97Tm2ToTwd97GeographicNorthing", Mode::Twd97Tm2ToTwd97Geographic, kTaiwanRegion, false},
    {"LambertToGeographicEasting", Mode::LambertToGeographic, kMainlandRegion, true},
    {"LambertToGeographicNorthing", Mode::LambertToGeographic, kMainlandRegion, false},
    {"GeographicToLambertLongitude", Mode::GeographicToLambert, kMainlandRegion, true},
    {"GeographicToLambertLatitude", Mode::GeographicToLambert, kMainlandRegion, false},
    {"Twd67GeographicToTwd97GeographicLongitude", Mode::Twd67GeographicToTwd97Geographic, kTaiwanRegion, true},
    {"Twd67GeographicToTwd97GeographicLatitude", Mode::Twd67GeographicToTwd97Geographic, kTaiwanRegion, false},
    {"Twd97GeographicToTwd67GeographicLongitude", Mode::Twd97GeographicToTwd67Geographic, kTaiwanRegion, true},
    {"Twd67GeographicToWgs84GeographicLatitude", Mode::Twd67GeographicToWgs84Geographic, kTaiwanRegion, false},
    {"Wgs84GeographicToTwd67GeographicLongitude", Mode::Wgs84GeographicToTwd67Geographic, kTaiwanRegion, true},
    {"Twd67Tm2ToTwd97Tm2Easting", Mode::Twd67Tm2ToTwd97Tm2, kTaiwanRegion, true},
    {"Twd67Tm2ToTwd97Tm2Northing", Mode::Twd67Tm2ToTwd97Tm2, kTaiwanRegion, false},
    {"Twd97Tm2ToTwd67Tm2Easting", Mode::Twd97Tm2ToTwd67Tm2, kTaiwanRegion, true},
    {"Twd97Tm2ToTwd67Tm2Northing", Mode::Twd97Tm2ToTwd67Tm2, kTaiwanRegion, false},
};

class NaNInput : public testing::TestWithParam<FailureCase> {};

TEST_P(NaNInput, EndsWithAnInvalidOperationAndWritesNothing) {
  const FailureCase& c = GetParam();
  RecordingMessages messages;
  EngineState state(messages);
  ApplyTransformSettings(state, IndexOf(c.Which), c.Area);
  const double x = c.NaNInX ? gNaN : 121.0;
  const double y = c.NaNInX ? 24.0 : gNaN;
  double outX = 3;
  double outY = 4;
  EXPECT_EQ(FloatingPointFailure(state, IndexOf(c.Which), x, y, outX, outY),
            "Invalid floating point operation");
  EXPECT_EQ(outX, 3.0);
  EXPECT_EQ(outY, 4.0);

  // The flags are cleared for the next point, which converts normally.
  const bool lambertGrid = c.Which == Mode::LambertToGeographic;
  const double source = lambertGrid ? 0.0 : 121.0;
  EXPECT_NO_THROW(ConvertPoint(state, IndexOf(c.Which), source, lambertGrid ? 0.0 : 24.0, outX, outY));
}

INSTANTIATE_TEST_SUITE_P(Chains, NaNInput, testing::ValuesIn(kNaNCases), CaseName());

TEST(FloatingPoint, InfiniteCoordinateIsAnInvalidOperationInEveryMode) {
  const volatile double infinity = std::numeric_limits<double>::infinity();
  for (TransformMode mode = 0; mode < kModeCount; ++mode) {
    RecordingMessages messages;
    EngineState state(messages);
    double outX = 3;
    double outY = 4;
    EXPECT_THROW(ConvertPoint(state, mode, infinity, 24, outX, outY), FloatingPointError) << mode;
    EXPECT_THROW(ConvertPoint(state, mode, 121, -infinity, outX, outY), FloatingPointError) << mode;
    EXPECT_EQ(outX, 3.0);
    EXPECT_EQ(outY, 4.0);
  }
}

// Runs one engine step the way ConvertPoint does: flags cleared before, checked after.
template <typename Step>
std::string FailureOf(Step step) {
  ClearFloatingPointFlags();
  try {
    step();
    CheckFloatingPointFlags();
  } catch (const FloatingPointError& e) {
    return e.what();
  }
  return "";
}

TEST(FloatingPoint, GeocentricOperationsDivideByZeroOnTheAxis) {
  EXPECT_EQ(FailureOf([] { LongitudeFromGeocentric(gZero, 5000.0); }),
            "Floating point division by zero");
  EXPECT_EQ(FailureOf([] { LatitudeFromGeocentric97(gZero, gZero, 6356752.0); }),
            "Floating point division by zero");
  EXPECT_EQ(FailureOf([] { LongitudeFromGeocentric(-3002655.68, 4997258.25); }), "");
}

// The operations themselves treat a NaN they compare as an invalid operation (the compiler's
// comparisons are quiet), and the loops among them end on it instead of running forever.
TEST(FloatingPoint, OperationsThatCompareANaNRaiseInvalid) {
  const LambertParameters grid;
  double a = 0;
  double b = 0;
  const std::string invalid = "Invalid floating point operation";
  EXPECT_EQ(FailureOf([] { LongitudeFromGeocentric(gNaN, 5000.0); }), invalid);
  EXPECT_EQ(FailureOf([] { LatitudeFromGeocentric67(-3e6, 5e6, gNaN); }), invalid);
  EXPECT_EQ(FailureOf([&] { LambertForward(grid, gNaN, 0.5, a, b); }), invalid);
  EXPECT_EQ(FailureOf([&] { LambertInverse(grid, 0.0, gNaN, a, b); }), invalid);
  EXPECT_EQ(FailureOf([] { TmLatitude(TransformSettings{}, 250000.0, gNaN); }), invalid);
}

TEST(FloatingPoint, FootpointOfANaNRaisesInvalidInsteadOfComparingQuietly) {
  const MeridianArc arc = MeridianArcOf(6378137, 6356752.314);
  Extended found = 0;
  EXPECT_EQ(FailureOf([&] { found = FootpointLatitude(arc, gNaN, 10001); }),
            "Invalid floating point operation");
  EXPECT_TRUE(std::isnan(found));
}

struct StoreOrderCase {
  const char* Name;
  Mode Which;
  double X, Y;
  double StoredY;  // the output stored before the overflowing step
};

// G1 stores the latitude, then the longitude; G2 the northing, then the easting. On the
// equator the first output is 0 whatever the other coordinate, and the second overflows.
const StoreOrderCase kStoreOrder[] = {
    {"GridToGeographicKeepsTheLatitude", Mode::Twd67Tm2ToTwd67Geographic, 1e70, 0.0, 0.0},
    {"GeographicToGridKeepsTheNorthing", Mode::Twd67GeographicToTwd67Tm2, 1e300, 0.0, 0.0},
};

class StoreOrder : public testing::TestWithParam<StoreOrderCase> {};

TEST_P(StoreOrder, OverflowKeepsTheOutputStoredBeforeIt) {
  const StoreOrderCase& c = GetParam();
  RecordingMessages messages;
  EngineState state(messages);
  ApplyTransformSettings(state, IndexOf(c.Which), kTaiwanRegion);
  volatile double x = c.X;
  volatile double y = c.Y;
  double outX = 3;
  double outY = 4;
  EXPECT_EQ(FloatingPointFailure(state, IndexOf(c.Which), x, y, outX, outY), "Floating point overflow");
  EXPECT_EQ(outY, c.StoredY);
  EXPECT_EQ(outX, 3.0);
}

INSTANTIATE_TEST_SUITE_P(Chains, StoreOrder, testing::ValuesIn(kStoreOrder), CaseName());

TEST(FloatingPoint, ConversionsLeaveTheHardwareTrapsMasked) {
  RecordingMessages messages;
  EngineState state(messages);
  double x = 0;
  double y = 0;
  ConvertPoint(state, IndexOf(Mode::Twd67Tm2ToTwd97Tm2), 250000, 2650000, x, y);
  EXPECT_THROW(ConvertPoint(state, IndexOf(Mode::Twd67GeographicToTwd97Geographic), gNaN, 24, x, y),
               FloatingPointError);
  EXPECT_EQ(fegetexcept(), 0);  // glibc: the set of enabled (trapping) exceptions
}

}  // namespace
}  // namespace morvane
