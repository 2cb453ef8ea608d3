// A bounded sample of the shapes of a main file, as plain coordinates for drawing: every
// record read with the conversion's own checks, its points kept in file order, parts apart.
//
// A file small enough (at most `maxVertices` points by its size) is taken whole. A larger one
// is thinned on a grid over its header box, about kSampleGridCells cells across: a vertex in
// the same cell as the one kept before it on its path is dropped, the last vertex of a path
// kept; a path (or point) that lies within one cell shrinks to one vertex, dropped if another
// such vertex holds that cell already. Whenever more than `maxVertices` vertices would be
// kept, the grid doubles and what was kept is thinned again, so the sample never holds more.
// Coordinates that are not finite are left out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shapefile/file_system.hpp"

namespace morvane {

inline constexpr std::size_t kDefaultSampleVertices = std::size_t{1} << 16;
inline constexpr double kSampleGridCells = 1024;

enum class ShapeKind {
  Points,   // Point, MultiPoint: each vertex on its own
  Lines,    // Arc: each path open
  Polygon,  // Polygon, MultiPatch: each path a ring, holes among them
};

struct SampledPath {
  std::uint32_t First = 0;  // vertex index
  std::uint32_t Count = 0;
};

// One record with vertices; records without any (null shapes) are not kept.
struct SampledShape {
  ShapeKind Kind = ShapeKind::Points;
  std::uint32_t FirstPath = 0;
  std::uint32_t PathCount = 0;
};

struct ShapeSample {
  std::vector<double> Coordinates;  // x0, y0, x1, y1, ... path after path
  std::vector<SampledPath> Paths;
  std::vector<SampledShape> Shapes;
  std::uint64_t Records = 0;        // in the file, null shapes included
  std::uint64_t FileVertices = 0;   // in the file
  bool Thinned = false;             // some vertex was dropped

  std::size_t VertexCount() const { return Coordinates.size() / 2; }
};

// Samples the main file at `shpPath`. Throws RunError for a damaged file and FileError when
// it cannot be read, as the conversion would.
ShapeSample SampleShapes(FileSystem& files, const std::string& shpPath,
                         std::size_t maxVertices = kDefaultSampleVertices);

}  // namespace morvane
