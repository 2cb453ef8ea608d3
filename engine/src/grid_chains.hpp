// G1 and G2: between a Transverse Mercator grid of the settings and geographic coordinates on
// the same ellipsoid (modes 1 to 6, 13 and 14), each in its one-point form (Point, a template over
// the pass, chain_pass.hpp) and its several-point form (Lanes, the fast pass of up to kMaxLanes
// points side by side). Both forms give the same bits.
#pragma once

#include <cstddef>

#include "chain_pass.hpp"
#include "engine/engine_state.hpp"
#include "engine/tm_shortcuts.hpp"
#include "engine/transverse_mercator.hpp"

namespace morvane::chains {

// Grid points as easting, northing pairs.
inline void StoreGridPoints(const GridPointDouble* points, std::size_t count, double* r) {
  for (std::size_t i = 0; i < count; ++i) {
    r[2 * i] = points[i].Easting;
    r[2 * i + 1] = points[i].Northing;
  }
}

// G1: grid to geographic with the settings; latitude stored first. Both come from one
// footpoint search.
struct GridToGeographic {
  template <typename Pass>
  static void Point(Pass& pass, EngineState& state, double x, double y, double& outX, double& outY) {
    if constexpr (Pass::kChecked) {
      const TmFootpoint footpoint = pass.Step(TmFootpointOf(state.Grids.For(state.Settings), x, y));
      pass.Store(outY, pass.Narrowed(LatitudeAtFootpoint(footpoint)));
      pass.Store(outX, pass.Narrowed(LongitudeAtFootpoint(footpoint, state.Settings.CentralMeridian)));
    } else {
      const GeographicPointDouble point = TmGeographicNarrowed(state.Grids.For(state.Settings), x, y);
      pass.Store(outY, point.Latitude);
      pass.Store(outX, point.Longitude);
    }
  }

  // `count` pairs of `p` (at most kMaxLanes) to `r`.
  static bool Lanes(const TmSettingsGrid& grid, const double* p, std::size_t count, double* r) {
    GeographicPointDouble out[kMaxLanes];
    TmGeographicNarrowedLanes(grid, p, count, false, out);
    for (std::size_t i = 0; i < count; ++i) {
      r[2 * i] = out[i].Longitude;
      r[2 * i + 1] = out[i].Latitude;
    }
    return true;
  }
  // The several-point form for a block, within which the settings do not change.
  static auto LanesFor(EngineState& state) {
    const TmSettingsGrid& grid = state.Grids.For(state.Settings);
    return [&grid](const double* p, std::size_t n, double* r) { return Lanes(grid, p, n, r); };
  }
};

// G2: geographic to grid with the settings; northing stored first. The checked pass computes
// the easting only after storing the northing; the fast pass both from one evaluation.
struct GeographicToGrid {
  template <typename Pass>
  static void Point(Pass& pass, EngineState& state, double x, double y, double& outX, double& outY) {
    const TmSettingsGrid& grid = state.Grids.For(state.Settings);
    if constexpr (Pass::kChecked) {
      pass.Store(outY, pass.Narrowed(TmNorthing(grid, x, y)));
      pass.Store(outX, pass.Narrowed(TmEasting(grid, x, y)));
    } else {
      const GridPointDouble point = TmForwardNarrowed(grid, x, y);
      pass.Store(outY, point.Northing);
      pass.Store(outX, point.Easting);
    }
  }

  static bool Lanes(const TmSettingsGrid& grid, const double* p, std::size_t count, double* r) {
    GridPointDouble out[kMaxLanes];
    TmForwardNarrowedLanes(grid, p, count, out);
    StoreGridPoints(out, count, r);
    return true;
  }
  static auto LanesFor(EngineState& state) {
    const TmSettingsGrid& grid = state.Grids.For(state.Settings);
    return [&grid](const double* p, std::size_t n, double* r) { return Lanes(grid, p, n, r); };
  }
};

}  // namespace morvane::chains
