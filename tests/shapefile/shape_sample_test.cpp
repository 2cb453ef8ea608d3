// Sampling the shapes of a main file for the preview: every layout gives its paths, a large
// file is thinned to the bound path by path and spread over its records, keeping only its own
// vertices, the bounds come from the header box, and a damaged file fails as its conversion
// would.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/constants.hpp"
#include "engine/modes.hpp"
#include "shapefile/buffered_io.hpp"
#include "shapefile/byte_order.hpp"
#include "shapefile/records.hpp"
#include "shapefile/run_error.hpp"
#include "shapefile/shape_sample.hpp"
#include "support/file_bytes.hpp"
#include "support/memory_file_system.hpp"
#include "support/messages.hpp"
#include "support/shapefile_writer.hpp"

namespace morvane::test {
namespace {

std::vector<XY> PathOf(const ShapeSample& sample, const SampledPath& path) {
  std::vector<XY> points;
  for (std::uint32_t i = 0; i < path.Count; ++i) {
    points.push_back({sample.Coordinates[2 * (path.First + i)], sample.Coordinates[2 * (path.First + i) + 1]});
  }
  return points;
}

bool SamePoints(const std::vector<XY>& a, const std::vector<XY>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].X != b[i].X || a[i].Y != b[i].Y) return false;
  }
  return true;
}

ShapeSample SampleOf(const Shapefile& file, std::size_t maxVertices = kDefaultSampleVertices) {
  TempFolder folder;
  WriteShapefile(folder, "shapes", file);
  LocalFileSystem files;
  return SampleShapes(files, folder / "shapes.shp", maxVertices);
}

