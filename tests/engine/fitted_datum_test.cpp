// The datum modes with a fitted plane transform: against the transform composed by hand with the
// engine's plain Transverse Mercator operations, one point against several, round trips, the
// refusals of CheckDatumStep, and the other modes left as they are.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/builtin_transforms.hpp"
#include "engine/constants.hpp"
#include "engine/conversion.hpp"
#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "engine/plane_transform.hpp"
#include "engine/transverse_mercator.hpp"
#include "test_support.hpp"

namespace morvane {
namespace {

using ::morvane::PrintTo;  // rows print by name in reports

// The fitted step of the region's built-in model.
Conversion FittedConversion(Mode mode, Region region) {
  const int meridian = *RegionTm2Meridian(region);
  return {IndexOf(mode), region, {DatumStepKind::CommonPoints, "", BuiltinTransform(meridian)}};
}

// The TWD67 two-degree grid on `meridian`, as a settings record for the plain operations.
TransformSettings Twd67Tm2On(int meridian) {
  TransformSettings settings;
  settings.SemiMajorAxis = kTwd67SemiMajorAxis;
  settings.InverseFlattening = kTwd67InverseFlattening;
  settings.FalseEasting = kTm2FalseEasting;
  settings.ScaleFactor = kTm2ScaleFactor;
  settings.CentralMeridian = meridian;
  return settings;
}

// The fixed TWD97 grid reads only the central meridian.
TransformSettings Twd97Tm2On(int meridian) {
  TransformSettings settings;
  settings.CentralMeridian = meridian;
  return settings;
}

struct Pair {
  double X;
  double Y;
};

// What the mode must give for (x, y), composed by hand from the transform and the plain
// operations (not the shortcuts the engine takes).
Pair ByHand(const FittedTransform& t, Mode mode, double x, double y) {
  const TransformSettings s67 = Twd67Tm2On(t.Meridian());
  const TransformSettings s97 = Twd97Tm2On(t.Meridian());
  Pair out{};
  switch (mode) {
    case Mode::Twd67Tm2ToTwd97Tm2:
      t.Forward(x, y, out.X, out.Y);
      break;
    case Mode::Twd97Tm2ToTwd67Tm2:
      EXPECT_TRUE(t.Inverse(x, y, out.X, out.Y));
      break;
    case Mode::Twd67GeographicToTwd97Geographic:
    case Mode::Twd67GeographicToWgs84Geographic: {
      double e97 = 0;
      double n97 = 0;
      t.Forward(static_cast<double>(TmEasting(s67, x, y)), static_cast<double>(TmNorthing(s67, x, y)), e97, n97);
      out = {static_cast<double>(Tm2Longitude97(s97, e97, n97)), static_cast<double>(Tm2Latitude97(s97, e97, n97))};
      break;
    }
    default: {
      double e67 = 0;
      double n67 = 0;
      EXPECT_TRUE(t.Inverse(static_cast<double>(Tm2Easting97(s97, x, y)), static_cast<double>(Tm2Northing97(s97, x, y)),
                            e67, n67));
      out = {static_cast<double>(TmLongitude(s67, e67, n67)), static_cast<double>(TmLatitude(s67, e67, n67))};
      break;
    }
  }
  return out;
}

// Source points of `mode` around the region's common points: the TWD67 or TWD97 grid points
// themselves, or their longitudes and latitudes on the source datum.
std::vector<double> SourcePairs(Mode mode, Region region) {
  const int meridian = *RegionTm2Meridian(region);
  std::vector<double> pairs;
  for (const CommonPoint& point : BuiltinCommonPoints(meridian)) {
    const bool from67 = RowOf(mode).Source.System == Datum::Twd67;
    const double e = from67 ? point.E67 : point.E97;
    const double n = from67 ? point.N67 : point.N97;
    if (RowOf(mode).Source.Kind != GridKind::Geographic) {
      pairs.insert(pairs.end(), {e, n});
    } else if (from67) {
      const TransformSettings s67 = Twd67Tm2On(meridian);
      pairs.insert(pairs.end(), {static_cast<double>(TmLongitude(s67, e, n)), static_cast<double>(TmLatitude(s67, e, n))});
    } else {
      const TransformSettings s97 = Twd97Tm2On(meridian);
      pairs.insert(pairs.end(),
                   {static_cast<double>(Tm2Longitude97(s97, e, n)), static_cast<double>(Tm2Latitude97(s97, e, n))});
    }
  }
  return pairs;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct FittedCase {
  std::string Name;
  Mode Id;
  Region Area;
};

class FittedModes : public testing::TestWithParam<FittedCase> {};

TEST_P(FittedModes, EqualTheTransformComposedByHandOnePointOrSeveral) {
  const FittedCase& c = GetParam();
  RecordingMessages messages;
  const Conversion conversion = FittedConversion(c.Id, c.Area);
  ASSERT_FALSE(CheckDatumStep(conversion));
  EngineState one = EngineFor(conversion, messages);
  EngineState several = EngineFor(conversion, messages);
  const std::vector<double> source = SourcePairs(c.Id, c.Area);
  ASSERT_GT(source.size(), 20u);
  // Several blocks' worth, so that block edges fall inside the list.
  std::vector<double> pairs;
  for (int copy = 0; copy < 10; ++copy) pairs.insert(pairs.end(), source.begin(), source.end());
  std::vector<double> converted = pairs;
  ConvertPoints(several, IndexOf(c.Id), converted);
  for (std::size_t i = 0; i < pairs.size(); i += 2) {
    const Pair expected = ByHand(*conversion.Datum.Transform, c.Id, pairs[i], pairs[i + 1]);
    double x = 0;
    double y = 0;
    ConvertPoint(one, IndexOf(c.Id), pairs[i], pairs[i + 1], x, y);
    ASSERT_TRUE(SameBits(x, expected.X) && SameBits(y, expected.Y))
        << "pair " << i / 2 << ": (" << x << ", " << y << ") instead of (" << expected.X << ", " << expected.Y << ")";
    ASSERT_TRUE(SameBits(converted[i], x) && SameBits(converted[i + 1], y)) << "pair " << i / 2;
  }
  EXPECT_TRUE(messages.Texts.empty());
  // The settings as the standard chain leaves them (mode 12 writes its TWD67 grid fields).
  RecordingMessages standardMessages;
  EngineState standard = EngineFor({IndexOf(c.Id), c.Area, {}}, standardMessages);
  double x = pairs[0];
  double y = pairs[1];
  ConvertPoint(standard, IndexOf(c.Id), x, y, x, y);
  for (const EngineState* state : {&one, &several}) {
    EXPECT_EQ(std::memcmp(&state->Settings.FalseEasting, &standard.Settings.FalseEasting, 10), 0);
    EXPECT_EQ(std::memcmp(&state->Settings.ScaleFactor, &standard.Settings.ScaleFactor, 10), 0);
    EXPECT_EQ(std::memcmp(&state->Settings.InverseFlattening, &standard.Settings.InverseFlattening, 10), 0);
    EXPECT_EQ(std::memcmp(&state->Settings.CentralMeridian, &standard.Settings.CentralMeridian, 10), 0);
  }
}

std::vector<FittedCase> FittedCases() {
  std::vector<FittedCase> cases;
  for (const Mode mode :
       {Mode::Twd67GeographicToTwd97Geographic, Mode::Twd97GeographicToTwd67Geographic, Mode::Twd67Tm2ToTwd97Tm2,
        Mode::Twd97Tm2ToTwd67Tm2, Mode::Twd67GeographicToWgs84Geographic, Mode::Wgs84GeographicToTwd67Geographic}) {
    for (const Region region : {kTaiwanRegion, kIslandsRegion}) {
      cases.push_back({"Mode" + std::to_string(RowOf(mode).Number) + (region == kTaiwanRegion ? "Taiwan" : "Penghu"),
                       mode, region});
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(DatumModes, FittedModes, testing::ValuesIn(FittedCases()), CaseName{});

// Converting there and back returns to the start: to 0.1 mm on the grid, and to 1e-9 degrees
// (0.1 mm) in longitude and latitude.
struct RoundTrip {
  std::string Name;
  Mode There;
  Mode Back;
  Region Area;
  double Tolerance;
};

class FittedRoundTrips : public testing::TestWithParam<RoundTrip> {};

TEST_P(FittedRoundTrips, ReturnToTheStart) {
  const RoundTrip& c = GetParam();
  RecordingMessages messages;
  EngineState there = EngineFor(FittedConversion(c.There, c.Area), messages);
  EngineState back = EngineFor(FittedConversion(c.Back, c.Area), messages);
  const std::vector<double> start = SourcePairs(c.There, c.Area);
  std::vector<double> pairs = start;
  ConvertPoints(there, IndexOf(c.There), pairs);
  ConvertPoints(back, IndexOf(c.Back), pairs);
  for (std::size_t i = 0; i < pairs.size(); ++i) EXPECT_NEAR(pairs[i], start[i], c.Tolerance) << "element " << i;
}

INSTANTIATE_TEST_SUITE_P(
    DatumModes, FittedRoundTrips,
    testing::Values(RoundTrip{"Tm2Taiwan", Mode::Twd67Tm2ToTwd97Tm2, Mode::Twd97Tm2ToTwd67Tm2, kTaiwanRegion, 1e-4},
                    RoundTrip{"Tm2Penghu", Mode::Twd67Tm2ToTwd97Tm2, Mode::Twd97Tm2ToTwd67Tm2, kIslandsRegion, 1e-4},
                    RoundTrip{"GeographicTaiwan", Mode::Twd67GeographicToTwd97Geographic,
                              Mode::Twd97GeographicToTwd67Geographic, kTaiwanRegion, 1e-9},
                    RoundTrip{"GeographicPenghu", Mode::Twd67GeographicToTwd97Geographic,
                              Mode::Twd97GeographicToTwd67Geographic, kIslandsRegion, 1e-9},
                    RoundTrip{"Wgs84Taiwan", Mode::Twd67GeographicToWgs84Geographic,
                              Mode::Wgs84GeographicToTwd67Geographic, kTaiwanRegion, 1e-9}),
    CaseName{});

// Mode 11 with the built-in model lands on the published TWD97 coordinates of its own points as
// closely as its fit says, and the standard step does not (it is metres off).
TEST(FittedDatum, Twd67Tm2ToTwd97Tm2LandsOnThePublishedCoordinatesAsTheFitSays) {
  for (const Region region : {kTaiwanRegion, kIslandsRegion}) {
    const Conversion conversion = FittedConversion(Mode::Twd67Tm2ToTwd97Tm2, region);
    const double largest = conversion.Datum.Transform->Summary().Max;
    RecordingMessages messages;
    EngineState fitted = EngineFor(conversion, messages);
    EngineState standard = EngineFor({conversion.Mode, region, {}}, messages);
    double worstStandard = 0;
    for (const CommonPoint& point : BuiltinCommonPoints(*RegionTm2Meridian(region))) {
      double e = 0;
      double n = 0;
      ConvertPoint(fitted, conversion.Mode, point.E67, point.N67, e, n);
      EXPECT_LE(std::hypot(e - point.E97, n - point.N97), largest + 1e-6) << point.Id;
      ConvertPoint(standard, conversion.Mode, point.E67, point.N67, e, n);
      worstStandard = std::max(worstStandard, std::hypot(e - point.E97, n - point.N97));
    }
    EXPECT_GT(worstStandard, largest) << "region " << region + 1;
  }
}

// A fitted transform in the state changes nothing for the modes that shift no datum.
TEST(FittedDatum, OtherModesIgnoreTheTransform) {
  for (TransformMode mode = 0; mode < kModeCount; ++mode) {
    if (TakesDatumStep(mode)) continue;
    for (const Region region : {kTaiwanRegion, kIslandsRegion}) {
      RecordingMessages messages;
      EngineState standard = EngineFor({mode, region, {}}, messages);
      EngineState withTransform = EngineFor({mode, region, {}}, messages);
      withTransform.Datum = BuiltinTransform(*RegionTm2Meridian(region));
      const bool geographicSource = RowOf(mode).Source.Kind == GridKind::Geographic;
      std::vector<double> a = geographicSource ? std::vector<double>{120.5, 23.5, 121.2, 24.9}
                                               : std::vector<double>{250000.0, 2600000.0, 180000.0, 2700000.0};
      std::vector<double> b = a;
      ConvertPoints(standard, mode, a);
      ConvertPoints(withTransform, mode, b);
      for (std::size_t i = 0; i < a.size(); ++i) EXPECT_TRUE(SameBits(a[i], b[i])) << "mode " << mode + 1;
    }
  }
}

// An overflow in the fitted chain ends the point as in the other chains, nothing stored, in the
// one-point and the several-point form alike.
TEST(FittedDatum, OverflowIsAFloatingPointErrorWithNothingStored) {
  RecordingMessages messages;
  EngineState state = EngineFor(FittedConversion(Mode::Twd67Tm2ToTwd97Tm2, kTaiwanRegion), messages);
  const double huge = std::numeric_limits<double>::max();
  double x = 1;
  double y = 2;
  EXPECT_THROW(ConvertPoint(state, IndexOf(Mode::Twd67Tm2ToTwd97Tm2), huge, huge, x, y), FloatingPointError);
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, 2);
  std::vector<double> pairs = {250000.0, 2600000.0, huge, huge, 250000.0, 2600000.0};
  EXPECT_THROW(ConvertPoints(state, IndexOf(Mode::Twd67Tm2ToTwd97Tm2), pairs), FloatingPointError);
  EXPECT_NE(pairs[0], 250000.0);  // converted before the failure
  EXPECT_EQ(pairs[2], huge);      // the failing pair as it was
  EXPECT_EQ(pairs[4], 250000.0);  // untouched after it
}

// CheckDatumStep: which conversions a datum step can serve, and the English wording.
struct StepCase {
  std::string Name;
  TransformMode Mode;
  Region Area;
  DatumStepKind Kind;
  int TransformMeridian;  // 0: no transform
  std::optional<DatumStepProblem> Problem;
  std::string Wording;  // a part of the English sentence
};

class DatumStepChecks : public testing::TestWithParam<StepCase> {};

TEST_P(DatumStepChecks, RefuseWhatCannotServe) {
  const StepCase& c = GetParam();
  Conversion conversion{c.Mode, c.Area, {c.Kind, "", c.TransformMeridian ? BuiltinTransform(c.TransformMeridian) : nullptr}};
  const std::optional<DatumStepError> error = CheckDatumStep(conversion);
  ASSERT_EQ(error.has_value(), c.Problem.has_value());
  if (!error) return;
  EXPECT_EQ(error->Kind, *c.Problem);
  EXPECT_NE(DescribeInEnglish(*error).find(c.Wording), std::string::npos) << DescribeInEnglish(*error);
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, DatumStepChecks,
    testing::Values(
        StepCase{"StandardAlwaysServes", 0, kMainlandRegion, DatumStepKind::Standard, 0, std::nullopt, ""},
        StepCase{"MatchingMeridian", 10, kTaiwanRegion, DatumStepKind::CommonPoints, 121, std::nullopt, ""},
        StepCase{"PenghuOnPenghu", 8, kIslandsRegion, DatumStepKind::ModelFile, 119, std::nullopt, ""},
        StepCase{"PenghuModelInTaiwan", 10, kTaiwanRegion, DatumStepKind::ModelFile, 119,
                 DatumStepProblem::MeridianMismatch, "fitted on the 119 meridian, but region 1's grid is on the 121"},
        StepCase{"TaiwanModelOnTheIslands", 11, kIslandsRegion, DatumStepKind::CommonPoints, 121,
                 DatumStepProblem::MeridianMismatch, "fitted on the 121 meridian, but region 2's grid is on the 119"},
        StepCase{"ModeWithoutDatum", 0, kTaiwanRegion, DatumStepKind::CommonPoints, 121,
                 DatumStepProblem::NotADatumMode, "mode 1 shifts no datum"},
        StepCase{"Mainland", 10, kMainlandRegion, DatumStepKind::ModelFile, 121, DatumStepProblem::NoTm2Grid,
                 "region 3 has no two-degree grid"},
        StepCase{"NoTransform", 10, kTaiwanRegion, DatumStepKind::ModelFile, 0, DatumStepProblem::NoTransform,
                 "no transform"}),
    CaseName{});

}  // namespace
}  // namespace morvane
