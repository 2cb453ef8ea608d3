// The two conversions of the Lambert conformal conic grid defined in lambert_grid.hpp.
//
// All quantities are doubles; latitude and longitude in radians, easting and northing in
// metres. Both report through a LambertStatus and write nothing on a non-zero status.
// Forward and inverse agree to better than 1e-9 radians between 1 and 60 degrees north on the
// mainland grid.
#pragma once

#include <cstddef>

#include "engine/lambert_grid.hpp"

namespace morvane {

// Projects a geodetic latitude and longitude (latitude first) to easting and northing.
// LatitudeOutOfRange for a latitude beyond +-pi/2 or the pole on the far side of the cone,
// LongitudeOutOfRange for a longitude below -pi or above 2 pi. The longitude difference from
// the central meridian is brought into -pi..pi before use.
LambertStatus LambertForward(const LambertParameters& grid, double latitude, double longitude,
                             double& easting, double& northing);

// Inverts easting and northing to latitude and longitude (latitude first) by fixed-point
// iteration to 4.85e-10 rad. EastingOutOfRange / NorthingOutOfRange beyond the grid's
// half-ranges around the false origin. A latitude within 2e-7 rad of the equator comes back
// as 0, a longitude within 2e-7 rad of 0 as 0; results are clamped to +-pi/2 and +-pi.
LambertStatus LambertInverse(const LambertParameters& grid, double easting, double northing,
                             double& latitude, double& longitude);

struct LambertInverseArguments {
  double Easting, Northing;
};
struct LambertInverseResults {
  LambertStatus Status;
  double Latitude, Longitude;  // written only on success
};

// LambertInverse of `count` (at most kMaxLanes) points at once, with exactly its results: the
// iterations are independent chains of library calls, which the processor runs side by side.
void LambertInverseLanes(const LambertParameters& grid, const LambertInverseArguments* points,
                         std::size_t count, LambertInverseResults* results);

}  // namespace morvane
