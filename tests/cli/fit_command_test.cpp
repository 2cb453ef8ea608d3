// `morvane-cli fit` run as a user would: the report, the model and residual files, the exit
// statuses and refusals, and the PROJ pipeline applied by cct. The engine's Fit is the oracle.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/common_points.hpp"
#include "engine/plane_fit.hpp"
#include "engine/plane_model_file.hpp"
#include "support/child_process.hpp"
#include "support/file_bytes.hpp"
#include "support/temp_folder.hpp"

namespace morvane {
namespace {

using test::ProcessResult;
using test::ReadFileText;
using test::RunProcess;
using test::TempFolder;
using test::WriteFileText;

constexpr const char* kCct = "/usr/bin/cct";
const std::string kShippedPoints = MORVANE_SOURCE_DIR "/data/common-points/taiwan-common-points.csv";

// Runs `program` with `args` and `input` on standard input, capturing its outputs.
ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = "") {
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProcess(argv, input);
}

ProcessResult RunFit(const std::vector<std::string>& args) {
  std::vector<std::string> all{"fit"};
  all.insert(all.end(), args.begin(), args.end());
  return RunProgram(MORVANE_CLI_PATH, all);
}

FitResult OracleFit(PlaneModel model, int meridian) {
  return Fit(ReadCommonPoints(ReadFileText(kShippedPoints), meridian).Points, model, meridian);
}

std::string Metres(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

TEST(FitCommand, PrintsTheReport) {
  const ProcessResult run = RunFit({"--model", "affine", "--meridian", "119", kShippedPoints});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Err, "");
  const FitResult oracle = OracleFit(PlaneModel::Affine, 119);
  const FitSummary& s = oracle.Report.Summary;
  EXPECT_NE(run.Out.find("model: affine, TM2 meridian 119, 21 points\n"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("\nfit: rms " + Metres(s.Rms) + " m, max " + Metres(s.Max) + " m\n"), std::string::npos);
  EXPECT_NE(run.Out.find("\nleave-one-out: rms " + Metres(s.LooRms) + " m, max " + Metres(s.LooMax) + " m\n"),
            std::string::npos);
  std::string flagged;
  for (const PointResidual& point : oracle.Report.Points) {
    EXPECT_NE(run.Out.find("\n" + point.Id + " "), std::string::npos) << point.Id;
    if (point.Flagged) flagged += (flagged.empty() ? "" : ", ") + point.Id;
  }
  ASSERT_FALSE(flagged.empty());  // the far points S306 and S337 stand out on Penghu
  EXPECT_NE(run.Out.find("3 times the median): " + flagged + "\n"), std::string::npos) << run.Out;
}

TEST(FitCommand, WritesTheModelAndTheResiduals) {
  TempFolder dir;
  const ProcessResult run = RunFit({"--model=local", kShippedPoints, "-o", dir / "taiwan.model", "--residuals",
                                dir / "taiwan.csv"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"taiwan.csv", "taiwan.model"}));  // no temporaries left
  const FitResult oracle = OracleFit(PlaneModel::Local, 121);
  EXPECT_EQ(ReadFileText(dir / "taiwan.model"), WriteModel(*oracle.Transform));

  std::istringstream csv(ReadFileText(dir / "taiwan.csv"));
  std::string line;
  std::getline(csv, line);
  EXPECT_EQ(line, "id,de,dn,d,loo_de,loo_dn,loo_d");
  for (const PointResidual& point : oracle.Report.Points) {
    ASSERT_TRUE(std::getline(csv, line));
    std::istringstream fields(line);
    std::string id;
    std::getline(fields, id, ',');
    EXPECT_EQ(id, point.Id);
    for (double want : {point.DE, point.DN, point.D, point.LooDE, point.LooDN, point.LooD}) {
      std::string field;
      std::getline(fields, field, ',');
      EXPECT_NEAR(std::stod(field), want, 0.5e-4) << line;
    }
  }
  EXPECT_FALSE(std::getline(csv, line));
}

struct RefusalCase {
  const char* Name;
  std::string Points;  // the POINTS file's contents
  std::vector<std::string> Options;
  int Status;
  std::string Err;  // standard error exactly; "@" stands for the POINTS path
};

const std::string kGoodPoints =
    "id,e67,n67,e97,n97\n"
    "N068,327374.871,2782058.461,328205.675,2781854.076\n"
    "S584,160419.263,2547262.949,161247.352,2547055.814\n"
    "E015,309649.284,2435022.868,310478.042,2434815.104\n";

const std::string kFitUsageLine =
    "usage: morvane-cli fit [--model similarity|affine|local] [--meridian 121|119] [-o MODEL] [--residuals CSV] "
    "[--proj] POINTS\n";

const RefusalCase kRefusals[] = {
    {"NotANumber", kGoodPoints + "E319,311857.281,26609O3.902,312685.894,2660699.209\n", {}, 1,
     "morvane-cli: @: line 5 (E319): TWD67 N is not a number: \"26609O3.902\"\n"},
    {"SwappedColumns", "N068 328205.675 2781854.076 327374.871 2782058.461\n", {}, 1,
     "morvane-cli: @: line 1 (N068): TWD97 minus TWD67 is -830.804, 204.385 m, the wrong way round: the TWD67 and "
     "TWD97 columns look swapped\n"},
    {"TooFewForLocal", kGoodPoints, {"--model", "local"}, 1,
     "morvane-cli: @: the local model needs at least 4 points, 3 given\n"},
    {"WrongMeridianForThePoints", kGoodPoints, {"--meridian", "119"}, 1,
     "morvane-cli: @: line 2 (N068): TWD67 N 2782058.461 is off the TM2 grid of the 119 meridian (2500000 to "
     "2720000 m)\n"},
    {"UnknownModel", kGoodPoints, {"--model", "helmert"}, 2,
     "morvane-cli: --model must be similarity, affine or local, not 'helmert'\n" + kFitUsageLine},
    {"UnknownMeridian", kGoodPoints, {"--meridian", "118"}, 2,
     "morvane-cli: --meridian must be 121 (Taiwan) or 119 (Penghu), not '118'\n" + kFitUsageLine},
    {"ProjOfLocal", kGoodPoints, {"--model", "local", "--proj"}, 2,
     "morvane-cli: --proj takes the similarity or affine model: PROJ has no step for the local correction\n" +
         kFitUsageLine},
    {"UnknownShortOption", kGoodPoints, {"-x", "y"}, 2, "morvane-cli: unknown option '-x'\n" + kFitUsageLine},
};

class FitRefusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(FitRefusal, ExitsWithTheMessageAndWritesNothing) {
  const RefusalCase& c = GetParam();
  TempFolder dir;
  const std::string points = dir / "points.csv";
  WriteFileText(points, c.Points);
  std::vector<std::string> args = c.Options;
  for (const std::string& more : {points, std::string("-o"), dir / "out.model", std::string("--residuals"),
                                  dir / "out.csv"}) {
    args.push_back(more);
  }
  const ProcessResult run = RunFit(args);
  EXPECT_EQ(run.Status, c.Status);
  std::string err = c.Err;
  if (const std::size_t at = err.find('@'); at != std::string::npos) err.replace(at, 1, points);
  EXPECT_EQ(run.Err, err);
  EXPECT_EQ(run.Out, "");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"points.csv"});
}

