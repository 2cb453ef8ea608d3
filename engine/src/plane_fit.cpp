#include "engine/plane_fit.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "engine/extended.hpp"

namespace morvane {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Two points closer than this in TWD67 are one spot (metres).
constexpr double kCoincidentDistance = 1e-3;
// Points whose spread across their best line is under this share of the spread along it, or
// under kCoincidentDistance, lie on one line.
constexpr double kCollinearRatio = 1e-6;
// A leave-one-out length above kFlagFactor times the median (and above kFlagFloor metres) is
// out of line with the others.
constexpr double kFlagFactor = 3.0;
constexpr double kFlagFloor = 1e-3;
// A pivot of the QR or Cholesky factor below this share of the largest means rank deficiency.
constexpr Extended kRankTolerance = 1e-12L;

// The Local grid: lengths from half the median nearest-neighbour distance to twice the diagonal
// of the points' box, in geometric steps; nuggets relative to the covariance at distance zero.
constexpr int kLengthSteps = 16;
constexpr std::array<double, 9> kNuggets = {0.001, 0.003, 0.01, 0.03, 0.1, 0.3, 1.0, 3.0, 10.0};

// A dense row-major matrix in Extended.
class Matrix {
 public:
  Matrix(std::size_t rows, std::size_t columns) : rows_(rows), columns_(columns), values_(rows * columns, 0.0L) {}
  Extended& operator()(std::size_t row, std::size_t column) { return values_[row * columns_ + column]; }
  Extended operator()(std::size_t row, std::size_t column) const { return values_[row * columns_ + column]; }
  std::size_t Rows() const { return rows_; }
  std::size_t Columns() const { return columns_; }

 private:
  std::size_t rows_;
  std::size_t columns_;
  std::vector<Extended> values_;
};

using Vector = std::vector<Extended>;
using Pair = std::array<Extended, 2>;

// The inverse of an upper triangular matrix.
Matrix InvertUpper(const Matrix& r) {
  const std::size_t k = r.Rows();
  Matrix inverse(k, k);
  for (std::size_t j = k; j-- > 0;) {
    inverse(j, j) = 1.0L / r(j, j);
    for (std::size_t i = j; i-- > 0;) {
      Extended sum = 0;
      for (std::size_t m = i + 1; m <= j; ++m) sum += r(i, m) * inverse(m, j);
      inverse(i, j) = -sum / r(i, i);
    }
  }
  return inverse;
}

struct LeastSquares {
  Vector Solution;
  Matrix Cofactor{0, 0};  // (X^T X)^-1
};

// Least squares min |X p - y| by Householder QR (Golub and Van Loan, "Matrix Computations",
// 5.3); nothing if X has not full column rank.
std::optional<LeastSquares> SolveLeastSquares(Matrix x, Vector y) {
  const std::size_t m = x.Rows();
  const std::size_t k = x.Columns();
  Extended largest = 0;
  for (std::size_t j = 0; j < k; ++j) {
    Extended norm = 0;
    for (std::size_t i = j; i < m; ++i) norm += x(i, j) * x(i, j);
    norm = std::sqrt(norm);
    const Extended alpha = x(j, j) > 0 ? -norm : norm;
    // v = column - alpha e_j, kept in place below the diagonal with v_j apart.
    const Extended vj = x(j, j) - alpha;
    Extended vNorm2 = vj * vj;
    for (std::size_t i = j + 1; i < m; ++i) vNorm2 += x(i, j) * x(i, j);
    x(j, j) = alpha;
    largest = std::max(largest, std::fabs(alpha));
    if (vNorm2 == 0) continue;
    const auto v = [&](std::size_t i) { return i == j ? vj : x(i, j); };
    for (std::size_t c = j + 1; c < k; ++c) {
      Extended dot = 0;
      for (std::size_t i = j; i < m; ++i) dot += v(i) * x(i, c);
      const Extended factor = 2 * dot / vNorm2;
      for (std::size_t i = j; i < m; ++i) x(i, c) -= factor * v(i);
    }
    Extended dot = 0;
    for (std::size_t i = j; i < m; ++i) dot += v(i) * y[i];
    const Extended factor = 2 * dot / vNorm2;
    for (std::size_t i = j; i < m; ++i) y[i] -= factor * v(i);
  }
  Matrix r(k, k);
  for (std::size_t i = 0; i < k; ++i) {
    if (!(std::fabs(x(i, i)) > kRankTolerance * largest)) return std::nullopt;
    for (std::size_t j = i; j < k; ++j) r(i, j) = x(i, j);
  }
  const Matrix rInverse = InvertUpper(r);
  LeastSquares result;
  result.Solution.assign(k, 0.0L);
  for (std::size_t i = 0; i < k; ++i) {
    for (std::size_t j = i; j < k; ++j) result.Solution[i] += rInverse(i, j) * y[j];
  }
  result.Cofactor = Matrix(k, k);
  for (std::size_t i = 0; i < k; ++i) {
    for (std::size_t j = 0; j < k; ++j) {
      Extended sum = 0;
      for (std::size_t m2 = std::max(i, j); m2 < k; ++m2) sum += rInverse(i, m2) * rInverse(j, m2);
      result.Cofactor(i, j) = sum;
    }
  }
  return result;
}

// The inverse of a symmetric positive definite matrix by Cholesky; nothing if it is not.
std::optional<Matrix> InvertSymmetric(const Matrix& a) {
  const std::size_t n = a.Rows();
  Matrix l(n, n);
  for (std::size_t j = 0; j < n; ++j) {
    Extended diagonal = a(j, j);
    for (std::size_t m = 0; m < j; ++m) diagonal -= l(j, m) * l(j, m);
    if (!(diagonal > kRankTolerance * a(j, j))) return std::nullopt;
    l(j, j) = std::sqrt(diagonal);
    for (std::size_t i = j + 1; i < n; ++i) {
      Extended sum = a(i, j);
      for (std::size_t m = 0; m < j; ++m) sum -= l(i, m) * l(j, m);
      l(i, j) = sum / l(j, j);
    }
  }
  // L^-1, lower triangular, then G = L^-T L^-1.
  Matrix lInverse(n, n);
  for (std::size_t j = 0; j < n; ++j) {
    lInverse(j, j) = 1.0L / l(j, j);
    for (std::size_t i = j + 1; i < n; ++i) {
      Extended sum = 0;
      for (std::size_t m = j; m < i; ++m) sum += l(i, m) * lInverse(m, j);
      lInverse(i, j) = -sum / l(i, i);
    }
  }
  Matrix inverse(n, n);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j <= i; ++j) {
      Extended sum = 0;
      for (std::size_t m = i; m < n; ++m) sum += lInverse(m, i) * lInverse(m, j);
      inverse(i, j) = inverse(j, i) = sum;
    }
  }
  return inverse;
}

