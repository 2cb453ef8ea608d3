// A bounded sample of the shapes of a main file, as plain coordinates for drawing: every
// record read with the conversion's own checks, the points of those drawn kept in file order,
// parts apart. Nothing is drawn that the file does not hold: a path is never joined to
// another part or record.
//
// A file small enough (at most `maxVertices` points by its size) is taken whole. In a larger
// one each path is thinned on its own: a vertex closer than a tolerance (a 1024th of the header
// box, in either axis) to the one kept before it is dropped, the first and last vertices of the
// path always kept, so that every segment kept lies within the tolerance of the path's own.
// When the shapes kept hold more than `maxVertices` vertices, every other one is dropped:
// the sample is then the records whose index (from 0) RecordStep divides, an even spread over
// the file, each drawn whole. A single record that alone exceeds the bound is thinned again
// with twice the tolerance. Coordinates that are not finite are left out.
//
// Bounds, the extent to show the file at, is the header box checked against what was read: a
// side at 0 that no record read reaches, in a file with null shapes, is one that a writer
// stretched to the origin for them and takes the records' side instead; a box that does not
// hold the records read (or is not a box) is widened to hold them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shapefile/file_system.hpp"
#include "shapefile/headers.hpp"

namespace morvane {

inline constexpr std::size_t kDefaultSampleVertices = std::size_t{1} << 16;
inline constexpr double kSampleToleranceDivisions = 1024;  // of the header box's larger side

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
  std::uint64_t Record = 0;  // its index in the file, from 0
};

struct ShapeSample {
  std::vector<double> Coordinates;  // x0, y0, x1, y1, ... path after path
  std::vector<SampledPath> Paths;
  std::vector<SampledShape> Shapes;
  std::uint64_t Records = 0;        // in the file, null shapes included
  std::uint64_t RecordStep = 1;     // the records drawn are those whose index this divides
  std::uint64_t FileVertices = 0;   // in the file
  bool Thinned = false;             // some vertex of the file is not in the sample
  bool HasBounds = false;
  Box Bounds;                       // the extent of the whole file, in the sample's coordinates

  std::size_t VertexCount() const { return Coordinates.size() / 2; }
};

// Samples the main file at `shpPath`. Throws RunError for a damaged file and FileError when
// it cannot be read, as the conversion would.
ShapeSample SampleShapes(FileSystem& files, const std::string& shpPath,
                         std::size_t maxVertices = kDefaultSampleVertices);

}  // namespace morvane
