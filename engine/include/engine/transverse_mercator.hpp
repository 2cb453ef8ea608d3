// Transverse Mercator between geographic coordinates (decimal degrees) and grid coordinates
// (metres), in two families of four operations.
//
//  - The settings family (TmEasting, TmNorthing, TmLatitude, TmLongitude) reads the ellipsoid,
//    false easting, scale factor and central meridian from TransformSettings at every call.
//    It serves the TWD67 two-degree grid, the three-degree grid, UTM and the TWD97 grid.
//  - The fixed TWD97 family (Tm2Easting97 ...) uses GRS80, scale factor 0.9999 and false
//    easting 250000 m, and reads only CentralMeridian from the settings.
//
// Method: forward, a power series in the longitude difference counted in arc-seconds (to the
// fifth power for the easting, the sixth for the northing); inverse, a power series in the
// scaled easting at the footpoint latitude, which a bisection on the meridian arc finds to
// 1e-7 m of arc. There is no false northing. Nothing is range-checked: far from the central
// meridian the series lose accuracy with the distance. Against an exact Transverse Mercator
// the forward results agree to 1 micrometre within 1.3 degrees of the central meridian and to
// 0.1 mm at 3.5 degrees; inverse and forward agree to 1e-9 degrees over the two-degree grids.
//
// Precision: extended arithmetic; sin, cos, tan and sqrt are called on doubles. The settings
// family takes doubles and narrows some intermediate values to double, TmEasting and
// TmNorthing their results too; the fixed family narrows only the function arguments.
#pragma once

#include "engine/extended.hpp"
#include "engine/settings.hpp"

