// Small point shapefiles written byte by byte for the window tests, and a reader for the
// points of a converted main file.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace morvane::test {

using Point = std::pair<double, double>;

// Writes stem.shp, stem.shx and stem.dbf (one numeric field) for `points`. `stem` is the
// folder and base name as raw bytes, e.g. "/tmp/x/roads".
void WritePointShapefile(const std::string& stem, const std::vector<Point>& points);

// Many small squares (closed five-vertex polygon rings), for files too large to draw whole or
// to convert in a moment. Square i has its lower-left corner at the i-th point of an evenly
// spread sequence over `area` (West, South, East, North).
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

// Writes stem.shp, stem.shx and stem.dbf (one one-character field) for `file`, in bulk, and
// returns the header box: West, South, East, North.
std::vector<double> WriteSquaresShapefile(const std::string& stem, const SquaresFile& file);

// Where square i lies (its lower-left corner) and its vertices, in file order.
std::vector<Point> SquareVertices(const SquaresFile& file, std::uint64_t i);

// The points of a point main file, in record order.
std::vector<Point> ReadPoints(const std::string& shpPath);

bool FileExists(const std::string& path);

// Deletes `folder` and everything in it, by raw names.
void RemoveTree(const std::string& folder);

}  // namespace morvane::test
