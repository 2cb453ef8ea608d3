// Common points: the reader's formats, and the refusals of bad point sets with their English
// wording, from the reader and from the fit.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "engine/common_points.hpp"
#include "engine/plane_fit.hpp"
#include "test_support.hpp"

namespace morvane {
namespace {

using ::morvane::PrintTo;  // rows print by name in reports

// Three real Taiwan points (TWD67 E, N, TWD97 E, N) and one Penghu point.
constexpr const char* kTaiwanRows =
    "N068 327374.871 2782058.461 328205.675 2781854.076\n"
    "S584 160419.263 2547262.949 161247.352 2547055.814\n"
    "E015 309649.284 2435022.868 310478.042 2434815.104\n";

struct GoodFileCase {
  const char* Name;
  std::string Text;
  int Meridian;
  std::vector<std::string> Ids;
  std::vector<int> Lines;
};

const GoodFileCase kGoodFiles[] = {
    {"Blanks", kTaiwanRows, 121, {"N068", "S584", "E015"}, {1, 2, 3}},
    {"CommasWithHeaderCrlfAndBom",
     "\xEF\xBB\xBFid,e67,n67,e97,n97\r\n"
     "N068,327374.871,2782058.461,328205.675,2781854.076\r\n"
     "S584, 160419.263 ,2547262.949,161247.352,2547055.814\r\n",
     121, {"N068", "S584"}, {2, 3}},
    {"SemicolonsCommentsAndBlankLines",
     "# surveyed 1999\n\nN068;327374.871;2782058.461;328205.675;2781854.076\n\n"
     "\tS584 ;160419.263;2547262.949;161247.352;+2547055.814\n",
     121, {"N068", "S584"}, {3, 5}},
    {"QuotedIdWithSeparator",
     "\"North, \"\"68\"\"\",327374.871,2782058.461,328205.675,2781854.076\n", 121, {"North, \"68\""}, {1}},
    // Big5 bytes (an id of two characters) pass through untouched.
    {"Big5IdKeptVerbatim", "\xA4\xA4\xA5\xBF 327374.871 2782058.461 328205.675 2781854.076\n", 121,
     {"\xA4\xA4\xA5\xBF"}, {1}},
    {"Utf8Id", "\xE4\xB8\xAD\xE6\xAD\xA3,327374.871,2782058.461,328205.675,2781854.076", 121,
     {"\xE4\xB8\xAD\xE6\xAD\xA3"}, {1}},
    // A header naming its columns picks them by name and keeps the rows of the meridian asked for.
    {"NamedColumnsPickTheMeridiansRows",
     "region,TWD97_N,twd97_e,id,twd67_n,twd67_e,tm2_meridian\n"
     "taiwan,2781854.076,328205.675,N068,2782058.461,327374.871,121\n"
     "penghu,2616967.416,310426.193,S334,2617164.044,309597.034,119\n",
     119, {"S334"}, {3}},
};

class ReadGoodFile : public testing::TestWithParam<GoodFileCase> {};

TEST_P(ReadGoodFile, ReadsEveryPoint) {
  const GoodFileCase& c = GetParam();
  const CommonPointsResult read = ReadCommonPoints(c.Text, c.Meridian);
  ASSERT_TRUE(read.Ok()) << DescribeInEnglish(*read.Error);
  ASSERT_EQ(read.Points.size(), c.Ids.size());
  for (std::size_t i = 0; i < c.Ids.size(); ++i) {
    EXPECT_EQ(read.Points[i].Id, c.Ids[i]);
    EXPECT_EQ(read.Points[i].Line, c.Lines[i]);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, ReadGoodFile, testing::ValuesIn(kGoodFiles), CaseName());

TEST(ReadCommonPoints, KeepsTheNumbersExactly) {
  const CommonPointsResult read = ReadCommonPoints(kTaiwanRows, 121);
  ASSERT_TRUE(read.Ok());
  EXPECT_EQ(read.Points[1].E67, 160419.263);
  EXPECT_EQ(read.Points[1].N67, 2547262.949);
  EXPECT_EQ(read.Points[1].E97, 161247.352);
  EXPECT_EQ(read.Points[1].N97, 2547055.814);
}

TEST(ReadCommonPoints, ReadsTheShippedFileForBothRegions) {
  std::ifstream file(MORVANE_SOURCE_DIR "/data/common-points/taiwan-common-points.csv", std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  ASSERT_FALSE(text.str().empty());
  const CommonPointsResult taiwan = ReadCommonPoints(text.str(), 121);
  const CommonPointsResult penghu = ReadCommonPoints(text.str(), 119);
  ASSERT_TRUE(taiwan.Ok() && penghu.Ok());
  EXPECT_EQ(taiwan.Points.size(), 17u);
  EXPECT_EQ(penghu.Points.size(), 21u);
  EXPECT_EQ(taiwan.Points.front().Id, "N068");
  EXPECT_EQ(penghu.Points.back().Id, "F029");
}

// A point set that is refused, by the reader or by the fit, and the exact sentence it gets.
struct BadFileCase {
  const char* Name;
  std::string Text;
  int Meridian;
  PlaneModel Model;
  CommonPointProblem Kind;
  std::string Message;
};

const std::string kTwoGoodRows =
    "N068 327374.871 2782058.461 328205.675 2781854.076\n"
    "S584 160419.263 2547262.949 161247.352 2547055.814\n";

const BadFileCase kBadFiles[] = {
    {"UnsupportedMeridian", kTaiwanRows, 120, PlaneModel::Similarity, CommonPointProblem::UnsupportedMeridian,
     "the TM2 meridian must be 121 (Taiwan) or 119 (Penghu), not 120"},
    {"TooFewColumns", kTwoGoodRows + "E015 309649.284 2435022.868 310478.042\n", 121, PlaneModel::Similarity,
     CommonPointProblem::WrongColumnCount,
     "line 3: expected 5 columns (id, TWD67 E, TWD67 N, TWD97 E, TWD97 N), found 4"},
    {"TooManyColumnsForTheHeader",
     "id,twd67_e,twd67_n,twd97_e,twd97_n,note\nN068,327374.871,2782058.461,328205.675,2781854.076,pillar,9\n", 121,
     PlaneModel::Similarity, CommonPointProblem::WrongColumnCount,
     "line 2: expected 6 columns as in the header, found 7"},
    {"NotANumber", "N068 327374.871 2782x58.461 328205.675 2781854.076\n", 121, PlaneModel::Similarity,
     CommonPointProblem::NotANumber, "line 1 (N068): TWD67 N is not a number: \"2782x58.461\""},
    {"NotFinite", kTwoGoodRows + "E015 309649.284 2435022.868 inf 2434815.104\n", 121, PlaneModel::Similarity,
     CommonPointProblem::NotANumber, "line 3 (E015): TWD97 E is not a number: \"inf\""},
    {"MeridianNotANumber", "id,twd67_e,twd67_n,twd97_e,twd97_n,tm2_meridian\nN068,327374.871,2782058.461,328205.675,2781854.076,TM2\n",
     121, PlaneModel::Similarity, CommonPointProblem::NotANumber,
     "line 2 (N068): tm2_meridian is not a number: \"TM2\""},
    {"DuplicateId", kTwoGoodRows + "N068 309649.284 2435022.868 310478.042 2434815.104\n", 121,
     PlaneModel::Similarity, CommonPointProblem::DuplicateId, "line 3 (N068): the id is used again (first on line 1)"},
    {"Degrees", "P1 121.775 25.143 121.776 25.143\n", 121, PlaneModel::Similarity, CommonPointProblem::Degrees,
     "line 1 (P1): TWD67 coordinates 121.775, 25.143 look like degrees; TM2 eastings and northings in metres are "
     "needed"},
    {"DegreesOnTheTwd97Side", kTwoGoodRows + "P1 327374.871 2782058.461 121.776 25.143\n", 121, PlaneModel::Similarity,
     CommonPointProblem::Degrees,
     "line 3 (P1): TWD97 coordinates 121.776, 25.143 look like degrees; TM2 eastings and northings in metres are "
     "needed"},
    {"NorthingOffTaiwansGrid", "P1 327374.871 2082058.461 328205.675 2081854.076\n", 121, PlaneModel::Similarity,
     CommonPointProblem::OffGrid,
     "line 1 (P1): TWD67 N 2082058.461 is off the TM2 grid of the 121 meridian (2380000 to 2900000 m)"},
    {"EastingOffTheGrid", "P1 627374.871 2782058.461 628205.675 2781854.076\n", 121, PlaneModel::Similarity,
     CommonPointProblem::OffGrid,
     "line 1 (P1): TWD67 E 627374.871 is off the TM2 grid of the 121 meridian (0 to 500000 m)"},
    // Taiwan's points on Penghu's grid: their northings run north of Penghu.
    {"TaiwanPointOnPenghusGrid", kTaiwanRows, 119, PlaneModel::Similarity, CommonPointProblem::OffGrid,
     "line 1 (N068): TWD67 N 2782058.461 is off the TM2 grid of the 119 meridian (2500000 to 2720000 m)"},
    {"ColumnsSwapped", "N068 328205.675 2781854.076 327374.871 2782058.461\n", 121, PlaneModel::Similarity,
     CommonPointProblem::ColumnsSwapped,
     "line 1 (N068): TWD97 minus TWD67 is -830.804, 204.385 m, the wrong way round: the TWD67 and TWD97 columns "
     "look swapped"},
    {"ShiftTypedWrong", kTwoGoodRows + "E015 309649.284 2435022.868 311478.042 2434815.104\n", 121,
     PlaneModel::Similarity, CommonPointProblem::ImplausibleShift,
     "line 3 (E015): TWD97 minus TWD67 is 1828.758, -207.764 m, more than 100 m from the usual +828, -207 m; check "
     "the coordinates"},
    {"OnePointForSimilarity", "N068 327374.871 2782058.461 328205.675 2781854.076\n", 121, PlaneModel::Similarity,
     CommonPointProblem::TooFewPoints, "the similarity model needs at least 2 points, 1 given"},
    {"TwoPointsForAffine", kTwoGoodRows, 121, PlaneModel::Affine, CommonPointProblem::TooFewPoints,
     "the affine model needs at least 3 points, 2 given"},
    {"ThreePointsForLocal", kTaiwanRows, 121, PlaneModel::Local, CommonPointProblem::TooFewPoints,
     "the local model needs at least 4 points, 3 given"},
    {"EmptyFile", "# nothing yet\n", 121, PlaneModel::Similarity, CommonPointProblem::TooFewPoints,
     "the similarity model needs at least 2 points, 0 given"},
    {"Coincident", kTwoGoodRows + "S585 160419.2635 2547262.949 161247.352 2547055.814\n", 121, PlaneModel::Similarity,
     CommonPointProblem::Coincident, "line 3 (S585): in the same spot as line 2 (S584)"},
    {"CollinearForAffine",
     "A 200000 2500000 200828 2499793\nB 250000 2550000 250828 2549793\nC 300000 2600000 300828 2599793\n"
     "D 350000 2650000 350828 2649793\n",
     121, PlaneModel::Affine, CommonPointProblem::Collinear,
     // Along the line the points sit at 1.5 and 0.5 steps of 70 710.678 m either side of the middle.
     "the points lie on one line (spread 0.000 m across it, 79056.942 m along it); the affine model needs points "
     "spread in both directions"},
};

class RefuseBadFile : public testing::TestWithParam<BadFileCase> {};

TEST_P(RefuseBadFile, WithItsSentence) {
  const BadFileCase& c = GetParam();
  const CommonPointsResult read = ReadCommonPoints(c.Text, c.Meridian);
  std::optional<CommonPointError> error = read.Error;
  if (!error) {
    const FitResult fit = Fit(read.Points, c.Model, c.Meridian);
    EXPECT_FALSE(fit.Transform.has_value());
    error = fit.Error;
  }
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->Kind, c.Kind);
  EXPECT_EQ(DescribeInEnglish(*error), c.Message);
}

INSTANTIATE_TEST_SUITE_P(Refusals, RefuseBadFile, testing::ValuesIn(kBadFiles), CaseName());

TEST(CheckCommonPoints, CarriesTheFiguresAsData) {
  // A front end words the refusal from these fields, not from the English sentence.
  const CommonPointsResult read = ReadCommonPoints("P1 327374.871 2082058.461 328205.675 2081854.076\n", 121);
  ASSERT_TRUE(read.Error.has_value());
  EXPECT_EQ(read.Error->Line, 1);
  EXPECT_EQ(read.Error->Id, "P1");
  EXPECT_EQ(read.Error->Column, 3);
  EXPECT_EQ(read.Error->Meridian, 121);
  EXPECT_EQ(read.Error->Value, 2082058.461);
  EXPECT_EQ(read.Error->Low, 2380000.0);
  EXPECT_EQ(read.Error->High, 2900000.0);
}

TEST(CheckCommonPoints, KeepsOutlyingIslandsOnTheirGrid) {
  // Orchid Island (22.05 N, 121.55 E), Green Island (22.66 N, 121.49 E) and Pengjia Islet
  // (25.63 N, 122.08 E) on the 121 grid, and Penghu's far south (Qimei, 23.2 N) on the 119 grid.
  const std::vector<CommonPoint> taiwan = {{"Orchid", 306000, 2439000, 306828, 2438793, 1},
                                           {"Green", 299800, 2506500, 300628, 2506293, 2},
                                           {"Pengjia", 358000, 2836500, 358828, 2836293, 3}};
  const std::vector<CommonPoint> penghu = {{"Qimei", 298000, 2566000, 298828, 2565803, 1}};
  EXPECT_FALSE(CheckCommonPoints(taiwan, 121).has_value());
  EXPECT_FALSE(CheckCommonPoints(penghu, 119).has_value());
}

}  // namespace
}  // namespace morvane
