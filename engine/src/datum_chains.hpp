// D1 to D4: geographic coordinates between two datums (modes 9, 10, 15 and 16), in the one-point
// form (Point, a template over the pass, chain_pass.hpp) and the several-point form (Lanes), and
// the datum steps that the grid-to-grid chains T1 and T2 share with them.
#pragma once

#include <cstddef>

#include "chain_pass.hpp"
#include "engine/datum_shift.hpp"
#include "engine/engine_state.hpp"

namespace morvane::chains {

// The three stages between two datums: geocentric on the source ellipsoid at height 0,
// the shift, and back to longitude and latitude on the target ellipsoid.
struct DatumChain {
  GeocentricPoint (*ToGeocentric)(Extended longitude, Extended latitude, Extended height);
  GeocentricPoint (*Shift)(const GeocentricPoint& point);
  Extended (*Latitude)(Extended x, Extended y, Extended z);
  // The latitude of several points at once.
  void (*Latitudes)(const GeocentricPoint* points, std::size_t count, Extended* latitudes);
};

inline constexpr DatumChain k67To97{Geocentric67, DatumShift67To97, LatitudeFromGeocentric97,
                                    LatitudesFromGeocentric97};
inline constexpr DatumChain k97To67{Geocentric97, DatumShift97To67, LatitudeFromGeocentric67,
                                    LatitudesFromGeocentric67};
inline constexpr DatumChain k67To84{Geocentric67, DatumShift67To84, LatitudeFromGeocentric84,
                                    LatitudesFromGeocentric84};
inline constexpr DatumChain k84To67{Geocentric84, DatumShift84To67, LatitudeFromGeocentric67,
                                    LatitudesFromGeocentric67};

// The three stages of `kChain`, each a step of the pass. One instance per chain, so that the
// compiler takes each into the one chain that calls it.
template <const DatumChain& kChain, typename Pass>
GeographicPoint ShiftDatum(Pass& pass, Extended longitude, Extended latitude) {
  const GeocentricPoint source = pass.Step(kChain.ToGeocentric(longitude, latitude, 0));
  const GeocentricPoint shifted = pass.Step(kChain.Shift(source));
  const Extended outLongitude = pass.Step(LongitudeFromGeocentric(shifted.X, shifted.Y));
  const Extended outLatitude = pass.Step(kChain.Latitude(shifted.X, shifted.Y, shifted.Z));
  return {outLongitude, outLatitude};
}

// The last two stages of a datum chain, in the fast pass: T1 and T2 give the geocentric
// conversion the radians it would narrow, from their grid point directly.
inline GeographicPoint ShiftFromGeocentric(const DatumChain& chain, const GeocentricPoint& source) {
  const GeocentricPoint shifted = chain.Shift(source);
  return {LongitudeFromGeocentric(shifted.X, shifted.Y), chain.Latitude(shifted.X, shifted.Y, shifted.Z)};
}

// The same for `count` points (at most kMaxLanes), stage by stage, so that the processor
// overlaps their chains.
inline void ShiftFromGeocentricLanes(const DatumChain& chain, const GeocentricPoint* source, std::size_t count,
                                     GeographicPoint* out) {
  GeocentricPoint shifted[kMaxLanes] = {};  // zeroed only to quiet a false warning
  for (std::size_t i = 0; i < count; ++i) shifted[i] = chain.Shift(source[i]);
  Extended longitudes[kMaxLanes];
  Extended latitudes[kMaxLanes];
  LongitudesFromGeocentric(shifted, count, longitudes);
  chain.Latitudes(shifted, count, latitudes);
  for (std::size_t i = 0; i < count; ++i) out[i] = {longitudes[i], latitudes[i]};
}

// D1 to D4: geographic between the datums of `kChain`; both outputs stored once both are
// computed.
template <const DatumChain& kChain>
struct GeographicToGeographic {
  template <typename Pass>
  static void Point(Pass& pass, EngineState&, double x, double y, double& outX, double& outY) {
    const GeographicPoint shifted = ShiftDatum<kChain>(pass, x, y);
    const double lon = pass.Narrowed(shifted.Longitude);
    const double lat = pass.Narrowed(shifted.Latitude);
    pass.Store(outX, lon);
    pass.Store(outY, lat);
  }

  // `count` pairs of `p` (at most kMaxLanes) to `r`.
  static bool Lanes(const double* p, std::size_t count, double* r) {
    GeocentricPoint source[kMaxLanes];
    for (std::size_t i = 0; i < count; ++i) source[i] = kChain.ToGeocentric(p[2 * i], p[2 * i + 1], 0);
    GeographicPoint shifted[kMaxLanes];
    ShiftFromGeocentricLanes(kChain, source, count, shifted);
    for (std::size_t i = 0; i < count; ++i) {
      r[2 * i] = static_cast<double>(shifted[i].Longitude);
      r[2 * i + 1] = static_cast<double>(shifted[i].Latitude);
    }
    return true;
  }
  static auto LanesFor(EngineState&) {
    return [](const double* p, std::size_t n, double* r) { return Lanes(p, n, r); };
  }
};

}  // namespace morvane::chains
