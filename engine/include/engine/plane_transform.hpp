// A plane transform from TWD67 TM2 to TWD97 TM2 on one meridian's grid (121 Taiwan, 119 Penghu),
// fitted to common points (plane_fit.hpp) instead of the fixed seven-parameter datum shift.
//
// Models, all written about the centre C of the fitted TWD67 points:
//  - Similarity (four parameters, Helmert 2D): E97 = T_E + a dE - b dN, N97 = T_N + b dE + a dN
//    with dE = E67 - C_E, dN = N67 - C_N; a = s cos(theta), b = s sin(theta).
//  - Affine (six parameters): E97 = T_E + a dE + b dN, N97 = T_N + c dE + d dN.
//  - Local: the affine trend plus a smooth correction interpolating its residuals by least-squares
//    collocation with a Gaussian covariance, sum_j w_j exp(-(r_j / L)^2), where r_j is the
//    distance to node j (a fitted point's TWD67 position). The correction is continuous
//    everywhere and falls to nothing a few L away from every node, where the affine trend rules.
// Parameters are doubles; Forward evaluates them in Extended and rounds once at the end, so the
// same parameters give the same results bit for bit (a model file keeps them with %.17g).
//
// Accuracy: that of the fit (FitSummary; docs/common-points.md gives the figures for the shipped
// points). Inverse is exact up to rounding for Similarity and Affine; for Local it iterates
// until the step is below kLocalInverseTolerance.
// Domain: the TWD67 area of the fitted points (FittedArea); outside it the transform
// extrapolates and its errors grow with the distance, which a front end should warn about.
//
// Immutable once built: every const method may be called from any thread at once; copy it
// freely or hold it in a std::shared_ptr<const FittedTransform>.
#pragma once

#include <string>
#include <vector>

namespace morvane {

enum class PlaneModel { Similarity, Affine, Local };

// "similarity", "affine", "local" (as the command line and the model file spell them).
const char* PlaneModelName(PlaneModel model);

// The points a model needs at least: 2 similarity, 3 affine, 4 local (its length and nugget
// are chosen by leave-one-out, which needs an affine fit to the others).
int MinimumPoints(PlaneModel model);

// An easting-northing box in metres.
struct PlaneBox {
  double MinE = 0;
  double MinN = 0;
  double MaxE = 0;
  double MaxN = 0;
  // Whether (e, n) lies in the box grown by `margin` metres on every side.
  bool Contains(double e, double n, double margin = 0) const;
};

// The affine map about the centre; for Similarity c = -b and d = a.
struct PlaneParameters {
  double CentreE = 0;  // C_E, TWD67 metres
  double CentreN = 0;  // C_N
  double ShiftE = 0;   // T_E, TWD97 metres: the image of the centre
  double ShiftN = 0;   // T_N
  double A = 1;
  double B = 0;
  double C = 0;
  double D = 1;
};

// A node of the Local correction: where it sits (TWD67 metres) and its weights (metres).
struct LocalNode {
  double E67 = 0;
  double N67 = 0;
  double WeightE = 0;
  double WeightN = 0;
};

// How well the fit did on its own points (plane_fit.hpp defines them), kept with the transform so
// that a model file carries them.
struct FitSummary {
  int PointCount = 0;
  double Rms = 0;     // metres: root mean square of the fitted-minus-published lengths
  double Max = 0;     // metres
  double LooRms = 0;  // the same for the leave-one-out residuals
  double LooMax = 0;
};

// Everything that defines a fitted transform; FittedTransform checks it once.
struct TransformParameters {
  PlaneModel Model = PlaneModel::Similarity;
  int Meridian = 121;
  PlaneParameters Plane;
  std::vector<LocalNode> Nodes;  // Local only
  double Length = 0;             // L of the Local covariance, metres; Local only
  double Nugget = 0;             // the smoothing the Local weights were solved with (record only)
  PlaneBox Area;                 // the TWD67 box of the fitted points
  FitSummary Summary;
  std::string Attribution;       // the source of the points, if they must be credited; else empty
};

// The Local inverse stops once a step moves less than this, metres.
inline constexpr double kLocalInverseTolerance = 1e-6;

class FittedTransform {
 public:
  // Throws std::invalid_argument for a meridian other than 121 or 119, a non-finite parameter, a
  // singular matrix, a Local model without nodes or with a length that is not positive, and nodes
  // given to another model.
  explicit FittedTransform(TransformParameters parameters);

  PlaneModel Model() const { return parameters_.Model; }
  int Meridian() const { return parameters_.Meridian; }
  const PlaneParameters& Plane() const { return parameters_.Plane; }
  const std::vector<LocalNode>& Nodes() const { return parameters_.Nodes; }
  double Length() const { return parameters_.Length; }
  double Nugget() const { return parameters_.Nugget; }
  const FitSummary& Summary() const { return parameters_.Summary; }
  const std::string& Attribution() const { return parameters_.Attribution; }
  const TransformParameters& Parameters() const { return parameters_; }

  // The TWD67 box of the fitted points; Contains(e, n, margin) tells whether a point is inside.
  const PlaneBox& FittedArea() const { return parameters_.Area; }

  // Similarity only: the scale s (1 + parts per million / 1e6) and the rotation theta (radians,
  // anticlockwise) of the map.
  double Scale() const;
  double Rotation() const;

  // TWD67 TM2 -> TWD97 TM2 on Meridian()'s grid, metres. e97 and n97 may alias e67 and n67.
  void Forward(double e67, double n67, double& e97, double& n97) const;

  // TWD97 TM2 -> TWD67 TM2. Exact up to rounding for Similarity and Affine. For Local, a fixed
  // point iteration on the affine inverse; returns false (and the last iterate) if it has not
  // settled within kLocalInverseTolerance after 50 steps, which needs a correction far steeper
  // than any fit to real points gives. Always true for the other models.
  bool Inverse(double e97, double n97, double& e67, double& n67) const;

  // The affine trend alone (for Local; for the other models the same as Forward).
  void Trend(double e67, double n67, double& e97, double& n97) const;

 private:
  TransformParameters parameters_;
  double determinant_ = 1;
};

}  // namespace morvane
