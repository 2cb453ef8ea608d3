#include "plausible_extents.hpp"

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>

#include "engine/engine_state.hpp"
#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "shapefile/input_check.hpp"
#include "shapefile/mode_systems.hpp"

namespace morvane {

namespace {

// Longitude and latitude boxes, loosely, from maps. Region 1: all of Taiwan's territory, from
// Pratas (116.7°E 20.7°N) to the Diaoyutai islands (123.7°E) and Matsu (26.4°N). Region 2:
// Penghu, Kinmen and Matsu. Region 3: the mainland.
constexpr std::array<Box, kRegionCount> kRegionBoxes = {{
    {116.5, 20.5, 123.8, 26.5},
    {117.5, 22.5, 120.5, 26.5},
    {73.0, 18.0, 135.5, 54.0},
}};
// The island groups of region 2, whose grids use their own central meridian.
constexpr std::array<Box, kIslandAreaCount> kIslandAreas = {{
    {119.3, 23.15, 119.75, 23.8},   // Penghu
    {118.2, 24.38, 118.5, 24.5},    // Kinmen and Lieyu
    {119.45, 24.97, 119.47, 24.99}, // Wuqiu
    {119.9, 25.93, 120.52, 26.39},  // Matsu, Juguang to Dongyin
}};
constexpr double kMarginDegrees = 0.25;
constexpr double kIslandMarginDegrees = 0.1;
// A Transverse Mercator grid is not used this far from its meridian; the mainland box is cut
// to it.
constexpr double kTmHalfWidthDegrees = 12.0;
constexpr int kBoundarySteps = 40;  // points per side of the box

Box Widened(const Box& box, double margin) {
  return {box.Xmin - margin, box.Ymin - margin, box.Xmax + margin, box.Ymax + margin};
}

// The extent of the boundary of `box` converted with `forward` in `region`.
Box ConvertedBoundary(TransformMode forward, Region region, const Box& box) {
  IgnoredMessages messages;
  EngineState engine(messages);
  ApplyTransformSettings(engine, forward, region);
  Extent extent;
  const auto add = [&](double lon, double lat) {
    double x = 0;
    double y = 0;
    try {
      ConvertPoint(engine, forward, lon, lat, x, y);
    } catch (const std::exception&) {
      return;  // outside what the grid can take; the rest of the boundary bounds it
    }
    if (std::isfinite(x) && std::isfinite(y)) extent.Add(x, y);
  };
  for (int i = 0; i <= kBoundarySteps; ++i) {
    const double t = static_cast<double>(i) / kBoundarySteps;
    const double lon = box.Xmin + t * (box.Xmax - box.Xmin);
    const double lat = box.Ymin + t * (box.Ymax - box.Ymin);
    add(lon, box.Ymin);
    add(lon, box.Ymax);
    add(box.Xmin, lat);
    add(box.Xmax, lat);
  }
  return extent.Bounds();
}

static_assert(EveryReadGridIsWritten(), "a grid that modes read needs a mode that writes it from longitude and latitude");

// `area` (longitude and latitude) in the source of `mode` in `region`.
Box InSource(TransformMode mode, Region region, const Box& area) {
  if (IsGeographicSource(mode)) return area;
  return ConvertedBoundary(*ModeIntoGrid(SourceOf(mode)), region, area);
}

// The box of `region`, or for a mode whose result does not depend on the region, the box of
// every region it may be used in: all of Taiwan's for the datum modes, the mainland (which
// holds Taiwan) for the Lambert modes.
Box RegionBox(TransformMode mode, Region region) {
  if (!RegionMatters(mode))
    return kRegionBoxes[static_cast<std::size_t>(RowOf(mode).UsesLambertGrid ? kMainlandRegion : kTaiwanRegion)];
  return kRegionBoxes[static_cast<std::size_t>(region)];
}

Box DeriveExtent(TransformMode mode, Region region) {
  Box area = Widened(RegionBox(mode, region), kMarginDegrees);
  if (IsTransverseMercator(SourceOf(mode).Grid)) {
    const double meridian = *SourceCentralMeridian(mode, region);
    area.Xmin = std::max(area.Xmin, meridian - kTmHalfWidthDegrees);
    area.Xmax = std::min(area.Xmax, meridian + kTmHalfWidthDegrees);
  }
  return InSource(mode, region, area);
}

}  // namespace

const ExtentTable& Extents() {
  static const ExtentTable table = [] {
    ExtentTable derived{};
    for (TransformMode mode = 0; mode < kModeCount; ++mode) {
      for (Region region = 0; region < kRegionCount; ++region)
        derived[mode].Plausible[static_cast<std::size_t>(region)] = DeriveExtent(mode, region);
      for (std::size_t i = 0; i < kIslandAreas.size(); ++i)
        derived[mode].Islands[i] = InSource(mode, kIslandsRegion, Widened(kIslandAreas[i], kIslandMarginDegrees));
    }
    return derived;
  }();
  return table;
}

bool Inside(const Box& box, const Box& extent) {
  return box.Xmin >= extent.Xmin && box.Xmax <= extent.Xmax && box.Ymin >= extent.Ymin && box.Ymax <= extent.Ymax;
}

Box PlausibleExtent(TransformMode mode, Region region) {
  return Extents().at(mode).Plausible.at(static_cast<std::size_t>(region));
}

}  // namespace morvane
