// T1 and T2: between the TWD67 TM2 grid of the settings and the fixed TWD97 TM2 grid (modes 11
// and 12), each the inverse of one grid, the datum step of datum_chains.hpp and the forward of
// the other, in the one-point form (Point, a template over the pass, chain_pass.hpp) and the
// several-point form (Lanes). Easting stored first.
#pragma once

#include <cstddef>
#include <cstring>

#include "chain_pass.hpp"
#include "datum_chains.hpp"
#include "engine/constants.hpp"
#include "engine/engine_state.hpp"
#include "engine/tm_shortcuts.hpp"
#include "engine/transverse_mercator.hpp"
#include "grid_chains.hpp"

namespace morvane::chains {

// The longitude, then the latitude, of a grid point: the checked pass checks each, the fast
// pass computes both from their shared terms.
template <typename Pass>
GeographicPoint GeographicAt(Pass& pass, const TmFootpoint& footpoint, Extended centralMeridian) {
  if constexpr (Pass::kChecked) {
    const Extended lon = pass.Step(LongitudeAtFootpoint(footpoint, centralMeridian));
    const Extended lat = pass.Step(LatitudeAtFootpoint(footpoint));
    return {lon, lat};
  } else {
    return GeographicAtFootpoint(footpoint, centralMeridian);
  }
}

// T1: TWD67 TM2 (settings) to TWD97 TM2 (fixed family).
struct Twd67GridToTwd97Grid {
  template <typename Pass>
  static void Point(Pass& pass, EngineState& state, double x, double y, double& outX, double& outY) {
    const TransformSettings& settings = state.Settings;
    GeographicPoint g97;
    if constexpr (Pass::kChecked) {
      const TmFootpoint footpoint = pass.Step(TmFootpointOf(state.Grids.For(settings), x, y));
      const GeographicPoint geographic = GeographicAt(pass, footpoint, settings.CentralMeridian);
      g97 = ShiftDatum<k67To97>(pass, geographic.Longitude, geographic.Latitude);
    } else {
      const GeographicPointDouble radians = TmGeographicNarrowed(state.Grids.For(settings), x, y, true);
      g97 = ShiftFromGeocentric(k67To97, Geocentric67At(radians.Latitude, radians.Longitude));
    }
    // Both from one evaluation: the datum step leaves a longitude within 180 and a latitude
    // within 90 degrees, where neither series can fail, so the easting stored first is never
    // followed by a failing northing.
    if constexpr (Pass::kChecked) {
      const TmGridPoint grid = pass.Step(Tm2Forward97(settings.CentralMeridian, g97.Longitude, g97.Latitude));
      pass.Store(outX, pass.Narrowed(grid.Easting));
      pass.Store(outY, pass.Narrowed(grid.Northing));
    } else {
      const GridPointDouble grid = Tm2ForwardNarrowed97(settings.CentralMeridian, g97.Longitude, g97.Latitude);
      pass.Store(outX, grid.Easting);
      pass.Store(outY, grid.Northing);
    }
  }

