// Geographic coordinates between the datums TWD67, TWD97 and WGS84, through geocentric
// Cartesian coordinates: geodetic to geocentric on the source ellipsoid, a shift in
// geocentric space, and back to longitude and latitude on the target ellipsoid. TWD67 is the
// hub; there is no direct shift between TWD97 and WGS84.
//
// Ellipsoids: TWD67 (a = 6378160 m, stored e² = 0.00669454185), GRS80 for TWD97
// (1/f = 298.2572221008827) and WGS84 (1/f = 298.257223563), both a = 6378137 m.
//
// Units: longitude and latitude in decimal degrees, heights and X, Y, Z in metres. Extended
// arithmetic throughout; sin, cos, sqrt and atan are called on doubles. A round trip
// TWD67 -> TWD97 -> TWD67 misses by a few millimetres (under 1e-7 degrees) because the height
// that the shift produces is dropped at each end.
//
// Nothing is range-checked. X = 0 in LongitudeFromGeocentric, and X = Y = 0 in the latitude
// operations, divide by zero (the division-by-zero flag is raised); neither happens near
// the region.
#pragma once

#include <cstddef>

#include "engine/extended.hpp"

namespace morvane {

struct GeocentricPoint {
  Extended X;
  Extended Y;
  Extended Z;
};

Extended GeocentricX67(Extended longitude, Extended latitude, Extended height);
Extended GeocentricY67(Extended longitude, Extended latitude, Extended height);
Extended GeocentricZ67(Extended latitude, Extended height);
Extended GeocentricX97(Extended longitude, Extended latitude, Extended height);
Extended GeocentricY97(Extended longitude, Extended latitude, Extended height);
Extended GeocentricZ97(Extended latitude, Extended height);
Extended GeocentricX84(Extended longitude, Extended latitude, Extended height);
Extended GeocentricY84(Extended longitude, Extended latitude, Extended height);
Extended GeocentricZ84(Extended latitude, Extended height);

// X, Y and Z at once, from one radius of curvature and one sine and cosine of each angle:
// equal to the three component operations bit for bit.
GeocentricPoint Geocentric67(Extended longitude, Extended latitude, Extended height);
GeocentricPoint Geocentric97(Extended longitude, Extended latitude, Extended height);
GeocentricPoint Geocentric84(Extended longitude, Extended latitude, Extended height);

// The same at height 0 from the latitude and the longitude in radians as the conversions above
// narrow them (degrees times DegToRad, narrowed to double).
GeocentricPoint Geocentric67At(double latitude, double longitude);
GeocentricPoint Geocentric97At(double latitude, double longitude);

// Longitude (degrees, -180..180) of a geocentric point; the same for every ellipsoid.
Extended LongitudeFromGeocentric(Extended x, Extended y);

// Geodetic latitude (degrees) by fixed-point iteration until two iterates differ by less than
// 0.001 radian; returns the newest iterate. After a datum shift one iteration is enough to
// leave an error of about 1e-8 rad times e².
Extended LatitudeFromGeocentric67(Extended x, Extended y, Extended z);
Extended LatitudeFromGeocentric97(Extended x, Extended y, Extended z);
Extended LatitudeFromGeocentric84(Extended x, Extended y, Extended z);

// The same operations for `count` points (at most kMaxLanes) side by side, stage by stage, so
// that the processor overlaps their chains; equal to the one-point forms bit for bit.
void LongitudesFromGeocentric(const GeocentricPoint* points, std::size_t count, Extended* longitudes);
void LatitudesFromGeocentric67(const GeocentricPoint* points, std::size_t count, Extended* latitudes);
void LatitudesFromGeocentric97(const GeocentricPoint* points, std::size_t count, Extended* latitudes);
void LatitudesFromGeocentric84(const GeocentricPoint* points, std::size_t count, Extended* latitudes);

// TWD67 -> TWD97: the translation, then the seven-parameter step (small-angle rotation).
GeocentricPoint DatumShift67To97(const GeocentricPoint& p);
// TWD97 -> TWD67: the seven-parameter step undone with the transposed rotation, then the
// translation taken off. Undoes DatumShift67To97 to rounding.
GeocentricPoint DatumShift97To67(const GeocentricPoint& p);
// TWD67 <-> WGS84: the translation alone.
GeocentricPoint DatumShift67To84(const GeocentricPoint& p);
GeocentricPoint DatumShift84To67(const GeocentricPoint& p);

}  // namespace morvane
