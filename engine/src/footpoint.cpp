#include "engine/footpoint.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "engine/constants.hpp"
#include "engine/processor.hpp"
#include "multiple_angles.hpp"

namespace morvane {
namespace {

double AsDouble(Extended v) { return static_cast<double>(v); }

}  // namespace

// The bisection as stated: the reference that the searches below reproduce.
Extended FootpointLatitudeByBisection(const MeridianArc& arc, Extended target, int maxSteps) {
  Extended lo = kFootpointLowerBound;
  Extended hi = kFootpointUpperBound;
  Extended mid = (lo + hi) * 0.5L;
  for (int step = 0; step < maxSteps; ++step) {
    mid = (lo + hi) * 0.5L;
    const double f = AsDouble(MeridianArcAtDegrees(arc, mid) - target);
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

// The arc at a latitude in degrees, as MeridianArcAtDegrees computes it but with the sines of 2, 4, 6
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
        f = AsDouble(MeridianArcAtDegrees(arc, mid) - target);
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

// The bisection's result found directly (step 1 RootModelOf, steps 2 and 3 SearchNearRoot). The
// midpoints are -90 + 180 t for binary fractions t, one more binary digit at each step. While a
// midpoint lies outside the set of latitudes whose arc is within the tolerance, the search moves
// towards that set, so the bracket keeps holding it; the first midpoint inside is the one with
// the fewest binary digits in the set. The set is taken from a linear model of the arc at an
// accurate guess:
//  1. The series of the footpoint in the rectifying latitude target / G (to n^4, a guess within
//     about 1e-13 radians), with its sines from one sine/cosine pair and those at the guess by
//     the addition formulas, gives the arc there within about 1e-11 m, its slope, and the root.
//  2. The fraction with the fewest digits in the set widened by the band on both sides is
//     found from the binary digits of the ends. Every midpoint with fewer digits lies outside
//     the widened set, where the model decides both the side and the miss for certain.
//  3. If that fraction also lies in the set narrowed by the band, it is the result; otherwise
//     the four-sine arc at it decides, and if it misses, the replay above takes over.
//
// Step 1 for one target: the root and the set's half-widths, or false where the guided search
// does not apply.
struct RootModel {
  Extended Root;  // degrees
  double Outer;   // degrees: the half-width of the widened set
  double Inner;   // degrees: of the narrowed set
};

bool RootModelOf(const FootpointSearch& search, Extended target, RootModel& model) {
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
  model = {root, outer, inner};
  return true;
}

// Steps 2 and 3 from the model.
bool SearchNearRoot(const FootpointSearch& search, Extended target, int maxSteps, const RootModel& model,
                    Extended& result) {
  const Extended root = model.Root;
  const double outer = model.Outer;
  const double inner = model.Inner;
  // The ends of the widened set in units of 2^-62 of the bracket, a few units wider still.
  constexpr Extended kUnitsPerDegree = 0x1p62L / 180;
  const Extended first = (root - outer - kFootpointLowerBound) * kUnitsPerDegree;
  const Extended last = (root + outer - kFootpointLowerBound) * kUnitsPerDegree;
  if (!(first > 16 && last < 0x1p62L - 16)) return false;
  std::uint64_t lo = static_cast<std::uint64_t>(processor::NearestInteger(first)) - 4;
  std::uint64_t hi = static_cast<std::uint64_t>(processor::NearestInteger(last)) + 4;
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
    const double f = AsDouble(MeridianArcAtDegrees(search.Arc, mid) - target);
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
  RootModel model;
  Extended result;
  if (RootModelOf(search, target, model) && SearchNearRoot(search, target, maxSteps, model, result)) {
    return result;
  }
  return FootpointByReplay(search.Arc, target, maxSteps);
}

void FootpointLatitudes(const FootpointSearch& search, Extended* targets, std::size_t count, int maxSteps) {
  // Stage by stage: all the roots, then all the searches near them.
  RootModel models[kMaxLanes];
  bool modelled[kMaxLanes];
  for (std::size_t i = 0; i < count; ++i) modelled[i] = RootModelOf(search, targets[i], models[i]);
  for (std::size_t i = 0; i < count; ++i) {
    Extended result;
    if (modelled[i] && SearchNearRoot(search, targets[i], maxSteps, models[i], result)) {
      targets[i] = result;
    } else {
      targets[i] = FootpointByReplay(search.Arc, targets[i], maxSteps);
    }
  }
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

}  // namespace morvane
