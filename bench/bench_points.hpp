// Fixed point sets for the benchmarks: pseudo-random TWD67 geographic points over the boxes of
// a region, taken through the engine into the source system of a mode, so that every benchmark
// converts the same points in the same order.
#pragma once

#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include "engine/modes.hpp"

namespace morvane::bench {

class SilentMessages : public MessageSink {
 public:
  void ShowMessage(const std::string&) override {}
};

struct Point {
  double X, Y;
};

inline constexpr std::size_t kPointCount = 4096;  // a power of two: an index wraps with a mask

// Fixed pseudo-random TWD67 geographic points spread over the boxes of a region.
inline std::vector<Point> GeographicPoints(Region region) {
  struct Box {
    double LonMin, LonMax, LatMin, LatMax;
  };
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
inline TransformMode PreparingMode(TransformMode mode) {
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

// The points of GeographicPoints(region) in the source system of `mode`.
inline std::vector<Point> SourcePoints(TransformMode mode, Region region) {
  std::vector<Point> points = GeographicPoints(region);
  const TransformMode preparing = PreparingMode(mode);
  if (preparing == mode) return points;
  SilentMessages messages;
  EngineState state(messages);
  if (preparing == 13) {  // TWD97 TM2 from TWD97 geographic
    ApplyTransformSettings(state, 8, region);
    for (Point& p : points) ConvertPoint(state, 8, p.X, p.Y, p.X, p.Y);
  }
  ApplyTransformSettings(state, preparing, region);
  for (Point& p : points) ConvertPoint(state, preparing, p.X, p.Y, p.X, p.Y);
  return points;
}

}  // namespace morvane::bench
