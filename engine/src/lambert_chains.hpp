// L1 and L2: between the Lambert grid and geographic coordinates of the grid's own ellipsoid, no
// datum shift (modes 7 and 8). L1 in its one-point form (Point, a template over the pass,
// chain_pass.hpp) and its several-point form (Lanes); L2 keeps the processor busy alone and
// runs its one-point fast pass point after point. A point outside the grid gives up
// (pass.OutsideLambertGrid) with nothing stored.
#pragma once

#include <cstddef>

#include "chain_pass.hpp"
#include "engine/constants.hpp"
#include "engine/engine_state.hpp"
#include "engine/lambert_conic.hpp"

namespace morvane::chains {

// L1: Lambert grid to geographic; both outputs stored once both are computed.
struct LambertToGeographic {
  template <typename Pass>
  static void Point(Pass& pass, EngineState& state, double x, double y, double& outX, double& outY) {
    double latitude = 0;
    double longitude = 0;
    if (pass.Step(LambertInverse(state.Lambert, x, y, latitude, longitude)) != lambert_status::Success) {
      pass.OutsideLambertGrid(x, y);
      return;
    }
    const double lon = pass.Narrowed(static_cast<Extended>(longitude) * 180 * kOneOverPi);
    const double lat = pass.Narrowed(static_cast<Extended>(latitude) * 180 * kOneOverPi);
    pass.Store(outX, lon);
    pass.Store(outY, lat);
  }

  // `count` pairs of `p` (at most kMaxLanes) to `r`; false for a point outside the grid.
  static bool Lanes(const LambertParameters& grid, const double* p, std::size_t count, double* r) {
    LambertInverseArguments points[kMaxLanes];
    for (std::size_t i = 0; i < count; ++i) points[i] = {p[2 * i], p[2 * i + 1]};
    LambertInverseResults results[kMaxLanes];
    LambertInverseLanes(grid, points, count, results);
    for (std::size_t i = 0; i < count; ++i) {
      if (results[i].Status != lambert_status::Success) return false;
      r[2 * i] = static_cast<double>(static_cast<Extended>(results[i].Longitude) * 180 * kOneOverPi);
      r[2 * i + 1] = static_cast<double>(static_cast<Extended>(results[i].Latitude) * 180 * kOneOverPi);
    }
    return true;
  }
  // The several-point form for a block.
  static auto LanesFor(EngineState& state) {
    return [&state](const double* p, std::size_t n, double* r) { return Lanes(state.Lambert, p, n, r); };
  }
};

// L2: geographic to the Lambert grid; both outputs stored once both are computed.
struct GeographicToLambert {
  template <typename Pass>
  static void Point(Pass& pass, EngineState& state, double x, double y, double& outX, double& outY) {
    const double latitude = pass.Narrowed(static_cast<Extended>(y) * kPi * kOneOver180);
    const double longitude = pass.Narrowed(static_cast<Extended>(x) * kPi * kOneOver180);
    double easting = 0;
    double northing = 0;
    if (pass.Step(LambertForward(state.Lambert, latitude, longitude, easting, northing)) !=
        lambert_status::Success) {
      pass.OutsideLambertGrid(x, y);
      return;
    }
    pass.Store(outX, easting);
    pass.Store(outY, northing);
  }

  static auto LanesFor(EngineState& state) { return FastPassPointByPoint<GeographicToLambert>(state); }
};

}  // namespace morvane::chains