namespace morvane {

// ---- Settings family: ellipsoid and grid from `settings` --------------------------------

// Easting (m) of a longitude and latitude (degrees). Reads all five fields.
Extended TmEasting(const TransformSettings& settings, double longitude, double latitude);
// Northing (m) from the equator. Reads all fields but FalseEasting.
Extended TmNorthing(const TransformSettings& settings, double longitude, double latitude);
// Latitude (degrees) of a grid point (m). Reads all fields but CentralMeridian.
Extended TmLatitude(const TransformSettings& settings, double easting, double northing);
// Longitude (degrees) of a grid point (m). Reads all five fields.
Extended TmLongitude(const TransformSettings& settings, double easting, double northing);

// ---- Fixed TWD97 two-degree family -------------------------------------------------------

Extended Tm2Easting97(const TransformSettings& settings, Extended longitude, Extended latitude);
Extended Tm2Northing97(const TransformSettings& settings, Extended longitude, Extended latitude);
// Reads no field of `settings`.
Extended Tm2Latitude97(const TransformSettings& settings, Extended easting, Extended northing);
Extended Tm2Longitude97(const TransformSettings& settings, Extended easting, Extended northing);

// ---- The meridian arc --------------------------------------------------------------------

// Coefficients of the meridian arc M(phi) = G phi + G c2 sin 2phi + G c4 sin 4phi
// + G c6 sin 6phi + G c8 sin 8phi of an ellipsoid with semi-axes a and b (metres).
struct MeridianArc {
  Extended G, Gc2, Gc4, Gc6, Gc8;
};
MeridianArc MeridianArcOf(Extended a, Extended b);

// Length of the meridian from the equator to `latitude` (radians), metres.
Extended MeridianArcLength(const MeridianArc& arc, Extended latitude);

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

// What the footpoint search (below) derives from an arc, once per grid.
struct FootpointSearch {
  MeridianArc Arc;
  Extended GPerDegree;        // G pi/180 as the arc at a midpoint takes it, m/degree
  Extended DegreesPerMetre;   // its reciprocal, for the rectifying latitude
  FootpointModelTerms Terms;
  double Band;                // m: where the model and the four-sine arc may differ
  bool Guided;                // false for an arc far from any earth ellipsoid's
};
FootpointSearch FootpointSearchOf(const MeridianArc& arc);

// ---- The constants of a grid, derived once ------------------------------------------------

// An ellipsoid from its semi-axes (metres), with its eccentricities.
struct TmEllipsoid {
  Extended A;    // semi-major axis, m
  Extended B;    // semi-minor axis, m
  Extended E2;   // first eccentricity squared
  Extended Ep2;  // second eccentricity squared
};

// What the easting series reads besides the point. In TmEasting several of these are narrowed
// to double; NuAxis, the a of the prime-vertical radius, stays extended.
struct TmEastingConstants {
  Extended NuAxis;
  Extended E2;
  Extended Ep2;
  Extended ScaleFactor;
  Extended FalseEasting;
  Extended CentralMeridian;
};

// Everything the settings family derives from TransformSettings, as each operation derives it
// at its call. A caller that converts many points with the same settings derives this once;
// the operations below that take it give results equal to the single operations bit for bit.
struct TmSettingsGrid {
  TmEllipsoid Ellipsoid;       // from SemiMajorAxis and InverseFlattening
  MeridianArc Arc;             // of that ellipsoid
  FootpointSearch Footpoint;   // of that arc
  TmEastingConstants Easting;  // TmEasting's, partly narrowed
  Extended ScaleFactor;
  Extended FalseEasting;
  Extended CentralMeridian;
};
TmSettingsGrid TmSettingsGridOf(const TransformSettings& settings);
Extended TmEasting(const TmSettingsGrid& grid, double longitude, double latitude);
Extended TmNorthing(const TmSettingsGrid& grid, double longitude, double latitude);

// ---- Both forward results at once -------------------------------------------------------

// The easting and the northing of one point from one sine, cosine and tangent of its
// latitude: equal to TmEasting / TmNorthing (Tm2Easting97 / Tm2Northing97) bit for bit.
struct TmGridPoint {
  Extended Easting;   // m
  Extended Northing;  // m
};
TmGridPoint TmForward(const TransformSettings& settings, double longitude, double latitude);
TmGridPoint TmForward(const TmSettingsGrid& grid, double longitude, double latitude);
TmGridPoint Tm2Forward97(const TransformSettings& settings, Extended longitude, Extended latitude);
TmGridPoint Tm2Forward97(Extended centralMeridian, Extended longitude, Extended latitude);

// The same two results narrowed to double, as a conversion stores them, with fewer sines:
// equal to narrowing TmForward's (Tm2Forward97's) results bit for bit.
struct GridPointDouble {
  double Easting;   // m
  double Northing;  // m
};
GridPointDouble TmForwardNarrowed(const TmSettingsGrid& grid, double longitude, double latitude);
GridPointDouble Tm2ForwardNarrowed97(Extended centralMeridian, Extended longitude, Extended latitude);

// ---- One footpoint for both inverse results ---------------------------------------------

// What the latitude and the longitude of one grid point are computed from: the footpoint
// latitude and the ellipsoid quantities there. TmLatitude(s, e, n) equals
// LatitudeAtFootpoint(TmFootpointOf(s, e, n)) bit for bit, and likewise for the longitude and
// the fixed family, so a caller that needs both runs the costly search once.
struct TmFootpoint {
  Extended Latitude;   // footpoint latitude, radians
  Extended Nu;         // prime-vertical radius of curvature, m
  Extended Rho;        // meridian radius of curvature, m
  Extended Eta2;       // e'^2 cos^2
  Extended Tan;        // tan of the footpoint latitude
  Extended Cos;        // cos of the footpoint latitude
  Extended Q;          // distance from the central meridian on the ellipsoid, 10^6 m
};

TmFootpoint TmFootpointOf(const TransformSettings& settings, double easting, double northing);
TmFootpoint TmFootpointOf(const TmSettingsGrid& grid, double easting, double northing);
TmFootpoint Tm2FootpointOf97(Extended easting, Extended northing);
Extended LatitudeAtFootpoint(const TmFootpoint& footpoint);                               // degrees
Extended LongitudeAtFootpoint(const TmFootpoint& footpoint, Extended centralMeridian);   // degrees

// Both at once, from the terms they share: equal to the two above bit for bit.
struct GeographicPoint {
  Extended Longitude;  // degrees
  Extended Latitude;   // degrees
};
GeographicPoint GeographicAtFootpoint(const TmFootpoint& footpoint, Extended centralMeridian);

// The latitude and the longitude of a grid point narrowed to double, as a conversion stores
// them, with fewer sines and divisions: equal to narrowing TmLatitude's and TmLongitude's
// results bit for bit.
struct GeographicPointDouble {
  double Longitude;  // degrees
  double Latitude;   // degrees
};
// inRadians: the two times DegToRad instead, narrowed, as the geocentric conversions take them.
GeographicPointDouble TmGeographicNarrowed(const TmSettingsGrid& grid, double easting, double northing,
                                           bool inRadians = false);
GeographicPointDouble Tm2RadiansNarrowed97(Extended centralMeridian, Extended easting, Extended northing);

// TmGeographicNarrowed and Tm2RadiansNarrowed97 of `count` (at most kMaxLanes) grid points at
// once, given as easting, northing pairs, with exactly their results: all the footpoints first,
// then all the series, so that the processor overlaps the points' chains.
void TmGeographicNarrowedLanes(const TmSettingsGrid& grid, const double* points, std::size_t count,
                               bool inRadians, GeographicPointDouble* out);
void Tm2RadiansNarrowed97Lanes(Extended centralMeridian, const double* points, std::size_t count,
                               GeographicPointDouble* out);

// Tm2ForwardNarrowed97 of `count` (at most kMaxLanes) points at once, with exactly its results.
void Tm2ForwardNarrowed97Lanes(Extended centralMeridian, const GeographicPoint* points, std::size_t count,
                               GridPointDouble* out);

// ---- The inversion of the meridian arc -----------------------------------------------------

// The footpoint: the latitude (degrees) whose arc is `target` metres, by bisection of
// -90..90 degrees until the arc at the midpoint is within 1e-7 m of the target, evaluating
// at most `maxSteps` midpoints; the result is the last midpoint. A NaN target raises the
// invalid-operation flag and returns NaN.
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

}  // namespace morvane
