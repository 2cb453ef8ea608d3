#include "shapefile/shape_sample.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "record_reader.hpp"
#include "shapefile/buffered_io.hpp"
#include "shapefile/byte_order.hpp"
#include "shapefile/run_error.hpp"

namespace morvane {
namespace {

constexpr std::size_t kPointsPerTake = 256;
// The tolerance of a header box that says nothing; it doubles as the bound needs.
constexpr double kSmallestTolerance = 1e-6;

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

// Builds the sample shape by shape, path by path, vertex by vertex: thins each path on its own
// and keeps every RecordStep-th record, doubling the step whenever the bound is passed.
class Sampler {
 public:
  Sampler(ShapeSample& sample, std::size_t maxVertices, double tolerance)
      : sample_(sample), maxVertices_(std::max<std::size_t>(maxVertices, 1)), tolerance_(tolerance) {}

  // Whether the record of index `record` is drawn as the sample stands.
  bool Takes(std::uint64_t record) const { return record % sample_.RecordStep == 0; }

  void BeginShape(ShapeKind kind, std::uint64_t record) {
    kind_ = kind;
    record_ = record;
    shapeFirstPath_ = sample_.Paths.size();
    shapeFirstVertex_ = sample_.VertexCount();
  }
  void EndShape() {
    const std::size_t paths = sample_.Paths.size() - shapeFirstPath_;
    if (paths > 0) {
      sample_.Shapes.push_back({kind_, static_cast<std::uint32_t>(shapeFirstPath_), static_cast<std::uint32_t>(paths), record_});
    }
    while (sample_.VertexCount() > maxVertices_) DropEveryOtherShape();
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
    // Points are each a path of their own; one near the point kept before it in the same
    // record is left out.
    if (kind_ == ShapeKind::Points) {
      if (sample_.VertexCount() > shapeFirstVertex_ && Near(x, y)) {
        sample_.Thinned = true;
        return;
      }
      BeginPath();
      Keep(x, y);
      EndPath();
      return;
    }
    if (sample_.VertexCount() > pathFirst_ && Near(x, y)) {
      pendingX_ = x;
      pendingY_ = y;
      hasPending_ = true;
      sample_.Thinned = true;
      return;
    }
    Keep(x, y);
  }
  void EndPath() {
    if (!pathOpen_) return;
    pathOpen_ = false;
    // The last vertex ends the path where the file ends it.
    if (hasPending_) Keep(pendingX_, pendingY_);
    hasPending_ = false;
    const std::size_t count = sample_.VertexCount() - pathFirst_;
    if (count == 0) return;
    sample_.Paths.push_back({static_cast<std::uint32_t>(pathFirst_), static_cast<std::uint32_t>(count)});
  }

 private:
  // Whether (x, y) lies within the tolerance of the vertex kept last.
  bool Near(double x, double y) const {
    const std::size_t last = sample_.Coordinates.size();
    return tolerance_ > 0 && std::fabs(x - sample_.Coordinates[last - 2]) < tolerance_ &&
           std::fabs(y - sample_.Coordinates[last - 1]) < tolerance_;
  }

  void Keep(double x, double y) {
    if (sample_.VertexCount() - shapeFirstVertex_ >= maxVertices_) ThinShapeAgain();
    sample_.Coordinates.push_back(x);
    sample_.Coordinates.push_back(y);
  }

  // Halves the records drawn: those whose index the doubled step does not divide go. The shape
  // being read goes too when its index is one of them; what is left of it is then not kept.
  void DropEveryOtherShape() {
    sample_.RecordStep *= 2;
    sample_.Thinned = true;
    std::vector<double> coordinates;
    std::vector<SampledPath> paths;
    std::vector<SampledShape> shapes;
    for (const SampledShape& shape : sample_.Shapes) {
      if (!Takes(shape.Record)) continue;
      shapes.push_back({shape.Kind, static_cast<std::uint32_t>(paths.size()), shape.PathCount, shape.Record});
      for (std::uint32_t p = 0; p < shape.PathCount; ++p) {
        const SampledPath& path = sample_.Paths[shape.FirstPath + p];
        paths.push_back({static_cast<std::uint32_t>(coordinates.size() / 2), path.Count});
        coordinates.insert(coordinates.end(), sample_.Coordinates.begin() + 2 * path.First,
                           sample_.Coordinates.begin() + 2 * (path.First + path.Count));
      }
    }
    sample_.Coordinates = std::move(coordinates);
    sample_.Paths = std::move(paths);
    sample_.Shapes = std::move(shapes);
  }

