// PROJ as an independent oracle: the Transverse Mercator families, the Lambert grid and the
// datum chains, compared over grids of points that cover each system's region. PROJ's own
// algorithms differ (exact Transverse Mercator, closed-form geocentric latitude), so the
// tolerances are the accuracy of this engine's series and iterations, stated per row.
#include <gtest/gtest.h>
#include <proj.h>

#include <cmath>
#include <functional>
#include <string>

#include "engine/constants.hpp"
#include "engine/datum_shift.hpp"
#include "engine/lambert_conic.hpp"
#include "engine/lambert_grid.hpp"
#include "engine/transverse_mercator.hpp"
#include "test_support.hpp"

namespace morvane {
namespace {

using ::morvane::PrintTo;  // rows print by name in reports

// One PROJ transformation from a definition string, released with the test.
class ProjOperation {
 public:
  explicit ProjOperation(const std::string& definition)
      : Context(proj_context_create()), Operation(proj_create(Context, definition.c_str())) {}
  ~ProjOperation() {
    proj_destroy(Operation);
    proj_context_destroy(Context);
  }
  ProjOperation(const ProjOperation&) = delete;
  ProjOperation& operator=(const ProjOperation&) = delete;

  bool Valid() const { return Operation != nullptr; }
  // x, y in the operation's input units (degrees for geographic input, metres otherwise).
  PJ_COORD Forward(double x, double y) const {
    return proj_trans(Operation, PJ_FWD, proj_coord(x, y, 0, 0));
  }

