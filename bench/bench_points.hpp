// Fixed point sets for the benchmarks: pseudo-random TWD67 geographic points over the boxes of
// a region, taken through the engine into the source system of a mode, so that every benchmark
// converts the same points in the same order.
#pragma once

#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include "engine/mode_table.hpp"
#include "engine/modes.hpp"

namespace morvane::bench {

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
  const std::vector<Box>& boxes = region == kTaiwanRegion ? kTaiwan : region == kIslandsRegion ? kIslands : kMainland;
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
inline Mode PreparingMode(Mode mode) {
  switch (mode) {
    case Mode::Twd67Tm2ToTwd67Geographic: return Mode::Twd67GeographicToTwd67Tm2;
    case Mode::Tm3ToTwd67Geographic: return Mode::Twd67GeographicToTm3;
    case Mode::UtmToTwd67Geographic: return Mode::Twd67GeographicToUtm;
    case Mode::LambertToGeographic: return Mode::GeographicToLambert;
    case Mode::Twd97GeographicToTwd67Geographic: return Mode::Twd67GeographicToTwd97Geographic;
    case Mode::Twd67Tm2ToTwd97Tm2: return Mode::Twd67GeographicToTwd67Tm2;
    case Mode::Twd97Tm2ToTwd67Tm2: return Mode::Twd97GeographicToTwd97Tm2;
    case Mode::Twd97Tm2ToTwd97Geographic: return Mode::Twd97GeographicToTwd97Tm2;
    case Mode::Twd97GeographicToTwd97Tm2: return Mode::Twd67GeographicToTwd97Geographic;
    case Mode::Wgs84GeographicToTwd67Geographic: return Mode::Twd67GeographicToWgs84Geographic;
    default: return mode;
  }
}

// The points of GeographicPoints(region) in the source system of `mode`.
inline std::vector<Point> SourcePoints(TransformMode mode, Region region) {
  std::vector<Point> points = GeographicPoints(region);
  const TransformMode preparing = IndexOf(PreparingMode(RowOf(mode).Id));
  if (preparing == mode) return points;
  IgnoredMessages messages;
  EngineState state(messages);
  if (preparing == IndexOf(Mode::Twd97GeographicToTwd97Tm2)) {  // TWD97 TM2 from TWD97 geographic
    const TransformMode toTwd97 = IndexOf(Mode::Twd67GeographicToTwd97Geographic);
    ApplyTransformSettings(state, toTwd97, region);
    for (Point& p : points) ConvertPoint(state, toTwd97, p.X, p.Y, p.X, p.Y);
  }
  ApplyTransformSettings(state, preparing, region);
  for (Point& p : points) ConvertPoint(state, preparing, p.X, p.Y, p.X, p.Y);
  return points;
}

}  // namespace morvane::bench
