// The eight Transverse Mercator operations of the two families: which ellipsoid and grid
// constants each takes, where the settings family narrows to double, and the series of
// tm_series.hpp (the forward series, the inverse series at the footpoint) in extended
// precision. The footpoint itself is found in footpoint.cpp.
#include "engine/transverse_mercator.hpp"

#include "engine/constants.hpp"
#include "tm_series.hpp"

namespace morvane {

using tm::AsDouble;
using tm::ForwardLatitude;
using tm::LatitudeTrig;
using tm::Narrowed;
using tm::TrigOf;

namespace {

TmEllipsoid SettingsEllipsoid(const TransformSettings& settings) {
  const Extended a = settings.SemiMajorAxis;
  return tm::EllipsoidOf(a, a - a / settings.InverseFlattening);
}

// The grid constants of TmEasting: b, e^2 and e'^2 come from the semi-major axis narrowed to
// double, nu from the extended one.
TmEastingConstants SettingsEastingGrid(const TransformSettings& settings) {
  const Extended a = Narrowed(settings.SemiMajorAxis);
  const TmEllipsoid narrowed = tm::EllipsoidOf(a, Narrowed(a - a / settings.InverseFlattening));
  return {settings.SemiMajorAxis,        Narrowed(narrowed.E2),
          Narrowed(narrowed.Ep2),        settings.ScaleFactor,
          Narrowed(settings.FalseEasting), Narrowed(settings.CentralMeridian)};
}

TmFootpoint FootpointQuantities(const TmEllipsoid& ellipsoid, const FootpointSearch& search,
                                Extended target, Extended q, int maxSteps) {
  return tm::QuantitiesAt(ellipsoid, FootpointLatitude(search, target, maxSteps), q);
}

}  // namespace

// ---- Settings family ----------------------------------------------------------------------

TmSettingsGrid TmSettingsGridOf(const TransformSettings& settings) {
  const TmEllipsoid ellipsoid = SettingsEllipsoid(settings);
  const MeridianArc arc = MeridianArcOf(ellipsoid.A, ellipsoid.B);
  return {ellipsoid,
          arc,
          FootpointSearchOf(arc),
          SettingsEastingGrid(settings),
          settings.ScaleFactor,
          settings.FalseEasting,
          settings.CentralMeridian};
}

Extended TmEasting(const TransformSettings& settings, double longitude, double latitude) {
  return tm::EastingSeries<true>(SettingsEastingGrid(settings), longitude,
                                 TrigOf(ForwardLatitude<true>(latitude)));
}

Extended TmNorthing(const TransformSettings& settings, double longitude, double latitude) {
  const TmEllipsoid ellipsoid = SettingsEllipsoid(settings);
  return Narrowed(tm::NorthingSeries(ellipsoid, MeridianArcOf(ellipsoid.A, ellipsoid.B),
                                     settings.ScaleFactor, settings.CentralMeridian, longitude,
                                     TrigOf(ForwardLatitude<true>(latitude))));
}

Extended TmEasting(const TmSettingsGrid& grid, double longitude, double latitude) {
  return tm::EastingSeries<true>(grid.Easting, longitude, TrigOf(ForwardLatitude<true>(latitude)));
}

Extended TmNorthing(const TmSettingsGrid& grid, double longitude, double latitude) {
  return Narrowed(tm::NorthingSeries(grid.Ellipsoid, grid.Arc, grid.ScaleFactor, grid.CentralMeridian,
                                     longitude, TrigOf(ForwardLatitude<true>(latitude))));
}

TmGridPoint TmForward(const TmSettingsGrid& grid, double longitude, double latitude) {
  const LatitudeTrig trig = TrigOf(ForwardLatitude<true>(latitude));
  return {tm::EastingSeries<true>(grid.Easting, longitude, trig),
          Narrowed(tm::NorthingSeries(grid.Ellipsoid, grid.Arc, grid.ScaleFactor, grid.CentralMeridian,
                                      longitude, trig))};
}

TmGridPoint TmForward(const TransformSettings& settings, double longitude, double latitude) {
  // The forward series do not search: the grid without the footpoint search's constants.
  const TmEllipsoid ellipsoid = SettingsEllipsoid(settings);
  const TmSettingsGrid grid{ellipsoid,
                            MeridianArcOf(ellipsoid.A, ellipsoid.B),
                            FootpointSearch{},
                            SettingsEastingGrid(settings),
                            settings.ScaleFactor,
                            settings.FalseEasting,
                            settings.CentralMeridian};
  return TmForward(grid, longitude, latitude);
}

TmFootpoint TmFootpointOf(const TmSettingsGrid& grid, double easting, double northing) {
  const Extended q = (easting - grid.FalseEasting) / grid.ScaleFactor * 0.000001L;
  const Extended target = Narrowed(northing / grid.ScaleFactor);
  return FootpointQuantities(grid.Ellipsoid, grid.Footpoint, target, q, kSettingsFootpointMaxSteps);
}

TmFootpoint TmFootpointOf(const TransformSettings& settings, double easting, double northing) {
  const TmEllipsoid ellipsoid = SettingsEllipsoid(settings);
  const Extended q = (easting - settings.FalseEasting) / settings.ScaleFactor * 0.000001L;
  const Extended target = Narrowed(northing / settings.ScaleFactor);
  const Extended latitude = FootpointLatitude(MeridianArcOf(ellipsoid.A, ellipsoid.B), target,
                                              kSettingsFootpointMaxSteps);
  return tm::QuantitiesAt(ellipsoid, latitude, q);
}

Extended TmLatitude(const TransformSettings& settings, double easting, double northing) {
  return LatitudeAtFootpoint(TmFootpointOf(settings, easting, northing));
}

Extended TmLongitude(const TransformSettings& settings, double easting, double northing) {
  return LongitudeAtFootpoint(TmFootpointOf(settings, easting, northing), settings.CentralMeridian);
}

// ---- Fixed TWD97 family -----------------------------------------------------------------

Extended Tm2Easting97(const TransformSettings& settings, Extended longitude, Extended latitude) {
  return tm::EastingSeries<false>(tm::Fixed97Grid(settings.CentralMeridian), longitude,
                                  TrigOf(ForwardLatitude<false>(latitude)));
}

Extended Tm2Northing97(const TransformSettings& settings, Extended longitude, Extended latitude) {
  const tm::Fixed97Constants& fixed = tm::Fixed97();
  return tm::NorthingSeries(fixed.Ellipsoid, fixed.Arc, kTm2ScaleFactor, settings.CentralMeridian,
                            longitude, TrigOf(ForwardLatitude<false>(latitude)));
}

TmGridPoint Tm2Forward97(Extended centralMeridian, Extended longitude, Extended latitude) {
  const tm::Fixed97Constants& fixed = tm::Fixed97();
  const LatitudeTrig trig = TrigOf(ForwardLatitude<false>(latitude));
  return {tm::EastingSeries<false>(tm::Fixed97Grid(centralMeridian), longitude, trig),
          tm::NorthingSeries(fixed.Ellipsoid, fixed.Arc, kTm2ScaleFactor, centralMeridian, longitude,
                             trig)};
}

TmGridPoint Tm2Forward97(const TransformSettings& settings, Extended longitude, Extended latitude) {
  return Tm2Forward97(settings.CentralMeridian, longitude, latitude);
}

TmFootpoint Tm2FootpointOf97(Extended easting, Extended northing) {
  const tm::Fixed97Constants& fixed = tm::Fixed97();
  const Extended q = (easting - kTm2FalseEasting) * kTm97InverseScaleFactor * 0.000001L;
  return FootpointQuantities(fixed.Ellipsoid, fixed.Footpoint, northing * kTm97InverseScaleFactor, q,
                             kFixedFootpointMaxSteps);
}

Extended Tm2Latitude97(const TransformSettings& /*settings*/, Extended easting, Extended northing) {
  return LatitudeAtFootpoint(Tm2FootpointOf97(easting, northing));
}

Extended Tm2Longitude97(const TransformSettings& settings, Extended easting, Extended northing) {
  return LongitudeAtFootpoint(Tm2FootpointOf97(easting, northing), settings.CentralMeridian);
}

// ---- Inverse series at the footpoint ------------------------------------------------------

namespace {

// What the latitude and the longitude series share.
struct InverseTerms {
  Extended Sigma;       // the sine of one arc-second
  Extended T2;          // tan^2 of the footpoint latitude
  Extended InverseNu2;  // 1 / nu1^2
  Extended QQ;          // q^2
};

InverseTerms InverseTermsOf(const TmFootpoint& fp) {
  return {tm::InverseArcSecondSine(), fp.Tan * fp.Tan, 1 / (fp.Nu * fp.Nu), fp.Q * fp.Q};
}

// phi = phi' - (VII q^2 - VIII q^4 + D6) / 3600, in degrees.
Extended LatitudeSeries(const TmFootpoint& fp, const InverseTerms& k) {
  const Extended base = fp.Tan / (fp.Nu * fp.Rho * k.Sigma);  // t1 / (nu1 rho1 sigma)
  const Extended series = tm::LatitudeSum(tm::LatitudeTermsOf(base, k.InverseNu2, k.T2, fp.Eta2, k.QQ));
  return fp.Latitude / kDegToRad - series * kOneOver3600;
}

// lambda = (IX q - X q^3 + E5) / 3600 + lambda0, in degrees.
Extended LongitudeSeries(const TmFootpoint& fp, const InverseTerms& k, Extended centralMeridian) {
  const Extended base = 1 / (fp.Nu * fp.Cos * k.Sigma);  // 1 / (nu1 cos phi1 sigma)
  const tm::LongitudeTerms<Extended> rest = tm::LongitudeTermsOf(base, k.InverseNu2, k.T2, fp.Eta2, fp.Q, k.QQ);
  const Extended series = tm::LongitudeFirstTerm(base, fp.Q) - rest.Q3 + rest.Q5;
  return series * kOneOver3600 + centralMeridian;
}

}  // namespace

Extended LatitudeAtFootpoint(const TmFootpoint& fp) {
  return LatitudeSeries(fp, InverseTermsOf(fp));
}

Extended LongitudeAtFootpoint(const TmFootpoint& fp, Extended centralMeridian) {
  return LongitudeSeries(fp, InverseTermsOf(fp), centralMeridian);
}

GeographicPoint GeographicAtFootpoint(const TmFootpoint& fp, Extended centralMeridian) {
  const InverseTerms terms = InverseTermsOf(fp);
  return {LongitudeSeries(fp, terms, centralMeridian), LatitudeSeries(fp, terms)};
}

}  // namespace morvane
