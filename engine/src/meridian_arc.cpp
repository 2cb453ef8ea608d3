#include "engine/meridian_arc.hpp"

#include <cmath>

#include "engine/constants.hpp"

namespace morvane {
namespace {

// The four sine terms at `latitude` (radians), each sine from the library.
Extended SineTermsAt(const MeridianArc& arc, Extended latitude) {
  const auto sine = [latitude](int k) -> Extended { return std::sin(static_cast<double>(k * latitude)); };
  return MeridianArcSineTerms(arc, sine(2), sine(4), sine(6), sine(8));
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
  return arc.G * latitude + SineTermsAt(arc, latitude);
}

Extended MeridianArcAtDegrees(const MeridianArc& arc, Extended latitudeDegrees) {
  return arc.G * (latitudeDegrees * kPi * kOneOver180) + SineTermsAt(arc, latitudeDegrees * kDegToRad);
}

}  // namespace morvane