  // The shape being read holds the bound alone: its paths so far, the open one included, are
  // thinned again with twice the tolerance, each keeping its first and last vertex.
  void ThinShapeAgain() {
    tolerance_ = tolerance_ > 0 ? 2 * tolerance_ : kSmallestTolerance;
    sample_.Thinned = true;
    std::vector<SampledPath> paths(sample_.Paths.begin() + static_cast<std::ptrdiff_t>(shapeFirstPath_), sample_.Paths.end());
    if (pathOpen_) paths.push_back({static_cast<std::uint32_t>(pathFirst_), static_cast<std::uint32_t>(sample_.VertexCount() - pathFirst_)});
    const std::vector<double> coordinates = sample_.Coordinates;
    sample_.Coordinates.resize(2 * shapeFirstVertex_);
    sample_.Paths.resize(shapeFirstPath_);
    for (std::size_t p = 0; p < paths.size(); ++p) {
      const std::size_t first = sample_.VertexCount();
      for (std::uint32_t i = 0; i < paths[p].Count; ++i) {
        const double x = coordinates[2 * (paths[p].First + i)];
        const double y = coordinates[2 * (paths[p].First + i) + 1];
        const bool ends = i == 0 || i + 1 == paths[p].Count;
        if (!ends && Near(x, y)) continue;
        sample_.Coordinates.push_back(x);
        sample_.Coordinates.push_back(y);
      }
      const std::size_t count = sample_.VertexCount() - first;
      if (pathOpen_ && p + 1 == paths.size())
        pathFirst_ = first;
      else
        sample_.Paths.push_back({static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(count)});
    }
    // Points of one record are paths of one vertex each: those that gather within the new
    // tolerance go as Add would have left them out.
    if (kind_ == ShapeKind::Points) DropNearPoints();
  }

  void DropNearPoints() {
    std::vector<double> kept;
    for (std::size_t v = shapeFirstVertex_; v < sample_.VertexCount(); ++v) {
      const double x = sample_.Coordinates[2 * v];
      const double y = sample_.Coordinates[2 * v + 1];
      if (!kept.empty() && std::fabs(x - kept[kept.size() - 2]) < tolerance_ && std::fabs(y - kept.back()) < tolerance_) continue;
      kept.push_back(x);
      kept.push_back(y);
    }
    sample_.Coordinates.resize(2 * shapeFirstVertex_);
    sample_.Paths.resize(shapeFirstPath_);
    for (std::size_t i = 0; i < kept.size(); i += 2) {
      sample_.Paths.push_back({static_cast<std::uint32_t>(sample_.VertexCount()), 1});
      sample_.Coordinates.push_back(kept[i]);
      sample_.Coordinates.push_back(kept[i + 1]);
    }
  }

  ShapeSample& sample_;
  std::size_t maxVertices_;
  double tolerance_;  // 0: nothing is thinned
  ShapeKind kind_ = ShapeKind::Points;
  std::uint64_t record_ = 0;
  std::size_t shapeFirstPath_ = 0;
  std::size_t shapeFirstVertex_ = 0;
  std::size_t pathFirst_ = 0;
  bool pathOpen_ = false;
  bool hasPending_ = false;
  double pendingX_ = 0;
  double pendingY_ = 0;
};

// The thinning tolerance over the header's box; 0 when the whole file fits the sample.
double Tolerance(const ShapefileHeader& header, std::uint64_t fileSize, std::size_t maxVertices) {
  if (fileSize / kPointSize <= maxVertices) return 0;
  const Box box = ReadBox(header.Bytes.data() + kHeaderBoxOffset);
  const double span = std::max(box.Xmax - box.Xmin, box.Ymax - box.Ymin);
  return std::isfinite(span) && span > 0 ? span / kSampleToleranceDivisions : kSmallestTolerance;
}

// The header box checked against the extent of the records read (see shape_sample.hpp).
Extent FileBounds(const Box& header, const Extent& read, bool hasNullShapes) {
  const bool usable = std::isfinite(header.Xmin) && std::isfinite(header.Ymin) && std::isfinite(header.Xmax) &&
                      std::isfinite(header.Ymax) && header.Xmin <= header.Xmax && header.Ymin <= header.Ymax;
  if (!usable) return read;
  Box box = header;
  if (!read.Empty()) {
    const Box& records = read.Bounds();
    if (hasNullShapes) {
      // A side at the origin that no record reaches was made for the null shapes.
      if (box.Xmin == 0 && records.Xmin > 0) box.Xmin = records.Xmin;
      if (box.Ymin == 0 && records.Ymin > 0) box.Ymin = records.Ymin;
      if (box.Xmax == 0 && records.Xmax < 0) box.Xmax = records.Xmax;
      if (box.Ymax == 0 && records.Ymax < 0) box.Ymax = records.Ymax;
    }
  }
  Extent bounds;
  bounds.Add(box.Xmin, box.Ymin);
  bounds.Add(box.Xmax, box.Ymax);
  bounds.Add(read);
  return bounds;
}

class ShapeReader {
 public:
  ShapeReader(BufferedReader& in, const std::string& path, Sampler& sampler, ShapeSample& sample)
      : reader_(in, path), sampler_(sampler), sample_(sample) {}

