#include "engine/lambert_conic.hpp"

#include <cmath>

#include "engine/constants.hpp"
#include "engine/extended.hpp"

namespace morvane {
namespace {

constexpr double kPoleTolerance = 1e-10;         // radians from a pole
constexpr double kLatitudeTolerance = 4.85e-10;  // radians between iterates
constexpr double kSnapToZero = 2e-7;             // radians
constexpr double kSnapToAntimeridian = 3.5e-6;   // radians

}  // namespace

LambertStatus LambertForward(const LambertParameters& grid, double latitude, double longitude,
                             double& easting, double& northing) {
  namespace st = lambert_status;
  // An ordered comparison with a NaN counts as an invalid operation; the range test is one.
  FailIfNaN(latitude, longitude);
  LambertStatus status = st::Success;
  if (!(latitude >= -kHalfPi && latitude <= kHalfPi)) status |= st::LatitudeOutOfRange;
  if (!(longitude >= -kPi && longitude <= kTwoPi)) status |= st::LongitudeOutOfRange;
  if (status != st::Success) return status;

  const double n = grid.ConeConstant;
  double rho;
  if (std::fabs(std::fabs(latitude) - kHalfPi) > kPoleTolerance) {
    rho = grid.ScaledMappingConstant * std::pow(LambertT(grid, latitude), n);
  } else if (latitude * n > 0) {
    rho = 0;  // the pole at the apex of the cone
  } else {
    return st::LatitudeOutOfRange;  // the pole on the far side of the cone
  }

  double dlambda = longitude - grid.CentralMeridian;
  if (dlambda > kPi) dlambda -= kTwoPi;
  if (dlambda < -kPi) dlambda += kTwoPi;
  const double theta = n * dlambda;

  easting = rho * std::sin(theta) + grid.FalseEasting;
  northing = grid.OriginRadius - rho * std::cos(theta) + grid.FalseNorthing;
  return st::Success;
}

LambertStatus LambertInverse(const LambertParameters& grid, double easting, double northing,
                             double& latitude, double& longitude) {
  namespace st = lambert_status;
  FailIfNaN(easting, northing);
  LambertStatus status = st::Success;
  if (!(easting >= grid.FalseEasting - grid.EastingHalfRange &&
        easting <= grid.FalseEasting + grid.EastingHalfRange)) {
    status |= st::EastingOutOfRange;
  }
  if (!(northing >= grid.FalseNorthing - grid.NorthingHalfRange &&
        northing <= grid.FalseNorthing + grid.NorthingHalfRange)) {
    status |= st::NorthingOutOfRange;
  }
  if (status != st::Success) return status;

  const double n = grid.ConeConstant;
  double dy = northing - grid.FalseNorthing;
  double dx = easting - grid.FalseEasting;
  double r0 = grid.OriginRadius - dy;
  double rho = std::sqrt(dx * dx + r0 * r0);
  if (n < 0) {
    rho = -rho;
    dy = -dy;
    dx = -dx;
    r0 = -r0;
  }

  if (rho == 0) {  // the apex of the cone: a pole, no corrections
    latitude = n > 0 ? kHalfPi : -kHalfPi;
    longitude = grid.CentralMeridian;
    return st::Success;
  }

  const double theta = std::atan2(dx, r0);
  const double t = std::pow(rho / grid.ScaledMappingConstant, 1 / n);
  double phi = kHalfPi - 2 * std::atan(t);
  double previous = 0;
  for (;;) {
    const double change = std::fabs(phi - previous);
    if (std::isnan(change)) {  // the loop test would be an invalid operation
      RaiseInvalidOperation();
      return st::LatitudeOutOfRange;
    }
    if (!(change > kLatitudeTolerance)) break;
    previous = phi;
    const double s = grid.Eccentricity * std::sin(phi);
    phi = kHalfPi - 2 * std::atan(t * std::pow((1 - s) / (1 + s), grid.HalfEccentricity));
  }

  double lat = phi;
  double lon = theta / n + grid.CentralMeridian;
  FailIfNaN(lat, lon);  // the corrections compare both
  if (std::fabs(lat) < kSnapToZero) lat = 0;
  if (lat > kHalfPi) {
    lat = kHalfPi;
  } else if (lat < -kHalfPi) {
    lat = -kHalfPi;
  }
  if (lon > kPi) {
    if (lon - kPi < kSnapToAntimeridian) {
      lon = kPi;
    } else {
      lon -= kTwoPi;
    }
  }
  if (lon < -kPi) {
    if (std::fabs(lon + kPi) < kSnapToAntimeridian) {
      lon = -kPi;
    } else {
      lon += kTwoPi;
    }
  }
  if (std::fabs(lon) < kSnapToZero) lon = 0;
  if (lon > kPi) {
    lon = kPi;
  } else if (lon < -kPi) {
    lon = -kPi;
  }

  latitude = lat;
  longitude = lon;
  return st::Success;
}

}  // namespace morvane
