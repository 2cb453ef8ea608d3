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
// The series, with their published source, are in engine/src/tm_series.hpp; the meridian arc
// and the footpoint search have headers of their own, and tm_shortcuts.hpp has the cheaper
// forms that conversions take, each equal to one of these operations bit for bit.
//
// Precision: extended arithmetic; sin, cos, tan and sqrt are called on doubles. The settings
// family takes doubles and narrows some intermediate values to double, TmEasting and
// TmNorthing their results too; the fixed family narrows only the function arguments.
#pragma once

#include "engine/extended.hpp"
#include "engine/footpoint.hpp"
#include "engine/meridian_arc.hpp"
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

}  // namespace morvane
