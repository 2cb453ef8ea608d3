#include "engine/datum_shift.hpp"

#include <cmath>
#include <cstddef>
#include <limits>

#include "engine/constants.hpp"

namespace morvane {
namespace {

double AsDouble(Extended v) { return static_cast<double>(v); }

struct GeodeticEllipsoid {
  Extended A;   // semi-major axis, m
  Extended E2;  // first eccentricity squared
};

// e² from a and f through b = a - a f, as GRS80 and WGS84 derive it.
constexpr Extended EccentricitySquaredOf(Extended a, Extended f) {
  const Extended b = a - a * f;
  return (a * a - b * b) / (a * a);
}

constexpr GeodeticEllipsoid kTwd67{kTwd67SemiMajorAxis, kTwd67EccentricitySquared};
constexpr GeodeticEllipsoid kGrs80{kGrs80SemiMajorAxis,
                                   EccentricitySquaredOf(kGrs80SemiMajorAxis, kGrs80Flattening)};
constexpr GeodeticEllipsoid kWgs84{kWgs84SemiMajorAxis,
                                   EccentricitySquaredOf(kWgs84SemiMajorAxis, kWgs84Flattening)};

// N, the radius of curvature in the prime vertical at latitude phi (radians).
Extended PrimeVerticalRadius(const GeodeticEllipsoid& ellipsoid, Extended phi) {
  const Extended s = std::sin(AsDouble(phi));
  return ellipsoid.A / std::sqrt(AsDouble(1 - ellipsoid.E2 * s * s));
}

Extended GeocentricX(const GeodeticEllipsoid& ellipsoid, Extended longitude, Extended latitude,
                     Extended height) {
  const Extended phi = latitude * kDegToRad;
  const Extended lambda = longitude * kDegToRad;
  return (PrimeVerticalRadius(ellipsoid, phi) + height) * std::cos(AsDouble(phi)) *
         std::cos(AsDouble(lambda));
}

Extended GeocentricY(const GeodeticEllipsoid& ellipsoid, Extended longitude, Extended latitude,
                     Extended height) {
  const Extended phi = latitude * kDegToRad;
  const Extended lambda = longitude * kDegToRad;
  return (PrimeVerticalRadius(ellipsoid, phi) + height) * std::cos(AsDouble(phi)) *
         std::sin(AsDouble(lambda));
}

Extended GeocentricZ(const GeodeticEllipsoid& ellipsoid, Extended latitude, Extended height) {
  const Extended phi = latitude * kDegToRad;
  return ((1 - ellipsoid.E2) * PrimeVerticalRadius(ellipsoid, phi) + height) *
         std::sin(AsDouble(phi));
}

// The three components with one N and one sine and cosine of each angle, in the operations
// of the separate components.
GeocentricPoint GeocentricAt(const GeodeticEllipsoid& ellipsoid, double phiArgument,
                             double lambdaArgument, Extended height) {
  const Extended sinPhi = std::sin(phiArgument);
  const Extended cosPhi = std::cos(phiArgument);
  const Extended n = ellipsoid.A / std::sqrt(AsDouble(1 - ellipsoid.E2 * sinPhi * sinPhi));
  const Extended nCos = (n + height) * cosPhi;
  return {nCos * std::cos(lambdaArgument), nCos * std::sin(lambdaArgument),
          ((1 - ellipsoid.E2) * n + height) * sinPhi};
}

GeocentricPoint Geocentric(const GeodeticEllipsoid& ellipsoid, Extended longitude,
                           Extended latitude, Extended height) {
  return GeocentricAt(ellipsoid, AsDouble(latitude * kDegToRad), AsDouble(longitude * kDegToRad),
                      height);
}

// The iteration below from its start tangent, when its first step ends it, as it nearly always
// does: the start latitude's sine comes from the tangent itself instead of its arc tangent and
// sine, and counts only through e^2 N sin / p, which damps its error (at most about 1.1e-16,
// two units in the last place) and that of N to under 2.5e-18. The step's argument is checked
// to narrow as in the iteration, with half as much again for safety; where it may not (about
// one point in eight), or where the first step might not end it, the iteration runs.
//
// In three parts, so that several points can take each part in turn: the start and its sine,
// N there, then the step's argument narrowed and checked.
struct OneStepStart {
  double Start;   // the start tangent narrowed
  Extended Sine;  // of the start latitude
  bool Usable;    // whether the start is finite and not too steep for the one step
};

OneStepStart OneStepStartOf(Extended tangent) {
  const double start = AsDouble(tangent);
  if (!(std::fabs(start) < 1e6)) return {start, 0, false};  // NaN too
  return {start, start / std::sqrt(1 + static_cast<Extended>(start) * start), true};
}

Extended OneStepRadius(const GeodeticEllipsoid& ellipsoid, Extended sine) {
  return ellipsoid.A / std::sqrt(AsDouble(1 - ellipsoid.E2 * sine * sine));
}

// Whether the one step ends the iteration, with `narrowed` the argument of its arc tangent.
bool OneStepArgument(const GeodeticEllipsoid& ellipsoid, Extended z, Extended p, const OneStepStart& start,
                     Extended n, double& narrowed) {
  // One division for the argument and the error's n / p; the reciprocal's rounding adds 2^-63
  // of the argument to the error.
  const Extended perP = 1 / p;
  const Extended argument = (z + ellipsoid.E2 * n * start.Sine) * perP;
  narrowed = AsDouble(argument);
  // |atan a - atan b| <= |a - b|: the step changes the latitude by less than 0.001 rad.
  if (!(std::fabs(narrowed - start.Start) < 0.0009)) return false;
  const Extended error = 3.5e-16L * ellipsoid.E2 * std::fabs(n * perP) +
                         std::fabs(argument) * (0x1p-61L + 0x1p-62L);
  return NarrowsAlike(argument, narrowed, error);
}

// The distance from the axis and the iteration's start tangent.
Extended AxisDistance(Extended x, Extended y) { return std::sqrt(AsDouble(x * x + y * y)); }
Extended StartTangent(const GeodeticEllipsoid& ellipsoid, Extended z, Extended p) {
  return z / (p * (1 - ellipsoid.E2));
}

// The latitude in degrees from the one step's narrowed argument.
Extended OneStepLatitude(double narrowed) { return std::atan(narrowed) / kDegToRad; }

// The iteration itself, from the distance from the axis and the start tangent.
Extended IteratedLatitude(const GeodeticEllipsoid& ellipsoid, Extended z, Extended p, Extended tangent) {
  // Exact for a point on the surface; a shifted point lies a few tens of metres off it.
  Extended phi = std::atan(AsDouble(tangent));
  for (;;) {
    const Extended s = std::sin(AsDouble(phi));
    const Extended n = ellipsoid.A / std::sqrt(AsDouble(1 - ellipsoid.E2 * s * s));
    const Extended next = std::atan(AsDouble((z + ellipsoid.E2 * n * s) / p));
    const double change = std::fabs(AsDouble(next - phi));
    if (std::isnan(change)) {  // the comparison below would be an invalid operation
      RaiseInvalidOperation();
      return std::numeric_limits<Extended>::quiet_NaN();
    }
    if (change < 0.001) return next / kDegToRad;
    phi = next;
  }
}

Extended LatitudeFromGeocentric(const GeodeticEllipsoid& ellipsoid, Extended x, Extended y,
                                Extended z) {
  const Extended p = AxisDistance(x, y);
  const Extended tangent = StartTangent(ellipsoid, z, p);
  const OneStepStart start = OneStepStartOf(tangent);
  double narrowed;
  if (start.Usable && OneStepArgument(ellipsoid, z, p, start, OneStepRadius(ellipsoid, start.Sine), narrowed)) {
    return OneStepLatitude(narrowed);
  }
  return IteratedLatitude(ellipsoid, z, p, tangent);
}

// LatitudeFromGeocentric for several points, stage by stage: every point's start, then each
// part of every one step, then the arc tangents, or the iteration for a point whose one step
// does not do.
void LatitudesFromGeocentric(const GeodeticEllipsoid& ellipsoid, const GeocentricPoint* points,
                             std::size_t count, Extended* latitudes) {
  Extended p[kMaxLanes];
  Extended tangent[kMaxLanes];
  for (std::size_t i = 0; i < count; ++i) {
    p[i] = AxisDistance(points[i].X, points[i].Y);
    tangent[i] = StartTangent(ellipsoid, points[i].Z, p[i]);
  }
  OneStepStart start[kMaxLanes];
  for (std::size_t i = 0; i < count; ++i) start[i] = OneStepStartOf(tangent[i]);
  Extended n[kMaxLanes];
  for (std::size_t i = 0; i < count; ++i) n[i] = start[i].Usable ? OneStepRadius(ellipsoid, start[i].Sine) : 0;
  double narrowed[kMaxLanes];
  bool oneStep[kMaxLanes];
  for (std::size_t i = 0; i < count; ++i) {
    oneStep[i] = start[i].Usable && OneStepArgument(ellipsoid, points[i].Z, p[i], start[i], n[i], narrowed[i]);
  }
  for (std::size_t i = 0; i < count; ++i) {
    latitudes[i] = oneStep[i] ? OneStepLatitude(narrowed[i]) : IteratedLatitude(ellipsoid, points[i].Z, p[i], tangent[i]);
  }
}

}  // namespace

Extended GeocentricX67(Extended longitude, Extended latitude, Extended height) {
  return GeocentricX(kTwd67, longitude, latitude, height);
}
Extended GeocentricY67(Extended longitude, Extended latitude, Extended height) {
  return GeocentricY(kTwd67, longitude, latitude, height);
}
Extended GeocentricZ67(Extended latitude, Extended height) {
  return GeocentricZ(kTwd67, latitude, height);
}
Extended GeocentricX97(Extended longitude, Extended latitude, Extended height) {
  return GeocentricX(kGrs80, longitude, latitude, height);
}
Extended GeocentricY97(Extended longitude, Extended latitude, Extended height) {
  return GeocentricY(kGrs80, longitude, latitude, height);
}
Extended GeocentricZ97(Extended latitude, Extended height) {
  return GeocentricZ(kGrs80, latitude, height);
}
Extended GeocentricX84(Extended longitude, Extended latitude, Extended height) {
  return GeocentricX(kWgs84, longitude, latitude, height);
}
Extended GeocentricY84(Extended longitude, Extended latitude, Extended height) {
  return GeocentricY(kWgs84, longitude, latitude, height);
}
Extended GeocentricZ84(Extended latitude, Extended height) {
  return GeocentricZ(kWgs84, latitude, height);
}

GeocentricPoint Geocentric67(Extended longitude, Extended latitude, Extended height) {
  return Geocentric(kTwd67, longitude, latitude, height);
}
GeocentricPoint Geocentric97(Extended longitude, Extended latitude, Extended height) {
  return Geocentric(kGrs80, longitude, latitude, height);
}
GeocentricPoint Geocentric84(Extended longitude, Extended latitude, Extended height) {
  return Geocentric(kWgs84, longitude, latitude, height);
}

GeocentricPoint Geocentric67At(double latitude, double longitude) {
  return GeocentricAt(kTwd67, latitude, longitude, 0);
}
GeocentricPoint Geocentric97At(double latitude, double longitude) {
  return GeocentricAt(kGrs80, latitude, longitude, 0);
}

namespace {

// The longitude from the arc tangent of y / x, in degrees.
Extended LongitudeOfQuadrant(Extended x, Extended y, Extended atanDegrees) {
  // atan gives -90..90; west of -90 and east of 90 degrees X is negative.
  FailIfNaN(x, y);
  if (x < 0 && y > 0) return atanDegrees + 180;
  if (x < 0 && y < 0) return atanDegrees - 180;
  return atanDegrees;
}

}  // namespace

Extended LongitudeFromGeocentric(Extended x, Extended y) {
  return LongitudeOfQuadrant(x, y, std::atan(AsDouble(y / x)) / kDegToRad);
}

void LongitudesFromGeocentric(const GeocentricPoint* points, std::size_t count, Extended* longitudes) {
  double ratios[kMaxLanes];
  for (std::size_t i = 0; i < count; ++i) ratios[i] = AsDouble(points[i].Y / points[i].X);
  for (std::size_t i = 0; i < count; ++i) longitudes[i] = std::atan(ratios[i]) / kDegToRad;
  for (std::size_t i = 0; i < count; ++i) {
    longitudes[i] = LongitudeOfQuadrant(points[i].X, points[i].Y, longitudes[i]);
  }
}

void LatitudesFromGeocentric67(const GeocentricPoint* points, std::size_t count, Extended* latitudes) {
  LatitudesFromGeocentric(kTwd67, points, count, latitudes);
}
void LatitudesFromGeocentric97(const GeocentricPoint* points, std::size_t count, Extended* latitudes) {
  LatitudesFromGeocentric(kGrs80, points, count, latitudes);
}
void LatitudesFromGeocentric84(const GeocentricPoint* points, std::size_t count, Extended* latitudes) {
  LatitudesFromGeocentric(kWgs84, points, count, latitudes);
}

Extended LatitudeFromGeocentric67(Extended x, Extended y, Extended z) {
  return LatitudeFromGeocentric(kTwd67, x, y, z);
}
Extended LatitudeFromGeocentric97(Extended x, Extended y, Extended z) {
  return LatitudeFromGeocentric(kGrs80, x, y, z);
}
Extended LatitudeFromGeocentric84(Extended x, Extended y, Extended z) {
  return LatitudeFromGeocentric(kWgs84, x, y, z);
}

GeocentricPoint DatumShift67To97(const GeocentricPoint& p) {
  const auto& t = kDatum67Translation;
  const auto& h = kHelmert97Parameters;
  const Extended x1 = p.X + t.X;
  const Extended y1 = p.Y + t.Y;
  const Extended z1 = p.Z + t.Z;
  return {(x1 + h.Rz * y1 - h.Ry * z1) * h.Scale + h.Tx,
          (-h.Rz * x1 + y1 + h.Rx * z1) * h.Scale + h.Ty,
          (h.Ry * x1 - h.Rx * y1 + z1) * h.Scale + h.Tz};
}

GeocentricPoint DatumShift97To67(const GeocentricPoint& p) {
  const auto& t = kDatum67Translation;
  const auto& h = kHelmert97Parameters;
  const Extended x1 = (p.X - h.Rz * p.Y + h.Ry * p.Z - h.Tx) / h.Scale;
  const Extended y1 = (h.Rz * p.X + p.Y - h.Rx * p.Z - h.Ty) / h.Scale;
  const Extended z1 = (-h.Ry * p.X + h.Rx * p.Y + p.Z - h.Tz) / h.Scale;
  return {x1 - t.X, y1 - t.Y, z1 - t.Z};
}

GeocentricPoint DatumShift67To84(const GeocentricPoint& p) {
  const auto& t = kDatum67Translation;
  return {p.X + t.X, p.Y + t.Y, p.Z + t.Z};
}

GeocentricPoint DatumShift84To67(const GeocentricPoint& p) {
  const auto& t = kDatum67Translation;
  return {p.X - t.X, p.Y - t.Y, p.Z - t.Z};
}

}  // namespace morvane
