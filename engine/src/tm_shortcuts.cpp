// The shortcuts of tm_shortcuts.hpp. Each takes the series of tm_series.hpp, partly in double
// or from fewer library calls, with an allowance for what that can lose, and keeps its result
// only where NarrowsAlike says that it rounds as the plain operation's does; otherwise it runs
// the plain operation's own series.
#include "engine/tm_shortcuts.hpp"

#include <cmath>
#include <limits>

#include "engine/constants.hpp"
#include "multiple_angles.hpp"
#include "tm_series.hpp"

namespace morvane {

using tm::AsDouble;
using tm::ForwardLatitude;
using tm::LatitudeTrig;
using tm::TrigOf;

// ---- Forward ----------------------------------------------------------------------------

namespace {

// The terms of the northing series after the arc, II p^2 + III p^4 + A6, in double from the
// narrowed inputs, and how far they may lie from the same terms in extended precision.
// Their allowance is at least 7e-15 of their value, far more than a unit in its last place:
// where they make up the northing, the check fails. An ellipsoid with e^2 of 1/2 or more (no
// earth ellipsoid comes near) gets no allowance at all: there 1 - e^2 sin^2 may vanish for
// the extended terms and not for these, and only the extended terms show what that raises.
struct SeriesRest {
  double Value;
  double Error;
};

// Their prime-vertical radius in double, which they wait for (a stage of its own in the
// several-point forms).
double RestNu(const TmEllipsoid& ellipsoid, const LatitudeTrig& trig) {
  const double sinPhi = AsDouble(trig.Sin);
  const double w = 1 - AsDouble(ellipsoid.E2) * sinPhi * sinPhi;
  return AsDouble(ellipsoid.A) / std::sqrt(w);
}

SeriesRest NorthingRest(const TmEllipsoid& ellipsoid, Extended centralMeridian, Extended longitude,
                        const LatitudeTrig& trig, double nu) {
  const double p = AsDouble(tm::LongitudeDifference(longitude, centralMeridian));
  const double sinPhi = AsDouble(trig.Sin);
  const double cosPhi = AsDouble(trig.Cos);
  const double tanPhi = AsDouble(trig.Tan);
  const double eta2 = AsDouble(ellipsoid.Ep2) * cosPhi * cosPhi;
  const double t2 = tanPhi * tanPhi;
  const tm::NorthingScales<double> k =
      tm::NorthingScalesOf(nu, AsDouble(tm::ForwardArcSecondSine()), sinPhi, cosPhi);
  const double pp = p * p;
  const double base2 = k.P2 * pp;
  const double base4 = k.P4 * (pp * pp);
  const double base6 = k.P6 * (pp * pp * pp);
  const double value = base2 + base4 * tm::NorthingFactor4(t2, eta2) + base6 * tm::NorthingFactor6(t2, eta2);
  // Counted in units of 2^-53: the narrowed inputs, the roundings of each product and sum, and
  // the double constants 1/24 and 1/720, under 20 for the first term, 40 for the second and 55
  // for the third (on the magnitudes of the parts of their factors, so that a cancellation there
  // is allowed for); three times that.
  const double error = 7e-15 * std::fabs(base2) +
                       1.4e-14 * std::fabs(base4) * tm::NorthingFactor4<double, true>(t2, eta2) +
                       1.9e-14 * std::fabs(base6) * tm::NorthingFactor6<double, true>(t2, eta2);
  return {value, ellipsoid.E2 < 0.5L ? error : std::numeric_limits<double>::infinity()};
}

// The northing narrowed to double, as narrowing tm::NorthingSeries gives it, without a sine of
// its own. sin 2phi comes from the sine and cosine that the easting shares, 2 sin phi cos phi,
// where the series calls the library on 2 phi: each of the three library values lies within a
// unit in its last place (2^-52 of itself) of the exact one, so the two differ by at most
// 3 2^-52 (6.7e-16) of sin 2phi, which the allowance takes as 1e-15 of |G c2| (1.6e-11 m on the
// earth). The terms in sin 4phi, 6phi and 8phi, whose coefficients are a thousand times
// smaller, come from it and cos 2phi by the double-angle formulas, within about 2e-14 m; the
// terms after the arc come in double. Only a northing that close to a rounding boundary (about
// one in twelve on Taiwan's points) takes the four sines and the series in extended precision.
double NarrowedNorthing(const TmEllipsoid& ellipsoid, const MeridianArc& meridian,
                        Extended scaleFactor, Extended centralMeridian, Extended longitude,
                        const LatitudeTrig& trig, double restNu) {
  const Extended s2 = 2 * trig.Sin * trig.Cos;
  const Extended c2 = (trig.Cos - trig.Sin) * (trig.Cos + trig.Sin);
  const MultipleAngles<Extended> m = MultipleAnglesOfDouble(s2, c2);
  const Extended sineTerms = MeridianArcSineTerms(meridian, m.S2, m.S4, m.S6, m.S8);
  // The terms after the arc in double, about a ten-thousandth of the northing.
  const SeriesRest rest = NorthingRest(ellipsoid, centralMeridian, longitude, trig, restNu);
  const Extended value = scaleFactor * ((meridian.G * trig.Phi + sineTerms) + rest.Value);
  const double narrowed = AsDouble(value);
  // The difference in the term in sin 2phi, 60 times that in the other sine terms and the
  // allowance of the terms after the arc, all scaled as the northing is, and the rounding of
  // the sums.
  const Extended error = std::fabs(scaleFactor) * (1e-15L * std::fabs(meridian.Gc2) +
                                                   6e-14L * std::fabs(meridian.Gc4) +
                                                   1e-15L * std::fabs(meridian.Gc6) + rest.Error) +
                         std::fabs(value) * 0x1p-60L;
  if (NarrowsAlike(value, narrowed, error)) return narrowed;
  return AsDouble(tm::NorthingSeries(ellipsoid, meridian, scaleFactor, centralMeridian, longitude, trig));
}

}  // namespace

// Equals narrowing TmForward(grid, ...).
GridPointDouble TmForwardNarrowed(const TmSettingsGrid& grid, double longitude, double latitude) {
  const LatitudeTrig trig = TrigOf(ForwardLatitude<true>(latitude));
  return {AsDouble(tm::EastingSeries<true>(grid.Easting, longitude, trig)),
          NarrowedNorthing(grid.Ellipsoid, grid.Arc, grid.ScaleFactor, grid.CentralMeridian,
                           longitude, trig, RestNu(grid.Ellipsoid, trig))};
}

namespace {

// The several-point forward of either family, stage by stage: the sines, cosines and tangents
// of all the points, their radii, then all the eastings, then all the northings.
template <bool kNarrow, typename Longitude, typename Latitude>
void ForwardNarrowedInStages(const TmEastingConstants& eastingGrid, const TmEllipsoid& ellipsoid,
                             const MeridianArc& arc, Extended scaleFactor, Extended centralMeridian,
                             std::size_t count, const Longitude& longitudeOf, const Latitude& latitudeOf,
                             GridPointDouble* out) {
  LatitudeTrig trig[kMaxLanes];
  for (std::size_t i = 0; i < count; ++i) trig[i] = TrigOf(ForwardLatitude<kNarrow>(latitudeOf(i)));
  Extended eastingNu[kMaxLanes];
  double restNu[kMaxLanes];
  for (std::size_t i = 0; i < count; ++i) {
    eastingNu[i] = tm::EastingNu<kNarrow>(eastingGrid, trig[i]);
    restNu[i] = RestNu(ellipsoid, trig[i]);
  }
  for (std::size_t i = 0; i < count; ++i) {
    out[i].Easting = AsDouble(tm::EastingSeries<kNarrow>(eastingGrid, longitudeOf(i), trig[i], eastingNu[i]));
  }
  for (std::size_t i = 0; i < count; ++i) {
    out[i].Northing =
        NarrowedNorthing(ellipsoid, arc, scaleFactor, centralMeridian, longitudeOf(i), trig[i], restNu[i]);
  }
}

}  // namespace

// Equals TmForwardNarrowed point by point.
void TmForwardNarrowedLanes(const TmSettingsGrid& grid, const double* points, std::size_t count,
                            GridPointDouble* out) {
  ForwardNarrowedInStages<true>(
      grid.Easting, grid.Ellipsoid, grid.Arc, grid.ScaleFactor, grid.CentralMeridian, count,
      [points](std::size_t i) { return points[2 * i]; }, [points](std::size_t i) { return points[2 * i + 1]; },
      out);
}

// Equals narrowing Tm2Forward97(centralMeridian, ...).
GridPointDouble Tm2ForwardNarrowed97(Extended centralMeridian, Extended longitude, Extended latitude) {
  const tm::Fixed97Constants& fixed = tm::Fixed97();
  const LatitudeTrig trig = TrigOf(ForwardLatitude<false>(latitude));
  return {AsDouble(tm::EastingSeries<false>(tm::Fixed97Grid(centralMeridian), longitude, trig)),
          NarrowedNorthing(fixed.Ellipsoid, fixed.Arc, kTm2ScaleFactor, centralMeridian, longitude,
                           trig, RestNu(fixed.Ellipsoid, trig))};
}

// Equals Tm2ForwardNarrowed97 point by point.
void Tm2ForwardNarrowed97Lanes(Extended centralMeridian, const GeographicPoint* points, std::size_t count,
                               GridPointDouble* out) {
  const tm::Fixed97Constants& fixed = tm::Fixed97();
  ForwardNarrowedInStages<false>(
      tm::Fixed97Grid(centralMeridian), fixed.Ellipsoid, fixed.Arc, kTm2ScaleFactor, centralMeridian, count,
      [points](std::size_t i) { return points[i].Longitude; }, [points](std::size_t i) { return points[i].Latitude; },
      out);
}

// ---- Inverse ----------------------------------------------------------------------------

namespace {

// The latitude and the longitude of a grid point narrowed to double, as narrowing
// GeographicAtFootpoint(tm::QuantitiesAt(...)) gives them: from the footpoint of the search and
// the sine and cosine there exactly as in the operations, the longitude's first term in
// extended precision as there, the rest of both series in double (within about 1e-15 of their
// size, which is a thousandth of the longitude's and a small part of the latitude's), and
// checked to round as the operations' results do. A result too close to a rounding boundary,
// about one in a hundred, comes from the operations' own series.
//
// In radians (inRadians), the results are those of the operations times DegToRad, narrowed as
// the geocentric conversion narrows them before taking their sines and cosines.
//
// The sine and cosine come first, for all the points of a several-point form before any of
// their series.
struct FootpointSines {
  double Sin, Cos;
};

FootpointSines SinesAt(Extended latitudeDegrees) {
  const double phi = AsDouble(latitudeDegrees * kDegToRad);
  return {std::sin(phi), std::cos(phi)};
}

// The divisions at the footpoint, which the rest waits for (a stage of their own in the
// several-point forms).
struct FootpointQuotients {
  Extended W;     // 1 - e^2 sin^2
  Extended Base;  // 1 / (nu cos sigma)
  double Tan;
};

FootpointQuotients QuotientsAt(const TmEllipsoid& ellipsoid, FootpointSines sines) {
  const Extended w = 1 - ellipsoid.E2 * sines.Sin * sines.Sin;
  // 1 / (nu cos sigma) as the longitude series has it, nu being a / sqrt w, with one division
  // instead of two: within 2^-61 of its value there.
  const Extended base = std::sqrt(AsDouble(w)) / (ellipsoid.A * sines.Cos * tm::InverseArcSecondSine());
  return {w, base, sines.Sin / sines.Cos};
}

GeographicPointDouble GeographicNarrowed(const TmEllipsoid& ellipsoid, Extended latitudeDegrees,
                                         FootpointSines sines, const FootpointQuotients& quotients,
                                         Extended q, Extended centralMeridian, bool inRadians) {
  const double cosPhi = sines.Cos;
  const Extended w = quotients.W;
  const Extended sigma = tm::InverseArcSecondSine();
  const Extended base = quotients.Base;
  const Extended first = tm::LongitudeFirstTerm(base, q);

  const double e2 = AsDouble(ellipsoid.E2);
  const double sigmaD = AsDouble(sigma);
  const double longitudeBase = AsDouble(base);
  const double t = quotients.Tan;
  const double t2 = t * t;
  // Beyond 70 degrees the powers of the tangent make the terms large and cancelling.
  const bool nearPole = !(t2 < 7.5);
  const double eta2 = AsDouble(ellipsoid.Ep2) * cosPhi * cosPhi;
  const double inverseNu2 = (longitudeBase * cosPhi * sigmaD) * (longitudeBase * cosPhi * sigmaD);
  const double qD = AsDouble(q);
  const double qq = qD * qD;
  // t / (nu rho sigma), rho being nu (1 - e^2) / w.
  const double latitudeBase = t * AsDouble(w) * inverseNu2 / ((1 - e2) * sigmaD);
  const tm::LatitudeTerms<double> latitudeTerms = tm::LatitudeTermsOf(latitudeBase, inverseNu2, t2, eta2, qq);
  const double latitudeSeries = tm::LatitudeSum(latitudeTerms);
  const tm::LongitudeTerms<double> longitudeTerms =
      tm::LongitudeTermsOf(longitudeBase, inverseNu2, t2, eta2, qD, qq);
  const double rest = -longitudeTerms.Q3 + longitudeTerms.Q5;

  // The footpoint latitude in degrees where the operation has phi / DegToRad: the two differ
  // by the roundings of the product and the quotient, 2^-63 of the latitude.
  const Extended degreesLatitude = latitudeDegrees - latitudeSeries * kOneOver3600;
  const Extended degreesLongitude = (first + rest) * kOneOver3600 + centralMeridian;
  // 4e-15 of each term in double, three times what their inputs and arithmetic can lose.
  const double latitudeSize =
      std::fabs(latitudeTerms.Q2) + std::fabs(latitudeTerms.Q4) + std::fabs(latitudeTerms.Q6);
  const double longitudeSize = std::fabs(longitudeTerms.Q3) + std::fabs(longitudeTerms.Q5);
  // The sums round differently from the operations' by at most a unit of the last place each
  // (2^-63 relative); twice that is allowed for, and twice what the latitude in degrees and the
  // first term of the longitude differ by.
  Extended latitudeError =
      latitudeSize * (4e-15 / 3600) + std::fabs(degreesLatitude) * (0x1p-61L + 0x1p-62L);
  Extended longitudeError = longitudeSize * (4e-15 / 3600) +
                            std::fabs(first) * (1.0L / 3600) * (0x1p-61L + 0x1p-60L) +
                            std::fabs(degreesLongitude) * 0x1p-61L;
  const Extended scale = inRadians ? kDegToRad : 1;
  const Extended latitude = degreesLatitude * scale;
  const Extended longitude = degreesLongitude * scale;
  if (inRadians) {  // and the rounding of the product
    latitudeError = latitudeError * kDegToRad + std::fabs(latitude) * 0x1p-62L;
    longitudeError = longitudeError * kDegToRad + std::fabs(longitude) * 0x1p-62L;
  }
  const GeographicPointDouble narrowed{AsDouble(longitude), AsDouble(latitude)};
  if (!nearPole && NarrowsAlike(latitude, narrowed.Latitude, latitudeError) &&
      NarrowsAlike(longitude, narrowed.Longitude, longitudeError)) {
    return narrowed;
  }
  const GeographicPoint exact =
      GeographicAtFootpoint(tm::QuantitiesAt(ellipsoid, latitudeDegrees, q), centralMeridian);
  return {AsDouble(exact.Longitude * scale), AsDouble(exact.Latitude * scale)};
}

// The target of the footpoint search for a grid point and its q, as the inverse operations
// take them.
struct TargetAndQ {
  Extended Target;  // m of meridian arc
  Extended Q;
};

TargetAndQ SettingsTarget(const TmSettingsGrid& grid, double easting, double northing) {
  return {tm::Narrowed(northing / grid.ScaleFactor), (easting - grid.FalseEasting) / grid.ScaleFactor * 0.000001L};
}

TargetAndQ Fixed97Target(Extended easting, Extended northing) {
  return {northing * kTm97InverseScaleFactor, (easting - kTm2FalseEasting) * kTm97InverseScaleFactor * 0.000001L};
}

// The several-point inverse of either family, stage by stage: the targets and q of all the
// points, their footpoints, the sines and cosines there, the quotients, then the series.
template <typename TargetOf>
void GeographicNarrowedInStages(const TmEllipsoid& ellipsoid, const FootpointSearch& search, int maxSteps,
                                Extended centralMeridian, bool inRadians, const double* points,
                                std::size_t count, const TargetOf& targetOf, GeographicPointDouble* out) {
  Extended footpoints[kMaxLanes];  // the targets until the search
  Extended q[kMaxLanes];
  for (std::size_t i = 0; i < count; ++i) {
    const TargetAndQ point = targetOf(points[2 * i], points[2 * i + 1]);
    footpoints[i] = point.Target;
    q[i] = point.Q;
  }
  FootpointLatitudes(search, footpoints, count, maxSteps);
  FootpointSines sines[kMaxLanes];
  for (std::size_t i = 0; i < count; ++i) sines[i] = SinesAt(footpoints[i]);
  FootpointQuotients quotients[kMaxLanes];
  for (std::size_t i = 0; i < count; ++i) quotients[i] = QuotientsAt(ellipsoid, sines[i]);
  for (std::size_t i = 0; i < count; ++i) {
    out[i] = GeographicNarrowed(ellipsoid, footpoints[i], sines[i], quotients[i], q[i], centralMeridian, inRadians);
  }
}

}  // namespace

// Equals narrowing TmLatitude and TmLongitude with the grid's settings.
GeographicPointDouble TmGeographicNarrowed(const TmSettingsGrid& grid, double easting, double northing,
                                           bool inRadians) {
  const TargetAndQ point = SettingsTarget(grid, easting, northing);
  const Extended footpoint = FootpointLatitude(grid.Footpoint, point.Target, kSettingsFootpointMaxSteps);
  const FootpointSines sines = SinesAt(footpoint);
  return GeographicNarrowed(grid.Ellipsoid, footpoint, sines, QuotientsAt(grid.Ellipsoid, sines), point.Q,
                            grid.CentralMeridian, inRadians);
}

// Equals TmGeographicNarrowed point by point.
void TmGeographicNarrowedLanes(const TmSettingsGrid& grid, const double* points, std::size_t count,
                               bool inRadians, GeographicPointDouble* out) {
  const auto targetOf = [&grid](double easting, double northing) { return SettingsTarget(grid, easting, northing); };
  GeographicNarrowedInStages(grid.Ellipsoid, grid.Footpoint, kSettingsFootpointMaxSteps, grid.CentralMeridian,
                             inRadians, points, count, targetOf, out);
}

// Equals Tm2Longitude97 and Tm2Latitude97 times DegToRad, narrowed.
GeographicPointDouble Tm2RadiansNarrowed97(Extended centralMeridian, Extended easting, Extended northing) {
  const tm::Fixed97Constants& fixed = tm::Fixed97();
  const TargetAndQ point = Fixed97Target(easting, northing);
  const Extended footpoint = FootpointLatitude(fixed.Footpoint, point.Target, kFixedFootpointMaxSteps);
  const FootpointSines sines = SinesAt(footpoint);
  return GeographicNarrowed(fixed.Ellipsoid, footpoint, sines, QuotientsAt(fixed.Ellipsoid, sines), point.Q,
                            centralMeridian, true);
}

// Equals Tm2RadiansNarrowed97 point by point.
void Tm2RadiansNarrowed97Lanes(Extended centralMeridian, const double* points, std::size_t count,
                               GeographicPointDouble* out) {
  const tm::Fixed97Constants& fixed = tm::Fixed97();
  const auto targetOf = [](double easting, double northing) { return Fixed97Target(easting, northing); };
  GeographicNarrowedInStages(fixed.Ellipsoid, fixed.Footpoint, kFixedFootpointMaxSteps, centralMeridian, true,
                             points, count, targetOf, out);
}

}  // namespace morvane
