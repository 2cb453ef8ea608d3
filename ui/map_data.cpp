#include "map_data.hpp"

#include <sys/stat.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include "engine/messages.hpp"
#include "engine/modes.hpp"
#include "shapefile/mode_systems.hpp"

namespace morvane {
namespace {

IgnoredMessages& Silent() {
  static IgnoredMessages sink;
  return sink;
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Converts the pairs one at a time, for a block in which some pair failed.
void ConvertEach(EngineState& state, TransformMode mode, std::span<double> pairs) {
  for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
    try {
      if (std::isnan(pairs[i]) || std::isnan(pairs[i + 1])) continue;
      ConvertPoint(state, mode, pairs[i], pairs[i + 1], pairs[i], pairs[i + 1]);
    } catch (const ConversionError&) {
      pairs[i] = kNaN;
      pairs[i + 1] = kNaN;
    }
  }
}

constexpr std::size_t kBlockPairs = 4096;
// Longitudes up to a turn either way still draw where they belong on a flat map.
constexpr double kMaxLongitude = 360;

}  // namespace

std::vector<TransformMode> ModesToLonLat(const ModeSystem& system) {
  const std::optional<TransformMode> inverse = ModeOutOfGrid(system);
  if (!inverse) return {};
  return {*inverse};
}

LonLatChain::LonLatChain(std::vector<TransformMode> modes, Region region) : modes_(std::move(modes)) {
  for (TransformMode mode : modes_) {
    EngineState& state = states_.emplace_back(Silent());
    ApplyTransformSettings(state, mode, region);
  }
}

LonLatChain LonLatChain::Before(TransformMode mode, Region region) {
  if (mode >= kModeCount) return LonLatChain({}, region);
  return LonLatChain(ModesToLonLat(SourceOf(mode)), region);
}

LonLatChain LonLatChain::After(TransformMode mode, Region region) {
  if (mode >= kModeCount) return LonLatChain({}, region);
  std::vector<TransformMode> modes{mode};
  for (TransformMode next : ModesToLonLat(TargetOf(mode))) modes.push_back(next);
  return LonLatChain(std::move(modes), region);
}

void LonLatChain::Convert(std::vector<double>& pairs) {
  for (std::size_t step = 0; step < modes_.size(); ++step) {
    for (std::size_t first = 0; first < pairs.size(); first += 2 * kBlockPairs) {
      const std::size_t size = std::min(2 * kBlockPairs, pairs.size() - first);
      const std::span<double> block(pairs.data() + first, size);
      // A block is converted whole when it can be; a pair that failed before (NaN) or fails
      // now sends it pair by pair, from its values before the step.
      bool hasNaN = false;
      for (double value : block) hasNaN = hasNaN || std::isnan(value);
      if (!hasNaN) {
        const std::vector<double> before(block.begin(), block.end());
        try {
          ConvertPoints(states_[step], modes_[step], block);
          continue;
        } catch (const ConversionError&) {
          std::copy(before.begin(), before.end(), block.begin());
        }
      }
      ConvertEach(states_[step], modes_[step], block);
    }
  }
}

namespace {

// Pairs that do not come out as a longitude and a latitude become NaN.
void KeepLonLat(std::vector<double>& pairs) {
  for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
    if (!(std::fabs(pairs[i]) <= kMaxLongitude && std::fabs(pairs[i + 1]) <= 90)) {
      pairs[i] = kNaN;
      pairs[i + 1] = kNaN;
    }
  }
}

// Points along the edges of `box`, so that a box whose edges curve on the way (a grid's to
// longitude and latitude) keeps its extent.
constexpr int kBoundsEdgePoints = 8;

std::vector<double> Outline(const Box& box) {
  std::vector<double> pairs;
  for (int i = 0; i <= kBoundsEdgePoints; ++i) {
    const double t = static_cast<double>(i) / kBoundsEdgePoints;
    const double x = box.Xmin + t * (box.Xmax - box.Xmin);
    const double y = box.Ymin + t * (box.Ymax - box.Ymin);
    pairs.insert(pairs.end(), {x, box.Ymin, x, box.Ymax, box.Xmin, y, box.Xmax, y});
  }
  return pairs;
}

}  // namespace

ShapeSample ToLonLat(const ShapeSample& sample, LonLatChain chain) {
  ShapeSample converted = sample;
  chain.Convert(converted.Coordinates);
  KeepLonLat(converted.Coordinates);
  if (sample.HasBounds) {
    std::vector<double> outline = Outline(sample.Bounds);
    chain.Convert(outline);
    KeepLonLat(outline);
    Extent bounds;
    for (std::size_t i = 0; i + 1 < outline.size(); i += 2) {
      if (!std::isnan(outline[i])) bounds.Add(outline[i], outline[i + 1]);
    }
    converted.HasBounds = !bounds.Empty();
    if (converted.HasBounds) converted.Bounds = bounds.Bounds();
  }
  return converted;
}

std::size_t UndrawableVertices(const ShapeSample& layer) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < layer.Coordinates.size(); i += 2) count += std::isnan(layer.Coordinates[i]) ? 1 : 0;
  return count;
}

ShapeSample LoadCoastline(const std::string& path) {
  ShapeSample coast;
  std::ifstream in(path);
  if (!in) return coast;
  SampledShape shape{ShapeKind::Lines, 0, 0};
  std::string line;
  const auto endPath = [&] {
    if (!coast.Paths.empty() && coast.Paths.back().Count == 0) coast.Paths.pop_back();
  };
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '>') {
      endPath();
      coast.Paths.push_back({static_cast<std::uint32_t>(coast.VertexCount()), 0});
      continue;
    }
    std::istringstream fields(line);
    double lon = 0;
    double lat = 0;
    if (!(fields >> lon >> lat) || coast.Paths.empty()) continue;
    coast.Coordinates.push_back(lon);
    coast.Coordinates.push_back(lat);
    ++coast.Paths.back().Count;
  }
  endPath();
  shape.PathCount = static_cast<std::uint32_t>(coast.Paths.size());
  if (shape.PathCount > 0) coast.Shapes.push_back(shape);
  coast.FileVertices = coast.VertexCount();
  return coast;
}

std::string FirstExistingFile(const std::vector<std::string>& candidates) {
  for (const std::string& path : candidates) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return path;
  }
  return {};
}

}  // namespace morvane
