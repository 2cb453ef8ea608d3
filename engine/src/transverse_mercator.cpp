#include "engine/transverse_mercator.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
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

TmEllipsoid EllipsoidOf(Extended a, Extended b) {
  const Extended a2 = a * a;
  const Extended b2 = b * b;
  return {a, b, (a2 - b2) / a2, (a2 - b2) / b2};
}

TmEllipsoid SettingsEllipsoid(const TransformSettings& settings) {
  const Extended a = settings.SemiMajorAxis;
  return EllipsoidOf(a, a - a / settings.InverseFlattening);
}

TmEllipsoid Grs80Ellipsoid() {
  return EllipsoidOf(kGrs80SemiMajorAxis, kGrs80SemiMajorAxis - kGrs80SemiMajorAxis * kGrs80Flattening);
}

// The fixed TWD97 grid's constants, which depend on nothing: derived on first use.
struct Fixed97Constants {
  TmEllipsoid Ellipsoid;
  MeridianArc Arc;
  FootpointSearch Footpoint;
};

const Fixed97Constants& Fixed97() {
  static const Fixed97Constants constants = [] {
    const TmEllipsoid grs80 = Grs80Ellipsoid();
    const MeridianArc arc = MeridianArcOf(grs80.A, grs80.B);
    return Fixed97Constants{grs80, arc, FootpointSearchOf(arc)};
  }();
  return constants;
}

