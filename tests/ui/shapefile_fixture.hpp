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

// The points of a point main file, in record order.
std::vector<Point> ReadPoints(const std::string& shpPath);

bool FileExists(const std::string& path);

// Deletes `folder` and everything in it, by raw names.
void RemoveTree(const std::string& folder);

}  // namespace morvane::test