// The points centred on the TWD67 centroid (TWD97 on its own) and scaled by the RMS distance
// from it, so that the unknowns are all of order one.
struct ScaledPoints {
  double CentreE = 0;  // rounded to double: the transform's centre
  double CentreN = 0;
  Extended Centre97E = 0;
  Extended Centre97N = 0;
  Extended Scale = 1;  // metres per unit
  std::vector<Pair> From;  // TWD67
  std::vector<Pair> To;    // TWD97
};

ScaledPoints ScalePoints(const std::vector<CommonPoint>& points) {
  ScaledPoints scaled;
  const auto n = static_cast<Extended>(points.size());
  Extended sumE = 0, sumN = 0, sum97E = 0, sum97N = 0;
  for (const CommonPoint& point : points) {
    sumE += point.E67;
    sumN += point.N67;
    sum97E += point.E97;
    sum97N += point.N97;
  }
  scaled.CentreE = static_cast<double>(sumE / n);
  scaled.CentreN = static_cast<double>(sumN / n);
  scaled.Centre97E = sum97E / n;
  scaled.Centre97N = sum97N / n;
  Extended sumSquares = 0;
  for (const CommonPoint& point : points) {
    const Extended dE = point.E67 - static_cast<Extended>(scaled.CentreE);
    const Extended dN = point.N67 - static_cast<Extended>(scaled.CentreN);
    sumSquares += dE * dE + dN * dN;
  }
  scaled.Scale = std::sqrt(sumSquares / n);
  for (const CommonPoint& point : points) {
    scaled.From.push_back({(point.E67 - static_cast<Extended>(scaled.CentreE)) / scaled.Scale,
                           (point.N67 - static_cast<Extended>(scaled.CentreN)) / scaled.Scale});
    scaled.To.push_back({(point.E97 - scaled.Centre97E) / scaled.Scale, (point.N97 - scaled.Centre97N) / scaled.Scale});
  }
  return scaled;
}

