// The polynomials and coefficient terms of the Transverse Mercator series, each written once
// over the number type: the plain series (transverse_mercator.cpp, where their source is named)
// take them in extended precision, the shortcuts (tm_shortcuts.cpp) in double, so that the two
// cannot drift apart. The names of the terms are those of that source: forward, the northing
// I + II p^2 + III p^4 + A6 and the easting IV p + V p^3 + B5; inverse, the latitude
// phi' - VII q^2 + VIII q^4 - D6 and the longitude difference IX q - X q^3 + E5.
//
// Notation: t = tan phi, t2 = t^2, eta2 = e'^2 cos^2 phi, nu the prime-vertical and rho the
// meridian radius of curvature, s = 10^4 sin 1" and sigma = sin 1".
#pragma once

#include <cmath>

#include "engine/constants.hpp"
#include "engine/extended.hpp"
#include "engine/footpoint.hpp"
#include "engine/meridian_arc.hpp"
#include "engine/transverse_mercator.hpp"

namespace morvane::tm {

inline double AsDouble(Extended v) { return static_cast<double>(v); }

// A value narrowed to double and held in extended precision again, where the settings family
// rounds an intermediate result.
inline Extended Narrowed(Extended v) { return static_cast<double>(v); }

template <bool kNarrow>
Extended MaybeNarrowed(Extended v) {
  if constexpr (kNarrow) {
    return Narrowed(v);
  } else {
    return v;
  }
}

// ---- The quantities the series are taken in ----------------------------------------------

// s = 10^4 sin 1": the forward series use the double nearest 1/3600; sigma = sin 1": the
// inverse series 1/60 times 1/60 in extended precision.
inline Extended ForwardArcSecondSine() { return std::sin(AsDouble(kDegToRad * kArcSecondDouble)) * 10000; }
inline Extended InverseArcSecondSine() { return std::sin(AsDouble(kDegToRad * kOneOver60 * kOneOver60)); }

// p: the longitude difference in arc-seconds times 10^-4.
inline Extended LongitudeDifference(Extended longitude, Extended centralMeridian) {
  return (longitude - centralMeridian) * 60 * 60 * 0.0001L;
}

// The sine, cosine and tangent of a latitude in radians, which the easting and the northing
// of a point share.
struct LatitudeTrig {
  Extended Phi;
  Extended Sin;
  Extended Cos;
  Extended Tan;
};

inline LatitudeTrig TrigOf(Extended phi) {
  const double angle = AsDouble(phi);
  return {phi, std::sin(angle), std::cos(angle), std::tan(angle)};
}

// phi: the latitude in radians, narrowed to double in the settings family.
template <bool kNarrow>
Extended ForwardLatitude(Extended latitude) {
  return MaybeNarrowed<kNarrow>(latitude * kDegToRad);
}

// ---- The polynomials in t^2 and eta^2 ----------------------------------------------------

// Easting: of V (p^3) and B5 (p^5).
template <typename T>
T EastingFactor3(T t2, T eta2) {
  return 1 - t2 + eta2;
}
template <typename T>
T EastingFactor5(T t2, T eta2) {
  return 5 - 18 * t2 + t2 * t2 + 14 * eta2 - 58 * t2 * eta2;
}

// Northing: of III (p^4) and A6 (p^6). kMagnitude gives the same with every coefficient made
// positive, which bounds what the rounding of the terms can lose.
template <typename T, bool kMagnitude = false>
T NorthingFactor4(T t2, T eta2) {
  constexpr T sign = kMagnitude ? 1 : -1;
  return 5 + sign * t2 + 9 * eta2 + 4 * eta2 * eta2;
}
template <typename T, bool kMagnitude = false>
T NorthingFactor6(T t2, T eta2) {
  constexpr T sign = kMagnitude ? 1 : -1;
  return 61 + sign * 58 * t2 + t2 * t2 + 270 * eta2 + sign * 330 * t2 * eta2;
}

// Latitude: of VIII (q^4) and D6 (q^6).
template <typename T>
T LatitudeFactor4(T t2, T eta2) {
  return 5 + 3 * t2 + eta2 - 4 * eta2 * eta2 - 9 * t2 * eta2;
}
template <typename T>
T LatitudeFactor6(T t2, T eta2) {
  return 61 + 90 * t2 + 45 * t2 * t2 + 46 * eta2 - 252 * t2 * eta2;
}

// Longitude: of X (q^3) and E5 (q^5).
template <typename T>
T LongitudeFactor3(T t2, T eta2) {
  return 1 + 2 * t2 + eta2;
}
template <typename T>
T LongitudeFactor5(T t2, T eta2) {
  return 5 + 28 * t2 + 24 * t2 * t2 + 6 * eta2 + 8 * t2 * eta2;
}

// The powers of ten that undo the scaling of q, held as the extended constants are, in either
// type (each double is the double nearest the power).
static_assert(static_cast<double>(1e24L) == 1e24 && static_cast<double>(1e30L) == 1e30 &&
              static_cast<double>(1e36L) == 1e36);

// ---- Forward ----------------------------------------------------------------------------

// The northing's coefficients without their polynomials or powers of p: II, III and A6 are
// P2 p^2, P4 factor4 p^4 and P6 factor6 p^6, from s cos phi and s^2 sin phi cos phi.
template <typename T>
struct NorthingScales {
  T P2, P4, P6;
};

template <typename T>
NorthingScales<T> NorthingScalesOf(T nu, T s, T sinPhi, T cosPhi) {
  const T sc = s * cosPhi;
  const T s2sc = s * sinPhi * sc;  // s^2 sin cos
  const T sc2 = sc * sc;
  return {nu * s2sc * T(0.5), nu * s2sc * sc2 * (T(1) / 24), nu * s2sc * sc2 * sc2 * (T(1) / 720)};
}

// ---- Inverse ----------------------------------------------------------------------------

// The latitude's terms VII q^2, VIII q^4 and D6 (the series is the first minus the second plus
// the third, in arc-seconds), from base = t / (nu rho sigma) and 1 / nu^2 at the footpoint.
template <typename T>
struct LatitudeTerms {
  T Q2, Q4, Q6;
};

template <typename T>
LatitudeTerms<T> LatitudeTermsOf(T base, T inverseNu2, T t2, T eta2, T qq) {
  const T q2 = base * T(1e12L) * T(0.5);
  const T q4 = base * inverseNu2 * T(1e24L) * (T(1) / 24) * LatitudeFactor4(t2, eta2);
  const T q6 = base * (inverseNu2 * inverseNu2) * T(1e36L) * (T(1) / 720) * LatitudeFactor6(t2, eta2);
  return {q2 * qq, q4 * (qq * qq), q6 * (qq * qq * qq)};
}

template <typename T>
T LatitudeSum(const LatitudeTerms<T>& terms) {
  return terms.Q2 - terms.Q4 + terms.Q6;
}

// The longitude's first term IX q, from base = 1 / (nu cos phi sigma) at the footpoint.
template <typename T>
T LongitudeFirstTerm(T base, T q) {
  return base * T(1e6L) * q;
}

// Its terms X q^3 and E5 (the series is IX q minus the first plus the second).
template <typename T>
struct LongitudeTerms {
  T Q3, Q5;
};

template <typename T>
LongitudeTerms<T> LongitudeTermsOf(T base, T inverseNu2, T t2, T eta2, T q, T qq) {
  const T q3 = base * inverseNu2 * T(1e18L) * (T(1) / 6) * LongitudeFactor3(t2, eta2);
  const T q5 = base * (inverseNu2 * inverseNu2) * T(1e30L) * (T(1) / 120) * LongitudeFactor5(t2, eta2);
  return {q3 * (qq * q), q5 * (qq * qq * q)};
}

// ---- The plain series (transverse_mercator.cpp) ------------------------------------------

// The easting series of a grid; kNarrow rounds as the settings family does. Its prime-vertical
// radius nu, which the series waits for, can be computed first (a stage of its own in the
// several-point forms).
template <bool kNarrow>
Extended EastingNu(const TmEastingConstants& grid, const LatitudeTrig& trig) {
  return MaybeNarrowed<kNarrow>(grid.NuAxis / std::sqrt(AsDouble(1 - grid.E2 * trig.Sin * trig.Sin)));
}
template <bool kNarrow>
Extended EastingSeries(const TmEastingConstants& grid, Extended longitude, const LatitudeTrig& trig, Extended nu);
template <bool kNarrow>
Extended EastingSeries(const TmEastingConstants& grid, Extended longitude, const LatitudeTrig& trig) {
  return EastingSeries<kNarrow>(grid, longitude, trig, EastingNu<kNarrow>(grid, trig));
}

// The northing series around a given meridian arc length at the point's latitude, and around
// the arc of `meridian` there.
Extended NorthingSeriesAt(const TmEllipsoid& ellipsoid, Extended scaleFactor, Extended centralMeridian,
                          Extended longitude, const LatitudeTrig& trig, Extended arc);
Extended NorthingSeries(const TmEllipsoid& ellipsoid, const MeridianArc& meridian, Extended scaleFactor,
                        Extended centralMeridian, Extended longitude, const LatitudeTrig& trig);

// The quantities at a footpoint latitude (degrees) with the scaled distance q.
TmFootpoint QuantitiesAt(const TmEllipsoid& ellipsoid, Extended latitudeDegrees, Extended q);

// ---- The constants of the two families ---------------------------------------------------

inline TmEllipsoid EllipsoidOf(Extended a, Extended b) {
  const Extended a2 = a * a;
  const Extended b2 = b * b;
  return {a, b, (a2 - b2) / a2, (a2 - b2) / b2};
}

// The fixed TWD97 grid's constants, which depend on nothing: derived on first use.
struct Fixed97Constants {
  TmEllipsoid Ellipsoid;
  MeridianArc Arc;
  FootpointSearch Footpoint;
};

inline const Fixed97Constants& Fixed97() {
  static const Fixed97Constants constants = [] {
    const TmEllipsoid grs80 =
        EllipsoidOf(kGrs80SemiMajorAxis, kGrs80SemiMajorAxis - kGrs80SemiMajorAxis * kGrs80Flattening);
    const MeridianArc arc = MeridianArcOf(grs80.A, grs80.B);
    return Fixed97Constants{grs80, arc, FootpointSearchOf(arc)};
  }();
  return constants;
}

inline TmEastingConstants Fixed97Grid(Extended centralMeridian) {
  const TmEllipsoid& grs80 = Fixed97().Ellipsoid;
  return {grs80.A, grs80.E2, grs80.Ep2, kTm2ScaleFactor, kTm2FalseEasting, centralMeridian};
}

}  // namespace morvane::tm