INSTANTIATE_TEST_SUITE_P(Refusals, FitRefusal, testing::ValuesIn(kRefusals),
                         [](const testing::TestParamInfo<RefusalCase>& row) { return std::string(row.param.Name); });

TEST(FitCommand, OperandsAndFilesThatFail) {
  TempFolder dir;
  const ProcessResult none = RunFit({});
  EXPECT_EQ(none.Status, 2);
  EXPECT_EQ(none.Err, "morvane-cli: fit takes one POINTS file\n" + kFitUsageLine);
  const ProcessResult two = RunFit({kShippedPoints, kShippedPoints});
  EXPECT_EQ(two.Status, 2);
  const ProcessResult missing = RunFit({dir / "absent.csv"});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_EQ(missing.Err, "morvane-cli: Cannot open file " + (dir / "absent.csv") + ": No such file or directory\n");
  // A model that cannot be written: the message names it, not a temporary.
  const std::string unwritable = dir / "no-such-folder/out.model";
  const ProcessResult cannotWrite = RunFit({kShippedPoints, "-o", unwritable});
  EXPECT_EQ(cannotWrite.Status, 1);
  EXPECT_EQ(cannotWrite.Err, "morvane-cli: Cannot create file " + unwritable + ": No such file or directory\n");
  const ProcessResult help = RunFit({"--help"});
  EXPECT_EQ(help.Status, 0);
  EXPECT_EQ(help.Out.rfind(kFitUsageLine, 0), 0u);
}

class ProjPipeline : public testing::TestWithParam<PlaneModel> {};

// The pipeline that --proj prints, applied by cct to the points, gives the fit's results.
TEST_P(ProjPipeline, AppliedByCctGivesTheFitsResults) {
  if (access(kCct, X_OK) != 0) GTEST_SKIP() << kCct << " is not installed";
  for (int meridian : {121, 119}) {
    const ProcessResult run = RunFit({"--proj", "--model", PlaneModelName(GetParam()), "--meridian",
                                  std::to_string(meridian), kShippedPoints});
    ASSERT_EQ(run.Status, 0) << run.Err;
    ASSERT_EQ(run.Out.rfind("+proj=pipeline +step +proj=affine ", 0), 0u) << run.Out;
    ASSERT_EQ(run.Out.back(), '\n');
    std::vector<std::string> args{"-d", "6"};
    std::istringstream words(run.Out);
    for (std::string word; words >> word;) args.push_back(word);
    const std::vector<CommonPoint> points = ReadCommonPoints(ReadFileText(kShippedPoints), meridian).Points;
    std::string input;
    for (const CommonPoint& point : points) input += Metres(point.E67) + " " + Metres(point.N67) + " 0 0\n";
    const ProcessResult cct = RunProgram(kCct, args, input);
    ASSERT_EQ(cct.Status, 0) << cct.Err;
    const FitResult oracle = OracleFit(GetParam(), meridian);
    std::istringstream lines(cct.Out);
    for (const CommonPoint& point : points) {
      double e = 0, n = 0, z = 0, t = 0;
      ASSERT_TRUE(lines >> e >> n >> z >> t) << cct.Out;
      double wantE = 0, wantN = 0;
      oracle.Transform->Forward(point.E67, point.N67, wantE, wantN);
      EXPECT_NEAR(e, wantE, 1e-3) << point.Id;
      EXPECT_NEAR(n, wantN, 1e-3) << point.Id;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Models, ProjPipeline, testing::Values(PlaneModel::Similarity, PlaneModel::Affine),
                         [](const testing::TestParamInfo<PlaneModel>& row) {
                           return std::string(PlaneModelName(row.param));
                         });

}  // namespace
}  // namespace morvane
