// The meridian arc: the length of the meridian from the equator to a latitude, which the
// Transverse Mercator northing starts from and the footpoint search inverts.
//
// M(phi) = G (phi + c2 sin 2phi + c4 sin 4phi + c6 sin 6phi + c8 sin 8phi), with the third
// flattening n = (a - b) / (a + b):
//   G  = (a + b) / 2 (1 + n^2/4 + n^4/64), the rectifying radius
//   c2 = -3/2 n + 9/16 n^3 - 3/32 n^5
//   c4 = 15/16 n^2 - 15/32 n^4
//   c6 = -35/48 n^3 + 105/256 n^5
//   c8 = 315/512 n^4
// This is Helmert's series of the arc in n (F. R. Helmert, "Die mathematischen und
// physikalischen Theorieen der hoeheren Geodaesie", vol. 1, 1880), written as the rectifying
// radius G times the rectifying latitude mu(phi) = phi + c2 sin 2phi + ...: each c is
// Helmert's coefficient of its sine divided by that of phi, to n^5. The n^5 term in sin 10phi
// (-693/1280 n^5) is left out: on GRS80 the arc lies within 4.6e-8 m of the integral of the
// meridian radius, and the difference is that term. The series is held as G and the
// products G c2 ... G c8.
#pragma once

#include "engine/extended.hpp"

namespace morvane {

// The coefficients G, G c2, G c4, G c6 and G c8 of an ellipsoid's meridian arc, metres.
struct MeridianArc {
  Extended G, Gc2, Gc4, Gc6, Gc8;
};

// The arc of an ellipsoid with semi-axes a and b (metres).
MeridianArc MeridianArcOf(Extended a, Extended b);

// Length of the meridian from the equator to `latitude` (radians), metres.
Extended MeridianArcLength(const MeridianArc& arc, Extended latitude);

// The arc at a latitude in degrees as the footpoint search takes it: the term G phi takes the
// latitude through pi and 1/180, the sine terms through DegToRad.
Extended MeridianArcAtDegrees(const MeridianArc& arc, Extended latitudeDegrees);

// The terms after G phi, from the sines of 2, 4, 6 and 8 phi however they were found.
inline Extended MeridianArcSineTerms(const MeridianArc& arc, Extended s2, Extended s4, Extended s6,
                                     Extended s8) {
  return arc.Gc2 * s2 + arc.Gc4 * s4 + arc.Gc6 * s6 + arc.Gc8 * s8;
}

}  // namespace morvane
