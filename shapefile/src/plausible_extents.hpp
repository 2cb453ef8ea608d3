// The plausible extent of each mode's source in each region (PlausibleExtent, input_check.hpp),
// and where the island groups of region 2 lie in it: longitude and latitude boxes of the
// regions, with a margin, taken into each grid source by the engine itself along their
// boundary. Derived once, on first use.
#pragma once

#include <array>
#include <cstddef>

#include "engine/settings.hpp"
#include "shapefile/headers.hpp"

namespace morvane {

// Penghu, Kinmen and Lieyu, Wuqiu, Matsu.
inline constexpr std::size_t kIslandAreaCount = 4;

// Per mode and region: the plausible extent, and the island groups of region 2 in the source
// as region 2 sets it up.
struct ModeExtents {
  std::array<Box, kRegionCount> Plausible;
  std::array<Box, kIslandAreaCount> Islands;
};
using ExtentTable = std::array<ModeExtents, kModeCount>;

const ExtentTable& Extents();

// Whether `box` lies wholly within `extent`.
bool Inside(const Box& box, const Box& extent);

}  // namespace morvane