 private:
  PJ_CONTEXT* Context;
  PJ* Operation;
};

struct Area {
  double LonMin, LonMax, LatMin, LatMax;
};

// Calls `check` at a regular 13 by 13 grid of points of `area`.
void ForEachPoint(const Area& area, const std::function<void(double, double)>& check) {
  for (int i = 0; i <= 12; ++i) {
    for (int j = 0; j <= 12; ++j) {
      check(area.LonMin + (area.LonMax - area.LonMin) * i / 12,
            area.LatMin + (area.LatMax - area.LatMin) * j / 12);
    }
  }
}

// ---- Transverse Mercator ----------------------------------------------------------------

struct TmCase {
  const char* Name;
  bool Fixed97;
  Extended SemiMajorAxis, InverseFlattening, FalseEasting, ScaleFactor, CentralMeridian;
  Area Region;
  double ToleranceMetres;   // forward
  double ToleranceDegrees;  // inverse of PROJ's grid coordinates
};

// Taiwan, 1.3 degrees either side of its two-degree meridian; the islands on theirs; UTM zone
// 51 over Taiwan (2 to 3.5 degrees west of its meridian, where the series lose accuracy).
const TmCase kTmCases[] = {
    {"Twd97Tm2Fixed", true, 6378137, 298.2572221008827, 250000, 0.9999, 121,
     {119.7, 122.3, 20.5, 26.5}, 1e-5, 1e-10},
    {"Twd97Tm2Islands", true, 6378137, 298.2572221008827, 250000, 0.9999, 119,
     {118.0, 120.6, 23.0, 26.5}, 1e-5, 1e-10},
    {"Twd67Tm2", false, 6378160, 298.247167, 250000, 0.9999, 121, {119.7, 122.3, 20.5, 26.5},
     1e-5, 1e-10},
    {"Tm3", false, 6378160, 298.247167, 350000, 1, 121, {119.5, 122.5, 20.5, 26.5}, 1e-5, 1e-10},
    {"UtmZone51", false, 6378160, 297, 500000, 0.9996, 123, {119.5, 122.5, 20.5, 26.5}, 1e-3,
     1e-8},
};

class TransverseMercatorOracle : public testing::TestWithParam<TmCase> {};

TEST_P(TransverseMercatorOracle, ForwardAgreesWithProj) {
  const TmCase& c = GetParam();
  char definition[256];
  std::snprintf(definition, sizeof definition,
                "+proj=tmerc +lat_0=0 +lon_0=%.17Lg +k_0=%.17Lg +x_0=%.17Lg +y_0=0 +a=%.17Lg "
                "+rf=%.17Lg +approx=0",
                c.CentralMeridian, c.ScaleFactor, c.FalseEasting, c.SemiMajorAxis,
                c.InverseFlattening);
  ProjOperation proj(definition);
  ASSERT_TRUE(proj.Valid()) << definition;
  TransformSettings s;
  s.SemiMajorAxis = c.SemiMajorAxis;
  s.InverseFlattening = c.InverseFlattening;
  s.FalseEasting = c.FalseEasting;
  s.ScaleFactor = c.ScaleFactor;
  s.CentralMeridian = c.CentralMeridian;
  double worstMetres = 0;
  double worstDegrees = 0;
  ForEachPoint(c.Region, [&](double lon, double lat) {
    const PJ_COORD grid = proj.Forward(proj_torad(lon), proj_torad(lat));
    const double e = grid.xy.x;
    const double n = grid.xy.y;
    const Extended ourE = c.Fixed97 ? Tm2Easting97(s, lon, lat) : TmEasting(s, lon, lat);
    const Extended ourN = c.Fixed97 ? Tm2Northing97(s, lon, lat) : TmNorthing(s, lon, lat);
    worstMetres = std::fmax(worstMetres, std::hypot(static_cast<double>(ourE) - e,
                                                    static_cast<double>(ourN) - n));
    const Extended ourLon = c.Fixed97 ? Tm2Longitude97(s, e, n) : TmLongitude(s, e, n);
    const Extended ourLat = c.Fixed97 ? Tm2Latitude97(s, e, n) : TmLatitude(s, e, n);
    worstDegrees = std::fmax(worstDegrees, std::fmax(std::fabs(static_cast<double>(ourLon) - lon),
                                                     std::fabs(static_cast<double>(ourLat) - lat)));
  });
  EXPECT_LE(worstMetres, c.ToleranceMetres);
  EXPECT_LE(worstDegrees, c.ToleranceDegrees);
}

INSTANTIATE_TEST_SUITE_P(Grids, TransverseMercatorOracle, testing::ValuesIn(kTmCases), CaseName());

// ---- Lambert ----------------------------------------------------------------------------

TEST(LambertOracle, MainlandGridAgreesWithProj) {
  ProjOperation proj("+proj=lcc +lat_1=25 +lat_2=47 +lat_0=10 +lon_0=110 +x_0=0 +y_0=0 +ellps=WGS84");
  ASSERT_TRUE(proj.Valid());
  LambertParameters grid;
  ASSERT_EQ(SetLambertParameters(grid, grid.SemiMajorAxis, grid.Flattening, kMainlandOriginLatitude,
                                 kMainlandCentralMeridian, kMainlandFirstParallel,
                                 kMainlandSecondParallel, 0, 0),
            lambert_status::Success);
  double worstMetres = 0;
  double worstRadians = 0;
  ForEachPoint({73.0, 135.0, 18.0, 54.0}, [&](double lon, double lat) {
    const PJ_COORD expected = proj.Forward(proj_torad(lon), proj_torad(lat));
    double e = 0, n = 0, latitude = 0, longitude = 0;
    ASSERT_EQ(LambertForward(grid, proj_torad(lat), proj_torad(lon), e, n), lambert_status::Success);
    worstMetres = std::fmax(worstMetres, std::hypot(e - expected.xy.x, n - expected.xy.y));
    ASSERT_EQ(LambertInverse(grid, expected.xy.x, expected.xy.y, latitude, longitude),
              lambert_status::Success);
    worstRadians = std::fmax(worstRadians, std::fmax(std::fabs(latitude - proj_torad(lat)),
                                                     std::fabs(longitude - proj_torad(lon))));
  });
  EXPECT_LE(worstMetres, 1e-6);
  EXPECT_LE(worstRadians, 1e-9);
}

// ---- Datum chains -----------------------------------------------------------------------

struct DatumCase {
  const char* Name;
  const char* Pipeline;  // degrees in, degrees out
  Extended (*X)(Extended, Extended, Extended);
  Extended (*Y)(Extended, Extended, Extended);
  Extended (*Z)(Extended, Extended);
  GeocentricPoint (*Shift)(const GeocentricPoint&);
  Extended (*Latitude)(Extended, Extended, Extended);
};

#define MORVANE_DEGREES_IN "+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad "
#define MORVANE_DEGREES_OUT " +step +proj=unitconvert +xy_in=rad +xy_out=deg"
#define MORVANE_TWD67 "+a=6378160 +es=0.00669454185"
#define MORVANE_GRS80 "+a=6378137 +rf=298.2572221008827"
#define MORVANE_TRANSLATION "+step +proj=helmert +x=-752 +y=-358 +z=-179 "
// The seven-parameter step in PROJ's units: rotations in arc-seconds (coordinate frame, as the
// engine's matrix), scale in parts per million.
#define MORVANE_HELMERT97                                                                    \
  "+step +proj=helmert +x=-0.00670000859 +y=-0.00609993803 +z=0.0184999911 "                 \
  "+rx=1.07464861e-09 +ry=8.65065004e-12 +rz=5.59041990e-10 +s=-0.01 "                       \
  "+convention=coordinate_frame "

const DatumCase kDatumCases[] = {
    {"Twd67ToTwd97",
     MORVANE_DEGREES_IN "+step +proj=cart " MORVANE_TWD67 " " MORVANE_TRANSLATION MORVANE_HELMERT97
                        "+step +inv +proj=cart " MORVANE_GRS80 MORVANE_DEGREES_OUT,
     GeocentricX67, GeocentricY67, GeocentricZ67, DatumShift67To97, LatitudeFromGeocentric97},
    {"Twd67ToWgs84",
     MORVANE_DEGREES_IN "+step +proj=cart " MORVANE_TWD67 " " MORVANE_TRANSLATION
                        "+step +inv +proj=cart +ellps=WGS84" MORVANE_DEGREES_OUT,
     GeocentricX67, GeocentricY67, GeocentricZ67, DatumShift67To84, LatitudeFromGeocentric84},
    {"Wgs84ToTwd67",
     MORVANE_DEGREES_IN "+step +proj=cart +ellps=WGS84 +step +inv +proj=helmert +x=-752 +y=-358 "
                        "+z=-179 +step +inv +proj=cart " MORVANE_TWD67 MORVANE_DEGREES_OUT,
     GeocentricX84, GeocentricY84, GeocentricZ84, DatumShift84To67, LatitudeFromGeocentric67},
};

class DatumOracle : public testing::TestWithParam<DatumCase> {};

TEST_P(DatumOracle, ChainAgreesWithProjOverTheRegion) {
  const DatumCase& c = GetParam();
  ProjOperation proj(c.Pipeline);
  ASSERT_TRUE(proj.Valid()) << c.Pipeline;
  double worst = 0;
  ForEachPoint({118.0, 122.5, 21.5, 26.5}, [&](double lon, double lat) {
    const PJ_COORD expected = proj.Forward(lon, lat);
    const GeocentricPoint shifted =
        c.Shift({c.X(lon, lat, 0), c.Y(lon, lat, 0), c.Z(lat, 0)});
    const double ourLon = static_cast<double>(LongitudeFromGeocentric(shifted.X, shifted.Y));
    const double ourLat = static_cast<double>(c.Latitude(shifted.X, shifted.Y, shifted.Z));
    worst = std::fmax(worst, std::fmax(std::fabs(ourLon - expected.lp.lam),
                                       std::fabs(ourLat - expected.lp.phi)));
  });
  // The latitude iteration stops after one pass, which leaves about e^2 times the start
  // error of a point some 30 m off the ellipsoid: about 1e-10 rad, under 1e-8 degrees (1 mm).
  EXPECT_LE(worst, 1e-8);
}

INSTANTIATE_TEST_SUITE_P(Chains, DatumOracle, testing::ValuesIn(kDatumCases), CaseName());

}  // namespace
}  // namespace morvane
