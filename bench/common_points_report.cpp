// Prints, per region, how far TWD67 TM2 -> TWD97 TM2 lands from the published TWD97 coordinates
// of the shipped common points (data/common-points): with the standard seven-parameter step
// (mode 11 through ConvertPoint) and with each plane model fitted to the points, plain (the
// fit's own points) and leave-one-out (each point predicted by the fit to the others).
// Usage: report_common_points
#include <cmath>
#include <cstdio>
#include <string>

#include "engine/builtin_transforms.hpp"
#include "engine/engine_state.hpp"
#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "engine/plane_fit.hpp"
#include "machine.hpp"

namespace morvane {
namespace {

struct Region {
  const char* Name;
  int Meridian;
  morvane::Region Index;  // of ApplyTransformSettings
};

// RMS and max of the lengths by which mode 11 misses the published TWD97 coordinates.
void PrintStandardStep(const std::vector<CommonPoint>& points, const Region& region) {
  IgnoredMessages messages;
  EngineState state(messages);
  const auto mode = static_cast<TransformMode>(Mode::Twd67Tm2ToTwd97Tm2);
  ApplyTransformSettings(state, mode, region.Index);
  double squares = 0;
  double max = 0;
  for (const CommonPoint& point : points) {
    double e = 0;
    double n = 0;
    ConvertPoint(state, mode, point.E67, point.N67, e, n);
    const double d = std::hypot(e - point.E97, n - point.N97);
    squares += d * d;
    max = std::fmax(max, d);
  }
  std::printf("  %-22s rms %8.3f m  max %8.3f m\n", "standard step (mode 11)",
              std::sqrt(squares / static_cast<double>(points.size())), max);
}

// The largest length of the Local correction (Forward minus Trend) on a 201 x 201 grid over
// the fitted area: how far it bends the affine trend between the points.
double LargestCorrection(const FittedTransform& transform) {
  const PlaneBox& area = transform.FittedArea();
  constexpr int kSteps = 200;
  double largest = 0;
  for (int i = 0; i <= kSteps; ++i) {
    for (int j = 0; j <= kSteps; ++j) {
      const double e = area.MinE + (area.MaxE - area.MinE) * i / kSteps;
      const double n = area.MinN + (area.MaxN - area.MinN) * j / kSteps;
      double forwardE = 0, forwardN = 0, trendE = 0, trendN = 0;
      transform.Forward(e, n, forwardE, forwardN);
      transform.Trend(e, n, trendE, trendN);
      largest = std::fmax(largest, std::hypot(forwardE - trendE, forwardN - trendN));
    }
  }
  return largest;
}

// Leave-one-out of the Local model with its length and nugget chosen again without each point:
// the plain leave-one-out figures keep the pair chosen on all points, which flatters them.
void PrintNestedLocal(const std::vector<CommonPoint>& points, int meridian) {
  double squares = 0;
  double max = 0;
  for (std::size_t left = 0; left < points.size(); ++left) {
    std::vector<CommonPoint> others = points;
    others.erase(others.begin() + static_cast<std::ptrdiff_t>(left));
    const FitResult fit = Fit(others, PlaneModel::Local, meridian);
    double e = 0;
    double n = 0;
    fit.Transform->Forward(points[left].E67, points[left].N67, e, n);
    const double d = std::hypot(e - points[left].E97, n - points[left].N97);
    squares += d * d;
    max = std::fmax(max, d);
  }
  std::printf("  %-22s %37s leave-one-out rms %8.3f m  max %8.3f m\n", "local, chosen anew", "",
              std::sqrt(squares / static_cast<double>(points.size())), max);
}

void PrintRegion(const Region& region) {
  const std::vector<CommonPoint> points = BuiltinCommonPoints(region.Meridian);
  std::printf("%s (TM2 %d, %zu points)\n", region.Name, region.Meridian, points.size());
  PrintStandardStep(points, region);
  for (PlaneModel model : {PlaneModel::Similarity, PlaneModel::Affine, PlaneModel::Local}) {
    const FitResult fit = Fit(points, model, region.Meridian);
    if (!fit.Ok()) {
      std::printf("  %-22s %s\n", PlaneModelName(model), DescribeInEnglish(*fit.Error).c_str());
      continue;
    }
    const FitSummary& s = fit.Report.Summary;
    std::printf("  %-22s rms %8.3f m  max %8.3f m  leave-one-out rms %8.3f m  max %8.3f m", PlaneModelName(model),
                s.Rms, s.Max, s.LooRms, s.LooMax);
    if (model == PlaneModel::Local) {
      std::printf("  (L %.0f m, nugget %g, correction up to %.3f m)", fit.Transform->Length(), fit.Transform->Nugget(),
                  LargestCorrection(*fit.Transform));
    }
    std::string flagged;
    for (const PointResidual& point : fit.Report.Points) {
      if (point.Flagged) flagged += " " + point.Id;
    }
    if (!flagged.empty()) std::printf("  flagged:%s", flagged.c_str());
    std::printf("\n");
  }
  PrintNestedLocal(points, region.Meridian);
  std::printf("  built-in model: %s\n", PlaneModelName(BuiltinModel(region.Meridian)));
}

}  // namespace
}  // namespace morvane

int main() {
  morvane::bench::PrintMachine(stdout);
  morvane::PrintRegion({"Taiwan", 121, 0});
  morvane::PrintRegion({"Penghu", 119, 1});
  return 0;
}
