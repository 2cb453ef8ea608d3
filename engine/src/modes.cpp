#include "engine/modes.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "engine/constants.hpp"
#include "engine/datum_shift.hpp"
#include "engine/lambert_conic.hpp"
#include "engine/mode_table.hpp"
#include "engine/processor.hpp"
#include "engine/tm_shortcuts.hpp"
#include "engine/transverse_mercator.hpp"
#include "fitted_datum.hpp"

namespace morvane {

const std::array<std::string_view, kModeCount> kModeCaptions = [] {
  std::array<std::string_view, kModeCount> captions{};
  for (TransformMode mode = 0; mode < kModeCount; ++mode) captions[mode] = RowOf(mode).Caption;
  return captions;
}();

const std::array<std::string_view, kRegionCount> kRegionCaptions = [] {
  std::array<std::string_view, kRegionCount> captions{};
  for (std::size_t region = 0; region < captions.size(); ++region) captions[region] = kRegions[region].Caption;
  return captions;
}();

namespace {

using processor::Materialise;

// Ends the conversion with a FloatingPointError if the step that produced `value` raised an
// invalid operation, a division by zero or an overflow.
template <typename T>
T Checked(T value) {
  Materialise(value);
  CheckFloatingPointFlags();
  return value;
}

[[noreturn]] void ThrowOutsideLambertGrid(double x, double y);

// A chain runs in one of two passes. Both compute the same values in the same way; they
// differ in when the flags are read and when the outputs are stored.
//
// The checked pass reads the flags after every step and before every store, and stores each
// output as soon as it is computed: a failure ends it with exactly the outputs stored that
// the failure rules say.
struct CheckedPass {
  static constexpr bool kChecked = true;
  template <typename T>
  T Step(T value) {
    return Checked(value);
  }
  // A result narrowed to double for storing, checked after the step that computed it and the
  // narrowing (which may overflow) both.
  double Narrowed(Extended value) { return Checked(static_cast<double>(value)); }
  void Store(double& target, double value) { target = value; }
  [[noreturn]] void OutsideLambertGrid(double x, double y) { ThrowOutsideLambertGrid(x, y); }
};

// The fast pass reads no flag and stores nothing: it keeps the stores for Commit, which
// makes them, in the same order, only if no flag was raised on the way. Otherwise ConvertPoint
// runs the chain again in the checked pass, which fails at the right step with the right
// outputs stored (the chains are deterministic: the same steps raise the same flags).
class FastPass {
 public:
  static constexpr bool kChecked = false;
  template <typename T>
  T Step(T value) {
    return value;
  }
  double Narrowed(Extended value) { return static_cast<double>(value); }
  void Store(double& target, double value) {
    targets_[stores_] = &target;
    values_[stores_] = value;
    ++stores_;
  }
  // The checked pass decides between the grid error and a floating-point error before it.
  void OutsideLambertGrid(double, double) { abandoned_ = true; }

  // Makes the stores and returns true, or returns false if the chain must run checked.
  bool Commit() {
    Materialise(values_);
    if (abandoned_ || FloatingPointFlagsRaised()) return false;
    Store();
    return true;
  }

  // Whether the chain gave up before its end.
  bool Abandoned() const { return abandoned_; }
  // Makes the stores without reading the flags, for a caller that reads them later.
  void Store() {
    for (int i = 0; i < stores_; ++i) *targets_[i] = values_[i];
  }

