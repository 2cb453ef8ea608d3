#include "shapefile/fitted_area_check.hpp"

#include <algorithm>
#include <cmath>

#include "engine/conversion.hpp"
#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "engine/plane_transform.hpp"

namespace morvane {

namespace {

// The region whose two-degree grid is on `meridian`.
Region RegionOn(int meridian) {
  return RegionTm2Meridian(kIslandsRegion) == meridian ? kIslandsRegion : kTaiwanRegion;
}

// (x, y) in `mode`'s source system to TWD67 TM2 on the transform's meridian; false if it
// cannot be converted.
bool ToTwd67Grid(TransformMode mode, const FittedTransform& transform, double x, double y, double& e, double& n) {
  const CoordinateSystem& source = RowOf(mode).Source;
  e = x;
  n = y;
  try {
    if (source.Kind == GridKind::Geographic) {
      // TWD67 longitude and latitude through mode 2; TWD97 and WGS84 ones through mode 14.
      const Mode toGrid = source.System == Datum::Twd67 ? Mode::Twd67GeographicToTwd67Tm2 : Mode::Twd97GeographicToTwd97Tm2;
      IgnoredMessages quiet;
      EngineState engine = EngineFor({IndexOf(toGrid), RegionOn(transform.Meridian()), {}}, quiet);
      ConvertPoint(engine, IndexOf(toGrid), x, y, e, n);
    }
  } catch (const ConversionError&) {
    return false;
  }
  if (source.System == Datum::Twd67) return std::isfinite(e) && std::isfinite(n);
  double e67 = 0;
  double n67 = 0;
  if (!transform.Inverse(e, n, e67, n67)) return false;
  e = e67;
  n = n67;
  return std::isfinite(e) && std::isfinite(n);
}

// How far (e, n) lies outside `box`, metres; 0 inside.
double DistanceOutside(const PlaneBox& box, double e, double n) {
  const double de = std::max({box.MinE - e, 0.0, e - box.MaxE});
  const double dn = std::max({box.MinN - n, 0.0, n - box.MaxN});
  return std::hypot(de, dn);
}

}  // namespace

std::optional<double> DistanceOutsideFittedArea(const InputCheck& check, TransformMode mode,
                                                const FittedTransform& transform) {
  if (!TakesDatumStep(mode) || check.Verdict != InputVerdict::Plausible || !check.Seen) return std::nullopt;
  const Box& box = *check.Seen;
  double farthest = 0;
  for (const auto& [x, y] : {std::pair{box.Xmin, box.Ymin}, std::pair{box.Xmin, box.Ymax},
                             std::pair{box.Xmax, box.Ymin}, std::pair{box.Xmax, box.Ymax}}) {
    double e = 0;
    double n = 0;
    if (!ToTwd67Grid(mode, transform, x, y, e, n)) return std::nullopt;
    farthest = std::max(farthest, DistanceOutside(transform.FittedArea(), e, n));
  }
  if (farthest <= kFittedAreaMargin) return std::nullopt;
  return farthest;
}

}  // namespace morvane
