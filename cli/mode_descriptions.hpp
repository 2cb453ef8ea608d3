// English descriptions of the sixteen modes and three regions, for `modes` and the help texts.
#pragma once

#include <string_view>

#include "engine/settings.hpp"

namespace morvane {

// "TWD67 TM2 grid (easting, northing in metres) to TWD67 geographic (...)".
struct ModeDescription {
  std::string_view Source;
  std::string_view Target;
};

ModeDescription DescribeMode(TransformMode mode);
std::string_view DescribeRegion(Region region);

// Prints the numbered modes and regions with their captions and descriptions to stdout.
void PrintModesAndRegions();

}  // namespace morvane