  // `count` pairs of `p` (at most kMaxLanes) to `r`.
  static bool Lanes(const TmSettingsGrid& grid, Extended centralMeridian, const double* p, std::size_t count,
                    double* r) {
    GeographicPointDouble radians[kMaxLanes];
    TmGeographicNarrowedLanes(grid, p, count, true, radians);
    GeocentricPoint source[kMaxLanes];
    for (std::size_t i = 0; i < count; ++i) source[i] = Geocentric67At(radians[i].Latitude, radians[i].Longitude);
    GeographicPoint g97[kMaxLanes];
    ShiftFromGeocentricLanes(k67To97, source, count, g97);
    GridPointDouble out[kMaxLanes];
    Tm2ForwardNarrowed97Lanes(centralMeridian, g97, count, out);
    StoreGridPoints(out, count, r);
    return true;
  }
  // The several-point form for a block, within which the settings do not change.
  static auto LanesFor(EngineState& state) {
    const TmSettingsGrid& grid = state.Grids.For(state.Settings);
    const Extended centralMeridian = state.Settings.CentralMeridian;
    return [&grid, centralMeridian](const double* p, std::size_t n, double* r) {
      return Lanes(grid, centralMeridian, p, n, r);
    };
  }
};

// The settings after T2 has written its TWD67 grid fields (SemiMajorAxis and CentralMeridian
// are not touched).
inline void WriteTwd67GridFields(TransformSettings& settings) {
  settings.FalseEasting = kTm2FalseEasting;
  settings.ScaleFactor = kTm2ScaleFactor;
  settings.InverseFlattening = kTwd67InverseFlattening;
}

// T2: TWD97 TM2 (fixed family) to TWD67 TM2 (settings, whose TWD67 grid fields it writes
// first). The fast pass reads the written fields from a copy and leaves the writing to its
// commit (the mode's row says WritesTwd67GridFields).
struct Twd97GridToTwd67Grid {
  template <typename Pass>
  static void Point(Pass& pass, EngineState& state, double x, double y, double& outX, double& outY) {
    TransformSettings& settings = state.Settings;
    GeographicPoint g67;
    if constexpr (Pass::kChecked) {
      const TmFootpoint footpoint = pass.Step(Tm2FootpointOf97(x, y));
      const GeographicPoint geographic = GeographicAt(pass, footpoint, settings.CentralMeridian);
      g67 = ShiftDatum<k97To67>(pass, geographic.Longitude, geographic.Latitude);
    } else {
      const GeographicPointDouble radians = Tm2RadiansNarrowed97(settings.CentralMeridian, x, y);
      g67 = ShiftFromGeocentric(k97To67, Geocentric97At(radians.Latitude, radians.Longitude));
    }
    TransformSettings written;
    std::memcpy(&written, &settings, sizeof settings);  // bytes: no value passes the FPU
    WriteTwd67GridFields(written);
    if constexpr (Pass::kChecked) WriteTwd67GridFields(settings);
    const double lon67 = pass.Narrowed(g67.Longitude);
    const double lat67 = pass.Narrowed(g67.Latitude);
    if constexpr (Pass::kChecked) {
      const TmGridPoint grid = pass.Step(TmForward(state.Grids.For(written), lon67, lat67));  // bounded, as in T1
      pass.Store(outX, pass.Narrowed(grid.Easting));
      pass.Store(outY, pass.Narrowed(grid.Northing));
    } else {
      const GridPointDouble grid = TmForwardNarrowed(state.Grids.For(written), lon67, lat67);
      pass.Store(outX, grid.Easting);
      pass.Store(outY, grid.Northing);
    }
  }

  // `count` pairs of `p` (at most kMaxLanes) to `r`, with the grid of the settings as T2 writes
  // them.
  static bool Lanes(const TmSettingsGrid& written, Extended centralMeridian, const double* p, std::size_t count,
                    double* r) {
    GeographicPointDouble radians[kMaxLanes];
    Tm2RadiansNarrowed97Lanes(centralMeridian, p, count, radians);
    GeocentricPoint source[kMaxLanes];
    for (std::size_t i = 0; i < count; ++i) source[i] = Geocentric97At(radians[i].Latitude, radians[i].Longitude);
    GeographicPoint g67[kMaxLanes];
    ShiftFromGeocentricLanes(k97To67, source, count, g67);
    double narrowed[2 * kMaxLanes];  // longitude, latitude pairs
    for (std::size_t i = 0; i < count; ++i) {
      narrowed[2 * i] = static_cast<double>(g67[i].Longitude);
      narrowed[2 * i + 1] = static_cast<double>(g67[i].Latitude);
    }
    GridPointDouble out[kMaxLanes];
    TmForwardNarrowedLanes(written, narrowed, count, out);
    StoreGridPoints(out, count, r);
    return true;
  }
  static auto LanesFor(EngineState& state) {
    TransformSettings written;
    std::memcpy(&written, &state.Settings, sizeof written);  // bytes: no value passes the FPU
    WriteTwd67GridFields(written);
    const TmSettingsGrid& grid = state.Grids.For(written);
    const Extended centralMeridian = state.Settings.CentralMeridian;
    return [&grid, centralMeridian](const double* p, std::size_t n, double* r) {
      return Lanes(grid, centralMeridian, p, n, r);
    };
  }
};

}  // namespace morvane::chains
