#include "mode_descriptions.hpp"

#include <array>
#include <cstdio>

#include "engine/modes.hpp"

namespace morvane {

namespace {

constexpr std::string_view kTwd67Tm2 = "TWD67 TM2 grid (easting, northing in metres)";
constexpr std::string_view kTwd67Geographic = "TWD67 geographic (longitude, latitude in degrees)";
constexpr std::string_view kTm3 = "TM3 grid on the TWD67 ellipsoid (easting, northing in metres)";
constexpr std::string_view kUtm = "UTM zone 51 grid (easting, northing in metres)";
constexpr std::string_view kLambert = "Lambert conformal conic grid (easting, northing in metres)";
// The Lambert modes apply no datum shift: their geographic side is on the grid's own
// ellipsoid, whatever the caption says.
constexpr std::string_view kLambertGeographic =
    "longitude, latitude in degrees on the Lambert grid's WGS 84 ellipsoid (no datum shift)";
constexpr std::string_view kTwd97Geographic = "TWD97 geographic (longitude, latitude in degrees)";
constexpr std::string_view kTwd97Tm2 = "TWD97 TM2 grid (easting, northing in metres)";
constexpr std::string_view kWgs84Geographic = "WGS84 geographic (longitude, latitude in degrees)";

// In mode index order, as the captions list them.
constexpr std::array<ModeDescription, kModeCount> kModeDescriptions = {{
    {kTwd67Tm2, kTwd67Geographic},
    {kTwd67Geographic, kTwd67Tm2},
    {kTm3, kTwd67Geographic},
    {kTwd67Geographic, kTm3},
    {kUtm, kTwd67Geographic},
    {kTwd67Geographic, kUtm},
    {kLambert, kLambertGeographic},
    {kLambertGeographic, kLambert},
    {kTwd67Geographic, kTwd97Geographic},
    {kTwd97Geographic, kTwd67Geographic},
    {kTwd67Tm2, kTwd97Tm2},
    {kTwd97Tm2, kTwd67Tm2},
    {kTwd97Tm2, kTwd97Geographic},
    {kTwd97Geographic, kTwd97Tm2},
    {kTwd67Geographic, kWgs84Geographic},
    {kWgs84Geographic, kTwd67Geographic},
}};

constexpr std::array<std::string_view, kRegionCount> kRegionDescriptions = {
    "Taiwan",
    "Penghu, Kinmen and Matsu",
    "the mainland (for the Lambert modes 7 and 8)",
};

void PrintText(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

}  // namespace

ModeDescription DescribeMode(TransformMode mode) { return kModeDescriptions.at(mode); }

std::string_view DescribeRegion(Region region) {
  return kRegionDescriptions.at(static_cast<std::size_t>(region));
}

void PrintModesAndRegions() {
  PrintText("Modes (--mode M):\n");
  for (TransformMode mode = 0; mode < kModeCount; ++mode) {
    const ModeDescription description = DescribeMode(mode);
    std::printf("%3u  ", mode + 1);
    PrintText(kModeCaptions[mode]);
    PrintText("\n     from ");
    PrintText(description.Source);
    PrintText("\n     to   ");
    PrintText(description.Target);
    PrintText("\n");
  }
  PrintText("\nRegions (--region R):\n");
  for (Region region = 0; region < kRegionCount; ++region) {
    std::printf("%3d  ", region + 1);
    PrintText(kRegionCaptions[static_cast<std::size_t>(region)]);
    PrintText("\n     ");
    PrintText(DescribeRegion(region));
    PrintText("\n");
  }
}

}  // namespace morvane