// The two observation rows of a point: Similarity (a, b, tE, tN) with E = tE + a x - b y,
// N = tN + b x + a y; Affine (a, b, tE, c, d, tN) with E = tE + a x + b y, N = tN + c x + d y.
std::array<Vector, 2> DesignRows(PlaneModel model, const Pair& from) {
  const Extended x = from[0];
  const Extended y = from[1];
  if (model == PlaneModel::Similarity) return {Vector{x, -y, 1, 0}, Vector{y, x, 0, 1}};
  return {Vector{x, y, 1, 0, 0, 0}, Vector{0, 0, 0, x, y, 1}};
}

Extended Dot(const Vector& a, const Vector& b) {
  Extended sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += a[i] * b[i];
  return sum;
}

Pair Apply(const std::array<Vector, 2>& rows, const Vector& parameters) {
  return {Dot(rows[0], parameters), Dot(rows[1], parameters)};
}

// The least-squares fit in scaled units, with what leave-one-out needs.
struct TrendFit {
  Vector Parameters;
  std::vector<Pair> Residuals;  // observed minus fitted
  std::vector<Pair> Loo;        // fitted without the point minus observed; NaN if undefined
  std::vector<Vector> Downdate;  // parameters minus the parameters fitted without the point
};

std::optional<TrendFit> FitTrend(const ScaledPoints& scaled, PlaneModel model) {
  const PlaneModel design = model == PlaneModel::Similarity ? PlaneModel::Similarity : PlaneModel::Affine;
  const std::size_t n = scaled.From.size();
  const std::size_t k = design == PlaneModel::Similarity ? 4 : 6;
  Matrix x(2 * n, k);
  Vector y(2 * n);
  for (std::size_t i = 0; i < n; ++i) {
    const auto rows = DesignRows(design, scaled.From[i]);
    for (std::size_t c = 0; c < k; ++c) {
      x(2 * i, c) = rows[0][c];
      x(2 * i + 1, c) = rows[1][c];
    }
    y[2 * i] = scaled.To[i][0];
    y[2 * i + 1] = scaled.To[i][1];
  }
  const auto solved = SolveLeastSquares(std::move(x), std::move(y));
  if (!solved) return std::nullopt;
  TrendFit fit;
  fit.Parameters = solved->Solution;
  for (std::size_t i = 0; i < n; ++i) {
    const auto rows = DesignRows(design, scaled.From[i]);
    const Pair fitted = Apply(rows, fit.Parameters);
    const Pair residual = {scaled.To[i][0] - fitted[0], scaled.To[i][1] - fitted[1]};
    fit.Residuals.push_back(residual);
    // C X_i^T, k x 2, then the hat block H_ii = X_i C X_i^T.
    std::array<Vector, 2> cxt = {Vector(k), Vector(k)};
    for (std::size_t r = 0; r < 2; ++r) {
      for (std::size_t a = 0; a < k; ++a) {
        for (std::size_t b = 0; b < k; ++b) cxt[r][a] += solved->Cofactor(a, b) * rows[r][b];
      }
    }
    const Extended m00 = 1 - Dot(rows[0], cxt[0]);
    const Extended m01 = -Dot(rows[0], cxt[1]);
    const Extended m10 = -Dot(rows[1], cxt[0]);
    const Extended m11 = 1 - Dot(rows[1], cxt[1]);
    const Extended determinant = m00 * m11 - m01 * m10;
    if (!(std::fabs(determinant) > 1e-10L)) {
      // The point is needed to fix the parameters: nothing to predict it from.
      fit.Loo.push_back({kNaN, kNaN});
      fit.Downdate.push_back(Vector(k, kNaN));
      continue;
    }
    // (I - H_ii)^-1 e_i: the residual of the point from the fit without it.
    const Pair deleted = {(m11 * residual[0] - m01 * residual[1]) / determinant,
                          (m00 * residual[1] - m10 * residual[0]) / determinant};
    fit.Loo.push_back({-deleted[0], -deleted[1]});
    Vector downdate(k);
    for (std::size_t a = 0; a < k; ++a) downdate[a] = cxt[0][a] * deleted[0] + cxt[1][a] * deleted[1];
    fit.Downdate.push_back(std::move(downdate));
  }
  return fit;
}

