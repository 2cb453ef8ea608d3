// Floating-point failures: a conversion behaves as if invalid operation, division by zero and
// overflow were trapped, with the exact texts, and keeps an output stored before the failing
// step. Inputs are volatile so that the compiler cannot fold the failing arithmetic away.
#include <gtest/gtest.h>

#include <cfenv>
#include <limits>
#include <string>

#include "engine/datum_shift.hpp"
#include "engine/lambert_conic.hpp"
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
  TransformMode Mode;
  Region Area;
  bool NaNInX;  // otherwise y is NaN
};

// Every chain: those that compare the coordinate (the footpoint search, the Lambert range
// tests, the longitude and latitude steps of the datum chains) and those that would carry it
// through without a comparison (the forward series, the easting of the inverse), which used to
// write NaN without a word. Names and cases give the TransformMode index, one less than the
// mode users see ("Mode0Easting" is mode 1's).
const FailureCase kNaNCases[] = {
    {"Mode0Easting", 0, 0, true},     {"Mode1Longitude", 1, 0, true},
    {"Mode3Latitude", 3, 0, false},   {"Mode5Longitude", 5, 1, true},
    {"Mode13Latitude", 13, 0, false},
    {"Mode0Northing", 0, 0, false},   {"Mode2Northing", 2, 0, false},
    {"Mode4Northing", 4, 0, false},   {"Mode12Northing", 12, 0, false},
    {"Mode6Easting", 6, 2, true},     {"Mode6Northing", 6, 2, false},
    {"Mode7Longitude", 7, 2, true},   {"Mode7Latitude", 7, 2, false},
    {"Mode8Longitude", 8, 0, true},   {"Mode8Latitude", 8, 0, false},
    {"Mode9Longitude", 9, 0, true},   {"Mode14Latitude", 14, 0, false},
    {"Mode15Longitude", 15, 0, true}, {"Mode10Easting", 10, 0, true},
    {"Mode10Northing", 10, 0, false}, {"Mode11Easting", 11, 0, true},
    {"Mode11Northing", 11, 0, false},
};

class NaNInput : public testing::TestWithParam<FailureCase> {};

TEST_P(NaNInput, EndsWithAnInvalidOperationAndWritesNothing) {
  const FailureCase& c = GetParam();
  RecordingMessages messages;
  EngineState state(messages);
  ApplyTransformSettings(state, c.Mode, c.Area);
  const double x = c.NaNInX ? gNaN : 121.0;
  const double y = c.NaNInX ? 24.0 : gNaN;
  double outX = 3;
  double outY = 4;
  EXPECT_EQ(FloatingPointFailure(state, c.Mode, x, y, outX, outY),
            "Invalid floating point operation");
  EXPECT_EQ(outX, 3.0);
  EXPECT_EQ(outY, 4.0);

  // The flags are cleared for the next point, which converts normally.
  const double source = c.Mode == 6 ? 0.0 : 121.0;
  EXPECT_NO_THROW(ConvertPoint(state, c.Mode, source, c.Mode == 6 ? 0.0 : 24.0, outX, outY));
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
  TransformMode Mode;
  double X, Y;
  double StoredY;  // the output stored before the overflowing step
};

// G1 stores the latitude, then the longitude; G2 the northing, then the easting. On the
// equator the first output is 0 whatever the other coordinate, and the second overflows.
const StoreOrderCase kStoreOrder[] = {
    {"GridToGeographicKeepsTheLatitude", 0, 1e70, 0.0, 0.0},
    {"GeographicToGridKeepsTheNorthing", 1, 1e300, 0.0, 0.0},
};

class StoreOrder : public testing::TestWithParam<StoreOrderCase> {};

TEST_P(StoreOrder, OverflowKeepsTheOutputStoredBeforeIt) {
  const StoreOrderCase& c = GetParam();
  RecordingMessages messages;
  EngineState state(messages);
  ApplyTransformSettings(state, c.Mode, 0);
  volatile double x = c.X;
  volatile double y = c.Y;
  double outX = 3;
  double outY = 4;
  EXPECT_EQ(FloatingPointFailure(state, c.Mode, x, y, outX, outY), "Floating point overflow");
  EXPECT_EQ(outY, c.StoredY);
  EXPECT_EQ(outX, 3.0);
}

INSTANTIATE_TEST_SUITE_P(Chains, StoreOrder, testing::ValuesIn(kStoreOrder), CaseName());

TEST(FloatingPoint, ConversionsLeaveTheHardwareTrapsMasked) {
  RecordingMessages messages;
  EngineState state(messages);
  double x = 0;
  double y = 0;
  ConvertPoint(state, 10, 250000, 2650000, x, y);
  EXPECT_THROW(ConvertPoint(state, 8, gNaN, 24, x, y), FloatingPointError);
  EXPECT_EQ(fegetexcept(), 0);  // glibc: the set of enabled (trapping) exceptions
}

}  // namespace
}  // namespace morvane
