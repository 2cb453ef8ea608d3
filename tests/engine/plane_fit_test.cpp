// Plane transforms fitted to common points: known parameters come back, residuals match the noise,
// leave-one-out residuals equal refits without each point, the Local model behaves between and
// away from its points, and the inverses undo the forward maps.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "engine/plane_fit.hpp"
#include "test_support.hpp"

namespace morvane {
namespace {

using ::morvane::PrintTo;  // rows print by name in reports

std::string ModelCaseName(const testing::TestParamInfo<PlaneModel>& row) { return PlaneModelName(row.param); }

// A map from TWD67 to TWD97 metres, written like PlaneParameters.
struct KnownMap {
  PlaneParameters Plane;
  void Apply(double e, double n, double& e97, double& n97) const {
    const long double dE = static_cast<long double>(e) - Plane.CentreE;
    const long double dN = static_cast<long double>(n) - Plane.CentreN;
    e97 = static_cast<double>(Plane.ShiftE + Plane.A * dE + Plane.B * dN);
    n97 = static_cast<double>(Plane.ShiftN + Plane.C * dE + Plane.D * dN);
  }
};

// 12 ppm and 4 microradians about a point of central Taiwan, as a datum change looks in TM2.
KnownMap Similarity() {
  const double s = 1 + 12e-6;
  const double theta = 4e-6;
  return {{250000, 2650000, 250828.5, 2649793.2, s * std::cos(theta), -s * std::sin(theta), s * std::sin(theta),
           s * std::cos(theta)}};
}

KnownMap Affine() { return {{250000, 2650000, 250828.5, 2649793.2, 1 + 15e-6, -3e-6, 7e-6, 1 - 4e-6}}; }

// `count` points spread over Taiwan's grid, mapped by `map`, plus normal noise of `sigma` metres
// per coordinate (and a smooth bump of `bump` metres around (240 km, 2640 km), for Local).
std::vector<CommonPoint> Points(const KnownMap& map, int count, double sigma, unsigned seed, double bump = 0) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> east(160000, 340000);
  std::uniform_real_distribution<double> north(2450000, 2790000);
  std::normal_distribution<double> noise(0, sigma);
  std::vector<CommonPoint> points;
  for (int i = 0; i < count; ++i) {
    CommonPoint p;
    p.Id = "P" + std::to_string(i);
    p.Line = i + 1;
    p.E67 = east(random);
    p.N67 = north(random);
    map.Apply(p.E67, p.N67, p.E97, p.N97);
    const double r2 = (std::pow(p.E67 - 240000, 2) + std::pow(p.N67 - 2640000, 2)) / std::pow(60000.0, 2);
    p.E97 += bump * std::exp(-r2) + (sigma > 0 ? noise(random) : 0);
    p.N97 += -0.5 * bump * std::exp(-r2) + (sigma > 0 ? noise(random) : 0);
    points.push_back(p);
  }
  return points;
}

struct RecoveryCase {
  const char* Name;
  PlaneModel Model;
  KnownMap Map;
};

const RecoveryCase kRecoveryCases[] = {
    {"Similarity", PlaneModel::Similarity, Similarity()},
    {"AffineOfASimilarity", PlaneModel::Affine, Similarity()},
    {"Affine", PlaneModel::Affine, Affine()},
};

class Recovery : public testing::TestWithParam<RecoveryCase> {};

TEST_P(Recovery, ExactPointsGiveTheParametersBack) {
  const RecoveryCase& c = GetParam();
  const std::vector<CommonPoint> points = Points(c.Map, 9, 0, 7);
  const FitResult fit = Fit(points, c.Model, 121);
  ASSERT_TRUE(fit.Ok()) << DescribeInEnglish(*fit.Error);
  // The fit is about its own centre: compare the maps' images of a few points, and the matrix.
  const PlaneParameters& got = fit.Transform->Plane();
  EXPECT_NEAR(got.A, c.Map.Plane.A, 1e-9 * std::fabs(c.Map.Plane.A));
  EXPECT_NEAR(got.D, c.Map.Plane.D, 1e-9 * std::fabs(c.Map.Plane.D));
  EXPECT_NEAR(got.B, c.Map.Plane.B, 1e-9 * std::fabs(c.Map.Plane.B));
  EXPECT_NEAR(got.C, c.Map.Plane.C, 1e-9 * std::fabs(c.Map.Plane.C));
  for (double e : {150000.0, 250000.0, 350000.0}) {
    for (double n : {2400000.0, 2800000.0}) {
      double wantE = 0, wantN = 0, gotE = 0, gotN = 0;
      c.Map.Apply(e, n, wantE, wantN);
      fit.Transform->Forward(e, n, gotE, gotN);
      EXPECT_NEAR(gotE, wantE, 1e-9 * 1e6) << e << " " << n;  // 1e-9 of the extent
      EXPECT_NEAR(gotN, wantN, 1e-9 * 1e6) << e << " " << n;
    }
  }
  EXPECT_LT(fit.Report.Summary.Max, 1e-6);
  EXPECT_LT(fit.Report.Summary.LooMax, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(KnownMaps, Recovery, testing::ValuesIn(kRecoveryCases), CaseName());

TEST(Recovery, SimilarityGivesScaleAndRotation) {
  const FitResult fit = Fit(Points(Similarity(), 5, 0, 3), PlaneModel::Similarity, 121);
  ASSERT_TRUE(fit.Ok());
  EXPECT_NEAR(fit.Transform->Scale(), 1 + 12e-6, 1e-12);
  EXPECT_NEAR(fit.Transform->Rotation(), 4e-6, 1e-12);
}

struct NoiseCase {
  const char* Name;
  PlaneModel Model;
  KnownMap Map;
  int Unknowns;
};

const NoiseCase kNoiseCases[] = {{"Similarity", PlaneModel::Similarity, Similarity(), 4},
                                 {"Affine", PlaneModel::Affine, Affine(), 6}};

class Noise : public testing::TestWithParam<NoiseCase> {};

// With 2n observations and k unknowns the squared residuals sum to sigma^2 times a chi-square of
// 2n - k degrees of freedom: mean 2n - k, standard deviation sqrt(2 (2n - k)). Four standard
// deviations either side fail one seed in 15 000.
TEST_P(Noise, ResidualsMatchTheNoise) {
  const NoiseCase& c = GetParam();
  const int n = 200;
  const double sigma = 0.05;
  const FitResult fit = Fit(Points(c.Map, n, sigma, 11), c.Model, 121);
  ASSERT_TRUE(fit.Ok());
  const double dof = 2.0 * n - c.Unknowns;
  const double ratio = n * std::pow(fit.Report.Summary.Rms, 2) / (sigma * sigma * dof);
  EXPECT_NEAR(ratio, 1.0, 4 * std::sqrt(2 / dof));
  // Leave-one-out residuals are the plain ones grown by 1 / (1 - leverage): a little larger.
  EXPECT_GT(fit.Report.Summary.LooRms, fit.Report.Summary.Rms);
  EXPECT_LT(fit.Report.Summary.LooRms, fit.Report.Summary.Rms * 1.05);
}

INSTANTIATE_TEST_SUITE_P(Models, Noise, testing::ValuesIn(kNoiseCases), CaseName());

class LeaveOneOut : public testing::TestWithParam<PlaneModel> {};

TEST_P(LeaveOneOut, EqualsRefitsWithoutEachPoint) {
  const PlaneModel model = GetParam();
  const std::vector<CommonPoint> points = Points(Affine(), 12, 0.3, 5, 1.5);
  const FitResult fit = Fit(points, model, 121);
  ASSERT_TRUE(fit.Ok());
  // Local refits keep the length and nugget chosen on all points.
  LocalSettings settings;
  if (model == PlaneModel::Local) settings = {fit.Transform->Length(), fit.Transform->Nugget()};
  for (std::size_t left = 0; left < points.size(); ++left) {
    std::vector<CommonPoint> others = points;
    others.erase(others.begin() + static_cast<std::ptrdiff_t>(left));
    const FitResult refit = Fit(others, model, 121, settings);
    ASSERT_TRUE(refit.Ok());
    double e = 0, n = 0;
    refit.Transform->Forward(points[left].E67, points[left].N67, e, n);
    const PointResidual& loo = fit.Report.Points[left];
    EXPECT_NEAR(loo.LooDE, e - points[left].E97, 1e-6) << loo.Id;
    EXPECT_NEAR(loo.LooDN, n - points[left].N97, 1e-6) << loo.Id;
    EXPECT_NEAR(loo.LooD, std::hypot(loo.LooDE, loo.LooDN), 1e-12) << loo.Id;
  }
}

INSTANTIATE_TEST_SUITE_P(Models, LeaveOneOut,
                         testing::Values(PlaneModel::Similarity, PlaneModel::Affine, PlaneModel::Local),
                         ModelCaseName);

TEST(LeaveOneOut, UndefinedWithTheMinimumOfPoints) {
  const FitResult fit = Fit(Points(Affine(), 3, 0.1, 2), PlaneModel::Affine, 121);
  ASSERT_TRUE(fit.Ok());
  EXPECT_TRUE(std::isnan(fit.Report.Summary.LooRms));
  EXPECT_TRUE(std::isnan(fit.Report.Points[0].LooD));
  EXPECT_FALSE(fit.Report.Points[0].Flagged);
}

TEST(Flags, OnlyTheBlunder) {
  std::vector<CommonPoint> points = Points(Similarity(), 15, 0.02, 9);
  points[6].N97 += 1.5;
  for (PlaneModel model : {PlaneModel::Similarity, PlaneModel::Affine, PlaneModel::Local}) {
    const FitResult fit = Fit(points, model, 121);
    ASSERT_TRUE(fit.Ok());
    for (std::size_t i = 0; i < points.size(); ++i) {
      EXPECT_EQ(fit.Report.Points[i].Flagged, i == 6) << PlaneModelName(model) << " " << points[i].Id;
    }
  }
}

TEST(Flags, NoneOnExactPoints) {
  const FitResult fit = Fit(Points(Similarity(), 10, 0, 4), PlaneModel::Similarity, 121);
  ASSERT_TRUE(fit.Ok());
  for (const PointResidual& point : fit.Report.Points) EXPECT_FALSE(point.Flagged) << point.Id;
}

TEST(FittedArea, IsTheBoxOfThePoints) {
  const std::vector<CommonPoint> points = {{"A", 200000, 2500000, 200828, 2499793, 1},
                                           {"B", 300000, 2700000, 300828, 2699793, 2},
                                           {"C", 260000, 2450000, 260828, 2449793, 3}};
  const FitResult fit = Fit(points, PlaneModel::Affine, 121);
  ASSERT_TRUE(fit.Ok());
  const PlaneBox& area = fit.Transform->FittedArea();
  EXPECT_EQ(area.MinE, 200000);
  EXPECT_EQ(area.MaxE, 300000);
  EXPECT_EQ(area.MinN, 2450000);
  EXPECT_EQ(area.MaxN, 2700000);
  EXPECT_TRUE(area.Contains(250000, 2600000));
  EXPECT_FALSE(area.Contains(199000, 2600000));
  EXPECT_TRUE(area.Contains(199000, 2600000, 1000));
}

// The Local model with a fixed 40 km length over noisy points with a bump.
class LocalModel : public testing::Test {
 protected:
  void SetUp() override {
    points_ = Points(Affine(), 25, 0.05, 13, 2.0);
    const FitResult local = Fit(points_, PlaneModel::Local, 121, {40000.0, 0.01});
    const FitResult affine = Fit(points_, PlaneModel::Affine, 121);
    ASSERT_TRUE(local.Ok() && affine.Ok());
    local_.emplace(*local.Transform);
    affine_.emplace(*affine.Transform);
    report_ = local.Report;
    affineReport_ = affine.Report;
  }
  std::vector<CommonPoint> points_;
  std::optional<FittedTransform> local_;
  std::optional<FittedTransform> affine_;
  FitReport report_;
  FitReport affineReport_;
};

TEST_F(LocalModel, FollowsTheBumpBetterThanTheAffineFit) {
  EXPECT_LT(report_.Summary.LooRms, affineReport_.Summary.LooRms);
  EXPECT_LT(report_.Summary.Rms, affineReport_.Summary.Rms);
  EXPECT_EQ(local_->Nodes().size(), points_.size());
}

TEST_F(LocalModel, IsTheAffineFitFarFromThePoints) {
  // 300 km out, seven and a half lengths from the nearest node: the correction is exp(-56).
  for (const auto& [e, n] : {std::pair{-100000.0, 2600000.0}, std::pair{250000.0, 3200000.0},
                             std::pair{700000.0, 2400000.0}}) {
    double localE = 0, localN = 0, affineE = 0, affineN = 0, trendE = 0, trendN = 0;
    local_->Forward(e, n, localE, localN);
    affine_->Forward(e, n, affineE, affineN);
    local_->Trend(e, n, trendE, trendN);
    EXPECT_NEAR(localE, affineE, 1e-6);
    EXPECT_NEAR(localN, affineN, 1e-6);
    EXPECT_EQ(localE, trendE);
    EXPECT_EQ(localN, trendN);
  }
}

TEST_F(LocalModel, IsContinuousThroughItsNodes) {
  // A millimetre from a node in eight directions, the map moves as its slope (about 1) says:
  // a jump of even 10 micrometres would show.
  for (const LocalNode& node : local_->Nodes()) {
    double e0 = 0, n0 = 0;
    local_->Forward(node.E67, node.N67, e0, n0);
    for (int k = 0; k < 8; ++k) {
      const double dE = 1e-3 * std::cos(k * M_PI / 4);
      const double dN = 1e-3 * std::sin(k * M_PI / 4);
      double e = 0, n = 0;
      local_->Forward(node.E67 + dE, node.N67 + dN, e, n);
      EXPECT_NEAR(e - e0, dE, 1e-5);
      EXPECT_NEAR(n - n0, dN, 1e-5);
    }
  }
}

TEST_F(LocalModel, InverseUndoesForward) {
  std::mt19937_64 random(17);
  std::uniform_real_distribution<double> east(150000, 350000);
  std::uniform_real_distribution<double> north(2440000, 2800000);
  for (int i = 0; i < 200; ++i) {
    const double e67 = east(random);
    const double n67 = north(random);
    double e97 = 0, n97 = 0, e = 0, n = 0;
    local_->Forward(e67, n67, e97, n97);
    ASSERT_TRUE(local_->Inverse(e97, n97, e, n));
    EXPECT_NEAR(e, e67, 1e-4);
    EXPECT_NEAR(n, n67, 1e-4);
  }
}

class ExactInverse : public testing::TestWithParam<PlaneModel> {};

TEST_P(ExactInverse, UndoesForward) {
  const FitResult fit = Fit(Points(Affine(), 10, 0.2, 21), GetParam(), 121);
  ASSERT_TRUE(fit.Ok());
  for (double e : {150000.0, 249999.5, 350000.0}) {
    for (double n : {2400000.0, 2650000.25, 2800000.0}) {
      double e97 = 0, n97 = 0, back67E = 0, back67N = 0;
      fit.Transform->Forward(e, n, e97, n97);
      EXPECT_TRUE(fit.Transform->Inverse(e97, n97, back67E, back67N));
      EXPECT_NEAR(back67E, e, 1e-8);
      EXPECT_NEAR(back67N, n, 1e-8);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Models, ExactInverse, testing::Values(PlaneModel::Similarity, PlaneModel::Affine),
                         ModelCaseName);

TEST(FittedTransform, RefusesParametersThatMakeNoTransform) {
  TransformParameters singular;
  singular.Model = PlaneModel::Affine;
  singular.Plane.A = singular.Plane.B = singular.Plane.C = singular.Plane.D = 1;
  EXPECT_THROW(FittedTransform{singular}, std::invalid_argument);
  TransformParameters meridian;
  meridian.Meridian = 120;
  EXPECT_THROW(FittedTransform{meridian}, std::invalid_argument);
  TransformParameters sheared;  // a similarity needs c = -b, d = a
  sheared.Plane.B = 1e-6;
  EXPECT_THROW(FittedTransform{sheared}, std::invalid_argument);
  TransformParameters localWithoutNodes;
  localWithoutNodes.Model = PlaneModel::Local;
  localWithoutNodes.Length = 1000;
  EXPECT_THROW(FittedTransform{localWithoutNodes}, std::invalid_argument);
  TransformParameters notFinite;
  notFinite.Plane.ShiftE = std::nan("");
  EXPECT_THROW(FittedTransform{notFinite}, std::invalid_argument);
}

TEST(Fit, RefusesLocalSettingsThatAreNotPositive) {
  const std::vector<CommonPoint> points = Points(Affine(), 6, 0.1, 1);
  EXPECT_THROW(Fit(points, PlaneModel::Local, 121, {0.0, std::nullopt}), std::invalid_argument);
  EXPECT_THROW(Fit(points, PlaneModel::Local, 121, {std::nullopt, -1.0}), std::invalid_argument);
}

}  // namespace
}  // namespace morvane
