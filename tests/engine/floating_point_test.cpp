// Floating-point failures: a conversion behaves as if invalid operation, division by zero and
// overflow were trapped, with the exact texts, and keeps an output stored before the failing
// step. Inputs are volatile so that the compiler cannot fold the failing arithmetic away.
#include <gtest/gtest.h>

#include <cfenv>
#include <limits>
#include <string>

#include "engine/datum_shift.hpp"
#include "engine/modes.hpp"
#include "engine/transverse_mercator.hpp"
#include "test_support.hpp"

namespace morvane {
namespace {

using ::morvane::PrintTo;  // rows print by name in reports

volatile double gNaN = std::numeric_limits<double>::quiet_NaN();
volatile double gZero = 0.0;

struct FailureCase {
  const char* Name;
  TransformMode Mode;
  Region Area;
  bool NaNInX;  // otherwise y is NaN
};

// Every chain that compares its input: the footpoint search (northing), the Lambert range
// tests, and the longitude and latitude steps of the datum chains.
const FailureCase kNaNCases[] = {
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
  try {
    ConvertPoint(state, c.Mode, x, y, outX, outY);
    ADD_FAILURE() << "no error";
  } catch (const FloatingPointError& e) {
    EXPECT_STREQ(e.what(), "Invalid floating point operation");
  }
  EXPECT_EQ(outX, 3.0);
  EXPECT_EQ(outY, 4.0);

  // The flags are cleared for the next point, which converts normally.
  const double source = c.Mode == 6 ? 0.0 : 121.0;
  EXPECT_NO_THROW(ConvertPoint(state, c.Mode, source, c.Mode == 6 ? 0.0 : 24.0, outX, outY));
}

INSTANTIATE_TEST_SUITE_P(Chains, NaNInput, testing::ValuesIn(kNaNCases), CaseName());

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
  try {
    ConvertPoint(state, c.Mode, x, y, outX, outY);
    ADD_FAILURE() << "no error";
  } catch (const FloatingPointError& e) {
    EXPECT_STREQ(e.what(), "Floating point overflow");
  }
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
