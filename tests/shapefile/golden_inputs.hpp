// The inputs of the golden-output tests: a generated Polygon shapefile per mode, built
// without the engine (fixed pseudo-random points in each mode's source system and a few
// points on the central meridians and the equator), so a change to the engine cannot move its
// own test data.
#pragma once

#include "support/shapefile_writer.hpp"

namespace morvane::test {

inline constexpr int kPolygons = 80;
inline constexpr int kVerticesPerPolygon = 50;

// Polygons of fixed pseudo-random vertices; the first also holds the points on central
// meridians and the equator, the last has no points (its box corners are converted).
Shapefile GoldenInput(TransformMode mode);

}  // namespace morvane::test
