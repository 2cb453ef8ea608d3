// The shortcuts of the Transverse Mercator operations that conversions take: the results
// narrowed to double as a conversion stores them, with fewer sines and divisions, one point or
// several side by side. Each computes part of its result in double or from fewer library calls
// and keeps it only where it rounds to the same double as the plain operation (NarrowsAlike);
// otherwise it runs the plain operation. Each names the operation it must equal bit for bit.
#pragma once

#include <cstddef>

#include "engine/extended.hpp"
#include "engine/transverse_mercator.hpp"

namespace morvane {

// ---- Forward ----------------------------------------------------------------------------

// The same two results narrowed to double, as a conversion stores them, with fewer sines:
// equal to narrowing TmForward's (Tm2Forward97's) results bit for bit.
struct GridPointDouble {
  double Easting;   // m
  double Northing;  // m
};
GridPointDouble TmForwardNarrowed(const TmSettingsGrid& grid, double longitude, double latitude);
GridPointDouble Tm2ForwardNarrowed97(Extended centralMeridian, Extended longitude, Extended latitude);

// TmForwardNarrowed of `count` (at most kMaxLanes) points at once, given as longitude, latitude
// pairs, with exactly its results: stage by stage, the sines of all the points, then all the
// eastings, then all the northings, so that the processor overlaps the points' chains.
void TmForwardNarrowedLanes(const TmSettingsGrid& grid, const double* points, std::size_t count,
                            GridPointDouble* out);

// Tm2ForwardNarrowed97 of `count` (at most kMaxLanes) points at once, with exactly its results.
void Tm2ForwardNarrowed97Lanes(Extended centralMeridian, const GeographicPoint* points, std::size_t count,
                               GridPointDouble* out);

// ---- Inverse ----------------------------------------------------------------------------

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

}  // namespace morvane
