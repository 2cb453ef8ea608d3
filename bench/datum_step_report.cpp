// Prints, per region, how far modes 11 (TWD67 TM2 -> TWD97 TM2) and 12 (back) land from the
// published coordinates of the shipped common points (data/common-points) with the standard
// step and with the built-in fitted step, converted through the run's own path (the datum step
// resolved by name, the engine prepared from the Conversion, ConvertPoints). The built-in
// step's figures on its own points are plain residuals; the leave-one-out figures of its fit
// (FitSummary) tell what to expect on points it was not fitted to.
// Usage: report_datum_step
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/builtin_transforms.hpp"
#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "engine/plane_transform.hpp"
#include "machine.hpp"
#include "shapefile/datum_step.hpp"

namespace morvane {
namespace {

struct Misses {
  double Rms = 0;
  double Max = 0;
};

// How far `mode` with the step `choice` lands from the published coordinates: TWD97 for mode 11
// from TWD67, TWD67 for mode 12 from TWD97.
Misses Convert(const std::vector<CommonPoint>& points, Mode mode, Region region, const std::string& choice) {
  LocalFileSystem files;
  const DatumStepResolution step = ResolveDatumStep(choice, IndexOf(mode), region, files);
  if (!step.Ok()) {
    std::printf("  %s: %s\n", choice.c_str(), DescribeInEnglish(*step.Error).c_str());
    return {};
  }
  const bool forward = mode == Mode::Twd67Tm2ToTwd97Tm2;
  std::vector<double> pairs;
  for (const CommonPoint& p : points) {
    pairs.push_back(forward ? p.E67 : p.E97);
    pairs.push_back(forward ? p.N67 : p.N97);
  }
  IgnoredMessages messages;
  EngineState engine = EngineFor({IndexOf(mode), region, *step.Step}, messages);
  ConvertPoints(engine, IndexOf(mode), pairs);
  Misses misses;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const double e = forward ? points[i].E97 : points[i].E67;
    const double n = forward ? points[i].N97 : points[i].N67;
    const double d = std::hypot(pairs[2 * i] - e, pairs[2 * i + 1] - n);
    misses.Rms += d * d;
    misses.Max = std::fmax(misses.Max, d);
  }
  misses.Rms = std::sqrt(misses.Rms / static_cast<double>(points.size()));
  return misses;
}

void PrintRegion(const char* name, Region region) {
  const int meridian = *RegionTm2Meridian(region);
  const std::vector<CommonPoint> points = BuiltinCommonPoints(meridian);
  const FittedTransform& builtin = *BuiltinTransform(meridian);
  std::printf("%s (region %d, TM2 %d, %zu points; built-in model %s)\n", name, region + 1, meridian, points.size(),
              PlaneModelName(builtin.Model()));
  for (const Mode mode : {Mode::Twd67Tm2ToTwd97Tm2, Mode::Twd97Tm2ToTwd67Tm2}) {
    for (const char* choice : {"standard", "common-points"}) {
      const Misses misses = Convert(points, mode, region, choice);
      std::printf("  mode %-2u %-14s rms %7.3f m  max %7.3f m\n", RowOf(mode).Number, choice, misses.Rms, misses.Max);
    }
  }
  const FitSummary& fit = builtin.Summary();
  std::printf("  built-in fit, leave-one-out: rms %7.3f m  max %7.3f m\n", fit.LooRms, fit.LooMax);
}

}  // namespace
}  // namespace morvane

int main() {
  morvane::bench::PrintMachine(stdout);
  morvane::PrintRegion("Taiwan", morvane::kTaiwanRegion);
  morvane::PrintRegion("Penghu", morvane::kIslandsRegion);
  return 0;
}
