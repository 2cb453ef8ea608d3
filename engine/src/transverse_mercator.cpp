#include "engine/transverse_mercator.hpp"

#include <cmath>
#include <limits>

#include "engine/constants.hpp"

namespace morvane {
namespace {

double AsDouble(Extended v) { return static_cast<double>(v); }

// A value narrowed to double and held in extended precision again, where the settings family
// rounds an intermediate result.
Extended Narrowed(Extended v) { return static_cast<double>(v); }

template <bool kNarrow>
Extended MaybeNarrowed(Extended v) {
  if constexpr (kNarrow) {
    return Narrowed(v);
  } else {
    return v;
  }
}

// The sine of one arc-second: the forward series use the double nearest 1/3600 times 10^4,
// the inverse series 1/60 times 1/60 in extended precision.
Extended ForwardArcSecondSine() { return std::sin(AsDouble(kDegToRad * kArcSecondDouble)) * 10000; }
Extended InverseArcSecondSine() { return std::sin(AsDouble(kDegToRad * kOneOver60 * kOneOver60)); }

// Ellipsoid quantities derived from a and b.
struct Ellipsoid {
  Extended A;    // semi-major axis, m
  Extended B;    // semi-minor axis, m
  Extended E2;   // first eccentricity squared
  Extended Ep2;  // second eccentricity squared
};

Ellipsoid EllipsoidOf(Extended a, Extended b) {
  const Extended a2 = a * a;
  const Extended b2 = b * b;
  return {a, b, (a2 - b2) / a2, (a2 - b2) / b2};
}

Ellipsoid SettingsEllipsoid(const TransformSettings& settings) {
  const Extended a = settings.SemiMajorAxis;
  return EllipsoidOf(a, a - a / settings.InverseFlattening);
}

Ellipsoid Grs80Ellipsoid() {
  return EllipsoidOf(kGrs80SemiMajorAxis, kGrs80SemiMajorAxis - kGrs80SemiMajorAxis * kGrs80Flattening);
}

// The grid constants that the forward series read. In TmEasting several of them are already
// narrowed to double; `NuAxis` is the a of the prime-vertical radius, which stays extended.
struct ForwardGrid {
  Extended NuAxis;
  Extended E2;
  Extended Ep2;
  Extended ScaleFactor;
  Extended FalseEasting;
  Extended CentralMeridian;
};

// p: the longitude difference in arc-seconds times 10^-4.
Extended LongitudeDifference(Extended longitude, Extended centralMeridian) {
  return (longitude - centralMeridian) * 60 * 60 * 0.0001L;
}

// Easting series; kNarrow rounds p, phi, s, nu, eta^2, the three terms and the result to double.
template <bool kNarrow>
Extended EastingSeries(const ForwardGrid& grid, Extended longitude, Extended latitude) {
  const Extended p = MaybeNarrowed<kNarrow>(LongitudeDifference(longitude, grid.CentralMeridian));
  const Extended phi = MaybeNarrowed<kNarrow>(latitude * kDegToRad);
  const Extended s = MaybeNarrowed<kNarrow>(ForwardArcSecondSine());
  const Extended sinPhi = std::sin(AsDouble(phi));
  const Extended cosPhi = std::cos(AsDouble(phi));
  const Extended t = std::tan(AsDouble(phi));
  const Extended nu =
      MaybeNarrowed<kNarrow>(grid.NuAxis / std::sqrt(AsDouble(1 - grid.E2 * sinPhi * sinPhi)));
  const Extended eta2 = MaybeNarrowed<kNarrow>(grid.Ep2 * cosPhi * cosPhi);
  const Extended t2 = t * t;

  const Extended sc = s * cosPhi;
  const Extended sc3 = sc * sc * sc;
  const Extended sc5 = sc3 * sc * sc;
  const Extended p1 = MaybeNarrowed<kNarrow>(nu * sc);
  const Extended p3 = MaybeNarrowed<kNarrow>(nu * sc3 / 6 * (1 - t2 + eta2));
  const Extended p5 = MaybeNarrowed<kNarrow>(nu * sc5 / 120 *
                                             (5 - 18 * t2 + t2 * t2 + 14 * eta2 - 58 * t2 * eta2));
  const Extended pp = p * p;
  const Extended series = p1 * p + p3 * (pp * p) + p5 * (pp * pp * p);
  return MaybeNarrowed<kNarrow>(grid.ScaleFactor * series + grid.FalseEasting);
}

// Northing series; kNarrow rounds phi and the result to double.
template <bool kNarrow>
Extended NorthingSeries(const Ellipsoid& ellipsoid, Extended scaleFactor, Extended centralMeridian,
                        Extended longitude, Extended latitude) {
  const Extended p = LongitudeDifference(longitude, centralMeridian);
  const Extended phi = MaybeNarrowed<kNarrow>(latitude * kDegToRad);
  const Extended s = ForwardArcSecondSine();
  const Extended sinPhi = std::sin(AsDouble(phi));
  const Extended cosPhi = std::cos(AsDouble(phi));
  const Extended t = std::tan(AsDouble(phi));
  const Extended nu = ellipsoid.A / std::sqrt(AsDouble(1 - ellipsoid.E2 * sinPhi * sinPhi));
  const Extended eta2 = ellipsoid.Ep2 * cosPhi * cosPhi;
  const Extended t2 = t * t;

  const Extended sc = s * cosPhi;
  const Extended s2sc = s * sinPhi * sc;  // s^2 sin cos
  const Extended sc2 = sc * sc;
  const Extended p2 = nu * s2sc / 2;
  const Extended p4 = nu * s2sc * sc2 / 24 * (5 - t2 + 9 * eta2 + 4 * eta2 * eta2);
  const Extended p6 = nu * s2sc * sc2 * sc2 / 720 *
                      (61 - 58 * t2 + t2 * t2 + 270 * eta2 - 330 * t2 * eta2);
  const Extended pp = p * p;
  const Extended arc = MeridianArcLength(MeridianArcOf(ellipsoid.A, ellipsoid.B), phi);
  return MaybeNarrowed<kNarrow>(scaleFactor *
                                (arc + p2 * pp + p4 * (pp * pp) + p6 * (pp * pp * pp)));
}

// The footpoint of a northing `target` (metres of arc) and the quantities there; q is the
// scaled distance from the central meridian.
TmFootpoint FootpointQuantities(const Ellipsoid& ellipsoid, Extended target, Extended q,
                                int maxSteps) {
  const Extended latitudeDegrees =
      FootpointLatitude(MeridianArcOf(ellipsoid.A, ellipsoid.B), target, maxSteps);
  const Extended phi = latitudeDegrees * kDegToRad;
  const Extended sinPhi = std::sin(AsDouble(phi));
  const Extended cosPhi = std::cos(AsDouble(phi));
  const Extended w = 1 - ellipsoid.E2 * sinPhi * sinPhi;
  const Extended nu = ellipsoid.A / std::sqrt(AsDouble(w));
  return {phi,
          nu,
          nu * (1 - ellipsoid.E2) / w,
          ellipsoid.Ep2 * cosPhi * cosPhi,
          std::tan(AsDouble(phi)),
          cosPhi,
          q};
}

// The four sine terms of the meridian arc at `latitude` (radians).
Extended ArcSineTerms(const MeridianArc& arc, Extended latitude) {
  return arc.Gc2 * std::sin(AsDouble(2 * latitude)) + arc.Gc4 * std::sin(AsDouble(4 * latitude)) +
         arc.Gc6 * std::sin(AsDouble(6 * latitude)) + arc.Gc8 * std::sin(AsDouble(8 * latitude));
}

// The arc at a midpoint of the footpoint search (degrees): the term G phi takes the midpoint
// through pi and 1/180, the sine terms through DegToRad.
Extended ArcAtMidpoint(const MeridianArc& arc, Extended mid) {
  return arc.G * (mid * kPi * kOneOver180) + ArcSineTerms(arc, mid * kDegToRad);
}

}  // namespace

MeridianArc MeridianArcOf(Extended a, Extended b) {
  const Extended n = (a - b) / (a + b);
  const Extended n2 = n * n;
  const Extended n3 = n2 * n;
  const Extended n4 = n2 * n2;
  const Extended n5 = n4 * n;
  const Extended g = (a + b) / 2 * (1 + n2 / 4 + n4 / 64);
  const Extended c2 = -3.0L / 2 * n + 9.0L / 16 * n3 - 3.0L / 32 * n5;
  const Extended c4 = 15.0L / 16 * n2 - 15.0L / 32 * n4;
  const Extended c6 = -35.0L / 48 * n3 + 105.0L / 256 * n5;
  const Extended c8 = 315.0L / 512 * n4;
  return {g, g * c2, g * c4, g * c6, g * c8};
}

Extended MeridianArcLength(const MeridianArc& arc, Extended latitude) {
  return arc.G * latitude + ArcSineTerms(arc, latitude);
}

Extended FootpointLatitude(const MeridianArc& arc, Extended target, int maxSteps) {
  Extended lo = kFootpointLowerBound;
  Extended hi = kFootpointUpperBound;
  Extended mid = (lo + hi) * 0.5L;
  for (int step = 0; step < maxSteps; ++step) {
    mid = (lo + hi) * 0.5L;
    const double f = AsDouble(ArcAtMidpoint(arc, mid) - target);
    if (std::isnan(f)) {  // the comparison below would be an invalid operation
      RaiseInvalidOperation();
      return std::numeric_limits<Extended>::quiet_NaN();
    }
    if (std::fabs(f) <= kFootpointTolerance) break;
    if (f > 0) {
      hi = mid;
    } else {
      lo = mid;
    }
  }
  return mid;
}

// ---- Settings family ----------------------------------------------------------------------

Extended TmEasting(const TransformSettings& settings, double longitude, double latitude) {
  // b, e^2 and e'^2 come from the semi-major axis narrowed to double; nu from the extended one.
  const Extended a = Narrowed(settings.SemiMajorAxis);
  const Ellipsoid narrowed = EllipsoidOf(a, Narrowed(a - a / settings.InverseFlattening));
  const ForwardGrid grid{settings.SemiMajorAxis,       Narrowed(narrowed.E2),
                         Narrowed(narrowed.Ep2),       settings.ScaleFactor,
                         Narrowed(settings.FalseEasting), Narrowed(settings.CentralMeridian)};
  return EastingSeries<true>(grid, longitude, latitude);
}

Extended TmNorthing(const TransformSettings& settings, double longitude, double latitude) {
  return NorthingSeries<true>(SettingsEllipsoid(settings), settings.ScaleFactor,
                              settings.CentralMeridian, longitude, latitude);
}

TmFootpoint TmFootpointOf(const TransformSettings& settings, double easting, double northing) {
  const Extended q = (easting - settings.FalseEasting) / settings.ScaleFactor * 0.000001L;
  const Extended target = Narrowed(northing / settings.ScaleFactor);
  return FootpointQuantities(SettingsEllipsoid(settings), target, q, kSettingsFootpointMaxSteps);
}

Extended TmLatitude(const TransformSettings& settings, double easting, double northing) {
  return LatitudeAtFootpoint(TmFootpointOf(settings, easting, northing));
}

Extended TmLongitude(const TransformSettings& settings, double easting, double northing) {
  return LongitudeAtFootpoint(TmFootpointOf(settings, easting, northing), settings.CentralMeridian);
}

// ---- Fixed TWD97 family -----------------------------------------------------------------

Extended Tm2Easting97(const TransformSettings& settings, Extended longitude, Extended latitude) {
  const Ellipsoid grs80 = Grs80Ellipsoid();
  const ForwardGrid grid{grs80.A,         grs80.E2,         grs80.Ep2,
                         kTm2ScaleFactor, kTm2FalseEasting, settings.CentralMeridian};
  return EastingSeries<false>(grid, longitude, latitude);
}

Extended Tm2Northing97(const TransformSettings& settings, Extended longitude, Extended latitude) {
  return NorthingSeries<false>(Grs80Ellipsoid(), kTm2ScaleFactor, settings.CentralMeridian, longitude,
                               latitude);
}

TmFootpoint Tm2FootpointOf97(Extended easting, Extended northing) {
  const Extended q = (easting - kTm2FalseEasting) * kTm97InverseScaleFactor * 0.000001L;
  return FootpointQuantities(Grs80Ellipsoid(), northing * kTm97InverseScaleFactor, q,
                             kFixedFootpointMaxSteps);
}

Extended Tm2Latitude97(const TransformSettings& /*settings*/, Extended easting, Extended northing) {
  return LatitudeAtFootpoint(Tm2FootpointOf97(easting, northing));
}

Extended Tm2Longitude97(const TransformSettings& settings, Extended easting, Extended northing) {
  return LongitudeAtFootpoint(Tm2FootpointOf97(easting, northing), settings.CentralMeridian);
}

// ---- Inverse series at the footpoint ------------------------------------------------------

Extended LatitudeAtFootpoint(const TmFootpoint& fp) {
  const Extended sigma = InverseArcSecondSine();
  const Extended t2 = fp.Tan * fp.Tan;
  const Extended eta2 = fp.Eta2;
  const Extended nu2 = fp.Nu * fp.Nu;
  const Extended base = fp.Tan / (fp.Nu * fp.Rho * sigma);  // t1 / (nu1 rho1 sigma)
  const Extended q2 = base * 1e12L / 2;
  const Extended q4 = base / nu2 * 1e24L / 24 *
                      (5 + 3 * t2 + eta2 - 4 * eta2 * eta2 - 9 * t2 * eta2);
  const Extended q6 = base / (nu2 * nu2) * 1e36L / 720 *
                      (61 + 90 * t2 + 45 * t2 * t2 + 46 * eta2 - 252 * t2 * eta2);
  const Extended qq = fp.Q * fp.Q;
  const Extended series = q2 * qq - q4 * (qq * qq) + q6 * (qq * qq * qq);
  return fp.Latitude / kDegToRad - series * kOneOver3600;
}

Extended LongitudeAtFootpoint(const TmFootpoint& fp, Extended centralMeridian) {
  const Extended sigma = InverseArcSecondSine();
  const Extended t2 = fp.Tan * fp.Tan;
  const Extended eta2 = fp.Eta2;
  const Extended nu2 = fp.Nu * fp.Nu;
  const Extended base = 1 / (fp.Nu * fp.Cos * sigma);  // 1 / (nu1 cos phi1 sigma)
  const Extended q1 = base * 1e6L;
  const Extended q3 = base / nu2 * 1e18L / 6 * (1 + 2 * t2 + eta2);
  const Extended q5 = base / (nu2 * nu2) * 1e30L / 120 *
                      (5 + 28 * t2 + 24 * t2 * t2 + 6 * eta2 + 8 * t2 * eta2);
  const Extended qq = fp.Q * fp.Q;
  const Extended series = q1 * fp.Q - q3 * (qq * fp.Q) + q5 * (qq * qq * fp.Q);
  return series * kOneOver3600 + centralMeridian;
}

}  // namespace morvane
