// The footpoint latitude of the inverse Transverse Mercator: the latitude whose meridian arc
// is a given length, found as a bisection of -90..90 degrees finds it.
#pragma once

#include <cstddef>

#include "engine/meridian_arc.hpp"

namespace morvane {

// The double-precision terms of the footpoint search's model of the arc.
inline constexpr int kFootpointHarmonics = 6;
struct FootpointModelTerms {
  double Harmonics[kFootpointHarmonics];  // the footpoint minus the rectifying latitude: sin 2i mu
  double GPerDegree;                      // m per degree
  double TargetLimit;                     // m: the arc of 89 degrees, beyond which it searches
  double DegreesPerMetre;
  double DegreesPerRadian;
  double Slope2, Slope4;                  // the slope's terms in cos 2 phi and cos 4 phi
};

// What the footpoint search derives from an arc, once per grid.
struct FootpointSearch {
  MeridianArc Arc;
  Extended GPerDegree;        // G pi/180 as the arc at a midpoint takes it, m/degree
  Extended DegreesPerMetre;   // its reciprocal, for the rectifying latitude
  FootpointModelTerms Terms;
  double Band;                // m: where the model and the four-sine arc may differ
  bool Guided;                // false for an arc far from any earth ellipsoid's
};
FootpointSearch FootpointSearchOf(const MeridianArc& arc);

// The footpoint: the latitude (degrees) whose arc is `target` metres, by bisection of
// -90..90 degrees until the arc at the midpoint (MeridianArcAtDegrees) is within 1e-7 m of the
// target, evaluating at most `maxSteps` midpoints; the result is the last midpoint. A NaN
// target raises the invalid-operation flag and returns NaN.
//
// FootpointLatitudeByBisection is that search as stated, some 45 arc evaluations of four
// sines each. FootpointLatitude returns the very same midpoint, bit for bit, as the binary
// fraction with the fewest digits within the tolerance of a model of the arc, with a four-sine
// arc in about one search in fifty and a replay of the bisection's steps where neither
// decides: it is the one the inverse operations use. The overload with the arc derives the
// search's constants once per arc and thread.
Extended FootpointLatitude(const MeridianArc& arc, Extended target, int maxSteps);
Extended FootpointLatitude(const FootpointSearch& search, Extended target, int maxSteps);
Extended FootpointLatitudeByBisection(const MeridianArc& arc, Extended target, int maxSteps);

// FootpointLatitude(search, ...) of `count` (at most kMaxLanes) targets at once, in place: each
// target becomes its footpoint, exactly as FootpointLatitude gives it, stage by stage for all
// the targets so that the processor overlaps their chains.
void FootpointLatitudes(const FootpointSearch& search, Extended* targets, std::size_t count, int maxSteps);

}  // namespace morvane
