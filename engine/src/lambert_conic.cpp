// The Lambert conformal conic on the ellipsoid, in the formulas of Snyder, "Map Projections: A
// Working Manual", USGS Professional Paper 1395, 1987, chapter 15 with the general conic
// formulas of chapter 14. The grid's constants n, F and rho0 (eqs. 15-8, 15-10, 15-7a) come from
// lambert_grid.cpp.
//  - Forward: rho = a F t^n (15-7) with t of eq. 15-9 (LambertT), theta = n (lambda - lambda0)
//    (14-4), x = rho sin theta (14-1) and y = rho0 - rho cos theta (14-2), plus the false
//    origin.
//  - Inverse: rho = sign(n) sqrt(x^2 + (rho0 - y)^2) (14-10), theta = arctan(x / (rho0 - y))
//    (14-11, taken with atan2 after the signs are turned for n < 0), t = (rho / (a F))^(1/n)
//    (15-11), then phi = pi/2 - 2 arctan(t ((1 - e sin phi) / (1 + e sin phi))^(e/2)) (7-9)
//    iterated from phi = pi/2 - 2 arctan t (7-11), and lambda = theta / n + lambda0 (14-9).
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

namespace {

// One inversion under way: steps 1 to 5 done by BeginInverse, the iteration advanced by
// StepInverse, the corrections made by FinishInverse.
struct Inversion {
  LambertStatus Status = lambert_status::Success;
  bool Apex = false;  // rho is 0: a pole, no iteration and no corrections
  double Theta = 0;
  double T = 0;
  double Phi = 0;
  double Previous = 0;
};

Inversion BeginInverse(const LambertParameters& grid, double easting, double northing) {
  namespace st = lambert_status;
  FailIfNaN(easting, northing);
  Inversion inversion;
  if (!(easting >= grid.FalseEasting - grid.EastingHalfRange &&
        easting <= grid.FalseEasting + grid.EastingHalfRange)) {
    inversion.Status |= st::EastingOutOfRange;
  }
  if (!(northing >= grid.FalseNorthing - grid.NorthingHalfRange &&
        northing <= grid.FalseNorthing + grid.NorthingHalfRange)) {
    inversion.Status |= st::NorthingOutOfRange;
  }
  if (inversion.Status != st::Success) return inversion;

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
  if (rho == 0) {
    inversion.Apex = true;
    return inversion;
  }
  inversion.Theta = std::atan2(dx, r0);
  inversion.T = std::pow(rho / grid.ScaledMappingConstant, 1 / n);
  inversion.Phi = kHalfPi - 2 * std::atan(inversion.T);
  return inversion;
}

// Whether the inversion still iterates; if so, one more pass made.
bool StepInverse(const LambertParameters& grid, Inversion& inversion) {
  if (inversion.Status != lambert_status::Success || inversion.Apex) return false;
  const double change = std::fabs(inversion.Phi - inversion.Previous);
  if (std::isnan(change)) {  // the loop test would be an invalid operation
    RaiseInvalidOperation();
    inversion.Status = lambert_status::LatitudeOutOfRange;
    return false;
  }
  if (!(change > kLatitudeTolerance)) return false;
  inversion.Previous = inversion.Phi;
  const double s = grid.Eccentricity * std::sin(inversion.Phi);
  inversion.Phi = kHalfPi - 2 * std::atan(inversion.T * std::pow((1 - s) / (1 + s), grid.HalfEccentricity));
  return true;
}

LambertStatus FinishInverse(const LambertParameters& grid, const Inversion& inversion,
                            double& latitude, double& longitude) {
  if (inversion.Status != lambert_status::Success) return inversion.Status;
  const double n = grid.ConeConstant;
  if (inversion.Apex) {  // the apex of the cone: a pole, no corrections
    latitude = n > 0 ? kHalfPi : -kHalfPi;
    longitude = grid.CentralMeridian;
    return lambert_status::Success;
  }

  double lat = inversion.Phi;
  double lon = inversion.Theta / n + grid.CentralMeridian;
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
  return lambert_status::Success;
}

}  // namespace

LambertStatus LambertInverse(const LambertParameters& grid, double easting, double northing,
                             double& latitude, double& longitude) {
  Inversion inversion = BeginInverse(grid, easting, northing);
  while (StepInverse(grid, inversion)) {
  }
  return FinishInverse(grid, inversion, latitude, longitude);
}

void LambertInverseLanes(const LambertParameters& grid, const LambertInverseArguments* points,
                         std::size_t count, LambertInverseResults* results) {
  Inversion inversions[kMaxLanes];
  bool iterating[kMaxLanes];
  for (std::size_t i = 0; i < count; ++i) {
    inversions[i] = BeginInverse(grid, points[i].Easting, points[i].Northing);
    iterating[i] = true;
  }
  // One pass of each in turn: each is independent of the others.
  for (bool any = true; any;) {
    any = false;
    for (std::size_t i = 0; i < count; ++i) {
      if (iterating[i]) iterating[i] = StepInverse(grid, inversions[i]);
      any = any || iterating[i];
    }
  }
  for (std::size_t i = 0; i < count; ++i) {
    results[i].Status = FinishInverse(grid, inversions[i], results[i].Latitude, results[i].Longitude);
  }
}

}  // namespace morvane
