// Many small squares (closed five-vertex polygon rings) written in bulk, for files too large to
// draw whole or to convert in a moment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/shapefile_writer.hpp"

namespace morvane::test {

// Square i has its lower-left corner at the i-th point of an evenly spread sequence over the
// area (West, South, East, North).
struct SquaresFile {
  std::uint64_t Squares = 0;
  double West = 0;
  double South = 0;
  double East = 1;
  double North = 1;
  double Side = 0;
  std::uint64_t NullShapes = 0;      // null shapes written before the squares
  bool HeaderBoxWithOrigin = false;  // the header box also holds (0, 0), as some writers make it for null shapes
};

// Writes stem.shp, stem.shx and stem.dbf (one one-character field, every row "x") for `file`,
// a block of records at a time, and returns the header box: West, South, East, North.
std::vector<double> WriteSquaresShapefile(const std::string& stem, const SquaresFile& file);

// The vertices of square i, in file order; the first is its lower-left corner.
std::vector<XY> SquareVertices(const SquaresFile& file, std::uint64_t i);

}  // namespace morvane::test
