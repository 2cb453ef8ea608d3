// The built-in plane transforms: the embedded points are the shipped file's, each region's model
// is the one with the least leave-one-out RMS, and the transform is that fit.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "engine/builtin_transforms.hpp"
#include "engine/plane_fit.hpp"

namespace morvane {
namespace {

std::string ShippedFile() {
  std::ifstream file(MORVANE_SOURCE_DIR "/data/common-points/taiwan-common-points.csv", std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(BuiltinCommonPoints, AreTheShippedFilesPoints) {
  const std::string shipped = ShippedFile();
  for (int meridian : {121, 119}) {
    const CommonPointsResult read = ReadCommonPoints(shipped, meridian);
    ASSERT_TRUE(read.Ok());
    const std::vector<CommonPoint> builtin = BuiltinCommonPoints(meridian);
    ASSERT_EQ(builtin.size(), read.Points.size()) << meridian;
    for (std::size_t i = 0; i < builtin.size(); ++i) {
      EXPECT_EQ(builtin[i].Id, read.Points[i].Id);
      EXPECT_EQ(builtin[i].E67, read.Points[i].E67);
      EXPECT_EQ(builtin[i].N67, read.Points[i].N67);
      EXPECT_EQ(builtin[i].E97, read.Points[i].E97);
      EXPECT_EQ(builtin[i].N97, read.Points[i].N97);
    }
  }
  EXPECT_EQ(BuiltinCommonPoints(121).size(), 17u);
  EXPECT_EQ(BuiltinCommonPoints(119).size(), 21u);
  EXPECT_TRUE(BuiltinCommonPoints(118).empty());
}

TEST(BuiltinModel, HasTheLeastLeaveOneOutRms) {
  for (int meridian : {121, 119}) {
    const std::vector<CommonPoint> points = BuiltinCommonPoints(meridian);
    const double chosen = Fit(points, BuiltinModel(meridian), meridian).Report.Summary.LooRms;
    for (PlaneModel model : {PlaneModel::Similarity, PlaneModel::Affine, PlaneModel::Local}) {
      EXPECT_LE(chosen, Fit(points, model, meridian).Report.Summary.LooRms) << meridian << " " << PlaneModelName(model);
    }
  }
}

TEST(BuiltinTransform, IsTheFitOfTheShippedPoints) {
  for (int meridian : {121, 119}) {
    const auto builtin = BuiltinTransform(meridian);
    ASSERT_NE(builtin, nullptr);
    EXPECT_EQ(builtin, BuiltinTransform(meridian));  // fitted once
    EXPECT_EQ(builtin->Meridian(), meridian);
    EXPECT_EQ(builtin->Model(), BuiltinModel(meridian));
    EXPECT_EQ(builtin->Attribution(), kCommonPointsAttribution);
    const FitResult fit = Fit(BuiltinCommonPoints(meridian), BuiltinModel(meridian), meridian);
    for (const CommonPoint& point : BuiltinCommonPoints(meridian)) {
      double e1 = 0, n1 = 0, e2 = 0, n2 = 0;
      builtin->Forward(point.E67, point.N67, e1, n1);
      fit.Transform->Forward(point.E67, point.N67, e2, n2);
      EXPECT_EQ(e1, e2);
      EXPECT_EQ(n1, n2);
    }
  }
  EXPECT_EQ(BuiltinTransform(118), nullptr);  // Kinmen and Matsu: no observed TWD67 points
  EXPECT_EQ(BuiltinTransform(120), nullptr);
}

}  // namespace
}  // namespace morvane