Extended Kernel(const Pair& a, const Pair& b, Extended inverseLengthSquared) {
  const Extended dE = a[0] - b[0];
  const Extended dN = a[1] - b[1];
  return std::exp(static_cast<double>(-(dE * dE + dN * dN) * inverseLengthSquared));
}

// The collocation of the trend's residuals with one length and nugget (scaled units).
struct Collocation {
  Extended Length = 0;
  Extended Nugget = 0;
  std::vector<Pair> Weights;
  std::vector<Pair> Loo;  // fitted without the point minus observed
  Extended LooSquares = std::numeric_limits<Extended>::infinity();
};

std::optional<Collocation> Collocate(const ScaledPoints& scaled, const TrendFit& trend, Extended length,
                                     Extended nugget) {
  const std::size_t n = scaled.From.size();
  const Extended inverseLengthSquared = 1.0L / (length * length);
  Matrix m(n, n);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) m(i, j) = Kernel(scaled.From[i], scaled.From[j], inverseLengthSquared);
    m(i, i) += nugget;
  }
  const auto g = InvertSymmetric(m);
  if (!g) return std::nullopt;
  Collocation result;
  result.Length = length;
  result.Nugget = nugget;
  for (std::size_t i = 0; i < n; ++i) {
    Pair weight = {0, 0};
    for (std::size_t j = 0; j < n; ++j) {
      weight[0] += (*g)(i, j) * trend.Residuals[j][0];
      weight[1] += (*g)(i, j) * trend.Residuals[j][1];
    }
    result.Weights.push_back(weight);
  }
  Extended squares = 0;
  for (std::size_t i = 0; i < n; ++i) {
    // The residuals from the trend fitted without point i differ by X_j times the downdate.
    Pair sum = result.Weights[i];
    for (std::size_t j = 0; j < n; ++j) {
      const Pair change = Apply(DesignRows(PlaneModel::Affine, scaled.From[j]), trend.Downdate[i]);
      sum[0] += (*g)(i, j) * change[0];
      sum[1] += (*g)(i, j) * change[1];
    }
    const Pair loo = {-sum[0] / (*g)(i, i), -sum[1] / (*g)(i, i)};
    result.Loo.push_back(loo);
    squares += loo[0] * loo[0] + loo[1] * loo[1];
  }
  result.LooSquares = std::isnan(static_cast<double>(squares)) ? std::numeric_limits<Extended>::infinity() : squares;
  return result;
}

// The candidate lengths of the Local covariance, scaled units.
std::vector<Extended> CandidateLengths(const ScaledPoints& scaled) {
  const std::size_t n = scaled.From.size();
  std::vector<Extended> nearest;
  Extended minE = scaled.From[0][0], maxE = minE, minN = scaled.From[0][1], maxN = minN;
  for (std::size_t i = 0; i < n; ++i) {
    Extended closest = std::numeric_limits<Extended>::infinity();
    for (std::size_t j = 0; j < n; ++j) {
      if (j != i) closest = std::min(closest, std::hypot(scaled.From[i][0] - scaled.From[j][0], scaled.From[i][1] - scaled.From[j][1]));
    }
    nearest.push_back(closest);
    minE = std::min(minE, scaled.From[i][0]);
    maxE = std::max(maxE, scaled.From[i][0]);
    minN = std::min(minN, scaled.From[i][1]);
    maxN = std::max(maxN, scaled.From[i][1]);
  }
  std::nth_element(nearest.begin(), nearest.begin() + static_cast<std::ptrdiff_t>(n / 2), nearest.end());
  const Extended shortest = nearest[n / 2] / 2;
  const Extended longest = 2 * std::hypot(maxE - minE, maxN - minN);
  std::vector<Extended> lengths;
  for (int step = 0; step < kLengthSteps; ++step) {
    lengths.push_back(shortest * std::pow(longest / shortest, static_cast<Extended>(step) / (kLengthSteps - 1)));
  }
  return lengths;
}

std::optional<Collocation> BestCollocation(const ScaledPoints& scaled, const TrendFit& trend,
                                           const LocalSettings& settings) {
  std::vector<Extended> lengths;
  if (settings.Length) {
    lengths.push_back(*settings.Length / scaled.Scale);
  } else {
    lengths = CandidateLengths(scaled);
  }
  std::vector<Extended> nuggets;
  if (settings.Nugget) {
    nuggets.push_back(*settings.Nugget);
  } else {
    nuggets.assign(kNuggets.begin(), kNuggets.end());
  }
  std::optional<Collocation> best;
  for (Extended length : lengths) {
    for (Extended nugget : nuggets) {
      auto candidate = Collocate(scaled, trend, length, nugget);
      if (candidate && (!best || candidate->LooSquares < best->LooSquares)) best = std::move(candidate);
    }
  }
  return best;
}

