#include "golden_inputs.hpp"

#include <random>

#include "engine/mode_table.hpp"

namespace morvane::test {

namespace {

struct Area {
  double XMin, XMax, YMin, YMax;
};

// The source system of each mode, wide enough to reach past the region's own zone.
Area SourceArea(TransformMode mode) {
  const Area twoDegreeGrid{100000, 400000, 2300000, 2950000};
  const Area geographic{117.5, 122.5, 21.5, 26.5};
  switch (static_cast<Mode>(mode)) {
    case Mode::Tm3ToTwd67Geographic: return {200000, 500000, 2300000, 2950000};
    case Mode::UtmToTwd67Geographic: return {100000, 900000, 2300000, 2950000};  // zone 51 or 50
    case Mode::LambertToGeographic: return {-3500000, 2500000, 1000000, 5000000};
    case Mode::GeographicToLambert: return {75, 133, 18, 53};  // the mainland
    case Mode::Twd67Tm2ToTwd67Geographic:
    case Mode::Twd67Tm2ToTwd97Tm2:
    case Mode::Twd97Tm2ToTwd67Tm2:
    case Mode::Twd97Tm2ToTwd97Geographic: return twoDegreeGrid;
    default: return geographic;
  }
}

bool GridSource(Mode mode) {
  return mode == Mode::Twd67Tm2ToTwd67Geographic || mode == Mode::Tm3ToTwd67Geographic ||
         mode == Mode::UtmToTwd67Geographic || mode == Mode::LambertToGeographic || mode == Mode::Twd67Tm2ToTwd97Tm2 ||
         mode == Mode::Twd97Tm2ToTwd67Tm2 || mode == Mode::Twd97Tm2ToTwd97Geographic;
}

bool LambertMode(Mode mode) { return mode == Mode::LambertToGeographic || mode == Mode::GeographicToLambert; }

}  // namespace

Shapefile GoldenInput(TransformMode mode) {
  const Area area = SourceArea(mode);
  std::mt19937_64 random(8u + mode);  // the standard fixes its sequence
  auto uniform = [&random] { return static_cast<double>(random() >> 11) * 0x1.0p-53; };  // [0, 1)
  const std::vector<XY> special =
      GridSource(static_cast<Mode>(mode))
          ? std::vector<XY>{{250000, 2600000}, {350000, 2600000}, {500000, 2600000}, {250000, 0}}
          : std::vector<XY>{{121, 24}, {119, 23.5}, {123, 24}, {121, 0}};
  std::vector<RecordContent> records;
  for (int p = 0; p < kPolygons; ++p) {
    std::vector<XY> points;
    if (p == 0 && !LambertMode(static_cast<Mode>(mode))) points = special;
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