// p: the longitude difference in arc-seconds times 10^-4.
Extended LongitudeDifference(Extended longitude, Extended centralMeridian) {
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

LatitudeTrig TrigOf(Extended phi) {
  const double angle = AsDouble(phi);
  return {phi, std::sin(angle), std::cos(angle), std::tan(angle)};
}

// phi: the latitude in radians, narrowed to double in the settings family.
template <bool kNarrow>
Extended ForwardLatitude(Extended latitude) {
  return MaybeNarrowed<kNarrow>(latitude * kDegToRad);
}

// Easting series; kNarrow rounds p, s, nu, eta^2, the three terms and the result to double.
template <bool kNarrow>
Extended EastingSeries(const TmEastingConstants& grid, Extended longitude, const LatitudeTrig& trig) {
  const Extended p = MaybeNarrowed<kNarrow>(LongitudeDifference(longitude, grid.CentralMeridian));
  const Extended s = MaybeNarrowed<kNarrow>(ForwardArcSecondSine());
  const Extended nu =
      MaybeNarrowed<kNarrow>(grid.NuAxis / std::sqrt(AsDouble(1 - grid.E2 * trig.Sin * trig.Sin)));
  const Extended eta2 = MaybeNarrowed<kNarrow>(grid.Ep2 * trig.Cos * trig.Cos);
  const Extended t2 = trig.Tan * trig.Tan;

  const Extended sc = s * trig.Cos;
  const Extended sc3 = sc * sc * sc;
  const Extended sc5 = sc3 * sc * sc;
  const Extended p1 = MaybeNarrowed<kNarrow>(nu * sc);
  const Extended p3 = MaybeNarrowed<kNarrow>(nu * sc3 * (1.0L / 6) * (1 - t2 + eta2));
  const Extended p5 = MaybeNarrowed<kNarrow>(
      nu * sc5 * (1.0L / 120) * (5 - 18 * t2 + t2 * t2 + 14 * eta2 - 58 * t2 * eta2));
  const Extended pp = p * p;
  const Extended series = p1 * p + p3 * (pp * p) + p5 * (pp * pp * p);
  return MaybeNarrowed<kNarrow>(grid.ScaleFactor * series + grid.FalseEasting);
}

// The northing series around a given meridian arc length at the point's latitude.
Extended NorthingSeriesAt(const TmEllipsoid& ellipsoid, Extended scaleFactor,
                          Extended centralMeridian, Extended longitude, const LatitudeTrig& trig,
                          Extended arc) {
  const Extended p = LongitudeDifference(longitude, centralMeridian);
  const Extended s = ForwardArcSecondSine();
  const Extended nu = ellipsoid.A / std::sqrt(AsDouble(1 - ellipsoid.E2 * trig.Sin * trig.Sin));
  const Extended eta2 = ellipsoid.Ep2 * trig.Cos * trig.Cos;
  const Extended t2 = trig.Tan * trig.Tan;

  const Extended sc = s * trig.Cos;
  const Extended s2sc = s * trig.Sin * sc;  // s^2 sin cos
  const Extended sc2 = sc * sc;
  const Extended p2 = nu * s2sc * 0.5L;
  const Extended p4 = nu * s2sc * sc2 * (1.0L / 24) * (5 - t2 + 9 * eta2 + 4 * eta2 * eta2);
  const Extended p6 = nu * s2sc * sc2 * sc2 * (1.0L / 720) *
                      (61 - 58 * t2 + t2 * t2 + 270 * eta2 - 330 * t2 * eta2);
  const Extended pp = p * p;
  return scaleFactor * (arc + p2 * pp + p4 * (pp * pp) + p6 * (pp * pp * pp));
}

Extended NorthingSeries(const TmEllipsoid& ellipsoid, const MeridianArc& meridian,
                        Extended scaleFactor, Extended centralMeridian, Extended longitude,
                        const LatitudeTrig& trig) {
  return NorthingSeriesAt(ellipsoid, scaleFactor, centralMeridian, longitude, trig,
                          MeridianArcLength(meridian, trig.Phi));
}


// The terms of the northing series after the arc, p2 pp + p4 pp^2 + p6 pp^3, in double from
// the narrowed inputs, and how far they may lie from the same terms in extended precision.
// Their allowance is at least 7e-15 of their value, far more than a unit in its last place:
// where they make up the northing, the check fails. An ellipsoid with e^2 of 1/2 or more (no
// earth ellipsoid comes near) gets no allowance at all: there 1 - e^2 sin^2 may vanish for
// the extended terms and not for these, and only the extended terms show what that raises.
struct SeriesRest {
  double Value;
  double Error;
};

SeriesRest NorthingRest(const TmEllipsoid& ellipsoid, Extended centralMeridian, Extended longitude,
                        const LatitudeTrig& trig) {
  const double p = AsDouble(LongitudeDifference(longitude, centralMeridian));
  const double s = AsDouble(ForwardArcSecondSine());
  const double sinPhi = AsDouble(trig.Sin);
  const double cosPhi = AsDouble(trig.Cos);
  const double tanPhi = AsDouble(trig.Tan);
  const double w = 1 - AsDouble(ellipsoid.E2) * sinPhi * sinPhi;
  const double nu = AsDouble(ellipsoid.A) / std::sqrt(w);
  const double eta2 = AsDouble(ellipsoid.Ep2) * cosPhi * cosPhi;
  const double t2 = tanPhi * tanPhi;
  const double sc = s * cosPhi;
  const double s2sc = s * sinPhi * sc;
  const double sc2 = sc * sc;
  const double pp = p * p;
  const double base2 = nu * s2sc * 0.5 * pp;
  const double base4 = nu * s2sc * sc2 * (1.0 / 24) * (pp * pp);
  const double base6 = nu * s2sc * sc2 * sc2 * (1.0 / 720) * (pp * pp * pp);
  const double value = base2 + base4 * (5 - t2 + 9 * eta2 + 4 * eta2 * eta2) +
                       base6 * (61 - 58 * t2 + t2 * t2 + 270 * eta2 - 330 * t2 * eta2);
  // Counted in units of 2^-53: the narrowed inputs, the roundings of each product and sum, and
  // the double constants 1/24 and 1/720, under 20 for the first term, 40 for the second and 55
  // for the third (on the magnitudes of the parts of their factors, so that a cancellation there
  // is allowed for); three times that.
  const double error =
      7e-15 * std::fabs(base2) +
      1.4e-14 * std::fabs(base4) * (5 + t2 + 9 * eta2 + 4 * eta2 * eta2) +
      1.9e-14 * std::fabs(base6) * (61 + 58 * t2 + t2 * t2 + 270 * eta2 + 330 * t2 * eta2);
  return {value, ellipsoid.E2 < 0.5L ? error : std::numeric_limits<double>::infinity()};
}

// The northing narrowed to double, as narrowing NorthingSeries gives it. The arc's term in
// sin 2phi comes from the same sine as there; those in sin 4phi, 6phi and 8phi, whose
// coefficients are a thousand times smaller, from it and cos 2phi by the double-angle
// formulas, within about 2e-14 m; the terms after the arc come in double. Only a northing
// that close to a rounding boundary (about one in fifty) takes the four sines and the series
// in extended precision.
double NarrowedNorthing(const TmEllipsoid& ellipsoid, const MeridianArc& meridian,
                        Extended scaleFactor, Extended centralMeridian, Extended longitude,
                        const LatitudeTrig& trig) {
  const Extended s2 = std::sin(AsDouble(2 * trig.Phi));
  const Extended c2 = (trig.Cos - trig.Sin) * (trig.Cos + trig.Sin);
  const Extended s4 = 2 * s2 * c2;
  const Extended c4 = (c2 - s2) * (c2 + s2);
  const Extended sineTerms = meridian.Gc2 * s2 + meridian.Gc4 * s4 +
                             meridian.Gc6 * (s4 * c2 + c4 * s2) + meridian.Gc8 * (2 * s4 * c4);
  // The terms after the arc in double, about a ten-thousandth of the northing.
  const SeriesRest rest = NorthingRest(ellipsoid, centralMeridian, longitude, trig);
  const Extended value = scaleFactor * ((meridian.G * trig.Phi + sineTerms) + rest.Value);
  const double narrowed = AsDouble(value);
  // 60 times the difference in the sine terms and the allowance of the terms after the arc,
  // both scaled as the northing is, and the rounding of the sums.
  const Extended error = std::fabs(scaleFactor) * (6e-14L * std::fabs(meridian.Gc4) +
                                                   1e-15L * std::fabs(meridian.Gc6) + rest.Error) +
                         std::fabs(value) * 0x1p-60L;
  if (NarrowsAlike(value, narrowed, error)) return narrowed;
  return AsDouble(NorthingSeries(ellipsoid, meridian, scaleFactor, centralMeridian, longitude, trig));
}

// The grid constants of TmEasting: b, e^2 and e'^2 come from the semi-major axis narrowed to
// double, nu from the extended one.
TmEastingConstants SettingsEastingGrid(const TransformSettings& settings) {
  const Extended a = Narrowed(settings.SemiMajorAxis);
  const TmEllipsoid narrowed = EllipsoidOf(a, Narrowed(a - a / settings.InverseFlattening));
  return {settings.SemiMajorAxis,        Narrowed(narrowed.E2),
          Narrowed(narrowed.Ep2),        settings.ScaleFactor,
          Narrowed(settings.FalseEasting), Narrowed(settings.CentralMeridian)};
}

TmEastingConstants Fixed97Grid(Extended centralMeridian) {
  const TmEllipsoid& grs80 = Fixed97().Ellipsoid;
  return {grs80.A, grs80.E2, grs80.Ep2, kTm2ScaleFactor, kTm2FalseEasting, centralMeridian};
}

// The footpoint of a northing `target` (metres of arc) and the quantities there; q is the
// scaled distance from the central meridian.
// The quantities at a footpoint latitude (degrees).
TmFootpoint QuantitiesAt(const TmEllipsoid& ellipsoid, Extended latitudeDegrees, Extended q) {
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

TmFootpoint FootpointQuantities(const TmEllipsoid& ellipsoid, const FootpointSearch& search,
                                Extended target, Extended q, int maxSteps) {
  return QuantitiesAt(ellipsoid, FootpointLatitude(search, target, maxSteps), q);
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

Extended FootpointLatitudeByBisection(const MeridianArc& arc, Extended target, int maxSteps) {
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

// The replay of the bisection (the last resort of FootpointLatitude, below) reproduces its
// midpoints exactly but evaluates the arc only where the outcome of a step is not already known.
//  1. Two Newton steps find the root of the arc and a quadratic model of F = arc - target
//     around it, from one sine/cosine pair each (QuickArc: within about 1e-11 m of the
//     four-sine arc).
//  2. A midpoint farther than kRootMarginMetres of arc from the root lies on the side the root
//     says, with |F| far above the tolerance, so its step needs no arc at all. The steps
//     before the first midpoint within the margin are taken in one jump (SkippedSteps).
//  3. Within the margin F comes from the model; only where its |F| lies within kModelBand of
//     the tolerance, where the model and the four-sine arc could decide differently, is the
//     four-sine arc evaluated (about one search in fifty).
namespace {

constexpr Extended kRootMarginMetres = 5e-7;  // 5 times the tolerance, far above any error
constexpr Extended kModelBand = 2e-16;        // times G: about 1.3e-9 m, 100 times the error

// The bisection's first steps take midpoints farther than `margin` from the root until the
// margin around the root straddles a midpoint: the number of those steps is the number of
// leading binary digits that the two ends of the margin share, as fractions of the bracket.
// Moves lo and hi to the bracket those steps leave (exact binary fractions, as the
// bisection's own bounds) and returns the number of steps, or leaves them and returns 0.
int SkippedSteps(Extended root, Extended margin, int maxSteps, Extended& lo, Extended& hi) {
  const Extended span = hi - lo;
  const Extended perSpan = 1 / span;
  const double at = AsDouble((root - lo) * perSpan);  // 0..1
  const double halfWidth = AsDouble(margin * perSpan);
  const double scale = 0x1p62;
  const double first = (at - halfWidth) * scale;
  const double last = (at + halfWidth) * scale;
  if (!(first > 0 && last < scale)) return 0;
  const auto firstBits = static_cast<std::uint64_t>(first);
  const auto lastBits = static_cast<std::uint64_t>(last);
  const int steps = std::countl_zero(firstBits ^ lastBits) - 2;
  if (steps <= 0 || steps >= maxSteps || steps > 52) return 0;
  const Extended width = span * std::bit_cast<double>(std::uint64_t(1023 - steps) << 52);  // 2^-steps
  const Extended jumpLo = lo + static_cast<Extended>(firstBits >> (62 - steps)) * width;
  // Verified exactly: the bracket holds the root with the margin on both sides.
  if (!(root - jumpLo > margin && jumpLo + width - root > margin)) return 0;
  lo = jumpLo;
  hi = jumpLo + width;
  return steps;
}


// The number with the most trailing zero bits in lo..hi: the binary fraction with the fewest
// digits there.
std::uint64_t FewestDigits(std::uint64_t lo, std::uint64_t hi) {
  if (lo == hi) return lo;
  const int top = 63 - std::countl_zero(lo ^ hi);  // highest digit where the ends differ
  if ((lo & ((std::uint64_t{2} << top) - 1)) == 0) return lo;  // lo has zeros from there down
  return hi & ~((std::uint64_t{1} << top) - 1);
}

// Sine and cosine of angles up to 1.6 radians (in magnitude), to about one unit in the last
// place of a double: from a table of every 1/32 radian and the Taylor series of the rest.
class SineTable {
 public:
  SineTable() {
    for (int i = 0; i <= kSize; ++i) {
      sin_[i] = std::sin((i - kCentre) * kStep);
      cos_[i] = std::cos((i - kCentre) * kStep);
    }
  }
  // False for an angle beyond the table.
  bool SinCos(double angle, double& s, double& c) const {
    const double scaled = angle * kPerStep;
    if (!(std::fabs(scaled) < kCentre)) return false;
    const int i = static_cast<int>(scaled + (scaled < 0 ? -0.5 : 0.5));  // the nearest
    const double d = angle - i * kStep;  // exact: within half a step of a multiple of it
    const double d2 = d * d;
    const double sinD = d * (1 - d2 * (1.0 / 6) * (1 - d2 * (1.0 / 20) * (1 - d2 * (1.0 / 42))));
    const double cosD =
        1 - d2 * 0.5 * (1 - d2 * (1.0 / 12) * (1 - d2 * (1.0 / 30) * (1 - d2 * (1.0 / 56))));
    s = sin_[i + kCentre] * cosD + cos_[i + kCentre] * sinD;
    c = cos_[i + kCentre] * cosD - sin_[i + kCentre] * sinD;
    return true;
  }

 private:
  static constexpr int kCentre = 51;  // 51/32 radians: 91 degrees
  static constexpr int kSize = 2 * kCentre;
  static constexpr double kStep = 1.0 / 32;
  static constexpr double kPerStep = 32;
  double sin_[kSize + 1];
  double cos_[kSize + 1];
};

const SineTable& Sines() {
  static const SineTable table;
  return table;
}

// The integer nearest a non-negative value below 2^63, in one instruction: the compiler's own
// conversion truncates, and switches the rounding mode of the x87 unit twice to do so.
std::uint64_t NearestInteger(Extended value) {
  std::int64_t n;
  __asm__("fistpll %0" : "=m"(n) : "t"(value) : "st");
  return static_cast<std::uint64_t>(n);
}

// The sines and cosines of 2, 4, 6 and 8 times an angle, from its sine and cosine.
template <typename T>
struct MultipleAngles {
  T S2, C2, S4, C4, S6, C6, S8, C8;
};

template <typename T>
MultipleAngles<T> MultipleAnglesOf(T s1, T c1) {
  const T s2 = 2 * s1 * c1;
  const T c2 = (c1 - s1) * (c1 + s1);
  const T s4 = 2 * s2 * c2;
  const T c4 = (c2 - s2) * (c2 + s2);
  return {s2, c2, s4, c4, s4 * c2 + c4 * s2, c4 * c2 - s4 * s2, 2 * s4 * c4, (c4 - s4) * (c4 + s4)};
}

// The arc at a latitude in degrees, as ArcAtMidpoint computes it but with the sines of 2, 4, 6
// and 8 times the latitude built from one sine/cosine pair, and its first two derivatives.
struct ArcExpansion {
  Extended Arc;        // metres
  Extended Slope;      // metres per degree
  Extended Curvature;  // metres per square degree
};

ArcExpansion QuickArc(const MeridianArc& arc, Extended mid) {
  const double phi = AsDouble(mid * kDegToRad);
  const MultipleAngles<Extended> m = MultipleAnglesOf<Extended>(std::sin(phi), std::cos(phi));
  const Extended s2 = m.S2, c2 = m.C2, s4 = m.S4, c4 = m.C4, s6 = m.S6, c6 = m.C6, s8 = m.S8, c8 = m.C8;
  const Extended gPerDegree = arc.G * kPi * kOneOver180;
  return {gPerDegree * mid + arc.Gc2 * s2 + arc.Gc4 * s4 + arc.Gc6 * s6 + arc.Gc8 * s8,
          gPerDegree + kDegToRad * (2 * arc.Gc2 * c2 + 4 * arc.Gc4 * c4 + 6 * arc.Gc6 * c6 +
                                    8 * arc.Gc8 * c8),
          -(kDegToRad * kDegToRad) *
              (4 * arc.Gc2 * s2 + 16 * arc.Gc4 * s4 + 36 * arc.Gc6 * s6 + 64 * arc.Gc8 * s8)};
}

// F = arc - target near the root, from the expansion at the last Newton point `At`.
struct ArcModel {
  Extended Root;  // degrees
  Extended At;    // degrees
  Extended Residual, Slope, HalfCurvature;

  Extended F(Extended latitude) const {
    const Extended d = latitude - At;
    return Residual + d * (Slope + d * HalfCurvature);
  }
};

// Two Newton steps from the spherical guess, or false where the guided search does not apply
// (a target beyond 89 degrees, NaN, an odd ellipsoid). The second step is under 1e-5 degrees
// (about 2e-6 degrees for the earth), which leaves the root and the model far more accurate
// than the margin and the band need.
bool ModelOfArc(const MeridianArc& arc, Extended target, ArcModel& model) {
  const Extended gPerDegree = arc.G * kPi * kOneOver180;
  if (!(std::fabs(AsDouble(arc.Gc2)) < 0.02 * std::fabs(AsDouble(arc.G)))) return false;
  if (!(std::fabs(AsDouble(target)) < 89 * std::fabs(AsDouble(gPerDegree)))) return false;
  const Extended guess = target / gPerDegree;
  const ArcExpansion first = QuickArc(arc, guess);
  const Extended x = guess - (first.Arc - target) / first.Slope;
  const ArcExpansion second = QuickArc(arc, x);
  const Extended residual = second.Arc - target;
  const Extended step = residual / second.Slope;
  model = {x - step, x, residual, second.Slope, second.Curvature * 0.5L};
  return std::fabs(AsDouble(step)) < 1e-5 && std::fabs(AsDouble(model.Root)) < 89.5;
}

// The replay of the bisection's steps described above.
Extended FootpointByReplay(const MeridianArc& arc, Extended target, int maxSteps) {
  ArcModel model;
  if (!ModelOfArc(arc, target, model)) return FootpointLatitudeByBisection(arc, target, maxSteps);
  // The smallest slope of the arc is at the equator, above G (1 + 3 c2) per radian.
  const Extended margin = kRootMarginMetres / ((arc.G + 3 * arc.Gc2) * kDegToRad);  // degrees
  const double band = AsDouble(kModelBand * arc.G);

  Extended lo = kFootpointLowerBound;
  Extended hi = kFootpointUpperBound;
  const int skipped = SkippedSteps(model.Root, margin, maxSteps, lo, hi);
  Extended mid = (lo + hi) * 0.5L;
  for (int step = skipped; step < maxSteps; ++step) {
    mid = (lo + hi) * 0.5L;
    bool above;  // the arc at mid exceeds the target
    const Extended fromRoot = mid - model.Root;
    if (fromRoot > margin || fromRoot < -margin) {
      above = fromRoot > 0;
    } else {
      double f = AsDouble(model.F(mid));
      if (std::fabs(std::fabs(f) - kFootpointTolerance) <= band) {
        f = AsDouble(ArcAtMidpoint(arc, mid) - target);
      }
      if (std::fabs(f) <= kFootpointTolerance) break;
      above = f > 0;
    }
    if (above) {
      hi = mid;
    } else {
      lo = mid;
    }
  }
  return mid;
}

// The bisection's result found directly. The midpoints are -90 + 180 t for binary fractions t,
// one more binary digit at each step. While a midpoint lies outside the set of latitudes whose
// arc is within the tolerance, the search moves towards that set, so the bracket keeps holding
// it; the first midpoint inside is the one with the fewest binary digits in the set. The set is
// taken from a linear model of the arc at an accurate guess:
//  1. The series of the footpoint in the rectifying latitude target / G (to n^4, a guess within
//     about 1e-13 radians), with its sines from one sine/cosine pair and those at the guess by
//     the addition formulas, gives the arc there within about 1e-11 m, its slope, and the root.
//  2. The fraction with the fewest digits in the set widened by the band on both sides is
//     found from the binary digits of the ends. Every midpoint with fewer digits lies outside
//     the widened set, where the model decides both the side and the miss for certain.
//  3. If that fraction also lies in the set narrowed by the band, it is the result; otherwise
//     the four-sine arc at it decides, and if it misses, the replay above takes over.
bool DirectFootpoint(const FootpointSearch& search, Extended target, int maxSteps,
                     Extended& result) {
  if (!search.Guided) return false;
  if (!(std::fabs(AsDouble(target)) < search.Terms.TargetLimit)) return false;

  // The root: the rectifying latitude plus the harmonic series of the footpoint's difference
  // from it, the series in double (about 1e-11 m of arc, a hundredth of the band), the sum in
  // extended precision.
  const FootpointModelTerms& k = search.Terms;
  const Extended linear = target * search.DegreesPerMetre;  // degrees
  const double mu = AsDouble(linear * kDegToRad);
  double sinMu;
  double cosMu;
  if (!Sines().SinCos(mu, sinMu, cosMu)) return false;
  // The sines of 2 mu to 12 mu by products (a shallower chain than a recurrence).
  const MultipleAngles<double> m = MultipleAnglesOf<double>(sinMu, cosMu);
  const double s2 = m.S2, c2 = m.C2, s4 = m.S4, s6 = m.S6, s8 = m.S8;
  const double s10 = s8 * c2 + m.C8 * s2;
  const double s12 = 2 * s6 * m.C6;
  const double* b = k.Harmonics;
  const double delta =  // radians
      ((b[0] * s2 + b[1] * s4) + (b[2] * s6 + b[3] * s8)) + (b[4] * s10 + b[5] * s12);
  const Extended root = linear + delta * k.DegreesPerRadian;
  const double cos2Phi = c2 - 2 * delta * s2;
  // 1 / slope, the slope being G pi/180 (1 + x) with x about 0.005: to 1e-9 of itself.
  const double x = k.Slope2 * cos2Phi + k.Slope4 * (2 * cos2Phi * cos2Phi - 1);
  const double perSlope = k.DegreesPerMetre * (1 - x * (1 - x * (1 - x)));
  const double outer = (kFootpointTolerance + search.Band) * perSlope;  // degrees
  const double inner = (kFootpointTolerance - search.Band) * perSlope;

  // The ends of the widened set in units of 2^-62 of the bracket, a few units wider still.
  constexpr Extended kUnitsPerDegree = 0x1p62L / 180;
  const Extended first = (root - outer - kFootpointLowerBound) * kUnitsPerDegree;
  const Extended last = (root + outer - kFootpointLowerBound) * kUnitsPerDegree;
  if (!(first > 16 && last < 0x1p62L - 16)) return false;
  std::uint64_t lo = NearestInteger(first) - 4;
  std::uint64_t hi = NearestInteger(last) + 4;
  // Each fraction that misses becomes an end of the bracket, as in the bisection, and the
  // search goes on among the fractions on the root's side of it.
  for (int tries = 0; tries < 4 && lo <= hi; ++tries) {
    const std::uint64_t fewest = FewestDigits(lo, hi);
    const int steps = 62 - std::countr_zero(fewest);
    if (steps > 58 || steps > maxSteps) return false;  // midpoints then round, or the limit ends it
    // -90 + 180 t exactly, as the bisection's own halving gives it.
    const Extended mid = static_cast<Extended>(fewest) * (180 * 0x1p-62L) + kFootpointLowerBound;
    if (mid >= root - inner && mid <= root + inner) {
      result = mid;
      return true;
    }
    const double f = AsDouble(ArcAtMidpoint(search.Arc, mid) - target);
    if (std::fabs(f) <= kFootpointTolerance) {
      result = mid;
      return true;
    }
    if (f > 0) {
      hi = fewest - 1;
    } else {
      lo = fewest + 1;
    }
  }
  return false;
}

}  // namespace

FootpointSearch FootpointSearchOf(const MeridianArc& arc) {
  FootpointSearch search{};
  search.Arc = arc;
  search.GPerDegree = arc.G * kPi * kOneOver180;
  search.DegreesPerMetre = 1 / search.GPerDegree;
  search.Band = AsDouble(kModelBand * arc.G);
  search.Guided = std::fabs(AsDouble(arc.Gc2)) < 0.02 * std::fabs(AsDouble(arc.G));
  if (!search.Guided) return search;

  // In radians phi = mid DegToRad the arc is Gr (phi + sum c_k sin k phi), and the footpoint
  // of a target is phi(mu) for mu = target / Gr: an odd function with period pi, whose
  // difference from mu has the sine series sum b_i sin 2i mu with b_i of the order n^i. The
  // coefficients come from a discrete sine transform of that difference at 16 points, each
  // solved by Newton's method in extended precision.
  const Extended gr = search.GPerDegree / kDegToRad;
  const Extended c[4] = {arc.Gc2 / gr, arc.Gc4 / gr, arc.Gc6 / gr, arc.Gc8 / gr};
  constexpr int kSamples = 16;
  constexpr Extended kHalfPiL = 1.570796326794896619231321691639751442L;
  Extended difference[kSamples];
  Extended at[kSamples];
  for (int j = 0; j < kSamples; ++j) {
    const Extended mu = kHalfPiL * (j + 0.5L) / kSamples;
    Extended phi = mu - c[0] * sinl(2 * mu);
    for (int iteration = 0; iteration < 6; ++iteration) {
      Extended f = phi - mu;
      Extended slope = 1;
      for (int m = 0; m < 4; ++m) {
        f += c[m] * sinl(2 * (m + 1) * phi);
        slope += 2 * (m + 1) * c[m] * cosl(2 * (m + 1) * phi);
      }
      phi -= f / slope;
    }
    at[j] = mu;
    difference[j] = phi - mu;
  }
  FootpointModelTerms& k = search.Terms;
  for (int i = 0; i < kFootpointHarmonics; ++i) {
    Extended sum = 0;
    for (int j = 0; j < kSamples; ++j) sum += difference[j] * sinl(2 * (i + 1) * at[j]);
    k.Harmonics[i] = AsDouble(sum * 2 / kSamples);
  }
  k.GPerDegree = AsDouble(search.GPerDegree);
  k.TargetLimit = 89 * std::fabs(k.GPerDegree);
  k.DegreesPerMetre = AsDouble(search.DegreesPerMetre);
  k.DegreesPerRadian = AsDouble(1 / kDegToRad);
  k.Slope2 = AsDouble(2 * c[0]);
  k.Slope4 = AsDouble(4 * c[1]);
  return search;
}

Extended FootpointLatitude(const FootpointSearch& search, Extended target, int maxSteps) {
  Extended result;
  if (DirectFootpoint(search, target, maxSteps, result)) return result;
  return FootpointByReplay(search.Arc, target, maxSteps);
}

Extended FootpointLatitude(const MeridianArc& arc, Extended target, int maxSteps) {
  // Callers with an arc of their own mostly search it many times over.
  thread_local MeridianArc lastArc{};
  thread_local FootpointSearch last = FootpointSearchOf(lastArc);
  const Extended MeridianArc::*fields[] = {&MeridianArc::G, &MeridianArc::Gc2, &MeridianArc::Gc4,
                                           &MeridianArc::Gc6, &MeridianArc::Gc8};
  bool same = true;
  for (const auto field : fields) same = same && std::memcmp(&(arc.*field), &(lastArc.*field), 10) == 0;
  if (!same) {
    lastArc = arc;
    last = FootpointSearchOf(arc);
  }
  return FootpointLatitude(last, target, maxSteps);
}

// ---- Settings family ----------------------------------------------------------------------

TmSettingsGrid TmSettingsGridOf(const TransformSettings& settings) {
  const TmEllipsoid ellipsoid = SettingsEllipsoid(settings);
  const MeridianArc arc = MeridianArcOf(ellipsoid.A, ellipsoid.B);
  return {ellipsoid,
          arc,
          FootpointSearchOf(arc),
          SettingsEastingGrid(settings),
          settings.ScaleFactor,
          settings.FalseEasting,
          settings.CentralMeridian};
}

Extended TmEasting(const TransformSettings& settings, double longitude, double latitude) {
  return EastingSeries<true>(SettingsEastingGrid(settings), longitude,
                             TrigOf(ForwardLatitude<true>(latitude)));
}

Extended TmNorthing(const TransformSettings& settings, double longitude, double latitude) {
  const TmEllipsoid ellipsoid = SettingsEllipsoid(settings);
  return Narrowed(NorthingSeries(ellipsoid, MeridianArcOf(ellipsoid.A, ellipsoid.B),
                                 settings.ScaleFactor, settings.CentralMeridian, longitude,
                                 TrigOf(ForwardLatitude<true>(latitude))));
}

Extended TmEasting(const TmSettingsGrid& grid, double longitude, double latitude) {
  return EastingSeries<true>(grid.Easting, longitude, TrigOf(ForwardLatitude<true>(latitude)));
}

Extended TmNorthing(const TmSettingsGrid& grid, double longitude, double latitude) {
  return Narrowed(NorthingSeries(grid.Ellipsoid, grid.Arc, grid.ScaleFactor, grid.CentralMeridian,
                                 longitude, TrigOf(ForwardLatitude<true>(latitude))));
}

TmGridPoint TmForward(const TmSettingsGrid& grid, double longitude, double latitude) {
  const LatitudeTrig trig = TrigOf(ForwardLatitude<true>(latitude));
  return {EastingSeries<true>(grid.Easting, longitude, trig),
          Narrowed(NorthingSeries(grid.Ellipsoid, grid.Arc, grid.ScaleFactor, grid.CentralMeridian,
                                  longitude, trig))};
}

GridPointDouble TmForwardNarrowed(const TmSettingsGrid& grid, double longitude, double latitude) {
  const LatitudeTrig trig = TrigOf(ForwardLatitude<true>(latitude));
  return {AsDouble(EastingSeries<true>(grid.Easting, longitude, trig)),
          NarrowedNorthing(grid.Ellipsoid, grid.Arc, grid.ScaleFactor, grid.CentralMeridian,
                           longitude, trig)};
}

TmGridPoint TmForward(const TransformSettings& settings, double longitude, double latitude) {
  // The forward series do not search: the grid without the footpoint search's constants.
  const TmEllipsoid ellipsoid = SettingsEllipsoid(settings);
  const TmSettingsGrid grid{ellipsoid,
                            MeridianArcOf(ellipsoid.A, ellipsoid.B),
                            FootpointSearch{},
                            SettingsEastingGrid(settings),
                            settings.ScaleFactor,
                            settings.FalseEasting,
                            settings.CentralMeridian};
  return TmForward(grid, longitude, latitude);
}

TmFootpoint TmFootpointOf(const TmSettingsGrid& grid, double easting, double northing) {
  const Extended q = (easting - grid.FalseEasting) / grid.ScaleFactor * 0.000001L;
  const Extended target = Narrowed(northing / grid.ScaleFactor);
  return FootpointQuantities(grid.Ellipsoid, grid.Footpoint, target, q, kSettingsFootpointMaxSteps);
}

TmFootpoint TmFootpointOf(const TransformSettings& settings, double easting, double northing) {
  const TmEllipsoid ellipsoid = SettingsEllipsoid(settings);
  const Extended q = (easting - settings.FalseEasting) / settings.ScaleFactor * 0.000001L;
  const Extended target = Narrowed(northing / settings.ScaleFactor);
  const Extended latitude = FootpointLatitude(MeridianArcOf(ellipsoid.A, ellipsoid.B), target,
                                              kSettingsFootpointMaxSteps);
  return QuantitiesAt(ellipsoid, latitude, q);
}

Extended TmLatitude(const TransformSettings& settings, double easting, double northing) {
  return LatitudeAtFootpoint(TmFootpointOf(settings, easting, northing));
}

Extended TmLongitude(const TransformSettings& settings, double easting, double northing) {
  return LongitudeAtFootpoint(TmFootpointOf(settings, easting, northing), settings.CentralMeridian);
}

// ---- Fixed TWD97 family -----------------------------------------------------------------

Extended Tm2Easting97(const TransformSettings& settings, Extended longitude, Extended latitude) {
  return EastingSeries<false>(Fixed97Grid(settings.CentralMeridian), longitude,
                              TrigOf(ForwardLatitude<false>(latitude)));
}

Extended Tm2Northing97(const TransformSettings& settings, Extended longitude, Extended latitude) {
  const Fixed97Constants& fixed = Fixed97();
  return NorthingSeries(fixed.Ellipsoid, fixed.Arc, kTm2ScaleFactor, settings.CentralMeridian,
                        longitude, TrigOf(ForwardLatitude<false>(latitude)));
}

TmGridPoint Tm2Forward97(Extended centralMeridian, Extended longitude, Extended latitude) {
  const Fixed97Constants& fixed = Fixed97();
  const LatitudeTrig trig = TrigOf(ForwardLatitude<false>(latitude));
  return {EastingSeries<false>(Fixed97Grid(centralMeridian), longitude, trig),
          NorthingSeries(fixed.Ellipsoid, fixed.Arc, kTm2ScaleFactor, centralMeridian, longitude,
                         trig)};
}

GridPointDouble Tm2ForwardNarrowed97(Extended centralMeridian, Extended longitude, Extended latitude) {
  const Fixed97Constants& fixed = Fixed97();
  const LatitudeTrig trig = TrigOf(ForwardLatitude<false>(latitude));
  return {AsDouble(EastingSeries<false>(Fixed97Grid(centralMeridian), longitude, trig)),
          NarrowedNorthing(fixed.Ellipsoid, fixed.Arc, kTm2ScaleFactor, centralMeridian, longitude,
                           trig)};
}

void Tm2ForwardNarrowed97Lanes(Extended centralMeridian, const GeographicPoint* points, std::size_t count,
                               GridPointDouble* out) {
  const Fixed97Constants& fixed = Fixed97();
  const TmEastingConstants grid = Fixed97Grid(centralMeridian);
  LatitudeTrig trig[kMaxLanes];
  for (std::size_t i = 0; i < count; ++i) trig[i] = TrigOf(ForwardLatitude<false>(points[i].Latitude));
  for (std::size_t i = 0; i < count; ++i) {
    out[i] = {AsDouble(EastingSeries<false>(grid, points[i].Longitude, trig[i])),
              NarrowedNorthing(fixed.Ellipsoid, fixed.Arc, kTm2ScaleFactor, centralMeridian,
                               points[i].Longitude, trig[i])};
  }
}

TmGridPoint Tm2Forward97(const TransformSettings& settings, Extended longitude, Extended latitude) {
  return Tm2Forward97(settings.CentralMeridian, longitude, latitude);
}

TmFootpoint Tm2FootpointOf97(Extended easting, Extended northing) {
  const Fixed97Constants& fixed = Fixed97();
  const Extended q = (easting - kTm2FalseEasting) * kTm97InverseScaleFactor * 0.000001L;
  return FootpointQuantities(fixed.Ellipsoid, fixed.Footpoint, northing * kTm97InverseScaleFactor, q,
                             kFixedFootpointMaxSteps);
}

Extended Tm2Latitude97(const TransformSettings& /*settings*/, Extended easting, Extended northing) {
  return LatitudeAtFootpoint(Tm2FootpointOf97(easting, northing));
}

Extended Tm2Longitude97(const TransformSettings& settings, Extended easting, Extended northing) {
  return LongitudeAtFootpoint(Tm2FootpointOf97(easting, northing), settings.CentralMeridian);
}

// ---- Inverse series at the footpoint ------------------------------------------------------

namespace {

// What the latitude and the longitude series share.
struct InverseTerms {
  Extended Sigma;       // the sine of one arc-second
  Extended T2;          // tan^2 of the footpoint latitude
  Extended InverseNu2;  // 1 / nu1^2
  Extended QQ;          // q^2
};

InverseTerms InverseTermsOf(const TmFootpoint& fp) {
  return {InverseArcSecondSine(), fp.Tan * fp.Tan, 1 / (fp.Nu * fp.Nu), fp.Q * fp.Q};
}

Extended LatitudeSeries(const TmFootpoint& fp, const InverseTerms& k) {
  const Extended t2 = k.T2;
  const Extended eta2 = fp.Eta2;
  const Extended base = fp.Tan / (fp.Nu * fp.Rho * k.Sigma);  // t1 / (nu1 rho1 sigma)
  const Extended q2 = base * 1e12L * 0.5L;
  const Extended q4 = base * k.InverseNu2 * 1e24L * (1.0L / 24) *
                      (5 + 3 * t2 + eta2 - 4 * eta2 * eta2 - 9 * t2 * eta2);
  const Extended q6 = base * (k.InverseNu2 * k.InverseNu2) * 1e36L * (1.0L / 720) *
                      (61 + 90 * t2 + 45 * t2 * t2 + 46 * eta2 - 252 * t2 * eta2);
  const Extended qq = k.QQ;
  const Extended series = q2 * qq - q4 * (qq * qq) + q6 * (qq * qq * qq);
  return fp.Latitude / kDegToRad - series * kOneOver3600;
}

Extended LongitudeSeries(const TmFootpoint& fp, const InverseTerms& k, Extended centralMeridian) {
  const Extended t2 = k.T2;
  const Extended eta2 = fp.Eta2;
  const Extended base = 1 / (fp.Nu * fp.Cos * k.Sigma);  // 1 / (nu1 cos phi1 sigma)
  const Extended q1 = base * 1e6L;
  const Extended q3 = base * k.InverseNu2 * 1e18L * (1.0L / 6) * (1 + 2 * t2 + eta2);
  const Extended q5 = base * (k.InverseNu2 * k.InverseNu2) * 1e30L * (1.0L / 120) *
                      (5 + 28 * t2 + 24 * t2 * t2 + 6 * eta2 + 8 * t2 * eta2);
  const Extended qq = k.QQ;
  const Extended series = q1 * fp.Q - q3 * (qq * fp.Q) + q5 * (qq * qq * fp.Q);
  return series * kOneOver3600 + centralMeridian;
}

}  // namespace

Extended LatitudeAtFootpoint(const TmFootpoint& fp) {
  return LatitudeSeries(fp, InverseTermsOf(fp));
}

Extended LongitudeAtFootpoint(const TmFootpoint& fp, Extended centralMeridian) {
  return LongitudeSeries(fp, InverseTermsOf(fp), centralMeridian);
}

GeographicPoint GeographicAtFootpoint(const TmFootpoint& fp, Extended centralMeridian) {
  const InverseTerms terms = InverseTermsOf(fp);
  return {LongitudeSeries(fp, terms, centralMeridian), LatitudeSeries(fp, terms)};
}

namespace {

// The latitude and the longitude of a grid point narrowed to double, from the footpoint of the
// search and the sine and cosine there exactly as in the operations: the longitude's first term
// in extended precision as there, the rest of both series in double (within about 1e-15 of
// their size, which is a thousandth of the longitude's and a small part of the latitude's), and
// checked to round as the operations' results do. A result too close to a rounding boundary,
// about one in a hundred, comes from the operations' own series.
//
// In radians (inRadians), the results are those of the operations times DegToRad, narrowed as
// the geocentric conversion narrows them before taking their sines and cosines.
GeographicPointDouble GeographicNarrowed(const TmEllipsoid& ellipsoid, Extended latitudeDegrees,
                                         Extended q, Extended centralMeridian, bool inRadians) {
  const Extended phi = latitudeDegrees * kDegToRad;
  const double sinPhi = std::sin(AsDouble(phi));
  const double cosPhi = std::cos(AsDouble(phi));
  const Extended w = 1 - ellipsoid.E2 * sinPhi * sinPhi;
  const Extended sigma = InverseArcSecondSine();
  // 1 / (nu cos sigma) as LongitudeSeries has it, nu being a / sqrt w, with one division instead
  // of two: within 2^-61 of its value there.
  const Extended base = std::sqrt(AsDouble(w)) / (ellipsoid.A * cosPhi * sigma);
  const Extended first = base * 1e6L * q;

  const double e2 = AsDouble(ellipsoid.E2);
  const double sigmaD = AsDouble(sigma);
  const double longitudeBase = AsDouble(base);
  const double t = sinPhi / cosPhi;
  const double t2 = t * t;
  // Beyond 70 degrees the powers of the tangent make the terms large and cancelling.
  const bool nearPole = !(t2 < 7.5);
  const double eta2 = AsDouble(ellipsoid.Ep2) * cosPhi * cosPhi;
  const double inverseNu2 = (longitudeBase * cosPhi * sigmaD) * (longitudeBase * cosPhi * sigmaD);
  const double qD = AsDouble(q);
  const double qq = qD * qD;
  // t / (nu rho sigma), rho being nu (1 - e^2) / w.
  const double latitudeBase = t * AsDouble(w) * inverseNu2 / ((1 - e2) * sigmaD);
  const double q2 = latitudeBase * 1e12 * 0.5;
  const double q4 = latitudeBase * inverseNu2 * 1e24 * (1.0 / 24) *
                    (5 + 3 * t2 + eta2 - 4 * eta2 * eta2 - 9 * t2 * eta2);
  const double q6 = latitudeBase * (inverseNu2 * inverseNu2) * 1e36 * (1.0 / 720) *
                    (61 + 90 * t2 + 45 * t2 * t2 + 46 * eta2 - 252 * t2 * eta2);
  const double latitudeTerms[3] = {q2 * qq, q4 * (qq * qq), q6 * (qq * qq * qq)};
  const double latitudeSeries = latitudeTerms[0] - latitudeTerms[1] + latitudeTerms[2];
  const double q3 = longitudeBase * inverseNu2 * 1e18 * (1.0 / 6) * (1 + 2 * t2 + eta2);
  const double q5 = longitudeBase * (inverseNu2 * inverseNu2) * 1e30 * (1.0 / 120) *
                    (5 + 28 * t2 + 24 * t2 * t2 + 6 * eta2 + 8 * t2 * eta2);
  const double longitudeTerms[2] = {q3 * (qq * qD), q5 * (qq * qq * qD)};
  const double rest = -longitudeTerms[0] + longitudeTerms[1];

  // The footpoint latitude in degrees where the operation has phi / DegToRad: the two differ
  // by the roundings of the product and the quotient, 2^-63 of the latitude.
  const Extended degreesLatitude = latitudeDegrees - latitudeSeries * kOneOver3600;
  const Extended degreesLongitude = (first + rest) * kOneOver3600 + centralMeridian;
  // 4e-15 of each term in double, three times what their inputs and arithmetic can lose.
  const double latitudeSize =
      std::fabs(latitudeTerms[0]) + std::fabs(latitudeTerms[1]) + std::fabs(latitudeTerms[2]);
  const double longitudeSize = std::fabs(longitudeTerms[0]) + std::fabs(longitudeTerms[1]);
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
      GeographicAtFootpoint(QuantitiesAt(ellipsoid, latitudeDegrees, q), centralMeridian);
  return {AsDouble(exact.Longitude * scale), AsDouble(exact.Latitude * scale)};
}

}  // namespace

namespace {

// The footpoint latitude (degrees) of a grid point and its q, as the inverse operations find them.
struct FootpointAndQ {
  Extended Latitude;
  Extended Q;
};

FootpointAndQ SettingsFootpoint(const TmSettingsGrid& grid, double easting, double northing) {
  const Extended target = Narrowed(northing / grid.ScaleFactor);
  return {FootpointLatitude(grid.Footpoint, target, kSettingsFootpointMaxSteps),
          (easting - grid.FalseEasting) / grid.ScaleFactor * 0.000001L};
}

FootpointAndQ Fixed97Footpoint(Extended easting, Extended northing) {
  return {FootpointLatitude(Fixed97().Footpoint, northing * kTm97InverseScaleFactor, kFixedFootpointMaxSteps),
          (easting - kTm2FalseEasting) * kTm97InverseScaleFactor * 0.000001L};
}

}  // namespace

GeographicPointDouble TmGeographicNarrowed(const TmSettingsGrid& grid, double easting, double northing,
                                           bool inRadians) {
  const FootpointAndQ fp = SettingsFootpoint(grid, easting, northing);
  return GeographicNarrowed(grid.Ellipsoid, fp.Latitude, fp.Q, grid.CentralMeridian, inRadians);
}

void TmGeographicNarrowedLanes(const TmSettingsGrid& grid, const double* points, std::size_t count,
                               bool inRadians, GeographicPointDouble* out) {
  FootpointAndQ fp[kMaxLanes];
  for (std::size_t i = 0; i < count; ++i) fp[i] = SettingsFootpoint(grid, points[2 * i], points[2 * i + 1]);
  for (std::size_t i = 0; i < count; ++i) {
    out[i] = GeographicNarrowed(grid.Ellipsoid, fp[i].Latitude, fp[i].Q, grid.CentralMeridian, inRadians);
  }
}

GeographicPointDouble Tm2RadiansNarrowed97(Extended centralMeridian, Extended easting, Extended northing) {
  const FootpointAndQ fp = Fixed97Footpoint(easting, northing);
  return GeographicNarrowed(Fixed97().Ellipsoid, fp.Latitude, fp.Q, centralMeridian, true);
}

void Tm2RadiansNarrowed97Lanes(Extended centralMeridian, const double* points, std::size_t count,
                               GeographicPointDouble* out) {
  FootpointAndQ fp[kMaxLanes];
  for (std::size_t i = 0; i < count; ++i) fp[i] = Fixed97Footpoint(points[2 * i], points[2 * i + 1]);
  for (std::size_t i = 0; i < count; ++i) {
    out[i] = GeographicNarrowed(Fixed97().Ellipsoid, fp[i].Latitude, fp[i].Q, centralMeridian, true);
  }
}

}  // namespace morvane