CommonPointError ErrorOf(CommonPointProblem kind) {
  CommonPointError error;
  error.Kind = kind;
  return error;
}

std::optional<CommonPointError> CheckGeometry(const std::vector<CommonPoint>& points, PlaneModel model) {
  if (static_cast<int>(points.size()) < MinimumPoints(model)) {
    CommonPointError error = ErrorOf(CommonPointProblem::TooFewPoints);
    error.Count = static_cast<int>(points.size());
    error.Required = MinimumPoints(model);
    error.Text = PlaneModelName(model);
    return error;
  }
  for (std::size_t i = 0; i < points.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (std::hypot(points[i].E67 - points[j].E67, points[i].N67 - points[j].N67) < kCoincidentDistance) {
        CommonPointError error = ErrorOf(CommonPointProblem::Coincident);
        error.Line = points[i].Line;
        error.Id = points[i].Id;
        error.OtherLine = points[j].Line;
        error.OtherId = points[j].Id;
        return error;
      }
    }
  }
  if (model == PlaneModel::Similarity) return std::nullopt;
  // The spreads along and across the best line: the square roots of the eigenvalues of the
  // points' covariance.
  const ScaledPoints scaled = ScalePoints(points);
  Extended sxx = 0, sxy = 0, syy = 0;
  for (const Pair& from : scaled.From) {
    sxx += from[0] * from[0];
    sxy += from[0] * from[1];
    syy += from[1] * from[1];
  }
  const auto n = static_cast<Extended>(points.size());
  const Extended mean = (sxx + syy) / (2 * n);
  const Extended half = std::hypot((sxx - syy) / (2 * n), sxy / n);
  const Extended along = std::sqrt(mean + half) * scaled.Scale;
  const Extended across = std::sqrt(std::max(mean - half, 0.0L)) * scaled.Scale;
  if (across < kCollinearRatio * along || across < kCoincidentDistance) {
    CommonPointError error = ErrorOf(CommonPointProblem::Collinear);
    error.Value = static_cast<double>(across);
    error.Value2 = static_cast<double>(along);
    error.Text = PlaneModelName(model);
    return error;
  }
  return std::nullopt;
}

PlaneParameters PlaneOf(const ScaledPoints& scaled, PlaneModel model, const Vector& p) {
  PlaneParameters plane;
  plane.CentreE = scaled.CentreE;
  plane.CentreN = scaled.CentreN;
  if (model == PlaneModel::Similarity) {
    plane.ShiftE = static_cast<double>(scaled.Centre97E + scaled.Scale * p[2]);
    plane.ShiftN = static_cast<double>(scaled.Centre97N + scaled.Scale * p[3]);
    plane.A = plane.D = static_cast<double>(p[0]);
    plane.C = static_cast<double>(p[1]);
    plane.B = -plane.C;
  } else {
    plane.ShiftE = static_cast<double>(scaled.Centre97E + scaled.Scale * p[2]);
    plane.ShiftN = static_cast<double>(scaled.Centre97N + scaled.Scale * p[5]);
    plane.A = static_cast<double>(p[0]);
    plane.B = static_cast<double>(p[1]);
    plane.C = static_cast<double>(p[3]);
    plane.D = static_cast<double>(p[4]);
  }
  return plane;
}

PlaneBox BoxOf(const std::vector<CommonPoint>& points) {
  PlaneBox box{points[0].E67, points[0].N67, points[0].E67, points[0].N67};
  for (const CommonPoint& point : points) {
    box.MinE = std::min(box.MinE, point.E67);
    box.MinN = std::min(box.MinN, point.N67);
    box.MaxE = std::max(box.MaxE, point.E67);
    box.MaxN = std::max(box.MaxN, point.N67);
  }
  return box;
}

double Median(std::vector<double> values) {
  const std::size_t middle = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle), values.end());
  const double upper = values[middle];
  if (values.size() % 2 != 0) return upper;
  const double lower = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle));
  return (lower + upper) / 2;
}

