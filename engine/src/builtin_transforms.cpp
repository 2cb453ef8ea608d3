#include "engine/builtin_transforms.hpp"

#include <stdexcept>
#include <string>

#include "engine/plane_fit.hpp"

namespace morvane {

// The shipped data/common-points/taiwan-common-points.csv, built in (builtin_common_points.cpp.in).
extern const std::string_view kBuiltinCommonPointsCsv;

const std::string_view kCommonPointsAttribution =
    "Common points: OSGeo Wiki, \"Taiwan datums/Test points\" "
    "(https://wiki.osgeo.org/wiki/Taiwan_datums/Test_points), by the OSGeo Wiki contributors, "
    "under the Creative Commons Attribution-ShareAlike 2.5 licence "
    "(https://creativecommons.org/licenses/by-sa/2.5/)";

namespace {

std::shared_ptr<const FittedTransform> FitBuiltin(int meridian) {
  const FitResult fit = Fit(BuiltinCommonPoints(meridian), BuiltinModel(meridian), meridian, {},
                            std::string(kCommonPointsAttribution));
  // The shipped points are checked by the tests; a refusal here is a broken build.
  if (!fit.Ok()) throw std::logic_error("the shipped common points do not fit: " + DescribeInEnglish(*fit.Error));
  return std::make_shared<const FittedTransform>(*fit.Transform);
}

}  // namespace

std::vector<CommonPoint> BuiltinCommonPoints(int meridian) {
  if (meridian != 121 && meridian != 119) return {};
  CommonPointsResult read = ReadCommonPoints(kBuiltinCommonPointsCsv, meridian);
  if (!read.Ok()) throw std::logic_error("the shipped common points are unreadable: " + DescribeInEnglish(*read.Error));
  return std::move(read.Points);
}

// Chosen by report_common_points (docs/common-points.md): on Taiwan's 17 points Local has the
// least leave-one-out RMS (0.79 m; 0.89 m with its length chosen anew without each point, against
// 1.03 m affine and 1.06 m similarity); on Penghu's 21, close together, similarity (0.17 m, against
// 0.18 m local and 0.19 m affine). The tests check that these stay the best.
PlaneModel BuiltinModel(int meridian) { return meridian == 119 ? PlaneModel::Similarity : PlaneModel::Local; }

std::shared_ptr<const FittedTransform> BuiltinTransform(int meridian) {
  // Each fitted once, on first use; C++ makes the initialisation of a static thread-safe.
  if (meridian == 121) {
    static const std::shared_ptr<const FittedTransform> taiwan = FitBuiltin(121);
    return taiwan;
  }
  if (meridian == 119) {
    static const std::shared_ptr<const FittedTransform> penghu = FitBuiltin(119);
    return penghu;
  }
  return nullptr;
}

}  // namespace morvane
