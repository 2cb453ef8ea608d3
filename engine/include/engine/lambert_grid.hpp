// Definition of the Lambert conformal conic grid with two standard parallels: the parameter
// set, its status word, and SetLambertParameters, which validates a definition and derives the
// projection constants from it. The conversions themselves are in lambert_conic.hpp.
//
// All quantities are doubles; angles are radians, lengths metres.
#pragma once

#include <cstdint>

namespace morvane {

// Bit flags, 0 on success.
using LambertStatus = std::uint32_t;
namespace lambert_status {
inline constexpr LambertStatus Success = 0;
inline constexpr LambertStatus LatitudeOutOfRange = 0x0001;
inline constexpr LambertStatus LongitudeOutOfRange = 0x0002;
inline constexpr LambertStatus EastingOutOfRange = 0x0004;
inline constexpr LambertStatus NorthingOutOfRange = 0x0008;
inline constexpr LambertStatus FirstParallelOutOfRange = 0x0010;
inline constexpr LambertStatus SecondParallelOutOfRange = 0x0020;
inline constexpr LambertStatus OriginLatitudeOutOfRange = 0x0040;
inline constexpr LambertStatus CentralMeridianOutOfRange = 0x0080;
inline constexpr LambertStatus SemiMajorAxisInvalid = 0x0100;
inline constexpr LambertStatus InverseFlatteningInvalid = 0x0200;
inline constexpr LambertStatus ParallelsSymmetric = 0x0400;
inline constexpr LambertStatus ParallelsBothZero = 0x0800;
}  // namespace lambert_status

// The grid in force. Starts as the initial definition (WGS 84, standard parallels 40 and 50
// degrees north, origin latitude 45 degrees north, central meridian 0, no false offsets),
// with its derived values stored exactly as published rather than recomputed.
struct LambertParameters {
  double SemiMajorAxis = 6378137.0;                 // a, metres
  double Flattening = 0.0033528106647474805;        // f (not inverse)
  double Eccentricity = 0.08181919084262188;        // e
  double EccentricitySquared = 0.00669437999014138; // e2
  double HalfEccentricity = 0.040909595421311;      // e / 2
  double ConeConstant = 0.70802074516367;           // n
  double MappingConstant = 1.8538379832459;         // F
  double OriginRadius = 6356377.2707128;            // rho0, metres
  double ScaledMappingConstant = 11824032.632946;   // a times F, metres
  double FirstStandardParallel = 0.6981317007977318;   // radians (40 degrees)
  double SecondStandardParallel = 0.8726646259971648;  // radians (50 degrees)
  double OriginLatitude = 0.7853981633974483;          // radians (45 degrees)
  double CentralMeridian = 0.0;                      // radians, in -pi..pi
  double FalseNorthing = 0.0;                        // metres
  double FalseEasting = 0.0;                         // metres
  double EastingHalfRange = 40000000.0;              // metres; never changed
  double NorthingHalfRange = 40000000.0;             // metres; never changed
};

// Validates the definition and, if every test passes, replaces the whole parameter set.
// On a non-zero status nothing is stored. Angles in radians, a and the offsets in metres,
// f the flattening.
LambertStatus SetLambertParameters(LambertParameters& grid, double a, double f,
                                   double originLatitude, double centralMeridian,
                                   double firstParallel, double secondParallel,
                                   double falseEasting, double falseNorthing);

// The two auxiliary functions of latitude that the whole module uses, with e and e/2 of `grid`.
double LambertM(const LambertParameters& grid, double phi);
double LambertT(const LambertParameters& grid, double phi);

}  // namespace morvane