// Residuals of the transform on its points, their leave-one-out twins and the summary.
FitReport ReportOf(const std::vector<CommonPoint>& points, const FittedTransform& transform,
                   const std::vector<Pair>& loo, Extended scale) {
  FitReport report;
  Extended squares = 0, looSquares = 0;
  double max = 0, looMax = 0;
  bool looDefined = true;
  std::vector<double> looLengths;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const CommonPoint& point = points[i];
    PointResidual residual;
    residual.Id = point.Id;
    residual.Line = point.Line;
    double e = 0, n = 0;
    transform.Forward(point.E67, point.N67, e, n);
    residual.DE = e - point.E97;
    residual.DN = n - point.N97;
    residual.D = std::hypot(residual.DE, residual.DN);
    residual.LooDE = static_cast<double>(loo[i][0] * scale);
    residual.LooDN = static_cast<double>(loo[i][1] * scale);
    residual.LooD = std::hypot(residual.LooDE, residual.LooDN);
    looDefined = looDefined && !std::isnan(residual.LooD);
    squares += static_cast<Extended>(residual.D) * residual.D;
    looSquares += static_cast<Extended>(residual.LooD) * residual.LooD;
    max = std::max(max, residual.D);
    looMax = std::max(looMax, residual.LooD);
    looLengths.push_back(residual.LooD);
    report.Points.push_back(std::move(residual));
  }
  const auto n = static_cast<Extended>(points.size());
  report.Summary.PointCount = static_cast<int>(points.size());
  report.Summary.Rms = static_cast<double>(std::sqrt(squares / n));
  report.Summary.Max = max;
  report.Summary.LooRms = looDefined ? static_cast<double>(std::sqrt(looSquares / n)) : kNaN;
  report.Summary.LooMax = looDefined ? looMax : kNaN;
  report.FlagThreshold = looDefined ? std::max(kFlagFactor * Median(looLengths), kFlagFloor) : kNaN;
  for (PointResidual& residual : report.Points) residual.Flagged = residual.LooD > report.FlagThreshold;
  return report;
}

}  // namespace

FitResult Fit(const std::vector<CommonPoint>& points, PlaneModel model, int meridian, const LocalSettings& local,
              const std::string& attribution) {
  if (local.Length && !(std::isfinite(*local.Length) && *local.Length > 0)) {
    throw std::invalid_argument("the Local length must be positive");
  }
  if (local.Nugget && !(std::isfinite(*local.Nugget) && *local.Nugget > 0)) {
    throw std::invalid_argument("the Local nugget must be positive");
  }
  FitResult result;
  result.Error = CheckCommonPoints(points, meridian);
  if (!result.Error) result.Error = CheckGeometry(points, model);
  if (result.Error) return result;

  const ScaledPoints scaled = ScalePoints(points);
  const auto trend = FitTrend(scaled, model);
  if (!trend) {
    // Rank deficiency that the geometry checks did not catch (nearly collinear points).
    result.Error = ErrorOf(CommonPointProblem::Collinear);
    result.Error->Text = PlaneModelName(model);
    return result;
  }
  TransformParameters parameters;
  parameters.Model = model;
  parameters.Meridian = meridian;
  parameters.Plane = PlaneOf(scaled, model, trend->Parameters);
  parameters.Area = BoxOf(points);
  parameters.Attribution = attribution;
  std::vector<Pair> loo = trend->Loo;
  if (model == PlaneModel::Local) {
    const auto collocation = BestCollocation(scaled, *trend, local);
    if (!collocation) throw std::invalid_argument("the Local nugget is too small for these points");
    loo = collocation->Loo;
    parameters.Length = static_cast<double>(collocation->Length * scaled.Scale);
    parameters.Nugget = static_cast<double>(collocation->Nugget);
    for (std::size_t i = 0; i < points.size(); ++i) {
      parameters.Nodes.push_back({points[i].E67, points[i].N67,
                                  static_cast<double>(collocation->Weights[i][0] * scaled.Scale),
                                  static_cast<double>(collocation->Weights[i][1] * scaled.Scale)});
    }
  }
  // The summary needs the transform's own residuals: build it once to measure, then again
  // with the summary inside.
  const FittedTransform measured(parameters);
  result.Report = ReportOf(points, measured, loo, scaled.Scale);
  parameters.Summary = result.Report.Summary;
  result.Transform.emplace(std::move(parameters));
  return result;
}

}  // namespace morvane
