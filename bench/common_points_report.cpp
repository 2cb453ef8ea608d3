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

namespace morvane {
namespace {

class IgnoredMessages : public MessageSink {
 public:
  void ShowMessage(const std::string&) override {}
};

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
      std::printf("  (L %.0f m, nugget %g)", fit.Transform->Length(), fit.Transform->Nugget());
    }
    std::string flagged;
    for (const PointResidual& point : fit.Report.Points) {
      if (point.Flagged) flagged += " " + point.Id;
    }
    if (!flagged.empty()) std::printf("  flagged:%s", flagged.c_str());
    std::printf("\n");
  }
  std::printf("  built-in model: %s\n", PlaneModelName(BuiltinModel(region.Meridian)));
}

}  // namespace
}  // namespace morvane

int main() {
  morvane::PrintRegion({"Taiwan", 121, 0});
  morvane::PrintRegion({"Penghu", 119, 1});
  return 0;
}
