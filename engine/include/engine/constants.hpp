// Every fixed number of the coordinate engine, with what it is and how it is held.
//
// Values written as plain double literals are the double nearest to the decimal, held in
// extended precision where an Extended is declared; values written as an extended quotient
// (1.0L / x) are taken in extended precision. The difference matters in the last bits, which
// the engine's reference results depend on.
#pragma once

#include "engine/extended.hpp"

namespace morvane {

// ---- Angles ----------------------------------------------------------------------------

// Degrees times this are radians; radians divided by it are degrees. The double nearest pi/180.
inline constexpr Extended kDegToRad = 0.017453292519943295;

// The doubles nearest pi/4, pi/2, pi and 2 pi.
inline constexpr double kQuarterPi = 0.7853981633974483;
inline constexpr double kHalfPi = 1.5707963267948966;
inline constexpr double kPi = 3.141592653589793;
inline constexpr double kTwoPi = 6.283185307179586;

// 1/180 and 1/pi (of the double pi) in extended precision, for the degree/radian conversions
// of the Lambert modes and of the footpoint arc.
inline constexpr Extended kOneOver180 = 1.0L / 180.0L;
inline constexpr Extended kOneOverPi = 1.0L / static_cast<Extended>(kPi);

// One arc-second in degrees: the double nearest 1/3600 (forward series) and 1/3600 and 1/60
// in extended precision (inverse series).
inline constexpr double kArcSecondDouble = 1.0 / 3600.0;
inline constexpr Extended kOneOver3600 = 1.0L / 3600.0L;
inline constexpr Extended kOneOver60 = 1.0L / 60.0L;

// ---- Values that ApplyTransformSettings writes into TransformSettings ------------------

// TWD67's ellipsoid is the Geodetic Reference System 1967 (IUGG, Lucerne 1967: a = 6378160 m,
// 1/f = 298.247167427); the grids here take 1/f to six decimals.
inline constexpr Extended kTwd67SemiMajorAxis = 6378160.0;      // metres
inline constexpr Extended kTwd67InverseFlattening = 298.247167;  // of the TM grids on TWD67
// 1/f = 297 is the International (Hayford 1924) ellipsoid's, paired here with GRS 1967's axis
// for the UTM grid, as the engine's reference results require.
inline constexpr Extended kUtmInverseFlattening = 297.0;
// The TWD97 two-degree grid through the settings: kGrs80SemiMajorAxis with GRS 1980's 1/f to
// nine decimals (Moritz, "Geodetic Reference System 1980", Bull. Géod. 54, 1980: 298.257222101).
inline constexpr Extended kGrs80SettingsInverseFlattening = 298.257222101;
// The grids: Taiwan's two-degree TM grids of TWD67 and TWD97 (k0 0.9999, false easting 250 km,
// central meridian 121°E on Taiwan and 119°E on Penghu, Kinmen and Matsu), the three-degree
// grid (k0 1, 350 km), and UTM (k0 0.9996, 500 km; DMA TM 8358.2).
inline constexpr Extended kTm2FalseEasting = 250000.0;           // two-degree grids, metres
inline constexpr Extended kTm3FalseEasting = 350000.0;           // three-degree grid, metres
inline constexpr Extended kUtmFalseEasting = 500000.0;           // UTM, metres
inline constexpr Extended kTm2ScaleFactor = 0.9999;
inline constexpr Extended kTm3ScaleFactor = 1.0;
inline constexpr Extended kUtmScaleFactor = 0.9996;
// Central meridians, degrees east: Taiwan's two-degree and three-degree grids, UTM zone 51,
// and the island grids of Penghu, Kinmen and Matsu (two-degree, three-degree, UTM zone 50).
inline constexpr Extended kTaiwanCentralMeridian = 121.0;
inline constexpr Extended kUtm51CentralMeridian = 123.0;
inline constexpr Extended kIslandsTm2CentralMeridian = 119.0;
inline constexpr Extended kIslandsTm3CentralMeridian = 118.0;
inline constexpr Extended kIslandsUtmCentralMeridian = 117.0;

// ---- The fixed TWD97 two-degree grid (GRS80) -------------------------------------------

// Its ellipsoid is kGrs80SemiMajorAxis and kGrs80Flattening (below), its scale factor and
// false easting kTm2ScaleFactor and kTm2FalseEasting. Its inverse multiplies by the extended
// reciprocal of the scale factor, 1.000100010001000089, where the settings family divides.
inline constexpr Extended kTm97InverseScaleFactor = 1.0L / static_cast<Extended>(0.9999);

// ---- Footpoint search of the inverse Transverse Mercator --------------------------------

// The bracket holds every latitude, so that every footpoint meets the tolerance (a narrower
// bracket returns its edge, without a word, for a northing beyond it).
inline constexpr Extended kFootpointLowerBound = -90.0;  // degrees
inline constexpr Extended kFootpointUpperBound = 90.0;   // degrees
inline constexpr double kFootpointTolerance = 1e-7;      // metres of meridian arc
inline constexpr int kSettingsFootpointMaxSteps = 1000;
inline constexpr int kFixedFootpointMaxSteps = 10001;

// ---- Datum shift ------------------------------------------------------------------------

// The TWD67 ellipsoid has kTwd67SemiMajorAxis and this stored e², GRS 1967's
// 0.006694541854587 to eleven decimals, which is not the one that kTwd67InverseFlattening
// gives (about 0.0066946053): the TM grids use the settings, the geocentric conversions this
// value.
inline constexpr Extended kTwd67EccentricitySquared = 0.00669454185;
// GRS80 of TWD97 (Moritz 1980, above): the flattening is the extended reciprocal of the double
// 298.2572221008827 (1/f of GRS 1980 to the double's precision), 0.0033528106811836375442.
// WGS84: NIMA TR8350.2 (a = 6378137 m, 1/f = 298.257223563).
inline constexpr Extended kGrs80SemiMajorAxis = 6378137.0;           // metres
inline constexpr Extended kGrs80Flattening = 1.0L / 298.2572221008827;
inline constexpr Extended kWgs84SemiMajorAxis = 6378137.0;           // metres
inline constexpr double kWgs84InverseFlattening = 298.257223563;
inline constexpr Extended kWgs84Flattening = 1.0L / kWgs84InverseFlattening;

// Added to TWD67 geocentric coordinates on the way to TWD97 and WGS84, taken off on the way
// back. Metres. These are the engine's long-standing values (a three-parameter TWD67 to WGS84
// shift; no published document of them is recorded). With the seven-parameter step below they
// land metres from published TWD97 coordinates of common points (docs/common-points.md); the
// fitted datum steps do better.
struct Translation {
  double X;
  double Y;
  double Z;
};
inline constexpr Translation kDatum67Translation{-752.0, -358.0, -179.0};

// The seven-parameter step between TWD67 (after the translation) and TWD97, with the engine's
// long-standing values (no published source recorded). Rotations are in radians, small-angle
// form, in the COORDINATE FRAME convention (EPSG method 1032): the forward step is
//   X' = S (X + Rz Y - Ry Z) + Tx,  Y' = S (-Rz X + Y + Rx Z) + Ty,  Z' = S (Ry X - Rx Y + Z) + Tz
// (datum_shift.cpp); the position vector convention (EPSG 1033) has the opposite signs of Rx,
// Ry and Rz. The rotations here are below 1e-14 radians, under 1e-7 m at the Earth's radius,
// so either sign gives the same results; the shifts are under 2 cm and the scale 1 - 1e-8.
struct HelmertParameters {
  double Tx, Ty, Tz;  // metres
  double Rx, Ry, Rz;  // radians
  double Scale;
};
inline constexpr HelmertParameters kHelmert97Parameters{
    -0.00670000859, -0.00609993803, 0.0184999911, 5.21004347e-15, 4.19395349e-17, 2.71031205e-15,
    0.99999999};

// ---- Lambert grid ------------------------------------------------------------------------

// SetLambertParameters refuses standard parallels and origin latitudes beyond 89°59'59".
inline constexpr double kLambertLatitudeLimit = 1.5707914786580854;  // radians
inline constexpr double kLambertMinInverseFlattening = 250.0;
inline constexpr double kLambertMaxInverseFlattening = 350.0;

// The mainland grid that a run in region 3 (the mainland) sets up: each angle the double nearest
// its degrees times pi/180 (10, 110, 25 and 47 degrees). No false offsets.
inline constexpr double kMainlandOriginLatitude = 0.17453292519943295;
inline constexpr double kMainlandCentralMeridian = 1.9198621771937625;
inline constexpr double kMainlandFirstParallel = 0.4363323129985824;
inline constexpr double kMainlandSecondParallel = 0.8203047484373349;

}  // namespace morvane
