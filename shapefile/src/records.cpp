#include "shapefile/records.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/modes.hpp"
#include "record_reader.hpp"
#include "shapefile/byte_order.hpp"
#include "shapefile/run_error.hpp"

namespace morvane {

namespace {

constexpr std::size_t kPointsPerRun = 256;  // pairs handed to the engine at once

// Whole records held in memory, read as the part of the input file they came from: positions
// and what is left are those of the file, so that damage is reported as from the file.
class BlockReader {
 public:
  explicit BlockReader(const RecordBlock& block) : block_(block) {}

  const unsigned char* Take(std::size_t size) {
    if (block_.Bytes.size() - at_ < size) {
      at_ = block_.Bytes.size();
      return nullptr;
    }
    const unsigned char* bytes = block_.Bytes.data() + at_;
    at_ += size;
    return bytes;
  }
  std::size_t Read(void* to, std::size_t size) {
    size = std::min(size, block_.Bytes.size() - at_);
    if (size > 0) std::memcpy(to, block_.Bytes.data() + at_, size);
    at_ += size;
    return size;
  }
  std::size_t BlockSize() const { return std::max(block_.Bytes.size(), kMinimumBlockSize); }
  std::uint64_t Position() const { return block_.Offset + at_; }
  std::uint64_t Remaining() const { return block_.FileSize > Position() ? block_.FileSize - Position() : 0; }

 private:
  const RecordBlock& block_;
  std::size_t at_ = 0;
};

// The rewritten records of a block, appended to a byte vector.
class BlockWriter {
 public:
  BlockWriter(std::vector<unsigned char>& bytes, std::size_t blockSize) : bytes_(bytes), blockSize_(blockSize) {
    bytes_.clear();
    bytes_.reserve(blockSize);
  }

  unsigned char* Reserve(std::size_t size) {
    const std::size_t at = bytes_.size();
    bytes_.resize(at + size);
    return bytes_.data() + at;
  }
  void Write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    bytes_.insert(bytes_.end(), bytes, bytes + size);
  }
  void PatchAt(std::uint64_t offset, const void* data, std::size_t size) {
    std::memcpy(bytes_.data() + offset, data, size);
  }
  std::size_t BlockSize() const { return blockSize_; }
  std::uint64_t Position() const { return bytes_.size(); }

 private:
  std::vector<unsigned char>& bytes_;
  std::size_t blockSize_;
};

bool CopyBytes(BlockReader& in, BlockWriter& out, std::uint64_t size) {
  if (size > in.Remaining()) return false;
  const unsigned char* bytes = in.Take(static_cast<std::size_t>(size));
  if (bytes == nullptr) return false;
  out.Write(bytes, static_cast<std::size_t>(size));
  return true;
}

// Rewrites records from a reader to a writer (the buffered file or a block in memory), adding
// each record's extent to `Extents` (an Extent or ExtentRuns).
template <typename Reader, typename Writer, typename Extents>
class RecordRewriter {
 public:
  // `number`: records before the first one this rewrites.
  RecordRewriter(Reader& in, Writer& out, EngineState& engine, TransformMode mode,
                 const std::string& path, Extents& extents, std::uint64_t number = 0)
      : in_(in), reader_(in, path, number), out_(out), engine_(engine), mode_(mode), extents_(extents) {}

  // Rewrites the next record; false at the end of the input.
  bool Next() {
    unsigned char header[kRecordHeaderSize];
    if (!reader_.Begin(header)) return false;
    out_.Write(header, sizeof header);
    out_.Write(reader_.TakeType(), 4);
    hasBox_ = false;
    WalkRecord(reader_, *this);
    ++Records;
    return true;
  }

  std::uint64_t Records = 0;
  std::uint64_t Vertices = 0;

  // The pieces of the record as WalkRecord hands them: everything is copied but the points
  // and the box.
  void Null(std::uint64_t rest) { Copy(rest); }
  // Writes the fixed piece that starts with the record's box, to be completed by Points.
  void Fixed(unsigned char* fixed, std::size_t size, std::int32_t points) {
    // Without points there is no extent: the stored corners are converted instead.
    if (points == 0) ConvertBoxCorners(engine_, mode_, fixed);
    hasBox_ = true;
    boxOffset_ = out_.Position();
    out_.Write(fixed, size);
  }
  static bool PartsFollow(std::uint64_t) { return true; }
  void PartStart(const unsigned char* bytes) { out_.Write(bytes, 4); }
  void PartTypes(std::uint64_t size) { Copy(size); }
  void Points(std::int32_t count, std::uint64_t) {
    Extent extent;
    ConvertPoints(count, extent);
    if (!hasBox_) {
      extents_.Add(extent);
    } else if (!extent.Empty()) {
      unsigned char box[kBoxSize];
      WriteBox(box, extent.Bounds());
      out_.PatchAt(boxOffset_, box, kBoxSize);
      extents_.Add(extent);
    }
  }
  void After(std::uint64_t size) { Copy(size); }

