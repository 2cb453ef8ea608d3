// Nanoseconds per converted point for each of the sixteen modes. Each mode converts a fixed
// set of 4096 points of its own source system: Taiwan for region 1, Penghu, Kinmen and Matsu
// for region 2, the mainland for the Lambert modes (region 3). Names and labels number modes
// (1 to 16) and regions (1 to 3) as users see them. One iteration of ConvertPoint/ is
// one call, so its time is the time per point; one iteration of ConvertPoints/ converts all
// 4096 points (a copy of them, refilled each time: about 1% of the time), and its items per
// second are points per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench_points.hpp"
#include "engine/constants.hpp"
#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "engine/transverse_mercator.hpp"
#include "machine.hpp"

namespace morvane {
namespace {

using bench::kPointCount;
using bench::Point;
using bench::SourcePoints;

void ConvertPointBenchmark(benchmark::State& bench, TransformMode mode, Region region) {
  const std::vector<Point> points = SourcePoints(mode, region);
  IgnoredMessages messages;
  EngineState state(messages);
  ApplyTransformSettings(state, mode, region);
  std::size_t i = 0;
  for (auto _ : bench) {
    const Point& p = points[i++ & (kPointCount - 1)];
    double x;
    double y;
    ConvertPoint(state, mode, p.X, p.Y, x, y);
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(y);
  }
  bench.SetItemsProcessed(static_cast<std::int64_t>(bench.iterations()));
  bench.SetLabel(std::string("region ") + std::to_string(kRegions[region].Number));
}

void ConvertPointsBenchmark(benchmark::State& bench, TransformMode mode, Region region) {
  std::vector<double> pairs;
  for (const Point& p : SourcePoints(mode, region)) {
    pairs.push_back(p.X);
    pairs.push_back(p.Y);
  }
  IgnoredMessages messages;
  EngineState state(messages);
  ApplyTransformSettings(state, mode, region);
  std::vector<double> work(pairs.size());
  for (auto _ : bench) {
    work = pairs;
    ConvertPoints(state, mode, work);
    benchmark::DoNotOptimize(work.data());
  }
  bench.SetItemsProcessed(static_cast<std::int64_t>(bench.iterations()) * static_cast<std::int64_t>(kPointCount));
  bench.SetLabel(std::string("region ") + std::to_string(kRegions[region].Number));
}

// One footpoint search over the northings of Taiwan's TWD97 grid: the bisection as stated
// against the search that the inverse operations use (same result, bit for bit).
std::vector<Extended> Twd97Targets() {
  std::vector<Extended> targets;
  for (const Point& p : SourcePoints(12, 0)) targets.push_back(p.Y * kTm97InverseScaleFactor);
  return targets;
}

MeridianArc Grs80Arc() {
  return MeridianArcOf(kGrs80SemiMajorAxis, kGrs80SemiMajorAxis - kGrs80SemiMajorAxis * kGrs80Flattening);
}

void BisectionBenchmark(benchmark::State& bench) {
  const MeridianArc arc = Grs80Arc();
  const std::vector<Extended> targets = Twd97Targets();
  std::size_t i = 0;
  for (auto _ : bench) {
    Extended latitude = FootpointLatitudeByBisection(arc, targets[i++ & (kPointCount - 1)], kFixedFootpointMaxSteps);
    benchmark::DoNotOptimize(latitude);
  }
  bench.SetItemsProcessed(static_cast<std::int64_t>(bench.iterations()));
}

void FastFootpointBenchmark(benchmark::State& bench) {
  const FootpointSearch search = FootpointSearchOf(Grs80Arc());
  const std::vector<Extended> targets = Twd97Targets();
  std::size_t i = 0;
  for (auto _ : bench) {
    Extended latitude = FootpointLatitude(search, targets[i++ & (kPointCount - 1)], kFixedFootpointMaxSteps);
    benchmark::DoNotOptimize(latitude);
  }
  bench.SetItemsProcessed(static_cast<std::int64_t>(bench.iterations()));
}

void RegisterAll() {
  benchmark::RegisterBenchmark("Footpoint/bisection", BisectionBenchmark);
  benchmark::RegisterBenchmark("Footpoint/fast", FastFootpointBenchmark);
  for (const ModeRow& row : kModes) {
    const TransformMode mode = IndexOf(row.Id);
    const std::vector<Region> regions =
        row.UsesLambertGrid ? std::vector<Region>{kMainlandRegion} : std::vector<Region>{kTaiwanRegion, kIslandsRegion};
    for (Region region : regions) {
      const std::string suffix = "/mode" + std::to_string(row.Number) + "/region" + std::to_string(kRegions[region].Number);
      benchmark::RegisterBenchmark(("ConvertPoint" + suffix).c_str(), ConvertPointBenchmark, mode, region);
      benchmark::RegisterBenchmark(("ConvertPoints" + suffix).c_str(), ConvertPointsBenchmark, mode, region);
    }
  }
}

}  // namespace
}  // namespace morvane

int main(int argc, char** argv) {
  morvane::RegisterAll();
  benchmark::Initialize(&argc, argv);
  // In the context block that heads the report (and its JSON form).
  benchmark::AddCustomContext("processor", morvane::bench::ProcessorModel());
  benchmark::AddCustomContext("compiler", morvane::bench::BuildFlags());
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