 private:
  double* targets_[2] = {};
  double values_[2] = {};
  int stores_ = 0;
  bool abandoned_ = false;
};

// The three stages between two datums: geocentric on the source ellipsoid at height 0,
// the shift, and back to longitude and latitude on the target ellipsoid.
struct DatumChain {
  GeocentricPoint (*ToGeocentric)(Extended longitude, Extended latitude, Extended height);
  GeocentricPoint (*Shift)(const GeocentricPoint& point);
  Extended (*Latitude)(Extended x, Extended y, Extended z);
  // The latitude of several points at once.
  void (*Latitudes)(const GeocentricPoint* points, std::size_t count, Extended* latitudes);
};

constexpr DatumChain k67To97{Geocentric67, DatumShift67To97, LatitudeFromGeocentric97, LatitudesFromGeocentric97};
constexpr DatumChain k97To67{Geocentric97, DatumShift97To67, LatitudeFromGeocentric67, LatitudesFromGeocentric67};
constexpr DatumChain k67To84{Geocentric67, DatumShift67To84, LatitudeFromGeocentric84, LatitudesFromGeocentric84};
constexpr DatumChain k84To67{Geocentric84, DatumShift84To67, LatitudeFromGeocentric67, LatitudesFromGeocentric67};

template <typename Pass>
GeographicPoint ShiftDatum(Pass& pass, const DatumChain& chain, Extended longitude,
                           Extended latitude) {
  const GeocentricPoint source = pass.Step(chain.ToGeocentric(longitude, latitude, 0));
  const GeocentricPoint shifted = pass.Step(chain.Shift(source));
  const Extended outLongitude = pass.Step(LongitudeFromGeocentric(shifted.X, shifted.Y));
  const Extended outLatitude = pass.Step(chain.Latitude(shifted.X, shifted.Y, shifted.Z));
  return {outLongitude, outLatitude};
}

// The last two stages of a datum chain, in the fast pass: T1 and T2 give the geocentric
// conversion the radians it would narrow, from their grid point directly.
GeographicPoint ShiftFromGeocentric(const DatumChain& chain, const GeocentricPoint& source) {
  const GeocentricPoint shifted = chain.Shift(source);
  return {LongitudeFromGeocentric(shifted.X, shifted.Y), chain.Latitude(shifted.X, shifted.Y, shifted.Z)};
}

// The same for `count` points (at most kMaxLanes), stage by stage, so that the processor
// overlaps their chains.
void ShiftFromGeocentricLanes(const DatumChain& chain, const GeocentricPoint* source, std::size_t count,
                              GeographicPoint* out) {
  GeocentricPoint shifted[kMaxLanes] = {};  // zeroed only to quiet a false warning
  for (std::size_t i = 0; i < count; ++i) shifted[i] = chain.Shift(source[i]);
  Extended longitudes[kMaxLanes];
  Extended latitudes[kMaxLanes];
  LongitudesFromGeocentric(shifted, count, longitudes);
  chain.Latitudes(shifted, count, latitudes);
  for (std::size_t i = 0; i < count; ++i) out[i] = {longitudes[i], latitudes[i]};
}

// The shortest text that reads back as `value`, without an exponent for map coordinates.
std::string FormatCoordinate(double value) {
  char text[64];
  const double magnitude = std::fabs(value);
  const bool plain = magnitude == 0 || (magnitude >= 1e-5 && magnitude < 1e15);
  const auto result = plain ? std::to_chars(text, text + sizeof text, value, std::chars_format::fixed)
                            : std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

void ThrowOutsideLambertGrid(double x, double y) {
  throw LambertGridError("The point (" + FormatCoordinate(x) + ", " + FormatCoordinate(y) +
                         ") lies outside the Lambert grid");
}

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

// G1: grid to geographic with the settings; latitude stored first. Both come from one
// footpoint search.
template <typename Pass>
void GridToGeographic(Pass& pass, EngineState& state, double x, double y, double& outX,
                      double& outY) {
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

// G2: geographic to grid with the settings; northing stored first. The checked pass computes
// the easting only after storing the northing; the fast pass both from one evaluation.
template <typename Pass>
void GeographicToGrid(Pass& pass, EngineState& state, double x, double y, double& outX,
                      double& outY) {
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

// L1: Lambert grid to geographic coordinates of the grid's own ellipsoid (no datum shift).
template <typename Pass>
void LambertToGeographic(Pass& pass, const LambertParameters& grid, double x, double y,
                         double& outX, double& outY) {
  double latitude = 0;
  double longitude = 0;
  if (pass.Step(LambertInverse(grid, x, y, latitude, longitude)) != lambert_status::Success) {
    pass.OutsideLambertGrid(x, y);
    return;
  }
  const double lon = pass.Narrowed(static_cast<Extended>(longitude) * 180 * kOneOverPi);
  const double lat = pass.Narrowed(static_cast<Extended>(latitude) * 180 * kOneOverPi);
  pass.Store(outX, lon);
  pass.Store(outY, lat);
}

// L2: geographic to the Lambert grid (no datum shift).
template <typename Pass>
void GeographicToLambert(Pass& pass, const LambertParameters& grid, double x, double y,
                         double& outX, double& outY) {
  const double latitude = pass.Narrowed(static_cast<Extended>(y) * kPi * kOneOver180);
  const double longitude = pass.Narrowed(static_cast<Extended>(x) * kPi * kOneOver180);
  double easting = 0;
  double northing = 0;
  if (pass.Step(LambertForward(grid, latitude, longitude, easting, northing)) !=
      lambert_status::Success) {
    pass.OutsideLambertGrid(x, y);
    return;
  }
  pass.Store(outX, easting);
  pass.Store(outY, northing);
}

// D1 to D4: geographic between datums; both outputs stored once both are computed.
template <typename Pass>
void GeographicToGeographic(Pass& pass, const DatumChain& chain, double x, double y,
                            double& outX, double& outY) {
  const GeographicPoint shifted = ShiftDatum(pass, chain, x, y);
  const double lon = pass.Narrowed(shifted.Longitude);
  const double lat = pass.Narrowed(shifted.Latitude);
  pass.Store(outX, lon);
  pass.Store(outY, lat);
}

// T1: TWD67 TM2 (settings) to TWD97 TM2 (fixed family); easting stored first.
template <typename Pass>
void Twd67GridToTwd97Grid(Pass& pass, EngineState& state, double x, double y, double& outX,
                          double& outY) {
  const TransformSettings& settings = state.Settings;
  GeographicPoint g97;
  if constexpr (Pass::kChecked) {
    const TmFootpoint footpoint = pass.Step(TmFootpointOf(state.Grids.For(settings), x, y));
    const GeographicPoint geographic = GeographicAt(pass, footpoint, settings.CentralMeridian);
    g97 = ShiftDatum(pass, k67To97, geographic.Longitude, geographic.Latitude);
  } else {
    const GeographicPointDouble radians = TmGeographicNarrowed(state.Grids.For(settings), x, y, true);
    g97 = ShiftFromGeocentric(k67To97, Geocentric67At(radians.Latitude, radians.Longitude));
  }
  // Both from one evaluation: the datum step leaves a longitude within 180 and a latitude
  // within 90 degrees, where neither series can fail, so the easting stored first is never
  // followed by a failing northing.
  if constexpr (Pass::kChecked) {
    const TmGridPoint grid =
        pass.Step(Tm2Forward97(settings.CentralMeridian, g97.Longitude, g97.Latitude));
    pass.Store(outX, pass.Narrowed(grid.Easting));
    pass.Store(outY, pass.Narrowed(grid.Northing));
  } else {
    const GridPointDouble grid = Tm2ForwardNarrowed97(settings.CentralMeridian, g97.Longitude, g97.Latitude);
    pass.Store(outX, grid.Easting);
    pass.Store(outY, grid.Northing);
  }
}

// The settings after T2 has written its TWD67 grid fields (SemiMajorAxis and CentralMeridian
// are not touched).
void WriteTwd67GridFields(TransformSettings& settings) {
  settings.FalseEasting = kTm2FalseEasting;
  settings.ScaleFactor = kTm2ScaleFactor;
  settings.InverseFlattening = kTwd67InverseFlattening;
}

// T2: TWD97 TM2 (fixed family) to TWD67 TM2 (settings, whose TWD67 grid fields it writes
// first); easting stored first. The fast pass reads the written fields from a copy and leaves
// the writing to its commit.
template <typename Pass>
void Twd97GridToTwd67Grid(Pass& pass, EngineState& state, double x, double y, double& outX,
                          double& outY) {
  TransformSettings& settings = state.Settings;
  GeographicPoint g67;
  if constexpr (Pass::kChecked) {
    const TmFootpoint footpoint = pass.Step(Tm2FootpointOf97(x, y));
    const GeographicPoint geographic = GeographicAt(pass, footpoint, settings.CentralMeridian);
    g67 = ShiftDatum(pass, k97To67, geographic.Longitude, geographic.Latitude);
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

// The datum chain of a chain between two geographic systems.
const DatumChain& DatumChainOf(Chain chain) {
  switch (chain) {
    case Chain::Twd97ToTwd67:
      return k97To67;
    case Chain::Twd67ToWgs84:
      return k67To84;
    case Chain::Wgs84ToTwd67:
      return k84To67;
    default:
      return k67To97;
  }
}

template <typename Pass>
void RunChain(Pass& pass, EngineState& state, Chain chain, double x, double y, double& outX,
              double& outY) {
  switch (chain) {
    case Chain::GridToGeographic:
      return GridToGeographic(pass, state, x, y, outX, outY);
    case Chain::GeographicToGrid:
      return GeographicToGrid(pass, state, x, y, outX, outY);
    case Chain::LambertToGeographic:
      return LambertToGeographic(pass, state.Lambert, x, y, outX, outY);
    case Chain::GeographicToLambert:
      return GeographicToLambert(pass, state.Lambert, x, y, outX, outY);
    case Chain::Twd67ToTwd97:
    case Chain::Twd97ToTwd67:
    case Chain::Twd67ToWgs84:
    case Chain::Wgs84ToTwd67:
      return GeographicToGeographic(pass, DatumChainOf(chain), x, y, outX, outY);
    case Chain::Twd67GridToTwd97Grid:
      return Twd67GridToTwd97Grid(pass, state, x, y, outX, outY);
    case Chain::Twd97GridToTwd67Grid:
      return Twd97GridToTwd67Grid(pass, state, x, y, outX, outY);
  }
}

// How many pairs ConvertPoints converts between two readings of the flags: enough to spread
// the reading's cost, few enough that the results fit in a small buffer on the stack.
constexpr std::size_t kPairsPerBlock = 64;

// Makes the results of a block's fast pass the block's outputs, and returns true; or returns
// false, with `pairs` and the settings untouched, if a flag was raised on the way (or before:
// the caller's flags are not cleared first).
bool CommitBlock(EngineState& state, TransformMode mode, double* pairs, double* results, std::size_t count) {
  Materialise(results[0]);
  Materialise(results[2 * count - 1]);
  if (FloatingPointFlagsRaised()) return false;
  std::memcpy(pairs, results, 2 * count * sizeof(double));
  // Mode 12 (TWD97 TM2 to TWD67 TM2) writes the same fields at every pair; a pair's results do not
  // depend on whether the pairs before it have written them (its fast pass reads them from a
  // written copy).
  if (RowOf(mode).WritesTwd67GridFields) WriteTwd67GridFields(state.Settings);
  return true;
}

// How many points the long chains take side by side.
constexpr std::size_t kLanes = kMaxLanes;

// Converts `count` (1 to kPairsPerBlock) pairs of `pairs` in place, kLanes points at a time by
// `lanes` (pairs, count, results), and returns true; or returns false, with `pairs` and the
// settings untouched, if a pair must go through ConvertPoint: an input that is not finite, a
// point outside the Lambert grid (`lanes` gives up), or a flag raised. The long chains are
// sequences of library calls and divisions, each waiting for the one before: several
// independent chains side by side keep the processor busier.
template <typename Lanes>
bool ConvertBlockInLanes(EngineState& state, TransformMode mode, double* pairs, std::size_t count,
                         const Lanes& lanes) {
  for (std::size_t i = 0; i < 2 * count; ++i) {
    if (!std::isfinite(pairs[i])) return false;
  }
  double results[2 * kPairsPerBlock];
  for (std::size_t i = 0; i < count; i += kLanes) {
    if (!lanes(pairs + 2 * i, std::min(kLanes, count - i), results + 2 * i)) return false;
  }
  return CommitBlock(state, mode, pairs, results, count);
}

// The several-point forms of the chains, as their fast passes compute them: `count` pairs of
// `p` (at most kMaxLanes) to `r`.

// L1.
bool LambertToGeographicLanes(const LambertParameters& grid, const double* p, std::size_t count, double* r) {
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

// G1.
bool GridToGeographicLanes(const TmSettingsGrid& grid, const double* p, std::size_t count, double* r) {
  GeographicPointDouble out[kMaxLanes];
  TmGeographicNarrowedLanes(grid, p, count, false, out);
  for (std::size_t i = 0; i < count; ++i) {
    r[2 * i] = out[i].Longitude;
    r[2 * i + 1] = out[i].Latitude;
  }
  return true;
}

// Grid points as easting, northing pairs.
void StoreGridPoints(const GridPointDouble* points, std::size_t count, double* r) {
  for (std::size_t i = 0; i < count; ++i) {
    r[2 * i] = points[i].Easting;
    r[2 * i + 1] = points[i].Northing;
  }
}

// G2.
bool GeographicToGridLanes(const TmSettingsGrid& grid, const double* p, std::size_t count, double* r) {
  GridPointDouble out[kMaxLanes];
  TmForwardNarrowedLanes(grid, p, count, out);
  StoreGridPoints(out, count, r);
  return true;
}

// D1 to D4.
bool GeographicToGeographicLanes(const DatumChain& chain, const double* p, std::size_t count, double* r) {
  GeocentricPoint source[kMaxLanes];
  for (std::size_t i = 0; i < count; ++i) source[i] = chain.ToGeocentric(p[2 * i], p[2 * i + 1], 0);
  GeographicPoint shifted[kMaxLanes];
  ShiftFromGeocentricLanes(chain, source, count, shifted);
  for (std::size_t i = 0; i < count; ++i) {
    r[2 * i] = static_cast<double>(shifted[i].Longitude);
    r[2 * i + 1] = static_cast<double>(shifted[i].Latitude);
  }
  return true;
}

// T1.
bool Twd67GridToTwd97GridLanes(const TmSettingsGrid& grid, Extended centralMeridian, const double* p,
                               std::size_t count, double* r) {
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

// T2, with the grid of the settings as T2 writes them.
bool Twd97GridToTwd67GridLanes(const TmSettingsGrid& written, Extended centralMeridian, const double* p,
                               std::size_t count, double* r) {
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

// ConvertPoints with `blockFast` (pairs, count) -> bool converting each block in a fast pass.
template <typename BlockFast>
void ConvertPairs(EngineState& state, TransformMode mode, std::span<double> pairs, const BlockFast& blockFast) {
  const std::size_t count = pairs.size() / 2;
  for (std::size_t first = 0; first < count; first += kPairsPerBlock) {
    const std::size_t block = std::min(kPairsPerBlock, count - first);
    double* blockPairs = pairs.data() + 2 * first;
    if (blockFast(blockPairs, block)) continue;
    // Once more pair by pair: ConvertPoint fails at the right pair, at the right step, with
    // the right outputs stored. The flags raised by the fast attempt are not the caller's.
    ClearFloatingPointFlags();
    for (std::size_t i = 0; i < block; ++i) {
      double& x = blockPairs[2 * i];
      double& y = blockPairs[2 * i + 1];
      ConvertPoint(state, mode, x, y, x, y);
    }
  }
}

}  // namespace

void ConvertPoints(EngineState& state, TransformMode mode, std::span<double> pairs) {
  // The chain is chosen once per call: one instance of the block loop per chain. Within a block
  // the settings do not change (the writes of mode 12, TWD97 TM2 to TWD67 TM2, wait for the
  // block's commit), so the grid derived from them is looked up once per block.
  // lanesOf() gives the several-point form for one block.
  const auto convertInLanes = [&](const auto& lanesOf) {
    ConvertPairs(state, mode, pairs, [&](double* block, std::size_t count) {
      return ConvertBlockInLanes(state, mode, block, count, lanesOf());
    });
  };
  // A chain's fast pass point after point, for the chains that keep the processor busy alone.
  const auto convert = [&](const auto& chain) {
    convertInLanes([&] {
      return [&](const double* p, std::size_t n, double* r) {
        for (std::size_t i = 0; i < n; ++i) {
          FastPass pass;
          chain(pass, p[2 * i], p[2 * i + 1], r[2 * i], r[2 * i + 1]);
          if (pass.Abandoned()) return false;
          pass.Store();
        }
        return true;
      };
    });
  };
  const auto datum = [&](const DatumChain& chain) {
    convertInLanes([&] {
      return [&](const double* p, std::size_t n, double* r) { return GeographicToGeographicLanes(chain, p, n, r); };
    });
  };
  if (mode >= kModeCount) {
    // "No the other choice" once per pair, nothing written.
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
      ConvertPoint(state, mode, pairs[i], pairs[i + 1], pairs[i], pairs[i + 1]);
    }
    return;
  }
  if (state.Datum && TakesFittedDatum(RowOf(mode).Steps)) {
    return convertInLanes([&] {
      return [&transform = *state.Datum, chain = RowOf(mode).Steps](const double* p, std::size_t n, double* r) {
        return ConvertPairsFitted(transform, chain, p, n, r);
      };
    });
  }
  switch (const Chain chain = RowOf(mode).Steps) {
    case Chain::GridToGeographic:
      return convertInLanes([&] {
        const TmSettingsGrid& grid = state.Grids.For(state.Settings);
        return [&grid](const double* p, std::size_t n, double* r) { return GridToGeographicLanes(grid, p, n, r); };
      });
    case Chain::GeographicToGrid:
      return convertInLanes([&] {
        const TmSettingsGrid& grid = state.Grids.For(state.Settings);
        return [&grid](const double* p, std::size_t n, double* r) { return GeographicToGridLanes(grid, p, n, r); };
      });
    case Chain::LambertToGeographic:
      return convertInLanes([&] {
        return [&](const double* p, std::size_t n, double* r) {
          return LambertToGeographicLanes(state.Lambert, p, n, r);
        };
      });
    case Chain::GeographicToLambert:
      return convert([&](FastPass& pass, double x, double y, double& ox, double& oy) {
        GeographicToLambert(pass, state.Lambert, x, y, ox, oy);
      });
    case Chain::Twd67ToTwd97:
    case Chain::Twd97ToTwd67:
    case Chain::Twd67ToWgs84:
    case Chain::Wgs84ToTwd67:
      return datum(DatumChainOf(chain));
    case Chain::Twd67GridToTwd97Grid:
      return convertInLanes([&] {
        const TmSettingsGrid& grid = state.Grids.For(state.Settings);
        const Extended centralMeridian = state.Settings.CentralMeridian;
        return [&grid, centralMeridian](const double* p, std::size_t n, double* r) {
          return Twd67GridToTwd97GridLanes(grid, centralMeridian, p, n, r);
        };
      });
    case Chain::Twd97GridToTwd67Grid:
      return convertInLanes([&] {
        TransformSettings written;
        std::memcpy(&written, &state.Settings, sizeof written);  // bytes: no value passes the FPU
        WriteTwd67GridFields(written);
        const TmSettingsGrid& grid = state.Grids.For(written);
        const Extended centralMeridian = state.Settings.CentralMeridian;
        return [&grid, centralMeridian](const double* p, std::size_t n, double* r) {
          return Twd97GridToTwd67GridLanes(grid, centralMeridian, p, n, r);
        };
      });
  }
}

void ConvertPoint(EngineState& state, TransformMode mode, double x, double y, double& outX,
                  double& outY) {
  if (mode >= kModeCount) {
    state.Messages->ShowMessage("No the other choice");
    return;
  }
  // The flags are not cleared first: reading them waits for all floating-point work before it,
  // once per point is enough. A flag left raised by the caller sends the point to the checked
  // pass, which clears the flags and gives the same results.
  // A coordinate that is NaN or infinite can only come from a damaged file. The chains that
  // compare it fail on it anyway; the others would write NaN or an infinity without a word.
  if (!std::isfinite(x) || !std::isfinite(y)) {
    RaiseInvalidOperation();
    CheckFloatingPointFlags();
  }
  const ModeRow& row = RowOf(mode);
  if (state.Datum && TakesFittedDatum(row.Steps)) {
    ConvertPointFitted(*state.Datum, row.Steps, x, y, outX, outY);
    if (row.WritesTwd67GridFields) WriteTwd67GridFields(state.Settings);
    return;
  }
  FastPass fast;
  RunChain(fast, state, row.Steps, x, y, outX, outY);
  if (fast.Commit()) {
    if (row.WritesTwd67GridFields) WriteTwd67GridFields(state.Settings);
    return;
  }
  ClearFloatingPointFlags();
  CheckedPass checked;
  RunChain(checked, state, row.Steps, x, y, outX, outY);
}

}  // namespace morvane
