// Nanoseconds per converted point for each of the sixteen modes. Each mode converts a fixed
// set of 4096 points of its own source system: Taiwan for region 0, Penghu, Kinmen and Matsu
// for region 1, the mainland for the Lambert modes (region 2). One benchmark iteration is one
// ConvertPoint call, so the reported time is the time per point.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/constants.hpp"
#include "engine/modes.hpp"
#include "engine/transverse_mercator.hpp"

namespace morvane {
namespace {

class SilentMessages : public MessageSink {
 public:
  void ShowMessage(const std::string&) override {}
};

struct Point {
  double X, Y;
};

struct Box {
  double LonMin, LonMax, LatMin, LatMax;
};

constexpr std::size_t kPointCount = 4096;  // a power of two: the index wraps with a mask

// Fixed pseudo-random TWD67 geographic points spread over the boxes of a region.
std::vector<Point> GeographicPoints(Region region) {
  static const std::vector<Box> kTaiwan = {{120.1, 121.9, 22.0, 25.3}};
  static const std::vector<Box> kIslands = {
      {119.3, 119.7, 23.2, 23.8}, {118.2, 118.5, 24.38, 24.52}, {119.9, 120.5, 25.9, 26.4}};
  static const std::vector<Box> kMainland = {{75.0, 133.0, 20.0, 52.0}};
  const std::vector<Box>& boxes = region == 0 ? kTaiwan : region == 1 ? kIslands : kMainland;
  std::mt19937_64 random(20240229);  // the standard fixes its sequence
  auto uniform = [&random] { return static_cast<double>(random() >> 11) * 0x1.0p-53; };  // [0, 1)
  std::vector<Point> points;
  for (std::size_t i = 0; i < kPointCount; ++i) {
    const Box& box = boxes[i % boxes.size()];
    points.push_back({box.LonMin + (box.LonMax - box.LonMin) * uniform(),
                      box.LatMin + (box.LatMax - box.LatMin) * uniform()});
  }
  return points;
}

// The mode that turns TWD67 geographic points into the source system of `mode`, or `mode`
// itself where the source already is TWD67 geographic.
TransformMode PreparingMode(TransformMode mode) {
  switch (mode) {
    case 0: return 1;    // TWD67 TM2
    case 2: return 3;    // TM3
    case 4: return 5;    // UTM
    case 6: return 7;    // Lambert
    case 9: return 8;    // TWD97 geographic
    case 10: return 1;   // TWD67 TM2
    case 11: return 13;  // TWD97 TM2
    case 12: return 13;  // TWD97 TM2
    case 13: return 8;   // TWD97 geographic
    case 15: return 14;  // WGS84 geographic
    default: return mode;
  }
}

std::vector<Point> SourcePoints(TransformMode mode, Region region) {
  std::vector<Point> points = GeographicPoints(region);
  const TransformMode preparing = PreparingMode(mode);
  if (preparing == mode) return points;
  SilentMessages messages;
  EngineState state(messages);
  std::vector<Point> geo97 = points;
  if (preparing == 13) {  // TWD97 TM2 from TWD97 geographic
    ApplyTransformSettings(state, 8, region);
    for (Point& p : geo97) ConvertPoint(state, 8, p.X, p.Y, p.X, p.Y);
    points = geo97;
  }
  ApplyTransformSettings(state, preparing, region);
  for (Point& p : points) ConvertPoint(state, preparing, p.X, p.Y, p.X, p.Y);
  return points;
}

void ConvertPointBenchmark(benchmark::State& bench, TransformMode mode, Region region) {
  const std::vector<Point> points = SourcePoints(mode, region);
  SilentMessages messages;
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
  bench.SetLabel(std::string("region ") + std::to_string(region));
}

// One footpoint search over the northings of Taiwan's TWD97 grid: the bisection as stated
// against the search that the inverse operations use (same result, bit for bit).
template <Extended (*Search)(const MeridianArc&, Extended, int)>
void FootpointBenchmark(benchmark::State& bench) {
  const MeridianArc arc =
      MeridianArcOf(kGrs80SemiMajorAxis, kGrs80SemiMajorAxis - kGrs80SemiMajorAxis * kGrs80Flattening);
  std::vector<Extended> targets;
  for (const Point& p : SourcePoints(12, 0)) targets.push_back(p.Y * kTm97InverseScaleFactor);
  std::size_t i = 0;
  for (auto _ : bench) {
    Extended latitude = Search(arc, targets[i++ & (kPointCount - 1)], kFixedFootpointMaxSteps);
    benchmark::DoNotOptimize(latitude);
  }
  bench.SetItemsProcessed(static_cast<std::int64_t>(bench.iterations()));
}

void RegisterAll() {
  benchmark::RegisterBenchmark("Footpoint/bisection", FootpointBenchmark<FootpointLatitudeByBisection>);
  benchmark::RegisterBenchmark("Footpoint/fast", FootpointBenchmark<FootpointLatitude>);
  for (TransformMode mode = 0; mode < kModeCount; ++mode) {
    const bool lambert = mode == 6 || mode == 7;
    for (Region region : lambert ? std::vector<Region>{2} : std::vector<Region>{0, 1}) {
      const std::string name = "ConvertPoint/mode" + std::to_string(mode) + "/region" +
                               std::to_string(region);
      benchmark::RegisterBenchmark(name.c_str(), ConvertPointBenchmark, mode, region);
    }
  }
}

}  // namespace
}  // namespace morvane

int main(int argc, char** argv) {
  morvane::RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