TEST(SampleShapes, EveryLayoutGivesItsPartsAsPathsAndNullShapesNothing) {
  const std::vector<XY> ring = {{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}};
  const std::vector<XY> hole = {{2, 2}, {4, 2}, {4, 4}, {2, 2}};
  std::vector<XY> polygon = ring;
  polygon.insert(polygon.end(), hole.begin(), hole.end());
  const std::vector<XY> line = {{1, 1}, {2, 3}, {3, 2}, {5, 5}};
  struct Case {
    const char* Name;
    RecordContent Record;
    ShapeKind Kind;
    std::vector<std::vector<XY>> Paths;
  };
  const std::vector<Case> cases = {
      {"Point", PointRecord(ShapeType::Point, {121, 23}), ShapeKind::Points, {{{121, 23}}}},
      {"PointZ", PointRecord(ShapeType::PointZ, {1, 2}, Trailer::ZM), ShapeKind::Points, {{{1, 2}}}},
      {"PointM", PointRecord(ShapeType::PointM, {3, 4}, Trailer::M), ShapeKind::Points, {{{3, 4}}}},
      {"MultiPointM", MultiPointRecord(ShapeType::MultiPointM, line, Trailer::M), ShapeKind::Points,
       {{line[0]}, {line[1]}, {line[2]}, {line[3]}}},
      {"MultiPointZ", MultiPointRecord(ShapeType::MultiPointZ, {line[0], line[1]}, Trailer::Z),
       ShapeKind::Points, {{line[0]}, {line[1]}}},
      {"Arc of two parts", PartsRecord(ShapeType::Arc, {0, 2}, line), ShapeKind::Lines,
       {{line[0], line[1]}, {line[2], line[3]}}},
      {"ArcM", PartsRecord(ShapeType::ArcM, {0}, line, Trailer::M), ShapeKind::Lines, {line}},
      {"Polygon with a hole", PartsRecord(ShapeType::Polygon, {0, 5}, polygon), ShapeKind::Polygon,
       {ring, hole}},
      {"PolygonZ with a hole", PartsRecord(ShapeType::PolygonZ, {0, 5}, polygon, Trailer::ZM),
       ShapeKind::Polygon, {ring, hole}},
      {"MultiPatch", PartsRecord(ShapeType::MultiPatch, {0, 5}, polygon, Trailer::Z), ShapeKind::Polygon,
       {ring, hole}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    // A null shape before and after: counted as records, drawn as nothing.
    const ShapeSample sample = SampleOf(BuildShapefile(ShapeType::NullShape, {NullRecord(), c.Record, NullRecord()}));
    EXPECT_EQ(sample.Records, 3u);
    EXPECT_FALSE(sample.Thinned);
    ASSERT_EQ(sample.Shapes.size(), 1u);
    EXPECT_EQ(sample.Shapes[0].Kind, c.Kind);
    ASSERT_EQ(sample.Shapes[0].PathCount, c.Paths.size());
    for (std::size_t p = 0; p < c.Paths.size(); ++p) {
      EXPECT_TRUE(SamePoints(PathOf(sample, sample.Paths[sample.Shapes[0].FirstPath + p]), c.Paths[p])) << p;
    }
  }

  const ShapeSample empty = SampleOf(BuildShapefile(ShapeType::NullShape, {}));
  EXPECT_EQ(empty.Records, 0u);
  EXPECT_TRUE(empty.Shapes.empty());
  EXPECT_TRUE(empty.Coordinates.empty());
}

// Whether `kept` is `all` with some points left out, in order, its first point kept.
bool ThinnedFrom(const std::vector<XY>& kept, const std::vector<XY>& all) {
  if (kept.empty() || kept.front().X != all.front().X || kept.front().Y != all.front().Y) return false;
  std::size_t at = 0;
  for (const XY& point : kept) {
    while (at < all.size() && (all[at].X != point.X || all[at].Y != point.Y)) ++at;
    if (at == all.size()) return false;
    ++at;
  }
  return true;
}

TEST(SampleShapes, LargeFilesAreThinnedToTheBoundKeepingOnlyTheirOwnVertices) {
  constexpr std::size_t kBound = 4000;
  std::mt19937 random(7);
  std::normal_distribution<double> step(0, 20);
  std::uniform_real_distribution<double> anywhere(200000, 300000);
  // Long random walks, many short lines and scattered points: each far beyond the bound.
  std::vector<std::vector<XY>> walks(3);
  for (auto& walk : walks) {
    XY at{250000, 2600000};
    for (int i = 0; i < 30000; ++i) walk.push_back(at = {at.X + step(random), at.Y + step(random)});
  }
  std::vector<RecordContent> lines;
  for (const auto& walk : walks) lines.push_back(PartsRecord(ShapeType::Arc, {0}, walk));
  for (int i = 0; i < 5000; ++i) {
    const XY from{anywhere(random), anywhere(random) + 2400000};
    lines.push_back(PartsRecord(ShapeType::Arc, {0}, {from, {from.X + 30, from.Y + 30}}));
  }
  std::vector<RecordContent> points;
  for (int i = 0; i < 20000; ++i) points.push_back(PointRecord(ShapeType::Point, {anywhere(random), anywhere(random)}));

  for (const auto& [name, records] : {std::pair{"lines", lines}, std::pair{"points", points}}) {
    SCOPED_TRACE(name);
    const Shapefile file = BuildShapefile(name == std::string("lines") ? ShapeType::Arc : ShapeType::Point, records);
    const ShapeSample sample = SampleOf(file, kBound);
    EXPECT_TRUE(sample.Thinned);
    EXPECT_LE(sample.VertexCount(), kBound);
    EXPECT_GT(sample.VertexCount(), kBound / 16);  // thinned, not emptied
    EXPECT_EQ(sample.Records, records.size());
    std::set<std::pair<double, double>> vertices;
    for (const RecordContent& record : records) {
      for (std::size_t offset : record.PointOffsets) {
        vertices.insert({ReadDoubleLE(record.Data.data() + offset), ReadDoubleLE(record.Data.data() + offset + 8)});
      }
    }
    for (std::size_t i = 0; i < sample.VertexCount(); ++i) {
      ASSERT_TRUE(vertices.count({sample.Coordinates[2 * i], sample.Coordinates[2 * i + 1]})) << i;
    }
  }
  // The records drawn are an even spread, those whose index the step divides, each in one
  // piece: the walks keep their start, their end and the order of what they keep, the short
  // lines both their ends.
  const ShapeSample sample = SampleOf(BuildShapefile(ShapeType::Arc, lines), kBound);
  EXPECT_GT(sample.RecordStep, 1u);
  EXPECT_EQ(sample.Shapes.size(), (lines.size() + sample.RecordStep - 1) / sample.RecordStep);
  for (std::size_t k = 0; k < sample.Shapes.size(); ++k) {
    const SampledShape& shape = sample.Shapes[k];
    EXPECT_EQ(shape.Record, k * sample.RecordStep);
    ASSERT_EQ(shape.PathCount, 1u);
    const std::vector<XY> kept = PathOf(sample, sample.Paths[shape.FirstPath]);
    if (shape.Record < walks.size()) {
      const std::vector<XY>& walk = walks[shape.Record];
      EXPECT_TRUE(ThinnedFrom(kept, walk)) << shape.Record;
      EXPECT_TRUE(SamePoints({kept.back()}, {walk.back()})) << shape.Record;
    } else {
      EXPECT_EQ(kept.size(), 2u) << shape.Record;
    }
  }
}

// Each path is thinned on its own: a shape of many parts keeps every part apart with its own
// ends, and one record larger than the bound alone is thinned further, never joined.
TEST(SampleShapes, PartsAreThinnedApartAndARecordBeyondTheBoundIsThinnedFurther) {
  constexpr std::size_t kBound = 2000;
  std::vector<XY> points;
  std::vector<std::int32_t> starts;
  for (int part = 0; part < 40; ++part) {
    starts.push_back(static_cast<std::int32_t>(points.size()));
    // A circle of 500 vertices, each part around its own centre.
    for (int i = 0; i <= 500; ++i) {
      const double angle = 2 * kPi * i / 500;
      points.push_back({250000 + 3000.0 * part + 1000 * std::cos(angle), 2600000 + 1000 * std::sin(angle)});
    }
  }
  points.back() = points[static_cast<std::size_t>(starts.back())];
  const ShapeSample sample = SampleOf(BuildShapefile(ShapeType::Polygon, {PartsRecord(ShapeType::Polygon, starts, points)}), kBound);
  EXPECT_LE(sample.VertexCount(), kBound);
  ASSERT_EQ(sample.Shapes.size(), 1u);
  ASSERT_EQ(sample.Shapes[0].PathCount, starts.size());
  for (std::size_t p = 0; p < starts.size(); ++p) {
    const auto first = points.begin() + starts[p];
    const auto last = p + 1 < starts.size() ? points.begin() + starts[p + 1] : points.end();
    const std::vector<XY> part(first, last);
    const std::vector<XY> kept = PathOf(sample, sample.Paths[p]);
    EXPECT_TRUE(ThinnedFrom(kept, part)) << p;
    EXPECT_TRUE(SamePoints({kept.back()}, {part.back()})) << p;
    EXPECT_GE(kept.size(), 4u) << p;  // still a ring, not a dot
  }
}

// The bounds to fit: the header box, less a side that a writer stretched to the origin for
// null shapes, widened to the records read when it does not hold them.
TEST(SampleShapes, BoundsAreTheHeaderBoxCheckedAgainstTheRecords) {
  const std::vector<XY> line = {{250000, 2600000}, {260000, 2650000}};
  struct Case {
    const char* Name;
    Box Header;
    bool NullShape;
    Box Expected;
  };
  const std::vector<Case> cases = {
      {"the header box", {200000, 2500000, 300000, 2700000}, false, {200000, 2500000, 300000, 2700000}},
      {"the header box, null shapes too", {200000, 2500000, 300000, 2700000}, true, {200000, 2500000, 300000, 2700000}},
      {"stretched to the origin for null shapes", {0, 0, 300000, 2700000}, true, {250000, 2600000, 300000, 2700000}},
      {"at the origin without null shapes", {0, 0, 300000, 2700000}, false, {0, 0, 300000, 2700000}},
      {"short of the records", {255000, 2500000, 258000, 2610000}, false, {250000, 2500000, 260000, 2650000}},
      {"not a box", {NAN, 0, 1, 1}, false, {250000, 2600000, 260000, 2650000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<RecordContent> records = {PartsRecord(ShapeType::Arc, {0}, line)};
    if (c.NullShape) records.push_back(NullRecord());
    const ShapeSample sample = SampleOf(BuildShapefile(ShapeType::Arc, records, c.Header));
    ASSERT_TRUE(sample.HasBounds);
    EXPECT_EQ(sample.Bounds.Xmin, c.Expected.Xmin);
    EXPECT_EQ(sample.Bounds.Ymin, c.Expected.Ymin);
    EXPECT_EQ(sample.Bounds.Xmax, c.Expected.Xmax);
    EXPECT_EQ(sample.Bounds.Ymax, c.Expected.Ymax);
  }
  EXPECT_FALSE(SampleOf(BuildShapefile(ShapeType::Arc, {NullRecord()}, Box{NAN, NAN, NAN, NAN})).HasBounds);
}

ShapefileHeader ReadHeader(const std::string& path) {
  ShapefileHeader header;
  const Bytes bytes = ReadFileBytes(path);
  std::copy_n(bytes.begin(), kFileHeaderSize, header.Bytes.begin());
  return header;
}

TEST(SampleShapes, DamagedFilesFailAsTheirConversionDoes) {
  const std::vector<XY> line = {{1, 1}, {2, 3}, {3, 2}, {5, 5}, {6, 6}};
  const std::vector<std::vector<RecordContent>> damaged = {
      {PartsRecord(ShapeType::Arc, {0, 3, 2}, line)},
      {PartsRecord(ShapeType::ArcZ, {0}, line)},
      {ContentBuilder(8).Box({}).Int(-5).Build()},
      {PointRecord(ShapeType::Point, {1, 1}), ContentBuilder(7).Point({121, 23}).Build()},
  };
  // The header's own checks come first, with the conversion's words.
  {
    TempFolder folder;
    Shapefile file = BuildShapefile(ShapeType::Arc, {PartsRecord(ShapeType::Arc, {0}, line)});
    WriteInt32BE(file.Main.data(), 9995);
    WriteShapefile(folder, "other", file);
    LocalFileSystem files;
    try {
      SampleShapes(files, folder / "other.shp");
      ADD_FAILURE() << "no error";
    } catch (const RunError& error) {
      EXPECT_EQ(error.what(), "File " + (folder / "other.shp") + " is not a shapefile");
    }
  }
  for (const auto& records : damaged) {
    TempFolder folder;
    WriteShapefile(folder, "bad", BuildShapefile(ShapeType::Arc, records));
    const std::string path = folder / "bad.shp";
    LocalFileSystem files;
    const ShapefileHeader header = ReadHeader(path);
    CheckMainFileHeader(header, std::filesystem::file_size(path), path);
    std::string converting;
    try {
      const auto input = files.OpenRead(path);
      MemoryFile output;
      BufferedReader in(*input);
      BufferedWriter out(output);
      in.Take(kFileHeaderSize);
      out.Write(std::vector<unsigned char>(kFileHeaderSize).data(), kFileHeaderSize);
      IgnoringMessages messages;
      EngineState engine(messages);
      RewriteRecords(in, out, engine, 0, path);
    } catch (const RunError& error) {
      converting = error.what();
    }
    ASSERT_FALSE(converting.empty());
    try {
      SampleShapes(files, path);
      ADD_FAILURE() << "no error for " << converting;
    } catch (const RunError& error) {
      EXPECT_EQ(error.what(), converting);
    }
  }
}

}  // namespace
}  // namespace morvane::test
