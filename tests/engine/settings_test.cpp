// ApplyTransformSettings: which fields a run writes, what it keeps from earlier runs, when the
// mainland Lambert grid is set up, and the "No this choice" message.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "engine/constants.hpp"
#include "engine/engine_state.hpp"
#include "test_support.hpp"

namespace morvane {
namespace {

using ::morvane::PrintTo;  // rows print by name in reports

struct SettingsRun {
  TransformMode Mode;
  Region Area;
};

struct SettingsCase {
  const char* Name;
  std::vector<SettingsRun> Runs;  // applied in order, starting from the start values
  // Expected fields: each the double nearest to the decimal, held in extended precision.
  double SemiMajorAxis;
  double InverseFlattening;
  double FalseEasting;
  double ScaleFactor;
  double CentralMeridian;
  bool MainlandGrid;  // the mainland Lambert grid is in force afterwards
  int Messages;       // number of "No this choice" messages
};

// Rows marked [edge] are the edge cases that the settings tables come with; [dev] rows are the
// islands' (region 2) central meridian of modes 9, 11 and 12, which the tables leave open (an
// earlier run's 121 or 123 would put island points in the wrong zone). The case names and the
// runs give the engine's TransformMode and Region indexes, one less than the numbers users see:
// "Mode8Region1" is mode 9 in region 2.
const SettingsCase kSettingsCases[] = {
    {"StartValues", {}, 6378160, 298.247167, 250000, 0.9999, 121, false, 0},
    {"FirstRunMode0Region0", {{0, 0}}, 6378160, 298.247167, 250000, 0.9999, 121, false, 0},  // [edge]
    {"Mode13Region1", {{13, 1}}, 6378137, 298.257222101, 250000, 0.9999, 119, false, 0},     // [edge]
    {"Mode3Region1", {{3, 1}}, 6378160, 298.247167, 350000, 1, 118, false, 0},               // [edge]
    {"Mode5Region1", {{5, 1}}, 6378160, 297, 500000, 0.9996, 117, false, 0},                 // [edge]
    {"Mode4Region0IsZone51", {{4, 0}}, 6378160, 297, 500000, 0.9996, 123, false, 0},
    {"Mode2Region0", {{2, 0}}, 6378160, 298.247167, 350000, 1, 121, false, 0},
    {"Mode13ThenMode10", {{13, 0}, {10, 0}}, 6378160, 298.247167, 250000, 0.9999, 121, false, 0},  // [edge]
    {"Mode4Region2FirstRun", {{4, 2}}, 6378160, 297, 500000, 0.9996, 121, true, 0},       // [edge]
    {"Mode1Region2", {{1, 2}}, 6378160, 298.247167, 250000, 0.9999, 121, true, 0},        // [edge]
    {"Mode8Region0AfterMode13Region1", {{13, 1}, {8, 0}}, 6378137, 298.257222101, 250000, 0.9999,
     121, false, 0},                                                                        // [edge]
    {"Mode3Region2KeepsEarlierMeridian", {{5, 1}, {3, 2}}, 6378160, 298.247167, 350000, 1, 117,
     true, 0},
    {"Mode11Region2KeepsEarlierMeridian", {{4, 0}, {11, 2}}, 6378160, 298.247167, 250000, 0.9999,
     123, true, 0},
    // The Lambert modes keep every field and set up the mainland grid in any region.
    {"Mode6Region1KeepsEveryField", {{4, 1}, {6, 1}}, 6378160, 297, 500000, 0.9996, 117, true, 0},
    {"Mode14Region0WritesOnlyTheMeridian", {{5, 1}, {14, 0}}, 6378160, 297, 500000, 0.9996, 121,
     false, 0},
    {"Mode8Region1GetsTheIslandsMeridian", {{5, 0}, {8, 1}}, 6378160, 297, 500000, 0.9996, 119,
     false, 0},                                                                              // [dev]
    {"Mode10Region1GetsTheIslandsMeridian", {{5, 0}, {10, 1}}, 6378160, 298.247167, 250000,
     0.9999, 119, false, 0},                                                                 // [dev]
    {"Mode11Region1GetsTheIslandsMeridian", {{4, 0}, {11, 1}}, 6378160, 298.247167, 250000,
     0.9999, 119, false, 0},                                                                 // [dev]
    {"MainlandGridStaysForLaterRuns", {{0, 2}, {7, 0}}, 6378160, 298.247167, 250000, 0.9999, 121,
     true, 0},
    {"ModeOutOfRangeRegion0", {{5, 1}, {16, 0}}, 6378160, 297, 500000, 0.9996, 121, false, 1},
    {"ModeMinusOneRegion1Keeps", {{5, 1}, {0xFFFFFFFFu, 1}}, 6378160, 297, 500000, 0.9996, 117,
     false, 1},
    {"ModeOutOfRangeRegion2SetsUpTheGrid", {{16, 2}}, 6378160, 298.247167, 250000, 0.9999, 121, true,
     1},
    {"RegionOutOfRangeAfterStep1", {{4, 0}, {3, 3}}, 6378160, 298.247167, 350000, 1, 123, false, 1},
    {"RegionMinusOne", {{1, -1}}, 6378160, 298.247167, 250000, 0.9999, 121, false, 1},
    {"BothOutOfRange", {{16, 3}}, 6378160, 298.247167, 250000, 0.9999, 121, false, 2},
};

class SettingsTable : public testing::TestWithParam<SettingsCase> {};

TEST_P(SettingsTable, RunsWriteAndKeepTheFieldsOfTheTables) {
  const SettingsCase& c = GetParam();
  RecordingMessages messages;
  EngineState state(messages);
  for (const SettingsRun& run : c.Runs) ApplyTransformSettings(state, run.Mode, run.Area);

  EXPECT_EQ(state.Settings.SemiMajorAxis, static_cast<Extended>(c.SemiMajorAxis));
  EXPECT_EQ(state.Settings.InverseFlattening, static_cast<Extended>(c.InverseFlattening));
  EXPECT_EQ(state.Settings.FalseEasting, static_cast<Extended>(c.FalseEasting));
  EXPECT_EQ(state.Settings.ScaleFactor, static_cast<Extended>(c.ScaleFactor));
  EXPECT_EQ(state.Settings.CentralMeridian, static_cast<Extended>(c.CentralMeridian));

  const bool mainland = state.Lambert.CentralMeridian == kMainlandCentralMeridian &&
                        state.Lambert.OriginLatitude == kMainlandOriginLatitude &&
                        state.Lambert.FirstStandardParallel == kMainlandFirstParallel &&
                        state.Lambert.SecondStandardParallel == kMainlandSecondParallel;
  EXPECT_EQ(mainland, c.MainlandGrid);
  EXPECT_EQ(messages.Texts, std::vector<std::string>(c.Messages, "No this choice"));
}

INSTANTIATE_TEST_SUITE_P(Runs, SettingsTable, testing::ValuesIn(kSettingsCases), CaseName());

TEST(Settings, MainlandRunDerivesTheGridFromTheModulesOwnEllipsoid) {
  RecordingMessages messages;
  EngineState state(messages);
  const LambertParameters initial = state.Lambert;
  ApplyTransformSettings(state, 6, 2);
  EXPECT_EQ(state.Lambert.SemiMajorAxis, initial.SemiMajorAxis);
  EXPECT_EQ(state.Lambert.Flattening, initial.Flattening);
  EXPECT_EQ(state.Lambert.FalseEasting, 0.0);
  EXPECT_EQ(state.Lambert.FalseNorthing, 0.0);
  EXPECT_NEAR(state.Lambert.ConeConstant, 0.5915298988, 5e-11);
}

TEST(Settings, RunsWithoutRegion2LeaveTheLambertGridAlone) {
  RecordingMessages messages;
  EngineState state(messages);
  ApplyTransformSettings(state, 7, 2);
  const LambertParameters mainland = state.Lambert;
  for (TransformMode mode = 0; mode < kModeCount; ++mode) {
    ApplyTransformSettings(state, mode, static_cast<Region>(mode % 2));
  }
  EXPECT_EQ(state.Lambert.ConeConstant, mainland.ConeConstant);
  EXPECT_EQ(state.Lambert.OriginRadius, mainland.OriginRadius);
  EXPECT_EQ(state.Lambert.CentralMeridian, mainland.CentralMeridian);
}

}  // namespace
}  // namespace morvane