  // The extent of the points read for drawing, and whether the file has null shapes.
  const Extent& Read() const { return read_; }
  bool HasNullShapes() const { return hasNullShapes_; }

  bool Next() {
    unsigned char header[kRecordHeaderSize];
    if (!reader_.Begin(header)) return false;
    reader_.TakeType();
    starts_.clear();
    drawn_ = sampler_.Takes(sample_.Records);
    WalkRecord(reader_, *this);
    ++sample_.Records;
    return true;
  }

  // The pieces of the record as WalkRecord hands them.
  void Null(std::uint64_t rest) {
    hasNullShapes_ = true;
    reader_.Skip(rest);
  }
  void Fixed(unsigned char*, std::size_t, std::int32_t points) { points_ = points; }
  static bool PartsFollow(std::uint64_t) { return true; }
  // Every part start is checked; those of a record that is drawn are kept, as many as there
  // are points at most (the rest start parts without points).
  void PartStart(const unsigned char* bytes) {
    const std::int32_t first = ReadInt32LE(bytes);
    if (drawn_ && first < points_ && (starts_.empty() || first > starts_.back())) starts_.push_back(first);
  }
  void PartTypes(std::uint64_t size) { reader_.Skip(size); }
  // Reads the record's `points` points into the paths that starts_ begins (points before the
  // first start belong to no path and are left out); a point or multipoint is one path.
  void Points(std::int32_t points, std::uint64_t) {
    if (reader_.Layout().Kind != Layout::Parts) starts_.push_back(0);
    sample_.FileVertices += static_cast<std::uint64_t>(points);
    const std::uint64_t xySize = kPointSize * static_cast<std::uint64_t>(points);
    unread_ = 0;
    if (!drawn_) {
      unread_ = xySize;  // skipped with what follows them
      return;
    }
    sampler_.BeginShape(KindOf(reader_.Type()), sample_.Records);
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
        if (part == 0) continue;
        const double x = ReadDoubleLE(bytes + 16 * i);
        const double y = ReadDoubleLE(bytes + 16 * i + 8);
        if (std::isfinite(x) && std::isfinite(y)) read_.Add(x, y);
        sampler_.Add(x, y);
      }
    }
    if (part > 0) sampler_.EndPath();
    sampler_.EndShape();
  }
  void After(std::uint64_t size) { reader_.Skip(unread_ + size); }

 private:
  RecordReader<BufferedReader> reader_;
  Sampler& sampler_;
  ShapeSample& sample_;
  std::vector<std::int32_t> starts_;
  bool drawn_ = false;       // the record being read is drawn
  std::int32_t points_ = 0;  // its points, for a multipoint or parts record
  std::uint64_t unread_ = 0;  // bytes of its points not read
  Extent read_;  // of the finite points of the records read for drawing
  bool hasNullShapes_ = false;
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
  Sampler sampler(sample, maxVertices, Tolerance(header, in.FileSize(), maxVertices));
  ShapeReader reader(in, shpPath, sampler, sample);
  while (reader.Next()) {
  }
  const Extent bounds = FileBounds(ReadBox(header.Box()), reader.Read(), reader.HasNullShapes());
  sample.HasBounds = !bounds.Empty();
  if (sample.HasBounds) sample.Bounds = bounds.Bounds();
  return sample;
}

}  // namespace morvane
