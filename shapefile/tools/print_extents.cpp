// Prints the plausible extent of every mode's source in every region, as the input check
// derives them from the engine (docs/input-check.md lists them).
#include <cstdio>

#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "shapefile/input_check.hpp"

int main() {
  std::printf("mode region        xmin          ymin          xmax          ymax\n");
  for (morvane::TransformMode mode = 0; mode < morvane::kModeCount; ++mode) {
    for (morvane::Region region = 0; region < morvane::kRegionCount; ++region) {
      const morvane::Box box = morvane::PlausibleExtent(mode, region);
      std::printf("%4u %6u %13.4f %13.4f %13.4f %13.4f\n", morvane::RowOf(mode).Number,
                  morvane::kRegions[region].Number, box.Xmin, box.Ymin, box.Xmax, box.Ymax);
    }
  }
  return 0;
}
