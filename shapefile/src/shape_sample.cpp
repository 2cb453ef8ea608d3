#include "shapefile/shape_sample.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

#include "record_reader.hpp"
#include "shapefile/buffered_io.hpp"
#include "shapefile/byte_order.hpp"
#include "shapefile/run_error.hpp"

namespace morvane {
namespace {

constexpr std::size_t kPointsPerTake = 256;
// Grid cells are numbered within +-2^30 per axis, so that two of them make one key.
constexpr double kCellLimit = 1073741823.0;

ShapeKind KindOf(std::int32_t type) {
  switch (LayoutOf(type).Kind) {
    case Layout::Point:
    case Layout::MultiPoint:
      return ShapeKind::Points;
    default:
      break;
  }
  switch (static_cast<ShapeType>(type)) {
    case ShapeType::Arc:
    case ShapeType::ArcZ:
    case ShapeType::ArcM:
      return ShapeKind::Lines;
    default:
      return ShapeKind::Polygon;
  }
}

// A set of grid cells, open addressing: the cells of the dots kept, at most one per vertex.
class CellSet {
 public:
  bool Contains(std::uint64_t cell) const {
    if (slots_.empty()) return false;
    for (std::size_t at = Slot(cell);; at = (at + 1) & (slots_.size() - 1)) {
      if (slots_[at] == cell) return true;
      if (slots_[at] == kEmpty) return false;
    }
  }
  // Adds `cell`; false if it was there already.
  bool Insert(std::uint64_t cell) {
    if (2 * (size_ + 1) > slots_.size()) Grow();
    for (std::size_t at = Slot(cell);; at = (at + 1) & (slots_.size() - 1)) {
      if (slots_[at] == cell) return false;
      if (slots_[at] == kEmpty) {
        slots_[at] = cell;
        ++size_;
        return true;
      }
    }
  }
  // Empties the set and lets it grow again from small, so that a set of few cells stays in
  // the cache.
  void Clear() {
    slots_.clear();
    shift_ = 64;
    size_ = 0;
  }

 private:
  static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};  // no cell is numbered so
  std::size_t Slot(std::uint64_t cell) const {
    return static_cast<std::size_t>((cell * 0x9E3779B97F4A7C15ull) >> shift_);
  }
  void Grow() {
    const std::vector<std::uint64_t> old = std::move(slots_);
    slots_.assign(std::max<std::size_t>(64, 2 * old.size()), kEmpty);
    shift_ = 64 - std::countr_zero(slots_.size());
    size_ = 0;
    for (std::uint64_t cell : old) {
      if (cell != kEmpty) Insert(cell);
    }
  }

  std::vector<std::uint64_t> slots_;  // a power of two of them
  int shift_ = 64;                     // keeps the top bits of the hash that index them
  std::size_t size_ = 0;
};

// Builds the sample shape by shape, path by path, vertex by vertex, thinning as it goes.
class Sampler {
 public:
  Sampler(ShapeSample& sample, std::size_t maxVertices, double cell)
      : sample_(sample), maxVertices_(std::max<std::size_t>(maxVertices, 1)) {
    SetCell(cell);
  }

  void BeginShape(ShapeKind kind) {
    kind_ = kind;
    shapeFirstPath_ = sample_.Paths.size();
  }
  void EndShape() {
    const std::size_t paths = sample_.Paths.size() - shapeFirstPath_;
    if (paths > 0) {
      sample_.Shapes.push_back({kind_, static_cast<std::uint32_t>(shapeFirstPath_),
                                static_cast<std::uint32_t>(paths)});
    }
  }

  void BeginPath() {
    pathFirst_ = sample_.VertexCount();
    pathOpen_ = true;
    hasPending_ = false;
  }
  void Add(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) {
      sample_.Thinned = true;
      return;
    }
    const std::uint64_t cell = cell_ > 0 ? Cell(x, y) : 0;
    // Points never share a path with a neighbour: each is a path of its own.
    if (kind_ == ShapeKind::Points) {
      if (cell_ > 0 && occupied_.Contains(cell)) {
        sample_.Thinned = true;
        return;
      }
      BeginPath();
      Keep(x, y, cell);
      EndPath();
      return;
    }
    if (cell_ > 0 && sample_.VertexCount() > pathFirst_ && cell == lastCell_) {
      pendingX_ = x;
      pendingY_ = y;
      hasPending_ = true;
      sample_.Thinned = true;
      return;
    }
    Keep(x, y, cell);
  }
  void EndPath() {
    if (!pathOpen_) return;
    pathOpen_ = false;
    const std::size_t count = sample_.VertexCount() - pathFirst_;
    if (count == 0) return;
    if (cell_ > 0 && count == 1) {
      // The whole path lies in one cell: one vertex there, unless the cell has one already.
      if (!occupied_.Insert(lastCell_)) {
        Drop(pathFirst_);
        return;
      }
    } else if (hasPending_) {
      Keep(pendingX_, pendingY_, cell_ > 0 ? Cell(pendingX_, pendingY_) : 0);
    }
    hasPending_ = false;
    sample_.Paths.push_back({static_cast<std::uint32_t>(pathFirst_),
                             static_cast<std::uint32_t>(sample_.VertexCount() - pathFirst_)});
  }

