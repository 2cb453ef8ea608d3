// ConvertPoints against a loop of ConvertPoint over the same pairs: the same bits, the same
// settings written, the same messages, and on a failure the same error with the pairs before it
// converted, the failing one as ConvertPoint leaves it and the later ones untouched, wherever
// in a block of pairs the failure falls.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "test_support.hpp"

namespace morvane {
namespace {

using ::morvane::PrintTo;  // rows print by name in reports

// What a conversion of a list of pairs leaves behind.
struct Outcome {
  std::vector<double> Pairs;
  std::string Error;  // empty if none was thrown
  std::vector<std::string> Messages;
  TransformSettings Settings;
};

using SetUp = std::function<void(EngineState&)>;
using Conversion = std::function<void(EngineState&, TransformMode, std::vector<double>&)>;

// A fresh state, `setUp` (ApplyTransformSettings by default), then `convert` on the pairs.
Outcome Converted(TransformMode mode, Region region, std::vector<double> pairs, const Conversion& convert,
                  const SetUp& setUp) {
  RecordingMessages messages;
  EngineState state(messages);
  if (setUp) {
    setUp(state);
  } else {
    ApplyTransformSettings(state, mode, region);
  }
  Outcome outcome;
  try {
    convert(state, mode, pairs);
  } catch (const ConversionError& error) {
    outcome.Error = error.what();
  }
  outcome.Pairs = pairs;
  outcome.Messages = messages.Texts;
  outcome.Settings = state.Settings;
  return outcome;
}

Outcome WithConvertPoints(TransformMode mode, Region region, std::vector<double> pairs, const SetUp& setUp = {}) {
  return Converted(mode, region, std::move(pairs),
                   [](EngineState& state, TransformMode m, std::vector<double>& p) { ConvertPoints(state, m, p); },
                   setUp);
}

// The loop that ConvertPoints stands for.
Outcome WithConvertPoint(TransformMode mode, Region region, std::vector<double> pairs, const SetUp& setUp = {}) {
  return Converted(mode, region, std::move(pairs),
                   [](EngineState& state, TransformMode m, std::vector<double>& p) {
                     for (std::size_t i = 0; i + 1 < p.size(); i += 2) ConvertPoint(state, m, p[i], p[i + 1], p[i], p[i + 1]);
                   },
                   setUp);
}

void ExpectSameOutcome(const Outcome& got, const Outcome& expected) {
  EXPECT_EQ(got.Error, expected.Error);
  EXPECT_EQ(got.Messages, expected.Messages);
  ASSERT_EQ(got.Pairs.size(), expected.Pairs.size());
  for (std::size_t i = 0; i < got.Pairs.size(); ++i) {
    // Bits, not values: a NaN or a signed zero must come out as the loop leaves it.
    EXPECT_EQ(std::memcmp(&got.Pairs[i], &expected.Pairs[i], sizeof(double)), 0)
        << "element " << i << ": " << got.Pairs[i] << " instead of " << expected.Pairs[i];
  }
  // The value bytes of each field (an extended value is followed by padding).
  const auto sameValue = [](const Extended& a, const Extended& b) { return std::memcmp(&a, &b, 10) == 0; };
  EXPECT_TRUE(sameValue(got.Settings.SemiMajorAxis, expected.Settings.SemiMajorAxis));
  EXPECT_TRUE(sameValue(got.Settings.InverseFlattening, expected.Settings.InverseFlattening));
  EXPECT_TRUE(sameValue(got.Settings.FalseEasting, expected.Settings.FalseEasting));
  EXPECT_TRUE(sameValue(got.Settings.ScaleFactor, expected.Settings.ScaleFactor));
  EXPECT_TRUE(sameValue(got.Settings.CentralMeridian, expected.Settings.CentralMeridian));
}

// `count` pairs in the source system of `mode`: geographic points of the region, taken through
// the forward mode that gives the mode's source grid where it has one.
std::vector<double> SourcePairs(TransformMode mode, Region region, int count) {
  std::mt19937_64 random(mode * 10 + region);
  const bool mainland = region == kMainlandRegion;
  std::uniform_real_distribution<double> lon(mainland ? 100.0 : 119.0, mainland ? 125.0 : 122.5);
  std::uniform_real_distribution<double> lat(mainland ? 20.0 : 21.5, mainland ? 45.0 : 26.0);
  std::vector<double> pairs;
  for (int i = 0; i < count; ++i) {
    pairs.push_back(lon(random));
    pairs.push_back(lat(random));
  }
  // The forward mode whose output is this mode's input; geographic sources need none.
  const std::optional<Mode> forward[kModeCount] = {
      Mode::Twd67GeographicToTwd67Tm2, {}, Mode::Twd67GeographicToTm3, {}, Mode::Twd67GeographicToUtm, {},
      Mode::GeographicToLambert, {}, {}, {}, Mode::Twd67GeographicToTwd67Tm2, Mode::Twd97GeographicToTwd97Tm2,
      Mode::Twd97GeographicToTwd97Tm2, {}, {}, {}};
  if (forward[mode]) {
    RecordingMessages messages;
    EngineState state(messages);
    const TransformMode preparing = IndexOf(*forward[mode]);
    ApplyTransformSettings(state, preparing, region);
    ConvertPoints(state, preparing, pairs);
  }
  return pairs;
}

struct ModeRegion {
  TransformMode Mode;
  Region Area;
};

class EveryModeAndRegion : public testing::TestWithParam<ModeRegion> {};

// 301 pairs: four full blocks and an odd part, so that block edges fall inside the list and
// a pair is left over where pairs are converted two at a time.
TEST_P(EveryModeAndRegion, GivesTheBitsOfConvertPointPairByPair) {
  const auto [mode, region] = GetParam();
  const std::vector<double> pairs = SourcePairs(mode, region, 301);
  ExpectSameOutcome(WithConvertPoints(mode, region, pairs), WithConvertPoint(mode, region, pairs));
}

std::vector<ModeRegion> AllModesAndRegions() {
  std::vector<ModeRegion> all;
  for (TransformMode mode = 0; mode < kModeCount; ++mode) {
    for (Region region = 0; region < kRegionCount; ++region) all.push_back({mode, region});
  }
  return all;
}

// The mode as users number it, 1 to 16, and the region by name.
std::string ModeRegionName(const testing::TestParamInfo<ModeRegion>& row) {
  const char* const regions[kRegionCount] = {"Taiwan", "Islands", "Mainland"};
  return "Mode" + std::to_string(RowOf(row.param.Mode).Number) + regions[row.param.Area];
}

INSTANTIATE_TEST_SUITE_P(Modes, EveryModeAndRegion, testing::ValuesIn(AllModesAndRegions()), ModeRegionName);

// A pair that ends the conversion, put at several places in a list of good pairs.
struct FailureCase {
  const char* Name;
  Mode Which;
  Region Area;
  double X, Y;
  const char* Error;
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInfinity = std::numeric_limits<double>::infinity();

const FailureCase kFailures[] = {
    {"NaNInverse", Mode::Twd67Tm2ToTwd67Geographic, kTaiwanRegion, kNaN, 2650000, "Invalid floating point operation"},
    {"InfiniteDatum", Mode::Twd67GeographicToTwd97Geographic, kTaiwanRegion, 121, kInfinity,
     "Invalid floating point operation"},
    // The northing is stored before the easting overflows: the pair is left half written.
    {"OverflowAfterAStore", Mode::Twd67GeographicToTwd67Tm2, kTaiwanRegion, 1e300, 0.0, "Floating point overflow"},
    {"OutsideTheLambertGrid", Mode::LambertToGeographic, kMainlandRegion, 5e7, 0,
     "The point (50000000, 0) lies outside the Lambert grid"},
    {"OverflowWhileWritingSettings", Mode::Twd97Tm2ToTwd67Tm2, kTaiwanRegion, 1e300, 1e300,
     "Invalid floating point operation"},
};

class FailureInAList : public testing::TestWithParam<FailureCase> {};

TEST_P(FailureInAList, StopsWhereConvertPointStops) {
  const FailureCase& c = GetParam();
  // First in the list, inside the first block, last of a block, first of the next, the last
  // pair (left over where pairs are converted two at a time).
  for (const int at : {0, 17, 63, 64, 100}) {
    std::vector<double> pairs = SourcePairs(IndexOf(c.Which), c.Area, 101);
    pairs[2 * at] = c.X;
    pairs[2 * at + 1] = c.Y;
    const Outcome expected = WithConvertPoint(IndexOf(c.Which), c.Area, pairs);
    ASSERT_EQ(expected.Error, c.Error) << "at " << at;
    ExpectSameOutcome(WithConvertPoints(IndexOf(c.Which), c.Area, pairs), expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Pairs, FailureInAList, testing::ValuesIn(kFailures), CaseName());

TEST(ConvertPoints, AFlagRaisedBeforeTheCallChangesNoResult) {
  constexpr TransformMode kGridToGeographic = IndexOf(Mode::Twd67Tm2ToTwd67Geographic);
  const std::vector<double> pairs = SourcePairs(kGridToGeographic, kTaiwanRegion, 100);
  const Outcome expected = WithConvertPoint(kGridToGeographic, kTaiwanRegion, pairs);
  std::feraiseexcept(FE_OVERFLOW);
  const Outcome got = WithConvertPoints(kGridToGeographic, kTaiwanRegion, pairs);
  std::feclearexcept(FE_ALL_EXCEPT);
  ExpectSameOutcome(got, expected);
}

TEST(ConvertPoints, OutOfRangeModeShowsOneMessagePerPairAndWritesNothing) {
  const std::vector<double> pairs = {1, 2, 3, 4, 5};  // the odd last element is no pair
  const Outcome got = WithConvertPoints(kModeCount, kTaiwanRegion, pairs);  // one past the last mode
  EXPECT_EQ(got.Pairs, pairs);
  EXPECT_EQ(got.Messages, (std::vector<std::string>{"No this choice", "No the other choice",
                                                    "No the other choice"}));
}

// Mode 12 (TWD97 TM2 to TWD67 TM2) writes its TWD67 grid fields; here they held the UTM grid of
// an earlier run.
TEST(ConvertPoints, Twd97Tm2ToTwd67Tm2WritesTheSettingsAsTheLoopDoes) {
  constexpr TransformMode kTwd97Tm2ToTwd67Tm2 = IndexOf(Mode::Twd97Tm2ToTwd67Tm2);
  const auto afterUtmRun = [](EngineState& state) {
    ApplyTransformSettings(state, IndexOf(Mode::Twd67GeographicToUtm), kIslandsRegion);
    ApplyTransformSettings(state, kTwd97Tm2ToTwd67Tm2, kIslandsRegion);
    state.Settings.FalseEasting = 500000;
    state.Settings.ScaleFactor = 0.9996L;
    state.Settings.InverseFlattening = 297;
  };
  const std::vector<double> pairs = SourcePairs(kTwd97Tm2ToTwd67Tm2, kIslandsRegion, 100);
  const Outcome expected = WithConvertPoint(kTwd97Tm2ToTwd67Tm2, kIslandsRegion, pairs, afterUtmRun);
  EXPECT_EQ(expected.Settings.FalseEasting, 250000);
  ExpectSameOutcome(WithConvertPoints(kTwd97Tm2ToTwd67Tm2, kIslandsRegion, pairs, afterUtmRun), expected);
  // Nothing to convert, nothing written.
  const Outcome none = WithConvertPoints(kTwd97Tm2ToTwd67Tm2, kIslandsRegion, {}, afterUtmRun);
  EXPECT_EQ(none.Settings.FalseEasting, 500000);
}

TEST(ConvertPoints, LeavesAnOddLastElementAlone) {
  constexpr TransformMode kGeographicToGrid = IndexOf(Mode::Twd67GeographicToTwd67Tm2);
  std::vector<double> pairs = SourcePairs(kGeographicToGrid, kTaiwanRegion, 3);
  pairs.push_back(1e300);
  const Outcome got = WithConvertPoints(kGeographicToGrid, kTaiwanRegion, pairs);
  EXPECT_EQ(got.Error, "");
  EXPECT_EQ(got.Pairs.back(), 1e300);
  pairs.pop_back();
  const Outcome expected = WithConvertPoint(kGeographicToGrid, kTaiwanRegion, pairs);
  EXPECT_EQ(std::vector<double>(got.Pairs.begin(), got.Pairs.end() - 1), expected.Pairs);
}

}  // namespace
}  // namespace morvane
