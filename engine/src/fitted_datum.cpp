#include "fitted_datum.hpp"

#include <string>

#include "engine/constants.hpp"
#include "engine/plane_transform.hpp"
#include "engine/processor.hpp"
#include "engine/tm_shortcuts.hpp"
#include "engine/transverse_mercator.hpp"

namespace morvane {

namespace {

// The TWD67 two-degree grid on `meridian`: the values the settings step writes for mode 2 in
// Taiwan, with the region's meridian.
TmSettingsGrid Twd67Tm2GridOn(Extended meridian) {
  TransformSettings settings;
  settings.SemiMajorAxis = kTwd67SemiMajorAxis;
  settings.InverseFlattening = kTwd67InverseFlattening;
  settings.FalseEasting = kTm2FalseEasting;
  settings.ScaleFactor = kTm2ScaleFactor;
  settings.CentralMeridian = meridian;
  return TmSettingsGridOf(settings);
}

const TmSettingsGrid& Twd67Tm2Grid(int meridian) {
  static const TmSettingsGrid taiwan = Twd67Tm2GridOn(kTaiwanCentralMeridian);
  static const TmSettingsGrid islands = Twd67Tm2GridOn(kIslandsTm2CentralMeridian);
  return meridian == static_cast<int>(kIslandsTm2CentralMeridian) ? islands : taiwan;
}

// Modes 9 and 15: TWD67 longitude and latitude to TWD97 (WGS84) longitude and latitude.
void GeographicForward(const FittedTransform& transform, const TmSettingsGrid& grid67, double longitude,
                       double latitude, double& outLongitude, double& outLatitude) {
  const GridPointDouble grid = TmForwardNarrowed(grid67, longitude, latitude);
  double e97 = 0;
  double n97 = 0;
  transform.Forward(grid.Easting, grid.Northing, e97, n97);
  const GeographicPoint g97 = GeographicAtFootpoint(Tm2FootpointOf97(e97, n97), transform.Meridian());
  outLongitude = static_cast<double>(g97.Longitude);
  outLatitude = static_cast<double>(g97.Latitude);
}

// Modes 10 and 16: the reverse. False if the inverse does not settle.
bool GeographicInverse(const FittedTransform& transform, const TmSettingsGrid& grid67, double longitude,
                       double latitude, double& outLongitude, double& outLatitude) {
  const GridPointDouble grid = Tm2ForwardNarrowed97(transform.Meridian(), longitude, latitude);
  double e67 = 0;
  double n67 = 0;
  const bool settled = transform.Inverse(grid.Easting, grid.Northing, e67, n67);
  const GeographicPointDouble g67 = TmGeographicNarrowed(grid67, e67, n67);
  outLongitude = g67.Longitude;
  outLatitude = g67.Latitude;
  return settled;
}

// One point in `form`; false if the inverse does not settle. One code path for the one-point
// and the several-point forms, so that both give the same results bit for bit.
bool FittedChain(const FittedTransform& transform, const TmSettingsGrid& grid67, FittedForm form, double x, double y,
                 double& outX, double& outY) {
  switch (form) {
    case FittedForm::GridForward:
      transform.Forward(x, y, outX, outY);
      return true;
    case FittedForm::GridInverse:
      return transform.Inverse(x, y, outX, outY);
    case FittedForm::GeographicForward:
      GeographicForward(transform, grid67, x, y, outX, outY);
      return true;
    default:
      return GeographicInverse(transform, grid67, x, y, outX, outY);
  }
}

[[noreturn]] void ThrowUnsettled(double x, double y) {
  throw ConversionError("The fitted datum transform does not settle at the point (" + std::to_string(x) + ", " +
                        std::to_string(y) + ")");
}

}  // namespace

void ConvertPointFitted(const FittedTransform& transform, FittedForm form, double x, double y, double& outX,
                        double& outY) {
  const TmSettingsGrid& grid67 = Twd67Tm2Grid(transform.Meridian());
  double resultX = 0;
  double resultY = 0;
  bool settled = FittedChain(transform, grid67, form, x, y, resultX, resultY);
  processor::Materialise(resultX);
  processor::Materialise(resultY);
  if (FloatingPointFlagsRaised()) {
    // Perhaps the caller's flag: once more from clear flags, which fails only on our own.
    ClearFloatingPointFlags();
    settled = FittedChain(transform, grid67, form, x, y, resultX, resultY);
    processor::Materialise(resultX);
    processor::Materialise(resultY);
    CheckFloatingPointFlags();
  }
  if (!settled) ThrowUnsettled(x, y);
  outX = resultX;
  outY = resultY;
}

bool ConvertPairsFitted(const FittedTransform& transform, FittedForm form, const double* pairs, std::size_t count,
                        double* results) {
  const TmSettingsGrid& grid67 = Twd67Tm2Grid(transform.Meridian());
  for (std::size_t i = 0; i < count; ++i) {
    if (!FittedChain(transform, grid67, form, pairs[2 * i], pairs[2 * i + 1], results[2 * i], results[2 * i + 1])) {
      return false;
    }
  }
  return true;
}

}  // namespace morvane