 private:
  std::uint64_t Cell(double x, double y) const {
    const double cx = std::clamp(std::floor(x * perCell_), -kCellLimit, kCellLimit) + kCellLimit;
    const double cy = std::clamp(std::floor(y * perCell_), -kCellLimit, kCellLimit) + kCellLimit;
    return (static_cast<std::uint64_t>(cx) << 31) | static_cast<std::uint64_t>(cy);
  }

  // Keeps (x, y), which lies in `cell` of the grid as it is.
  void Keep(double x, double y, std::uint64_t cell) {
    if (sample_.VertexCount() >= maxVertices_) {
      Coarsen();
      cell = Cell(x, y);
    }
    sample_.Coordinates.push_back(x);
    sample_.Coordinates.push_back(y);
    lastCell_ = cell;
  }

  void SetCell(double cell) {
    cell_ = cell;
    perCell_ = cell > 0 ? 1 / cell : 0;
  }

  void Drop(std::size_t fromVertex) {
    sample_.Coordinates.resize(2 * fromVertex);
    sample_.Thinned = true;
  }

  // Doubles the grid until what was kept, thinned again on it, leaves room for more. The
  // open shape and path are thinned with the rest and stay open.
  void Coarsen() {
    sample_.Thinned = true;
    if (cell_ <= 0) SetCell(1e-6);
    while (sample_.VertexCount() >= maxVertices_ / 2 + 1) {
      SetCell(2 * cell_);
      Replay();
    }
  }

  void Replay() {
    const std::vector<double> coordinates = std::move(sample_.Coordinates);
    const std::vector<SampledPath> paths = std::move(sample_.Paths);
    const std::vector<SampledShape> shapes = std::move(sample_.Shapes);
    const std::size_t openShapeFirstPath = shapeFirstPath_;
    const std::size_t openPathFirst = pathFirst_;
    const ShapeKind openKind = kind_;
    const bool pathOpen = pathOpen_;
    const bool hasPending = hasPending_;
    const double pendingX = pendingX_;
    const double pendingY = pendingY_;
    sample_.Coordinates.clear();
    sample_.Paths.clear();
    sample_.Shapes.clear();
    occupied_.Clear();

    const auto replayPath = [&](const SampledPath& path) {
      BeginPath();
      for (std::uint32_t i = 0; i < path.Count; ++i) {
        Add(coordinates[2 * (path.First + i)], coordinates[2 * (path.First + i) + 1]);
      }
      EndPath();
    };
    for (const SampledShape& shape : shapes) {
      BeginShape(shape.Kind);
      for (std::uint32_t p = 0; p < shape.PathCount; ++p) replayPath(paths[shape.FirstPath + p]);
      EndShape();
    }
    BeginShape(openKind);
    for (std::size_t p = openShapeFirstPath; p < paths.size(); ++p) replayPath(paths[p]);
    if (!pathOpen) return;
    BeginPath();
    for (std::size_t v = openPathFirst; v < coordinates.size() / 2; ++v) {
      Add(coordinates[2 * v], coordinates[2 * v + 1]);
    }
    // The vertex dropped last before the replay is still the latest of the open path.
    if (hasPending) {
      hasPending_ = true;
      pendingX_ = pendingX;
      pendingY_ = pendingY;
    }
  }

  ShapeSample& sample_;
  std::size_t maxVertices_;
  double cell_ = 0;  // 0: nothing is thinned
  double perCell_ = 0;
  ShapeKind kind_ = ShapeKind::Points;
  std::size_t shapeFirstPath_ = 0;
  std::size_t pathFirst_ = 0;
  std::uint64_t lastCell_ = 0;
  bool pathOpen_ = false;
  bool hasPending_ = false;
  double pendingX_ = 0;
  double pendingY_ = 0;
  CellSet occupied_;
};

