// Fitting a plane transform (plane_transform.hpp) to common points (common_points.hpp) by least
// squares, with leave-one-out residuals for every point.
//
// Method (textbook least squares and collocation, e.g. Ghilani, "Adjustment Computations",
// ch. 18 and 20; Moritz, "Advanced Physical Geodesy", collocation):
//  - The TWD67 and TWD97 coordinates are centred on the TWD67 centroid and scaled by the RMS
//    distance from it; the 2n observation equations (Similarity: 4 unknowns, Affine: 6) are
//    solved by Householder QR in Extended.
//  - Local: the affine least-squares trend, then collocation of its residuals r with the
//    Gaussian covariance k(d) = exp(-(d / L)^2) and a nugget (white noise) lambda:
//    weights w = (K + lambda I)^-1 r, solved by Cholesky in Extended. L and lambda are the pair
//    of a fixed grid (16 lengths in geometric steps from half the median nearest-neighbour
//    distance to twice the diagonal of the points' box; lambda 0.001, 0.003, ..., 10) with the
//    least leave-one-out RMS, unless LocalSettings fixes them.
//  - Leave-one-out residuals come from closed forms, not refits: for the least-squares models
//    e_(i) = (I - H_ii)^-1 e_i with H_ii the 2x2 block of the hat matrix; for Local, with
//    G = (K + lambda I)^-1, the residual of point i from a fit to the others is
//    -(G r_(i))_i / G_ii, where r_(i) are all points' residuals from the affine trend fitted
//    without point i (a rank-two downdate of the trend). They equal brute-force refits without
//    each point (same L and lambda for Local) to rounding.
//  - Flagged points: leave-one-out length over 3 times the median leave-one-out length and
//    over 1 mm (a point out of line with the others; a robust rule that one bad point cannot
//    hide behind).
// Residuals are fitted minus published TWD97, metres; lengths are sqrt(dE^2 + dN^2).
// Domain: a few to a few hundred points (the Local fit costs O(n^3) per grid pair).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/common_points.hpp"
#include "engine/plane_transform.hpp"

namespace morvane {

struct PointResidual {
  std::string Id;
  int Line = 0;
  double DE = 0;  // fitted minus published TWD97 easting, metres
  double DN = 0;
  double D = 0;   // sqrt(DE^2 + DN^2)
  double LooDE = 0;  // the same from the fit to all the other points
  double LooDN = 0;
  double LooD = 0;
  bool Flagged = false;
};

struct FitReport {
  std::vector<PointResidual> Points;  // in the order given
  FitSummary Summary;
  double FlagThreshold = 0;  // metres: leave-one-out lengths above this are flagged
};

// Local fitting settings; unset values are chosen by least leave-one-out RMS.
struct LocalSettings {
  std::optional<double> Length;  // L, metres
  std::optional<double> Nugget;  // lambda, relative to the covariance at distance 0
};

struct FitResult {
  std::optional<FittedTransform> Transform;
  FitReport Report;
  std::optional<CommonPointError> Error;  // why nothing was fitted
  bool Ok() const { return Transform.has_value(); }
};

// Fits `model` on `meridian`'s grid (121 or 119). Runs CheckCommonPoints, then refuses too few
// points (TooFewPoints, MinimumPoints(model)), two points within 1 mm of each other in TWD67
// (Coincident), and for Affine and Local points that lie on one line: a spread across the best
// line under 1e-6 of the spread along it or under 1 mm (Collinear). With one point more than the
// minimum, leave-one-out needs the others to be fittable; with exactly the minimum, a
// leave-one-out residual is undefined and reported as NaN.
// `attribution` is kept with the transform (FittedTransform::Attribution).
FitResult Fit(const std::vector<CommonPoint>& points, PlaneModel model, int meridian,
              const LocalSettings& local = {}, const std::string& attribution = {});

}  // namespace morvane
