// The plane transforms fitted to the shipped common points (data/common-points), built into the
// engine so that the program needs no file at run time: 17 points over Taiwan on the 121
// meridian, 21 over Penghu on the 119 meridian. Kinmen and Matsu have no observed TWD67
// coordinates, so no model there.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "engine/common_points.hpp"
#include "engine/plane_transform.hpp"

namespace morvane {

// The credit the shipped points must carry wherever they or a fit to them go.
extern const std::string_view kCommonPointsAttribution;

// The shipped points of `meridian` (121 or 119); empty for any other meridian.
std::vector<CommonPoint> BuiltinCommonPoints(int meridian);

// The model kind with the least leave-one-out RMS on the shipped points of `meridian`
// (docs/common-points.md gives the figures).
PlaneModel BuiltinModel(int meridian);

// The transform fitted to the shipped points of `meridian` with BuiltinModel(meridian), fitted
// once on first use (thread-safe); null for any meridian but 121 and 119.
std::shared_ptr<const FittedTransform> BuiltinTransform(int meridian);

}  // namespace morvane