// The cell of the grid over the header's box; 0 when the whole file fits the sample.
double GridCell(const ShapefileHeader& header, std::uint64_t fileSize, std::size_t maxVertices) {
  if (fileSize / kPointSize <= maxVertices) return 0;
  const Box box = ReadBox(header.Bytes.data() + kHeaderBoxOffset);
  const double span = std::max(box.Xmax - box.Xmin, box.Ymax - box.Ymin);
  // A box that says nothing gets the smallest grid, which doubles as it must.
  return std::isfinite(span) && span > 0 ? span / kSampleGridCells : 1e-6;
}

class ShapeReader {
 public:
  ShapeReader(BufferedReader& in, const std::string& path, Sampler& sampler, ShapeSample& sample,
              std::size_t maxParts)
      : reader_(in, path), sampler_(sampler), sample_(sample), maxParts_(maxParts) {}

  bool Next() {
    unsigned char header[kRecordHeaderSize];
    if (!reader_.Begin(header)) return false;
    reader_.TakeType();
    starts_.clear();
    switch (reader_.Layout().Kind) {
      case Layout::Null:
        reader_.Skip(reader_.Rest());
        break;
      case Layout::Point:
        reader_.CheckPoint();
        starts_.push_back(0);
        ReadPoints(1, 0);
        break;
      case Layout::MultiPoint: {
        unsigned char fixed[kMultiPointFixedSize];
        const std::int32_t points = reader_.TakeMultiPointFixed(fixed);
        starts_.push_back(0);
        ReadPoints(points, kMultiPointFixedSize);
        break;
      }
      case Layout::Parts:
        ReadParts();
        break;
      case Layout::Unknown:
        reader_.UnknownType();
    }
    ++sample_.Records;
    return true;
  }

 private:
  void ReadParts() {
    unsigned char fixed[kPartsFixedSize];
    const auto [parts, points] = reader_.TakePartsFixed(fixed);
    // Only as many part starts as the sample could hold are kept; later parts of the same
    // record continue the last kept one.
    std::int32_t previous = -1;
    for (std::int32_t i = 0; i < parts; ++i) {
      reader_.TakePartStart(i, previous, points);
      if (starts_.size() < maxParts_) starts_.push_back(previous);
    }
    const std::uint64_t partsSize = 4 * static_cast<std::uint64_t>(parts);
    const std::uint64_t partTypesSize = reader_.Layout().HasPartTypes ? partsSize : 0;
    reader_.Skip(partTypesSize);
    ReadPoints(points, kPartsFixedSize + partsSize + partTypesSize);
  }

  // Reads the record's `points` points into the paths that starts_ begins (points before the
  // first start belong to no path and are left out), then skips the rest of the record;
  // `before` bytes of the record came between its shape type and its points.
  void ReadPoints(std::int32_t points, std::uint64_t before) {
    sample_.FileVertices += static_cast<std::uint64_t>(points);
    sampler_.BeginShape(KindOf(reader_.Type()));
    std::size_t part = 0;  // the next start to reach
    for (std::int32_t done = 0; done < points;) {
      const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(points - done, kPointsPerTake));
      const unsigned char* bytes = reader_.Take(static_cast<std::size_t>(n) * kPointSize);
      for (std::int32_t i = 0; i < n; ++i, ++done) {
        if (part < starts_.size() && done == starts_[part]) {
          if (part > 0) sampler_.EndPath();
          sampler_.BeginPath();
          ++part;
        }
        if (part > 0) sampler_.Add(ReadDoubleLE(bytes + 16 * i), ReadDoubleLE(bytes + 16 * i + 8));
      }
    }
    if (part > 0) sampler_.EndPath();
    sampler_.EndShape();
    reader_.Skip(reader_.Rest() - before - kPointSize * static_cast<std::uint64_t>(points));
  }

  RecordReader<BufferedReader> reader_;
  Sampler& sampler_;
  ShapeSample& sample_;
  std::size_t maxParts_;
  std::vector<std::int32_t> starts_;
};

}  // namespace

ShapeSample SampleShapes(FileSystem& files, const std::string& shpPath, std::size_t maxVertices) {
  const std::unique_ptr<File> file = files.OpenRead(shpPath);
  BufferedReader in(*file);
  ShapefileHeader header;
  if (in.Read(header.Bytes.data(), kFileHeaderSize) < kFileHeaderSize)
    ThrowShortHeader(shpPath);
  CheckMainFileHeader(header, in.FileSize(), shpPath);
  ShapeSample sample;
  Sampler sampler(sample, maxVertices, GridCell(header, in.FileSize(), maxVertices));
  ShapeReader reader(in, shpPath, sampler, sample, maxVertices);
  while (reader.Next()) {
  }
  return sample;
}

}  // namespace morvane
