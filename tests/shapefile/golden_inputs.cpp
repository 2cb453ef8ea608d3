#include "golden_inputs.hpp"

#include <random>

namespace morvane::test {

namespace {

struct Area {
  double XMin, XMax, YMin, YMax;
};

// The source system of each mode, wide enough to reach past the region's own zone.
Area SourceArea(TransformMode mode) {
  const Area twoDegreeGrid{100000, 400000, 2300000, 2950000};
  const Area geographic{117.5, 122.5, 21.5, 26.5};
  switch (mode) {
    case 2: return {200000, 500000, 2300000, 2950000};  // TM3
    case 4: return {100000, 900000, 2300000, 2950000};  // UTM, zone 51 or 50
    case 6: return {-3500000, 2500000, 1000000, 5000000};  // Lambert grid
    case 7: return {75, 133, 18, 53};                   // the mainland, geographic
    case 0:
    case 10:
    case 11:
    case 12: return twoDegreeGrid;
    default: return geographic;
  }
}

bool GridSource(TransformMode mode) {
  return mode == 0 || mode == 2 || mode == 4 || mode == 6 || mode == 10 || mode == 11 || mode == 12;
}

}  // namespace

Shapefile GoldenInput(TransformMode mode) {
  const Area area = SourceArea(mode);
  std::mt19937_64 random(8u + mode);  // the standard fixes its sequence
  auto uniform = [&random] { return static_cast<double>(random() >> 11) * 0x1.0p-53; };  // [0, 1)
  const std::vector<XY> special =
      GridSource(mode) ? std::vector<XY>{{250000, 2600000}, {350000, 2600000}, {500000, 2600000}, {250000, 0}}
                       : std::vector<XY>{{121, 24}, {119, 23.5}, {123, 24}, {121, 0}};
  std::vector<RecordContent> records;
  for (int p = 0; p < kPolygons; ++p) {
    std::vector<XY> points;
    if (p == 0 && mode != 6 && mode != 7) points = special;
    while (points.size() < kVerticesPerPolygon) {
      points.push_back({area.XMin + (area.XMax - area.XMin) * uniform(),
                        area.YMin + (area.YMax - area.YMin) * uniform()});
    }
    records.push_back(PartsRecord(ShapeType::Polygon, {0, kVerticesPerPolygon / 2}, points));
  }
  records.push_back(PartsRecord(ShapeType::Polygon, {}, {}));
  return BuildShapefile(ShapeType::Polygon, records,
                        morvane::Box{area.XMin, area.YMin, area.XMax, area.YMax});
}

}  // namespace morvane::test
