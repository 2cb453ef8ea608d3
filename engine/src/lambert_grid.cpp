#include "engine/lambert_grid.hpp"

#include <cmath>

#include "engine/constants.hpp"

namespace morvane {
namespace {

// False for NaN as well: a NaN argument fails every range test.
bool WithinLatitudeLimit(double phi) {
  return phi >= -kLambertLatitudeLimit && phi <= kLambertLatitudeLimit;
}

}  // namespace

// m = cos phi / sqrt(1 - e^2 sin^2 phi): Snyder, "Map Projections: A Working Manual" (1987),
// eq. 14-15.
double LambertM(const LambertParameters& grid, double phi) {
  const double s = grid.Eccentricity * std::sin(phi);
  return std::cos(phi) / std::sqrt(1 - s * s);
}

// t = tan(pi/4 - phi/2) / ((1 - e sin phi) / (1 + e sin phi))^(e/2): Snyder eq. 15-9.
double LambertT(const LambertParameters& grid, double phi) {
  const double s = grid.Eccentricity * std::sin(phi);
  return std::tan(kQuarterPi - phi * 0.5) / std::pow((1 - s) / (1 + s), grid.HalfEccentricity);
}

LambertStatus SetLambertParameters(LambertParameters& grid, double a, double f,
                                   double originLatitude, double centralMeridian,
                                   double firstParallel, double secondParallel,
                                   double falseEasting, double falseNorthing) {
  namespace st = lambert_status;
  const double inverseFlattening = 1 / f;
  LambertStatus status = st::Success;
  if (!WithinLatitudeLimit(originLatitude)) status |= st::OriginLatitudeOutOfRange;
  if (!WithinLatitudeLimit(firstParallel)) status |= st::FirstParallelOutOfRange;
  if (!WithinLatitudeLimit(secondParallel)) status |= st::SecondParallelOutOfRange;
  if (!(centralMeridian >= -kPi && centralMeridian <= kTwoPi)) status |= st::CentralMeridianOutOfRange;
  if (!(a > 0)) status |= st::SemiMajorAxisInvalid;
  if (!(inverseFlattening >= kLambertMinInverseFlattening &&
        inverseFlattening <= kLambertMaxInverseFlattening)) {
    status |= st::InverseFlatteningInvalid;
  }
  if (firstParallel == -secondParallel) status |= st::ParallelsSymmetric;
  if (firstParallel == 0 && secondParallel == 0) status |= st::ParallelsBothZero;
  if (status != st::Success) return status;

  LambertParameters next = grid;
  next.SemiMajorAxis = a;
  next.Flattening = f;
  next.OriginLatitude = originLatitude;
  next.FirstStandardParallel = firstParallel;
  next.SecondStandardParallel = secondParallel;
  next.CentralMeridian = centralMeridian > kPi ? centralMeridian - kTwoPi : centralMeridian;
  next.FalseEasting = falseEasting;
  next.FalseNorthing = falseNorthing;

  next.EccentricitySquared = 2 * f - f * f;
  next.Eccentricity = std::sqrt(next.EccentricitySquared);
  next.HalfEccentricity = next.Eccentricity * 0.5;

  // The cone constant n (Snyder eq. 15-8; sin phi1 for one standard parallel), F = m1 / (n t1^n)
  // (15-10) and rho0 = a F t0^n (15-7a).
  const double t0 = LambertT(next, originLatitude);
  const double m1 = LambertM(next, firstParallel);
  const double t1 = LambertT(next, firstParallel);
  double n;
  if (std::fabs(firstParallel - secondParallel) > 1e-10) {
    const double m2 = LambertM(next, secondParallel);
    const double t2 = LambertT(next, secondParallel);
    n = std::log(m1 / m2) / std::log(t1 / t2);
  } else {
    n = std::sin(firstParallel);  // one standard parallel
  }
  next.ConeConstant = n;
  next.MappingConstant = m1 / (n * std::pow(t1, n));
  next.ScaledMappingConstant = a * next.MappingConstant;
  next.OriginRadius = (t0 == 0 && n < 0) ? 0 : next.ScaledMappingConstant * std::pow(t0, n);

  grid = next;
  return st::Success;
}

}  // namespace morvane
