#include "seed_inputs.hpp"
#include "support/shapefile_writer.hpp"

#include "engine/mode_table.hpp"

namespace morvane::fuzz {

namespace {

using test::Trailer;
using test::XY;

// Region 1 (Taiwan), blocks of 64 and of 509 bytes.
constexpr unsigned char kGridToGeographic = IndexOf(Mode::Twd67Tm2ToTwd67Geographic);
constexpr unsigned char kGeographicToGrid = IndexOf(Mode::Twd67GeographicToTwd67Tm2) | (2 << 6);

struct TypeCase {
  const char* Name;
  ShapeType Type;
  Trailer Measures;
};

test::RecordContent RecordOf(const TypeCase& c, const std::vector<XY>& points) {
  switch (c.Type) {
    case ShapeType::Point:
    case ShapeType::PointM:
    case ShapeType::PointZ:
      return test::PointRecord(c.Type, points[0], c.Measures);
    case ShapeType::MultiPoint:
    case ShapeType::MultiPointM:
    case ShapeType::MultiPointZ:
      return test::MultiPointRecord(c.Type, points, c.Measures);
    default:
      return test::PartsRecord(c.Type, {0, 2}, points, c.Measures);
  }
}

}  // namespace

std::vector<SeedInput> SeedInputs() {
  const std::vector<TypeCase> types = {
      {"point", ShapeType::Point, Trailer::None},
      {"pointm", ShapeType::PointM, Trailer::M},
      {"pointz", ShapeType::PointZ, Trailer::ZM},
      {"multipoint", ShapeType::MultiPoint, Trailer::None},
      {"multipointm", ShapeType::MultiPointM, Trailer::M},
      {"multipointz", ShapeType::MultiPointZ, Trailer::Z},
      {"arc", ShapeType::Arc, Trailer::None},
      {"arcm", ShapeType::ArcM, Trailer::M},
      {"arcz", ShapeType::ArcZ, Trailer::Z},
      {"polygon", ShapeType::Polygon, Trailer::None},
      {"polygonm", ShapeType::PolygonM, Trailer::M},
      {"polygonz", ShapeType::PolygonZ, Trailer::ZM},
      {"multipatch", ShapeType::MultiPatch, Trailer::ZM},
  };
  const std::vector<XY> geographic = {{120.2, 22.1}, {121.5, 24.9}, {121.9, 23.0}, {120.6, 22.8}};
  const std::vector<XY> grid = {{170000, 2450000}, {300000, 2750000}, {250000, 2600000}, {210000, 2500000}};

  std::vector<SeedInput> seeds;
  auto add = [&](const std::string& name, unsigned char choice, const test::Shapefile& file) {
    Bytes input = {choice};
    input.insert(input.end(), file.Main.begin(), file.Main.end());
    seeds.push_back({name, std::move(input)});
  };
  for (const TypeCase& c : types) {
    add(std::string(c.Name) + "-geographic", kGeographicToGrid,
        test::BuildShapefile(c.Type, {RecordOf(c, geographic), test::NullRecord(), RecordOf(c, geographic)}));
    add(std::string(c.Name) + "-grid", kGridToGeographic,
        test::BuildShapefile(c.Type, {test::NullRecord(), RecordOf(c, grid)}));
  }
  add("nullshape", kGeographicToGrid, test::BuildShapefile(ShapeType::NullShape, {test::NullRecord()}));
  add("header-only", kGeographicToGrid, test::BuildShapefile(ShapeType::Polygon, {}, Box{120, 22, 122, 25}));
  return seeds;
}

}  // namespace morvane::fuzz
