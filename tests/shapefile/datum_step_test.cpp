// The datum step in the shapefile layer: resolving it by name, a run with a fitted step and its
// report beside the outputs, the refusal of a step that cannot serve, and the fitted-area check.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "engine/builtin_transforms.hpp"
#include "engine/mode_table.hpp"
#include "engine/plane_model_file.hpp"
#include "engine/plane_transform.hpp"
#include "shapefile/conversion_run.hpp"
#include "shapefile/datum_step.hpp"
#include "shapefile/fitted_area_check.hpp"
#include "shapefile/folder_listing.hpp"
#include "support/expected_conversion.hpp"
#include "support/file_bytes.hpp"
#include "support/run_feedback.hpp"

namespace morvane::test {
namespace {

constexpr TransformMode kTwd67ToTwd97 = IndexOf(Mode::Twd67GeographicToTwd97Geographic);
constexpr TransformMode kGrid67ToGrid97 = IndexOf(Mode::Twd67Tm2ToTwd97Tm2);
constexpr TransformMode kGridToGeographic = IndexOf(Mode::Twd67Tm2ToTwd67Geographic);  // shifts no datum

// A line of points at these longitudes and latitudes (TWD67 degrees).
Shapefile PointsAt(const std::vector<XY>& points) {
  std::vector<RecordContent> records;
  for (const XY& point : points) records.push_back(PointRecord(ShapeType::Point, point));
  return BuildShapefile(ShapeType::Point, records);
}

// ---- Resolving a step by name ------------------------------------------------------------

struct ResolveCase {
  std::string Name;
  std::string Choice;  // "<model 119>" and "<model 121>": a model file of that built-in transform
  TransformMode Mode;
  Region Area;
  std::optional<DatumStepKind> Kind;        // the step given
  std::optional<DatumStepProblem> Problem;  // or the refusal
  int Meridian = 0;                         // of the step's transform
};

class ResolveDatumStepCases : public testing::TestWithParam<ResolveCase> {};

TEST_P(ResolveDatumStepCases, GivesTheStepOrItsRefusal) {
  const ResolveCase& c = GetParam();
  TempFolder folder;
  LocalFileSystem files;
  std::string choice = c.Choice;
  if (choice == "<model 119>" || choice == "<model 121>") {
    choice = folder / "fit.model";
    WriteFileText(choice, WriteModel(*BuiltinTransform(c.Choice == "<model 119>" ? 119 : 121)));
  } else if (choice == "<not a model>") {
    choice = folder / "bad.model";
    WriteFileText(choice, "morvane-plane-model 1\nmodel affine\nmeridian 121\ncentre x y\n");
  } else if (choice == "<missing>") {
    choice = folder / "missing.model";
  }
  const DatumStepResolution resolved = ResolveDatumStep(choice, c.Mode, c.Area, files);
  ASSERT_EQ(resolved.Ok(), c.Kind.has_value()) << (resolved.Error ? DescribeInEnglish(*resolved.Error) : "");
  if (c.Kind) {
    EXPECT_EQ(resolved.Step->Kind, *c.Kind);
    if (c.Meridian == 0) {
      EXPECT_EQ(resolved.Step->Transform, nullptr);
    } else {
      ASSERT_NE(resolved.Step->Transform, nullptr);
      EXPECT_EQ(resolved.Step->Transform->Meridian(), c.Meridian);
      // A model file read back converts as the transform it was written from, bit for bit.
      double e1 = 0, n1 = 0, e2 = 0, n2 = 0;
      resolved.Step->Transform->Forward(250000.5, 2600000.25, e1, n1);
      BuiltinTransform(c.Meridian)->Forward(250000.5, 2600000.25, e2, n2);
      EXPECT_EQ(e1, e2);
      EXPECT_EQ(n1, n2);
    }
    if (*c.Kind == DatumStepKind::ModelFile) {
      EXPECT_EQ(resolved.Step->ModelPath, choice);
    }
    return;
  }
  EXPECT_EQ(resolved.Error->Kind, *c.Problem) << DescribeInEnglish(*resolved.Error);
  if (*c.Problem == DatumStepProblem::InvalidModel) {
    ASSERT_TRUE(resolved.Error->Model.has_value());
    EXPECT_EQ(resolved.Error->Model->Line, 4);  // the bad centre
  }
  if (*c.Problem == DatumStepProblem::UnreadableModel) {
    EXPECT_FALSE(resolved.Error->Reason.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Choices, ResolveDatumStepCases,
    testing::Values(
        ResolveCase{"Standard", "standard", kGridToGeographic, kMainlandRegion, DatumStepKind::Standard, std::nullopt},
        ResolveCase{"CommonPointsTaiwan", "common-points", kGrid67ToGrid97, kTaiwanRegion, DatumStepKind::CommonPoints,
                    std::nullopt, 121},
        ResolveCase{"CommonPointsPenghu", "common-points", kTwd67ToTwd97, kIslandsRegion, DatumStepKind::CommonPoints,
                    std::nullopt, 119},
        ResolveCase{"CommonPointsMainland", "common-points", kGrid67ToGrid97, kMainlandRegion, std::nullopt,
                    DatumStepProblem::NoBuiltinModel},
        ResolveCase{"CommonPointsWithoutDatum", "common-points", kGridToGeographic, kTaiwanRegion, std::nullopt,
                    DatumStepProblem::NotADatumMode},
        ResolveCase{"ModelFile", "<model 119>", kGrid67ToGrid97, kIslandsRegion, DatumStepKind::ModelFile, std::nullopt,
                    119},
        ResolveCase{"ModelFileOfAnotherMeridian", "<model 119>", kGrid67ToGrid97, kTaiwanRegion, std::nullopt,
                    DatumStepProblem::MeridianMismatch},
        ResolveCase{"ModelFileOnTheMainland", "<model 121>", kGrid67ToGrid97, kMainlandRegion, std::nullopt,
                    DatumStepProblem::NoTm2Grid},
        ResolveCase{"NotAModel", "<not a model>", kGrid67ToGrid97, kTaiwanRegion, std::nullopt,
                    DatumStepProblem::InvalidModel},
        ResolveCase{"MissingModel", "<missing>", kGrid67ToGrid97, kTaiwanRegion, std::nullopt,
                    DatumStepProblem::UnreadableModel}),
    [](const auto& row) { return row.param.Name; });

// ---- A run with a fitted step --------------------------------------------------------------

Conversion FittedTaiwan() {
  return {kTwd67ToTwd97, kTaiwanRegion, {DatumStepKind::CommonPoints, "", BuiltinTransform(121)}};
}

const std::vector<XY> kTaiwanPoints = {{120.3, 22.9}, {121.2, 24.8}, {121.5, 25.0}, {120.6, 23.7}};

TEST(FittedRun, WritesTheFittedOutputsWithAReportThatAStandardRunRemoves) {
  TempFolder folder;
  const Shapefile input = PointsAt(kTaiwanPoints);
  WriteShapefile(folder, "wells", input);
  LocalFileSystem files;
  const std::vector<ShapefileJob> jobs = {{folder.Path(), "wells.shp"}};
  RunOptions options;
  options.ReplaceOutputs = true;

  RecordingFeedback feedback;
  const Conversion fitted = FittedTaiwan();
  const RunSummary summary = RunConversion(fitted, jobs, options, feedback, files);
  ASSERT_TRUE(summary.AllConverted()) << (feedback.Errors.empty() ? "" : feedback.Errors.front());
  EXPECT_EQ(summary.Datum.Kind, DatumStepKind::CommonPoints);
  EXPECT_EQ(summary.Datum.Transform, fitted.Datum.Transform);
  EXPECT_FALSE(summary.DatumRefused);

  EngineState fittedEngine = EngineFor(fitted, feedback);
  EXPECT_EQ(ReadFileBytes(folder / "wells_1.shp"), ExpectedConversion(input, fittedEngine, fitted.Mode).Main);
  const std::string report = ReadFileText(folder / "wells_1.datum.txt");
  const FitSummary& fit = fitted.Datum.Transform->Summary();
  for (const std::string& part :
       {std::string("Datum step: common-points"), std::string("Model: ") + PlaneModelName(fitted.Datum.Transform->Model()),
        std::string("Meridian: 121"), "Common points: " + std::to_string(fit.PointCount), std::string("Leave-one-out RMS: "),
        std::string("Fitted area (TWD67 TM2 metres): E "), std::string(kCommonPointsAttribution)}) {
    EXPECT_NE(report.find(part), std::string::npos) << part << " not in\n" << report;
  }
  EXPECT_EQ(report.find("Model file:"), std::string::npos) << "the built-in model has no file";
  // Marked as an earlier output even where its input is not beside it.
  std::vector<ListedShapefile> listed = ListShapefilesMarked(files, folder.Path());
  EXPECT_TRUE(std::any_of(listed.begin(), listed.end(),
                          [](const ListedShapefile& entry) { return entry.Name == "wells_1.shp" && entry.EarlierOutput; }));

  // The same outputs again with the standard step: the report goes, the outputs are the standard ones.
  const RunSummary standard = RunConversion(Conversion{fitted.Mode, fitted.RegionIndex, {}}, jobs, options, feedback, files);
  ASSERT_TRUE(standard.AllConverted());
  EXPECT_EQ(standard.Datum.Kind, DatumStepKind::Standard);
  EXPECT_FALSE(files.IsRegularFile(folder / "wells_1.datum.txt"));
  EngineState standardEngine = EngineFor({fitted.Mode, fitted.RegionIndex, {}}, feedback);
  const Bytes standardMain = ExpectedConversion(input, standardEngine, fitted.Mode).Main;
  EXPECT_EQ(ReadFileBytes(folder / "wells_1.shp"), standardMain);
  EXPECT_NE(standardMain, ExpectedConversion(input, fittedEngine, fitted.Mode).Main);
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"wells.dbf", "wells.shp", "wells.shx", "wells_1.dbf",
                                                       "wells_1.prj", "wells_1.shp", "wells_1.shx"}));
}

TEST(FittedRun, ReportNamesTheModelFile) {
  const DatumStep step{DatumStepKind::ModelFile, "models/penghu.model", BuiltinTransform(119)};
  const std::string report = DatumReportText(IndexOf(Mode::Twd97Tm2ToTwd67Tm2), step);
  EXPECT_NE(report.find("Datum step: model file models/penghu.model"), std::string::npos) << report;
  EXPECT_NE(report.find("Model file: models/penghu.model"), std::string::npos) << report;
  EXPECT_NE(report.find("Meridian: 119"), std::string::npos) << report;
  EXPECT_NE(report.find("Mode: 12, "), std::string::npos) << report;
}

TEST(FittedRun, AStepThatCannotServeIsRefusedBeforeAnythingIsWritten) {
  TempFolder folder;
  WriteShapefile(folder, "wells", PointsAt(kTaiwanPoints));
  LocalFileSystem files;
  RecordingFeedback feedback;
  // Penghu's model in Taiwan.
  const Conversion mismatch{kTwd67ToTwd97, kTaiwanRegion, {DatumStepKind::ModelFile, "p.model", BuiltinTransform(119)}};
  const RunSummary summary = RunConversion(mismatch, {{folder.Path(), "wells.shp"}}, RunOptions{}, feedback, files);
  ASSERT_TRUE(summary.DatumRefused.has_value());
  EXPECT_EQ(summary.DatumRefused->Kind, DatumStepProblem::MeridianMismatch);
  EXPECT_EQ(summary.Converted, 0u);
  EXPECT_EQ(summary.NotBegun(), 1u);
  ASSERT_EQ(feedback.Errors.size(), 1u);
  EXPECT_EQ(feedback.Errors.front(), DescribeInEnglish(*summary.DatumRefused));
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"wells.dbf", "wells.shp", "wells.shx"}));
}

