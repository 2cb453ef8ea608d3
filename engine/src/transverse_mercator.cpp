// The plain Transverse Mercator series of both families and the eight operations: which
// ellipsoid and grid constants each takes, where the settings family narrows to double. The
// polynomials of the series are written once in tm_series.hpp, which the shortcuts share; the
// footpoint is found in footpoint.cpp, the meridian arc in meridian_arc.cpp.
//
// The series are those of the UTM manual of the US Defense Mapping Agency, DMA TM 8358.2, "The
// Universal Grids: Universal Transverse Mercator (UTM) and Universal Polar Stereographic
// (UPS)", 1989, in its variables: p, the longitude difference in units of 10^4 arc-seconds;
// q, the distance from the central meridian in units of 10^6 m; sin 1" turning radians into
// arc-seconds. Forward, the northing is I + II p^2 + III p^4 + A6 and the easting
// IV p + V p^3 + B5; inverse, the latitude is phi' - VII q^2 + VIII q^4 - D6 and the longitude
// difference IX q - X q^3 + E5, at the footpoint latitude phi'. The manual folds the scale
// factor k0 into each term; here it multiplies the sums (forward) or divides the grid
// coordinates (inverse), and I is the meridian arc (meridian_arc.hpp).
//
// Snyder, "Map Projections: A Working Manual", USGS Professional Paper 1395, 1987, eqs. 8-9,
// 8-10, 8-17 and 8-18, is the same expansion to the same orders in A = (lambda - lambda0) cos
// phi and D = x / (N1 k0); its fifth- and sixth-order terms carry other eta^2 parts (8-9 has
// 72C - 58e'^2 where B5 has 14 eta^2 - 58 t^2 eta^2, 8-10 600C - 330e'^2 where A6 has
// 270 eta^2 - 330 t^2 eta^2): it is not the reference here.
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

// ---- The series of both families ---------------------------------------------------------

namespace tm {

// E = k0 (IV p + V p^3 + B5) + FE, the grid read from TmEastingConstants, with IV = nu s cos phi, V = nu (s cos phi)^3 / 6 factor3 and
// B5 = nu (s cos phi)^5 / 120 factor5. kNarrow rounds p, s, nu, eta^2, the three terms and the
// result to double, as the settings family does.
template <bool kNarrow>
Extended EastingSeries(const TmEastingConstants& grid, Extended longitude, const LatitudeTrig& trig, Extended nu) {
  const Extended p = MaybeNarrowed<kNarrow>(LongitudeDifference(longitude, grid.CentralMeridian));
  const Extended s = MaybeNarrowed<kNarrow>(ForwardArcSecondSine());
  const Extended eta2 = MaybeNarrowed<kNarrow>(grid.Ep2 * trig.Cos * trig.Cos);
  const Extended t2 = trig.Tan * trig.Tan;

  const Extended sc = s * trig.Cos;
  const Extended sc3 = sc * sc * sc;
  const Extended sc5 = sc3 * sc * sc;
  const Extended p1 = MaybeNarrowed<kNarrow>(nu * sc);
  const Extended p3 = MaybeNarrowed<kNarrow>(nu * sc3 * (1.0L / 6) * EastingFactor3(t2, eta2));
  const Extended p5 = MaybeNarrowed<kNarrow>(nu * sc5 * (1.0L / 120) * EastingFactor5(t2, eta2));
  const Extended pp = p * p;
  const Extended series = p1 * p + p3 * (pp * p) + p5 * (pp * pp * p);
  return MaybeNarrowed<kNarrow>(grid.ScaleFactor * series + grid.FalseEasting);
}

template Extended EastingSeries<true>(const TmEastingConstants&, Extended, const LatitudeTrig&, Extended);
template Extended EastingSeries<false>(const TmEastingConstants&, Extended, const LatitudeTrig&, Extended);

// N = k0 (I + II p^2 + III p^4 + A6), I being a given meridian arc length at the latitude.
Extended NorthingSeriesAt(const TmEllipsoid& ellipsoid, Extended scaleFactor, Extended centralMeridian,
                          Extended longitude, const LatitudeTrig& trig, Extended arc) {
  const Extended p = LongitudeDifference(longitude, centralMeridian);
  const Extended nu = ellipsoid.A / std::sqrt(AsDouble(1 - ellipsoid.E2 * trig.Sin * trig.Sin));
  const Extended eta2 = ellipsoid.Ep2 * trig.Cos * trig.Cos;
  const Extended t2 = trig.Tan * trig.Tan;
  const NorthingScales<Extended> k = NorthingScalesOf(nu, ForwardArcSecondSine(), trig.Sin, trig.Cos);
  const Extended p2 = k.P2;
  const Extended p4 = k.P4 * NorthingFactor4(t2, eta2);
  const Extended p6 = k.P6 * NorthingFactor6(t2, eta2);
  const Extended pp = p * p;
  return scaleFactor * (arc + p2 * pp + p4 * (pp * pp) + p6 * (pp * pp * pp));
}

Extended NorthingSeries(const TmEllipsoid& ellipsoid, const MeridianArc& meridian, Extended scaleFactor,
                        Extended centralMeridian, Extended longitude, const LatitudeTrig& trig) {
  return NorthingSeriesAt(ellipsoid, scaleFactor, centralMeridian, longitude, trig,
                          MeridianArcLength(meridian, trig.Phi));
}

// What the inverse terms take at a footpoint latitude (degrees): nu = a / sqrt w and
// rho = nu (1 - e^2) / w with w = 1 - e^2 sin^2 phi, eta^2, t and cos phi; q is carried along.
TmFootpoint QuantitiesAt(const TmEllipsoid& ellipsoid, Extended latitudeDegrees, Extended q) {
  const Extended phi = latitudeDegrees * kDegToRad;
  const Extended sinPhi = std::sin(AsDouble(phi));
  const Extended cosPhi = std::cos(AsDouble(phi));
  const Extended w = 1 - ellipsoid.E2 * sinPhi * sinPhi;
  const Extended nu = ellipsoid.A / std::sqrt(AsDouble(w));
  return {phi,
          nu,
          nu * (1 - ellipsoid.E2) / w,
          ellipsoid.Ep2 * cosPhi * cosPhi,
          std::tan(AsDouble(phi)),
          cosPhi,
          q};
}

}  // namespace tm

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

}  // namespace morvane
