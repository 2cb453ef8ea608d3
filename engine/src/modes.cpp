#include "engine/modes.hpp"

#include <charconv>
#include <cmath>
#include <string>

#include "engine/constants.hpp"
#include "engine/datum_shift.hpp"
#include "engine/lambert_conic.hpp"
#include "engine/transverse_mercator.hpp"

namespace morvane {

const std::array<std::string_view, kModeCount> kModeCaptions = {
    "01. ｛６７ＴＭ２｝\u3000 轉 ｛６７經緯度｝",
    "02. ｛６７經緯度｝ \u3000轉 ｛６７ＴＭ２｝",
    "03. ｛\u3000\u3000ＴＭ３｝ \u3000轉 ｛６７經緯度｝",
    "04. ｛６７經緯度｝ \u3000轉 ｛\u3000\u3000ＴＭ３｝",
    "05. ｛５１ＵＴＭ｝ \u3000轉 ｛６７經緯度｝",
    "06. ｛６７經緯度｝ \u3000轉 ｛５１ＵＴＭ｝",
    "07. ｛\u3000\u3000蘭勃特｝ \u3000轉 ｛６７經緯度｝",
    "08. ｛６７經緯度｝ \u3000轉 ｛\u3000\u3000蘭勃特｝",
    "09. ｛６７經緯度｝\u3000 轉 ｛９７經緯度｝",
    "10. ｛９７經緯度｝\u3000 轉 ｛６７經緯度｝",
    "11. ｛６７ＴＭ２｝\u3000 轉 ｛９７ＴＭ２｝",
    "12. ｛９７ＴＭ２｝ \u3000轉 ｛６７ＴＭ２｝",
    "13. ｛９７ＴＭ２｝ \u3000轉 ｛９７經緯度｝",
    "14. ｛９７經緯度｝ \u3000轉 ｛９７ＴＭ２｝",
    "15. ｛６７經緯度｝ \u3000轉 ｛８４經緯度｝",
    "16. ｛８４經緯度｝ \u3000轉 ｛６７經緯度｝",
};

const std::array<std::string_view, kRegionCount> kRegionCaptions = {
    "1.台灣地區",
    "2.澎湖．金門．馬祖",
    "3.大陸地區（限用蘭勃特投影）",
};

namespace {

// Forces `value` to be fully computed here: the compiler may otherwise move the arithmetic
// that produces it past the flag test that follows.
template <typename T>
void Materialise(const T& value) {
  __asm__ __volatile__("" : : "m"(value) : "memory");
}

// Ends the conversion with a FloatingPointError if the step that produced `value` raised an
// invalid operation, a division by zero or an overflow.
template <typename T>
T Checked(T value) {
  Materialise(value);
  CheckFloatingPointFlags();
  return value;
}

// A result narrowed to double for storing, checked after the step that computed it and the
// narrowing (which may overflow) both.
double NarrowedForStore(Extended value) { return Checked(static_cast<double>(value)); }

struct GeographicPoint {
  Extended Longitude;
  Extended Latitude;
};

// The three stages between two datums: geocentric on the source ellipsoid at height 0,
// the shift, and back to longitude and latitude on the target ellipsoid.
struct DatumChain {
  GeocentricPoint (*ToGeocentric)(Extended longitude, Extended latitude, Extended height);
  GeocentricPoint (*Shift)(const GeocentricPoint& point);
  Extended (*Latitude)(Extended x, Extended y, Extended z);
};

constexpr DatumChain k67To97{Geocentric67, DatumShift67To97, LatitudeFromGeocentric97};
constexpr DatumChain k97To67{Geocentric97, DatumShift97To67, LatitudeFromGeocentric67};
constexpr DatumChain k67To84{Geocentric67, DatumShift67To84, LatitudeFromGeocentric84};
constexpr DatumChain k84To67{Geocentric84, DatumShift84To67, LatitudeFromGeocentric67};

GeographicPoint ShiftDatum(const DatumChain& chain, Extended longitude, Extended latitude) {
  const GeocentricPoint source = Checked(chain.ToGeocentric(longitude, latitude, 0));
  const GeocentricPoint shifted = Checked(chain.Shift(source));
  const Extended outLongitude = Checked(LongitudeFromGeocentric(shifted.X, shifted.Y));
  const Extended outLatitude = Checked(chain.Latitude(shifted.X, shifted.Y, shifted.Z));
  return {outLongitude, outLatitude};
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

[[noreturn]] void ThrowOutsideLambertGrid(double x, double y) {
  throw LambertGridError("The point (" + FormatCoordinate(x) + ", " + FormatCoordinate(y) +
                         ") lies outside the Lambert grid");
}

// G1: grid to geographic with the settings; latitude stored first. Both come from one
// footpoint search.
void GridToGeographic(const TransformSettings& settings, double x, double y, double& outX,
                      double& outY) {
  const TmFootpoint footpoint = Checked(TmFootpointOf(settings, x, y));
  outY = NarrowedForStore(LatitudeAtFootpoint(footpoint));
  outX = NarrowedForStore(LongitudeAtFootpoint(footpoint, settings.CentralMeridian));
}

// G2: geographic to grid with the settings; northing stored first.
void GeographicToGrid(const TransformSettings& settings, double x, double y, double& outX,
                      double& outY) {
  outY = NarrowedForStore(TmNorthing(settings, x, y));
  outX = NarrowedForStore(TmEasting(settings, x, y));
}

// L1: Lambert grid to geographic coordinates of the grid's own ellipsoid (no datum shift).
void LambertToGeographic(const LambertParameters& grid, double x, double y, double& outX,
                         double& outY) {
  double latitude = 0;
  double longitude = 0;
  if (Checked(LambertInverse(grid, x, y, latitude, longitude)) != lambert_status::Success) {
    ThrowOutsideLambertGrid(x, y);
  }
  const double lon = NarrowedForStore(static_cast<Extended>(longitude) * 180 * kOneOverPi);
  const double lat = NarrowedForStore(static_cast<Extended>(latitude) * 180 * kOneOverPi);
  outX = lon;
  outY = lat;
}

// L2: geographic to the Lambert grid (no datum shift).
void GeographicToLambert(const LambertParameters& grid, double x, double y, double& outX,
                         double& outY) {
  const double latitude = NarrowedForStore(static_cast<Extended>(y) * kPi * kOneOver180);
  const double longitude = NarrowedForStore(static_cast<Extended>(x) * kPi * kOneOver180);
  double easting = 0;
  double northing = 0;
  if (Checked(LambertForward(grid, latitude, longitude, easting, northing)) !=
      lambert_status::Success) {
    ThrowOutsideLambertGrid(x, y);
  }
  outX = easting;
  outY = northing;
}

// D1 to D4: geographic between datums; both outputs stored once both are computed.
void GeographicToGeographic(const DatumChain& chain, double x, double y, double& outX,
                            double& outY) {
  const GeographicPoint shifted = ShiftDatum(chain, x, y);
  const double lon = NarrowedForStore(shifted.Longitude);
  const double lat = NarrowedForStore(shifted.Latitude);
  outX = lon;
  outY = lat;
}

// T1: TWD67 TM2 (settings) to TWD97 TM2 (fixed family); easting stored first.
void Twd67GridToTwd97Grid(const TransformSettings& settings, double x, double y, double& outX,
                          double& outY) {
  const TmFootpoint footpoint = Checked(TmFootpointOf(settings, x, y));
  const Extended lon = Checked(LongitudeAtFootpoint(footpoint, settings.CentralMeridian));
  const Extended lat = Checked(LatitudeAtFootpoint(footpoint));
  const GeographicPoint g97 = ShiftDatum(k67To97, lon, lat);
  // Both from one evaluation: the datum step leaves a longitude within 180 and a latitude
  // within 90 degrees, where neither series can fail, so the easting stored first is never
  // followed by a failing northing.
  const TmGridPoint grid = Checked(Tm2Forward97(settings, g97.Longitude, g97.Latitude));
  outX = NarrowedForStore(grid.Easting);
  outY = NarrowedForStore(grid.Northing);
}

// T2: TWD97 TM2 (fixed family) to TWD67 TM2 (settings, whose TWD67 grid fields it writes
// first); easting stored first.
void Twd97GridToTwd67Grid(TransformSettings& settings, double x, double y, double& outX,
                          double& outY) {
  const TmFootpoint footpoint = Checked(Tm2FootpointOf97(x, y));
  const Extended lon = Checked(LongitudeAtFootpoint(footpoint, settings.CentralMeridian));
  const Extended lat = Checked(LatitudeAtFootpoint(footpoint));
  const GeographicPoint g67 = ShiftDatum(k97To67, lon, lat);
  settings.FalseEasting = kTm2FalseEasting;
  settings.ScaleFactor = kTm2ScaleFactor;
  settings.InverseFlattening = kTwd67InverseFlattening;
  const double lon67 = NarrowedForStore(g67.Longitude);
  const double lat67 = NarrowedForStore(g67.Latitude);
  const TmGridPoint grid = Checked(TmForward(settings, lon67, lat67));  // bounded, as in T1
  outX = NarrowedForStore(grid.Easting);
  outY = NarrowedForStore(grid.Northing);
}

}  // namespace

void ConvertPoint(EngineState& state, TransformMode mode, double x, double y, double& outX,
                  double& outY) {
  if (mode >= kModeCount) {
    state.Messages->ShowMessage("No the other choice");
    return;
  }
  ClearFloatingPointFlags();
  // A coordinate that is NaN or infinite can only come from a damaged file. The chains that
  // compare it fail on it anyway; the others would write NaN or an infinity without a word.
  if (!std::isfinite(x) || !std::isfinite(y)) {
    RaiseInvalidOperation();
    CheckFloatingPointFlags();
  }
  TransformSettings& settings = state.Settings;
  switch (mode) {
    case 0:
    case 2:
    case 4:
    case 12:
      GridToGeographic(settings, x, y, outX, outY);
      break;
    case 1:
    case 3:
    case 5:
    case 13:
      GeographicToGrid(settings, x, y, outX, outY);
      break;
    case 6:
      LambertToGeographic(state.Lambert, x, y, outX, outY);
      break;
    case 7:
      GeographicToLambert(state.Lambert, x, y, outX, outY);
      break;
    case 8:
      GeographicToGeographic(k67To97, x, y, outX, outY);
      break;
    case 9:
      GeographicToGeographic(k97To67, x, y, outX, outY);
      break;
    case 10:
      Twd67GridToTwd97Grid(settings, x, y, outX, outY);
      break;
    case 11:
      Twd97GridToTwd67Grid(settings, x, y, outX, outY);
      break;
    case 14:
      GeographicToGeographic(k67To84, x, y, outX, outY);
      break;
    case 15:
      GeographicToGeographic(k84To67, x, y, outX, outY);
      break;
    default:
      break;  // unreachable: the range test above
  }
}

}  // namespace morvane