// ---- The fitted area ------------------------------------------------------------------------

struct AreaCase {
  std::string Name;
  TransformMode Mode;
  Region Area;
  std::vector<XY> Points;  // in the mode's source system
  bool Outside;
  double AtLeast = 0;  // km beyond the area, when outside
};

class FittedAreaCases : public testing::TestWithParam<AreaCase> {};

TEST_P(FittedAreaCases, WarnBeyondTheAreaOfTheCommonPoints) {
  const AreaCase& c = GetParam();
  TempFolder folder;
  WriteShapefile(folder, "f", PointsAt(c.Points));
  LocalFileSystem files;
  const InputCheck check = CheckInput(folder / "f.shp", c.Mode, c.Area, files);
  const std::optional<double> beyond =
      DistanceOutsideFittedArea(check, c.Mode, *BuiltinTransform(*RegionTm2Meridian(c.Area)));
  ASSERT_EQ(beyond.has_value(), c.Outside) << (beyond ? *beyond : 0);
  if (beyond) {
    EXPECT_GE(*beyond, c.AtLeast * 1000);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, FittedAreaCases,
    testing::Values(
        AreaCase{"TaiwanGeographic", kTwd67ToTwd97, kTaiwanRegion, {{120.6, 23.7}, {121.2, 24.5}}, false},
        AreaCase{"TaiwanGrid", kGrid67ToGrid97, kTaiwanRegion, {{200000, 2600000}, {300000, 2700000}}, false},
        AreaCase{"PenghuGeographic97", IndexOf(Mode::Twd97GeographicToTwd67Geographic), kIslandsRegion,
                 {{119.55, 23.55}, {119.6, 23.6}}, false},
        AreaCase{"KinmenWithPenghusModel", kTwd67ToTwd97, kIslandsRegion, {{118.3, 24.4}, {118.45, 24.5}}, true, 80},
        AreaCase{"MatsuWithPenghusModel", kTwd67ToTwd97, kIslandsRegion, {{119.9, 26.15}, {120.0, 26.2}}, true, 200},
        // Pratas (Dongsha), on Taiwan's grid and far from its common points.
        AreaCase{"FarOffTaiwanGrid", kGrid67ToGrid97, kTaiwanRegion, {{-196000, 2295000}, {-193000, 2298000}}, true, 300},
        AreaCase{"NotADatumMode", kGridToGeographic, kTaiwanRegion, {{0, 0}, {1, 1}}, false},
        // Grid metres given to a degrees mode: the check refuses them, and a distance from
        // coordinates of another system would mean nothing.
        AreaCase{"NotTheModesSource", kTwd67ToTwd97, kTaiwanRegion, {{250000, 2650000}, {260000, 2660000}}, false}),
    [](const auto& row) { return row.param.Name; });

// GDAL writes a header box stretched to (0, 0) when the first record is a null shape: the
// sampled points, not that box, say where the data lies.
TEST(FittedArea, AHeaderBoxStretchedPastALeadingNullShapeIsNotTheDataExtent) {
  TempFolder folder;
  const std::vector<XY> points = {{200000, 2600000}, {300000, 2700000}};
  const Box stretched{0, 0, 300000, 2700000};
  WriteShapefile(folder, "f",
                 BuildShapefile(ShapeType::Point,
                                {NullRecord(), PointRecord(ShapeType::Point, points[0]),
                                 PointRecord(ShapeType::Point, points[1])},
                                stretched));
  LocalFileSystem files;
  const InputCheck check = CheckInput(folder / "f.shp", kGrid67ToGrid97, kTaiwanRegion, files);
  ASSERT_EQ(check.Verdict, InputVerdict::Plausible);
  EXPECT_EQ(DistanceOutsideFittedArea(check, kGrid67ToGrid97, *BuiltinTransform(121)), std::nullopt);
}

}  // namespace
}  // namespace morvane::test
