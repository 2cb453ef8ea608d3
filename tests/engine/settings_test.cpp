// ApplyTransformSettings: which fields a run writes, what it keeps from earlier runs, when the
// mainland Lambert grid is set up, and the "No this choice" message.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "engine/constants.hpp"
#include "engine/engine_state.hpp"
#include "engine/mode_table.hpp"
#include "test_support.hpp"

namespace morvane {
namespace {

using ::morvane::PrintTo;  // rows print by name in reports

// Out of range, as a run may name them: past the last mode or region, and minus one.
constexpr Mode kNoMode = static_cast<Mode>(kModeCount);
constexpr Mode kModeMinusOne = static_cast<Mode>(0xFFFFFFFFu);
constexpr Region kNoRegion = kRegionCount;
constexpr Region kRegionMinusOne = static_cast<Region>(-1);

struct SettingsRun {
  Mode Which;
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
// islands' central meridian of modes 9, 11 and 12 (Twd67GeographicToTwd97Geographic and the two
// TM2 datum crossings), which the tables leave open (an earlier run's 121 or 123 would put
// island points in the wrong zone).
const SettingsCase kSettingsCases[] = {
    {"StartValues", {}, 6378160, 298.247167, 250000, 0.9999, 121, false, 0},
    {"FirstRunTwd67Tm2ToTwd67GeographicInTaiwan", {{Mode::Twd67Tm2ToTwd67Geographic, kTaiwanRegion}}, 6378160,
     298.247167, 250000, 0.9999, 121, false, 0},  // [edge]
    {"Twd97GeographicToTwd97Tm2InTheIslands", {{Mode::Twd97GeographicToTwd97Tm2, kIslandsRegion}}, 6378137,
     298.257222101, 250000, 0.9999, 119, false, 0},  // [edge]
    {"Twd67GeographicToTm3InTheIslands", {{Mode::Twd67GeographicToTm3, kIslandsRegion}}, 6378160, 298.247167,
     350000, 1, 118, false, 0},  // [edge]
    {"Twd67GeographicToUtmInTheIslands", {{Mode::Twd67GeographicToUtm, kIslandsRegion}}, 6378160, 297, 500000,
     0.9996, 117, false, 0},  // [edge]
    {"UtmToTwd67GeographicInTaiwanIsZone51", {{Mode::UtmToTwd67Geographic, kTaiwanRegion}}, 6378160, 297, 500000,
     0.9996, 123, false, 0},
    {"Tm3ToTwd67GeographicInTaiwan", {{Mode::Tm3ToTwd67Geographic, kTaiwanRegion}}, 6378160, 298.247167, 350000, 1,
     121, false, 0},
    {"Twd97GeographicToTwd97Tm2ThenTwd67Tm2ToTwd97Tm2",
     {{Mode::Twd97GeographicToTwd97Tm2, kTaiwanRegion}, {Mode::Twd67Tm2ToTwd97Tm2, kTaiwanRegion}}, 6378160,
     298.247167, 250000, 0.9999, 121, false, 0},  // [edge]
    {"UtmToTwd67GeographicOnTheMainlandFirstRun", {{Mode::UtmToTwd67Geographic, kMainlandRegion}}, 6378160, 297,
     500000, 0.9996, 121, true, 0},  // [edge]
    {"Twd67GeographicToTwd67Tm2OnTheMainland", {{Mode::Twd67GeographicToTwd67Tm2, kMainlandRegion}}, 6378160,
     298.247167, 250000, 0.9999, 121, true, 0},  // [edge]
    {"Twd67GeographicToTwd97GeographicInTaiwanAfterTwd97GeographicToTwd97Tm2InTheIslands",
     {{Mode::Twd97GeographicToTwd97Tm2, kIslandsRegion}, {Mode::Twd67GeographicToTwd97Geographic, kTaiwanRegion}},
     6378137, 298.257222101, 250000, 0.9999, 121, false, 0},  // [edge]
    {"Twd67GeographicToTm3OnTheMainlandKeepsEarlierMeridian",
     {{Mode::Twd67GeographicToUtm, kIslandsRegion}, {Mode::Twd67GeographicToTm3, kMainlandRegion}}, 6378160,
     298.247167, 350000, 1, 117, true, 0},
    {"Twd97Tm2ToTwd67Tm2OnTheMainlandKeepsEarlierMeridian",
     {{Mode::UtmToTwd67Geographic, kTaiwanRegion}, {Mode::Twd97Tm2ToTwd67Tm2, kMainlandRegion}}, 6378160,
     298.247167, 250000, 0.9999, 123, true, 0},
    // The Lambert modes keep every field and set up the mainland grid in any region.
    {"LambertToGeographicInTheIslandsKeepsEveryField",
     {{Mode::UtmToTwd67Geographic, kIslandsRegion}, {Mode::LambertToGeographic, kIslandsRegion}}, 6378160, 297,
     500000, 0.9996, 117, true, 0},
    {"Twd67GeographicToWgs84GeographicInTaiwanWritesOnlyTheMeridian",
     {{Mode::Twd67GeographicToUtm, kIslandsRegion}, {Mode::Twd67GeographicToWgs84Geographic, kTaiwanRegion}},
     6378160, 297, 500000, 0.9996, 121, false, 0},
    {"Twd67GeographicToTwd97GeographicInTheIslandsGetsTheIslandsMeridian",
     {{Mode::Twd67GeographicToUtm, kTaiwanRegion}, {Mode::Twd67GeographicToTwd97Geographic, kIslandsRegion}},
     6378160, 297, 500000, 0.9996, 119, false, 0},  // [dev]
    {"Twd67Tm2ToTwd97Tm2InTheIslandsGetsTheIslandsMeridian",
     {{Mode::Twd67GeographicToUtm, kTaiwanRegion}, {Mode::Twd67Tm2ToTwd97Tm2, kIslandsRegion}}, 6378160,
     298.247167, 250000, 0.9999, 119, false, 0},  // [dev]
    {"Twd97Tm2ToTwd67Tm2InTheIslandsGetsTheIslandsMeridian",
     {{Mode::UtmToTwd67Geographic, kTaiwanRegion}, {Mode::Twd97Tm2ToTwd67Tm2, kIslandsRegion}}, 6378160,
     298.247167, 250000, 0.9999, 119, false, 0},  // [dev]
    {"MainlandGridStaysForLaterRuns",
     {{Mode::Twd67Tm2ToTwd67Geographic, kMainlandRegion}, {Mode::GeographicToLambert, kTaiwanRegion}}, 6378160,
     298.247167, 250000, 0.9999, 121, true, 0},
    {"ModeOutOfRangeInTaiwan", {{Mode::Twd67GeographicToUtm, kIslandsRegion}, {kNoMode, kTaiwanRegion}}, 6378160,
     297, 500000, 0.9996, 121, false, 1},
    {"ModeMinusOneInTheIslandsKeeps", {{Mode::Twd67GeographicToUtm, kIslandsRegion}, {kModeMinusOne, kIslandsRegion}},
     6378160, 297, 500000, 0.9996, 117, false, 1},
    {"ModeOutOfRangeOnTheMainlandSetsUpTheGrid", {{kNoMode, kMainlandRegion}}, 6378160, 298.247167, 250000, 0.9999,
     121, true, 1},
    {"RegionOutOfRangeAfterUtmToTwd67GeographicInTaiwan",
     {{Mode::UtmToTwd67Geographic, kTaiwanRegion}, {Mode::Twd67GeographicToTm3, kNoRegion}}, 6378160, 298.247167,
     350000, 1, 123, false, 1},
    {"RegionMinusOne", {{Mode::Twd67GeographicToTwd67Tm2, kRegionMinusOne}}, 6378160, 298.247167, 250000, 0.9999,
     121, false, 1},
    {"BothOutOfRange", {{kNoMode, kNoRegion}}, 6378160, 298.247167, 250000, 0.9999, 121, false, 2},
};

class SettingsTable : public testing::TestWithParam<SettingsCase> {};

TEST_P(SettingsTable, RunsWriteAndKeepTheFieldsOfTheTables) {
  const SettingsCase& c = GetParam();
  RecordingMessages messages;
  EngineState state(messages);
  for (const SettingsRun& run : c.Runs) ApplyTransformSettings(state, IndexOf(run.Which), run.Area);

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
  ApplyTransformSettings(state, IndexOf(Mode::LambertToGeographic), kMainlandRegion);
  EXPECT_EQ(state.Lambert.SemiMajorAxis, initial.SemiMajorAxis);
  EXPECT_EQ(state.Lambert.Flattening, initial.Flattening);
  EXPECT_EQ(state.Lambert.FalseEasting, 0.0);
  EXPECT_EQ(state.Lambert.FalseNorthing, 0.0);
  EXPECT_NEAR(state.Lambert.ConeConstant, 0.5915298988, 5e-11);
}

TEST(Settings, RunsWithoutRegion2LeaveTheLambertGridAlone) {
  RecordingMessages messages;
  EngineState state(messages);
  ApplyTransformSettings(state, IndexOf(Mode::GeographicToLambert), kMainlandRegion);
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
