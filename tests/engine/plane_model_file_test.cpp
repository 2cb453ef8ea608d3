// The plane model file: what is written reads back to the same results bit for bit, and files
// that do not make a model are refused with the line and what is wrong.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "engine/builtin_transforms.hpp"
#include "engine/plane_fit.hpp"
#include "engine/plane_model_file.hpp"
#include "test_support.hpp"

namespace morvane {
namespace {

using ::morvane::PrintTo;  // rows print by name in reports

std::string ModelCaseName(const testing::TestParamInfo<PlaneModel>& row) { return PlaneModelName(row.param); }

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class RoundTrip : public testing::TestWithParam<PlaneModel> {};

TEST_P(RoundTrip, GivesTheSameResultsBitForBit) {
  for (int meridian : {121, 119}) {
    const FitResult fit = Fit(BuiltinCommonPoints(meridian), GetParam(), meridian, {},
                              std::string(kCommonPointsAttribution));
    ASSERT_TRUE(fit.Ok());
    const std::string text = WriteModel(*fit.Transform);
    const ModelFileResult read = ReadModel(text);
    ASSERT_TRUE(read.Ok()) << DescribeInEnglish(*read.Error) << "\n" << text;
    const FittedTransform& back = *read.Transform;
    EXPECT_EQ(WriteModel(back), text);
    EXPECT_EQ(back.Model(), GetParam());
    EXPECT_EQ(back.Meridian(), meridian);
    EXPECT_EQ(back.Attribution(), kCommonPointsAttribution);
    EXPECT_TRUE(SameBits(back.Summary().LooRms, fit.Report.Summary.LooRms));
    const PlaneBox& area = fit.Transform->FittedArea();
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> east(area.MinE - 20000, area.MaxE + 20000);
    std::uniform_real_distribution<double> north(area.MinN - 20000, area.MaxN + 20000);
    for (int i = 0; i < 500; ++i) {
      const double e = east(random);
      const double n = north(random);
      double e1 = 0, n1 = 0, e2 = 0, n2 = 0;
      fit.Transform->Forward(e, n, e1, n1);
      back.Forward(e, n, e2, n2);
      ASSERT_TRUE(SameBits(e1, e2) && SameBits(n1, n2)) << e << " " << n;
      fit.Transform->Inverse(e, n, e1, n1);
      back.Inverse(e, n, e2, n2);
      ASSERT_TRUE(SameBits(e1, e2) && SameBits(n1, n2)) << e << " " << n;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Models, RoundTrip,
                         testing::Values(PlaneModel::Similarity, PlaneModel::Affine, PlaneModel::Local),
                         ModelCaseName);

TEST(ModelFile, KeepsUndefinedLeaveOneOutFigures) {
  // Three points for an affine fit: leave-one-out is undefined and written as nan.
  const std::vector<CommonPoint> points = {{"A", 200000, 2500000, 200828, 2499793, 1},
                                           {"B", 300000, 2700000, 300828.1, 2699793, 2},
                                           {"C", 260000, 2450000, 260828, 2449792.9, 3}};
  const FitResult fit = Fit(points, PlaneModel::Affine, 121);
  ASSERT_TRUE(fit.Ok());
  const ModelFileResult read = ReadModel(WriteModel(*fit.Transform));
  ASSERT_TRUE(read.Ok());
  EXPECT_TRUE(std::isnan(read.Transform->Summary().LooRms));
}

const std::string kGood =
    "morvane-plane-model 1\n"
    "model affine\n"
    "meridian 121\n"
    "centre 250000 2650000\n"
    "shift 250828 2649793\n"
    "matrix 1.00001 0 0 1.00001\n"
    "area 200000 2500000 300000 2800000\n"
    "fit 5 0.1 0.2 0.3 0.4\n";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

struct BadModelCase {
  const char* Name;
  std::string Text;
  ModelFileProblem Kind;
  std::string Message;
};

const BadModelCase kBadModels[] = {
    {"Empty", "", ModelFileProblem::NotAModelFile,
     "not a plane model file (the first line must be \"morvane-plane-model 1\")"},
    {"PointFile", "N068 327374.871 2782058.461 328205.675 2781854.076\n", ModelFileProblem::NotAModelFile,
     "line 1: not a plane model file (the first line must be \"morvane-plane-model 1\")"},
    {"LaterVersion", Replace(kGood, "model 1", "model 2"), ModelFileProblem::UnsupportedVersion,
     "line 1: plane model file version 2 is not supported (only 1)"},
    {"UnknownModel", Replace(kGood, "affine", "projective"), ModelFileProblem::BadValue,
     "line 2: \"model\" has a bad value: \"projective\""},
    {"OtherMeridian", Replace(kGood, "meridian 121", "meridian 123"), ModelFileProblem::BadValue,
     "line 3: \"meridian\" has a bad value: \"123\""},
    {"MissingKey", Replace(kGood, "centre 250000 2650000\n", ""), ModelFileProblem::MissingKey,
     "line 4: expected \"centre\""},
    {"NotANumber", Replace(kGood, "0 0 1.00001", "0 x 1.00001"), ModelFileProblem::BadValue,
     "line 6: \"matrix\" has a bad value: \"x\""},
    {"TooFewValues", Replace(kGood, "0 0 1.00001", "0 1.00001"), ModelFileProblem::BadValue,
     "line 6: \"matrix\" has a bad value: \"1.00001 0 1.00001\""},
    {"Truncated", kGood.substr(0, kGood.find("fit")), ModelFileProblem::MissingKey, "line 7: expected \"fit\""},
    {"SingularMatrix", Replace(kGood, "1.00001 0 0 1.00001", "1 2 2 4"), ModelFileProblem::Invalid,
     "the model is unusable: the matrix is singular"},
    {"SimilarityWithShear", Replace(Replace(kGood, "affine", "similarity"), "0 0 1.00001", "0 1e-6 1.00001"), ModelFileProblem::Invalid,
     "the model is unusable: a similarity needs c = -b and d = a"},
    {"LocalWithoutNodes", Replace(kGood, "affine", "local") + "length 1000\nnugget 0.1\nnodes 0\n",
     ModelFileProblem::BadValue, "line 11: \"nodes\" has a bad value: \"0\""},
    {"LocalMissingANode",
     Replace(kGood, "affine", "local") + "length 1000\nnugget 0.1\nnodes 2\nnode 250000 2650000 0.1 0.2\n",
     ModelFileProblem::MissingKey, "line 12: expected \"node\""},
    {"TrailingText", kGood + "matrix 1 0 0 1\n", ModelFileProblem::TrailingText,
     "line 9: unexpected text after the model: \"matrix 1 0 0 1\""},
    {"TextAfterAttribution", kGood + "attribution mine\nmore\n", ModelFileProblem::TrailingText,
     "line 10: unexpected text after the model: \"more\""},
};

class RefuseBadModel : public testing::TestWithParam<BadModelCase> {};

TEST_P(RefuseBadModel, WithItsSentence) {
  const ModelFileResult read = ReadModel(GetParam().Text);
  ASSERT_FALSE(read.Ok());
  ASSERT_TRUE(read.Error.has_value());
  EXPECT_EQ(read.Error->Kind, GetParam().Kind);
  EXPECT_EQ(DescribeInEnglish(*read.Error), GetParam().Message);
}

INSTANTIATE_TEST_SUITE_P(Refusals, RefuseBadModel, testing::ValuesIn(kBadModels), CaseName());

TEST(ModelFile, ReadsCommentsBlankLinesAndCrlf) {
  std::string text = "# written by hand\r\n\r\n";
  for (char c : kGood) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const ModelFileResult read = ReadModel(text + "attribution  my own survey \r\n");
  ASSERT_TRUE(read.Ok()) << DescribeInEnglish(*read.Error);
  EXPECT_EQ(read.Transform->Attribution(), "my own survey");
  EXPECT_EQ(read.Transform->Plane().A, 1.00001);
  EXPECT_EQ(read.Transform->Summary().PointCount, 5);
}

}  // namespace
}  // namespace morvane
