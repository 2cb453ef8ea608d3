// What the preview draws, in plain C++ (no Qt): a file's sampled shapes taken to longitude and
// latitude through the engine, before and after the chosen conversion, and the coastline.
// Each layer's coordinates are read in their own system: a grid is projected back to the
// longitude and latitude of its own datum, and no datum shift follows. All are drawn in one
// longitude-latitude frame with the coastline (WGS84, which TWD97 matches to well within a
// pixel), so that a conversion that changes the datum shows as the shift it makes (about
// 830 m east from TWD67 to TWD97 in Taiwan) and a file read in the wrong region lands away
// from the coast.
#pragma once

#include <string>
#include <vector>

#include "engine/engine_state.hpp"
#include "engine/mode_table.hpp"
#include "shapefile/mode_systems.hpp"
#include "shapefile/shape_sample.hpp"

namespace morvane {

// The engine modes that take coordinates of `system` to longitude and latitude on its own
// datum: a grid's inverse projection, read with the region's settings; none for geographic
// coordinates.
std::vector<TransformMode> ModesToLonLat(const ModeSystem& system);

// A chain of engine conversions, each with its own settings from ApplyTransformSettings for
// its mode and the region, so that nothing of the window's own engine state changes.
class LonLatChain {
 public:
  // From the mode's source coordinates, as they are in the file.
  static LonLatChain Before(TransformMode mode, Region region);
  // Through the mode itself, then from its target coordinates.
  static LonLatChain After(TransformMode mode, Region region);

  // Converts the pairs in place; a pair that a step cannot convert becomes NaN, NaN.
  void Convert(std::vector<double>& pairs);

 private:
  LonLatChain(std::vector<TransformMode> modes, Region region);

  std::vector<TransformMode> modes_;
  std::vector<EngineState> states_;
};

// The sample with its coordinates taken through `chain`; paths and shapes as they were. A pair
// that does not come out as a longitude and a latitude (the wrong mode's numbers) becomes NaN.
// The bounds become the extent of their outline taken through the chain (none if no point of
// it comes out).
ShapeSample ToLonLat(const ShapeSample& sample, LonLatChain chain);

// The vertices of a layer that cannot be drawn (NaN).
std::size_t UndrawableVertices(const ShapeSample& layer);

// The coastline file: '#' starts a comment line, '>' starts a line of points, every other line
// holds a longitude and a latitude. One Lines shape with a path per line. A missing or
// unreadable file gives an empty coastline; lines that hold no two numbers are left out.
ShapeSample LoadCoastline(const std::string& path);

// The first of `candidates` that names a regular file, or an empty string.
std::string FirstExistingFile(const std::vector<std::string>& candidates);

}  // namespace morvane