 private:
  void Copy(std::uint64_t size) {
    if (!CopyBytes(in_, out_, size)) reader_.Damaged(RecordDamage::CutShort);
  }

  void ConvertPoints(std::int64_t count, Extent& extent);

  Reader& in_;
  RecordReader<Reader> reader_;
  Writer& out_;
  EngineState& engine_;
  TransformMode mode_;
  Extents& extents_;
  bool hasBox_ = false;           // the record being rewritten has a box
  std::uint64_t boxOffset_ = 0;   // where it was written
};

template <typename Reader, typename Writer, typename Extents>
void RecordRewriter<Reader, Writer, Extents>::ConvertPoints(std::int64_t count, Extent& extent) {
  // The engine converts whole runs of pairs at a time (it reads the floating-point flags once
  // per run, not once per pair); a run is bounded by the smaller block of the two buffers.
  const std::size_t blockPoints = std::min(in_.BlockSize(), out_.BlockSize()) / kPointSize;
  const std::size_t runPoints = std::max<std::size_t>(1, std::min(kPointsPerRun, blockPoints));
  double pairs[2 * kPointsPerRun];
  for (std::int64_t done = 0; done < count;) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(count - done, static_cast<std::int64_t>(runPoints)));
    const unsigned char* from = reader_.Take(n * kPointSize);
    for (std::size_t i = 0; i < 2 * n; ++i) pairs[i] = ReadDoubleLE(from + 8 * i);
    morvane::ConvertPoints(engine_, mode_, std::span<double>(pairs, 2 * n));
    unsigned char* to = out_.Reserve(n * kPointSize);
    for (std::size_t i = 0; i < n; ++i) {
      const double x = pairs[2 * i];
      const double y = pairs[2 * i + 1];
      // Building the extent compares every value, and a comparison with a NaN is an invalid
      // operation like any other in a conversion.
      if (std::isnan(x) || std::isnan(y)) throw FloatingPointError("Invalid floating point operation");
      extent.Add(x, y);
      WriteDoubleLE(to + 16 * i, x);
      WriteDoubleLE(to + 16 * i + 8, y);
    }
    done += static_cast<std::int64_t>(n);
  }
  Vertices += static_cast<std::uint64_t>(count);
}

}  // namespace

RewriteResult RewriteRecords(BufferedReader& in, BufferedWriter& out, EngineState& engine,
                             TransformMode mode, const std::string& inputPath,
                             const std::function<void(std::uint64_t)>& onProgress) {
  RewriteResult result;
  RecordRewriter rewriter(in, out, engine, mode, inputPath, result.Points);
  std::uint64_t reported = in.Position();
  while (rewriter.Next()) {
    if (onProgress && in.Position() - reported >= in.BlockSize()) {
      reported = in.Position();
      onProgress(reported);
    }
  }
  if (onProgress) onProgress(in.Position());
  result.Records = rewriter.Records;
  result.Vertices = rewriter.Vertices;
  return result;
}

void ExtentRuns::Add(const Extent& record) {
  if (record.Empty()) return;
  if (runs_.empty() || HasZeroBound(record) || HasZeroBound(runs_.back()))
    runs_.push_back(record);
  else
    runs_.back().Add(record);
}

void ExtentRuns::AddTo(Extent& total) const {
  for (const Extent& run : runs_) total.Add(run);
}

bool ExtentRuns::HasZeroBound(const Extent& extent) {
  const Box& box = extent.Bounds();
  return box.Xmin == 0 || box.Xmax == 0 || box.Ymin == 0 || box.Ymax == 0;
}

void RewriteRecordBlock(const RecordBlock& block, std::vector<unsigned char>& output,
                        EngineState& engine, TransformMode mode, const std::string& inputPath,
                        BlockRewrite& result) {
  BlockReader in(block);
  BlockWriter out(output, block.Bytes.size());
  RecordRewriter rewriter(in, out, engine, mode, inputPath, result.Extents, block.FirstRecord - 1);
  try {
    while (rewriter.Next()) {
    }
  } catch (...) {
    result.Records = rewriter.Records;
    throw;
  }
  result.Records = rewriter.Records;
  result.Vertices = rewriter.Vertices;
}

void RewriteRecord(BufferedReader& in, BufferedWriter& out, EngineState& engine, TransformMode mode,
                   const std::string& inputPath, std::uint64_t number, RewriteResult& total) {
  RecordRewriter rewriter(in, out, engine, mode, inputPath, total.Points, number - 1);
  rewriter.Next();
  total.Records += rewriter.Records;
  total.Vertices += rewriter.Vertices;
}

}  // namespace morvane
