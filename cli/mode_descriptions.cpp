#include "mode_descriptions.hpp"

#include <array>
#include <cstdio>

#include "engine/mode_table.hpp"

namespace morvane {

namespace {

void PrintText(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

}  // namespace

ModeDescription DescribeMode(TransformMode mode) {
  const ModeRow& row = kModes.at(mode);
  return {row.Source.Description, row.Target.Description};
}

std::string_view DescribeRegion(Region region) {
  return kRegions.at(static_cast<std::size_t>(region)).Description;
}

void PrintModesAndRegions() {
  PrintText("Modes (--mode M):\n");
  for (TransformMode mode = 0; mode < kModeCount; ++mode) {
    const ModeDescription description = DescribeMode(mode);
    std::printf("%3u  ", RowOf(mode).Number);
    PrintText(RowOf(mode).Caption);
    PrintText("\n     from ");
    PrintText(description.Source);
    PrintText("\n     to   ");
    PrintText(description.Target);
    PrintText("\n");
  }
  PrintText("\nRegions (--region R):\n");
  for (Region region = 0; region < kRegionCount; ++region) {
    const RegionRow& row = kRegions[static_cast<std::size_t>(region)];
    std::printf("%3u  ", row.Number);
    PrintText(row.Caption);
    PrintText("\n     ");
    PrintText(DescribeRegion(region));
    PrintText("\n");
  }
}

}  // namespace morvane
