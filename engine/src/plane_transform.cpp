#include "engine/plane_transform.hpp"

#include <cmath>
#include <stdexcept>

#include "engine/extended.hpp"

namespace morvane {

namespace {

// The Local inverse gives up after this many steps; each step gains about the ratio of the
// correction's slope to the trend's (well under 1e-3 for real fits), so three or four do.
constexpr int kLocalInverseSteps = 50;

bool AllFinite(std::initializer_list<double> values) {
  for (double value : values) {
    if (!std::isfinite(value)) return false;
  }
  return true;
}

void Check(bool condition, const char* what) {
  if (!condition) throw std::invalid_argument(what);
}

}  // namespace

const char* PlaneModelName(PlaneModel model) {
  switch (model) {
    case PlaneModel::Similarity:
      return "similarity";
    case PlaneModel::Affine:
      return "affine";
    case PlaneModel::Local:
      return "local";
  }
  return "similarity";
}

int MinimumPoints(PlaneModel model) {
  switch (model) {
    case PlaneModel::Similarity:
      return 2;
    case PlaneModel::Affine:
      return 3;
    case PlaneModel::Local:
      return 4;
  }
  return 2;
}

bool PlaneBox::Contains(double e, double n, double margin) const {
  return e >= MinE - margin && e <= MaxE + margin && n >= MinN - margin && n <= MaxN + margin;
}

FittedTransform::FittedTransform(TransformParameters parameters) : parameters_(std::move(parameters)) {
  const PlaneParameters& plane = parameters_.Plane;
  Check(parameters_.Meridian == 121 || parameters_.Meridian == 119, "the meridian must be 121 or 119");
  Check(AllFinite({plane.CentreE, plane.CentreN, plane.ShiftE, plane.ShiftN, plane.A, plane.B, plane.C, plane.D}),
        "a plane parameter is not finite");
  if (parameters_.Model == PlaneModel::Similarity) {
    Check(plane.C == -plane.B && plane.D == plane.A, "a similarity needs c = -b and d = a");
  }
  determinant_ = static_cast<double>(static_cast<Extended>(plane.A) * plane.D - static_cast<Extended>(plane.B) * plane.C);
  Check(std::isfinite(determinant_) && std::fabs(determinant_) > 1e-12, "the matrix is singular");
  if (parameters_.Model == PlaneModel::Local) {
    Check(!parameters_.Nodes.empty(), "a local model needs nodes");
    Check(std::isfinite(parameters_.Length) && parameters_.Length > 0, "the length must be positive");
    for (const LocalNode& node : parameters_.Nodes) {
      Check(AllFinite({node.E67, node.N67, node.WeightE, node.WeightN}), "a node is not finite");
    }
  } else {
    Check(parameters_.Nodes.empty(), "only a local model has nodes");
  }
}

double FittedTransform::Scale() const { return std::hypot(parameters_.Plane.A, parameters_.Plane.C); }

double FittedTransform::Rotation() const { return std::atan2(parameters_.Plane.C, parameters_.Plane.A); }

void FittedTransform::Trend(double e67, double n67, double& e97, double& n97) const {
  const PlaneParameters& p = parameters_.Plane;
  const Extended dE = static_cast<Extended>(e67) - p.CentreE;
  const Extended dN = static_cast<Extended>(n67) - p.CentreN;
  const Extended e = p.ShiftE + (p.A * dE + p.B * dN);
  const Extended n = p.ShiftN + (p.C * dE + p.D * dN);
  e97 = static_cast<double>(e);
  n97 = static_cast<double>(n);
}

void FittedTransform::Forward(double e67, double n67, double& e97, double& n97) const {
  const PlaneParameters& p = parameters_.Plane;
  const Extended dE = static_cast<Extended>(e67) - p.CentreE;
  const Extended dN = static_cast<Extended>(n67) - p.CentreN;
  Extended e = p.A * dE + p.B * dN;
  Extended n = p.C * dE + p.D * dN;
  if (parameters_.Model == PlaneModel::Local) {
    const Extended inverseLengthSquared = 1.0L / (static_cast<Extended>(parameters_.Length) * parameters_.Length);
    for (const LocalNode& node : parameters_.Nodes) {
      const Extended toE = static_cast<Extended>(e67) - node.E67;
      const Extended toN = static_cast<Extended>(n67) - node.N67;
      const Extended kernel = std::exp(static_cast<double>(-(toE * toE + toN * toN) * inverseLengthSquared));
      e += node.WeightE * kernel;
      n += node.WeightN * kernel;
    }
  }
  e97 = static_cast<double>(p.ShiftE + e);
  n97 = static_cast<double>(p.ShiftN + n);
}

bool FittedTransform::Inverse(double e97, double n97, double& e67, double& n67) const {
  const PlaneParameters& p = parameters_.Plane;
  // The inverse of the trend, about the centre.
  const auto trendInverse = [&](Extended toE, Extended toN, Extended& dE, Extended& dN) {
    dE = (p.D * toE - p.B * toN) / determinant_;
    dN = (p.A * toN - p.C * toE) / determinant_;
  };
  Extended dE = 0;
  Extended dN = 0;
  trendInverse(static_cast<Extended>(e97) - p.ShiftE, static_cast<Extended>(n97) - p.ShiftN, dE, dN);
  Extended e = p.CentreE + dE;
  Extended n = p.CentreN + dN;
  bool settled = parameters_.Model != PlaneModel::Local;
  // Fixed point iteration: move by the trend's inverse of what Forward still misses by.
  for (int step = 0; !settled && step < kLocalInverseSteps; ++step) {
    double forwardE = 0;
    double forwardN = 0;
    Forward(static_cast<double>(e), static_cast<double>(n), forwardE, forwardN);
    trendInverse(static_cast<Extended>(e97) - forwardE, static_cast<Extended>(n97) - forwardN, dE, dN);
    e += dE;
    n += dN;
    settled = std::hypot(static_cast<double>(dE), static_cast<double>(dN)) < kLocalInverseTolerance;
  }
  e67 = static_cast<double>(e);
  n67 = static_cast<double>(n);
  return settled;
}

}  // namespace morvane
