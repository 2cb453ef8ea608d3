#include "check_sample.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "record_reader.hpp"
#include "shapefile/byte_order.hpp"
#include "shapefile/input_check.hpp"

namespace morvane {

namespace {

// The first bytes of one record, read from its place in the main file, as RecordReader takes
// them: positions and what is left are those of the file, so that damage is reported as the
// conversion reports it.
class RecordBytes {
 public:
  RecordBytes(File& file, std::uint64_t fileSize, std::uint64_t offset)
      : file_(file), fileSize_(fileSize), offset_(offset) {}

  // Makes the first `size` bytes of the record available, fewer at the end of the file.
  void Load(std::size_t size) {
    if (bytes_.size() >= size) return;
    const std::size_t had = bytes_.size();
    file_.Seek(offset_ + had);
    bytes_.resize(size);
    std::size_t got = had;
    for (std::size_t n; got < size && (n = file_.Read(bytes_.data() + got, size - got)) > 0;) got += n;
    bytes_.resize(got);
  }

  const unsigned char* Take(std::size_t size) {
    if (Loaded() < size) {
      at_ = bytes_.size();
      return nullptr;
    }
    const unsigned char* bytes = bytes_.data() + at_;
    at_ += size;
    return bytes;
  }
  std::size_t Read(void* to, std::size_t size) {
    size = std::min(size, Loaded());
    if (size > 0) std::memcpy(to, bytes_.data() + at_, size);
    at_ += size;
    return size;
  }
  // Takes the record again from its start.
  void Rewind() { at_ = 0; }
  // Bytes loaded and not taken.
  std::size_t Loaded() const { return bytes_.size() - at_; }
  std::size_t BlockSize() const { return std::max<std::size_t>(bytes_.size(), 1); }
  std::uint64_t Position() const { return offset_ + at_; }
  std::uint64_t Remaining() const { return fileSize_ > Position() ? fileSize_ - Position() : 0; }

 private:
  File& file_;
  std::uint64_t fileSize_;
  std::uint64_t offset_;
  std::vector<unsigned char> bytes_;
  std::size_t at_ = 0;
};

// Bytes read at once from the start of a record: most records are whole in them, so that
// one read serves each.
constexpr std::size_t kRecordReadAhead = 4096;

// The record expected at a place the index gives: its number (from 1) and content length.
struct ExpectedRecord {
  std::int32_t Number = 0;
  std::int32_t ContentWords = 0;
};

// Gathers the points of one record as WalkRecord hands them, as far as they were loaded.
class RecordPoints {
 public:
  RecordPoints(RecordBytes& in, RecordReader<RecordBytes>& reader, SeenPoints& seen)
      : in_(in), reader_(reader), seen_(seen) {}

  const Extent& Points() const { return points_; }

  static void Null(std::uint64_t) {}
  static void Fixed(unsigned char*, std::size_t, std::int32_t) {}
  // Its points lie beyond what was read when its part starts and types do.
  bool PartsFollow(std::uint64_t size) const { return in_.Loaded() >= size; }
  static void PartStart(const unsigned char*) {}
  void PartTypes(std::uint64_t size) {
    if (size > 0) reader_.Take(static_cast<std::size_t>(size));
  }
  // Gathers up to `count` points, as many as were loaded.
  void Points(std::int32_t count, std::uint64_t) {
    const std::int64_t loaded = static_cast<std::int64_t>(in_.Loaded() / kPointSize);
    for (std::int64_t i = 0; i < std::min<std::int64_t>(count, loaded); ++i) {
      const unsigned char* bytes = reader_.Take(kPointSize);
      const double x = ReadDoubleLE(bytes);
      const double y = ReadDoubleLE(bytes + 8);
      if (std::isfinite(x) && std::isfinite(y)) {
        points_.Add(x, y);
      } else {
        seen_.NonFinite = true;
      }
    }
  }
  static void After(std::uint64_t) {}

 private:
  RecordBytes& in_;
  RecordReader<RecordBytes>& reader_;
  SeenPoints& seen_;
  Extent points_;
};

// Reads the record at `offset` of the main file with the conversion's checks (RunError for
// damage), `before` records coming before it, and gathers the points of its first
// kSampledRecordBytes. Returns the offset of the next record; nullopt at the end of the file,
// or when the record there is not the one `expected` says (an index that does not fit).
std::optional<std::uint64_t> ReadRecordAt(File& file, std::uint64_t fileSize, std::uint64_t offset,
                                          std::uint64_t before, const std::string& path,
                                          std::optional<ExpectedRecord> expected, SeenPoints& seen) {
  RecordBytes in(file, fileSize, offset);
  in.Load(kRecordReadAhead);
  if (expected) {
    const unsigned char* peek = in.Take(kRecordHeaderSize);
    if (peek == nullptr) return std::nullopt;
    const RecordHeader header = RecordHeader::Decode(peek);
    if (header.RecordNumber != expected->Number || header.ContentLength != expected->ContentWords) return std::nullopt;
    in.Rewind();
  }
  RecordReader<RecordBytes> reader(in, path, before);
  unsigned char header[kRecordHeaderSize];
  if (!reader.Begin(header)) return std::nullopt;
  const std::uint64_t content = reader.Rest() + 4;
  in.Load(kRecordHeaderSize + static_cast<std::size_t>(std::min<std::uint64_t>(content, kSampledRecordBytes)));
  const std::uint64_t next = offset + kRecordHeaderSize + content;

  RecordPoints record(in, reader, seen);
  reader.TakeType();
  WalkRecord(reader, record);
  const Extent& points = record.Points();
  if (!points.Empty()) {
    seen.All.Add(points);
    seen.Records.push_back(points.Bounds());
  }
  return next;
}

// Reads up to 8-byte entry `index` of the index file; nullopt when it lies beyond its end.
std::optional<IndexEntry> ReadIndexEntry(File& index, std::uint64_t entry) {
  unsigned char bytes[kIndexEntrySize];
  index.Seek(kFileHeaderSize + kIndexEntrySize * entry);
  std::size_t got = 0;
  for (std::size_t n; got < sizeof bytes && (n = index.Read(bytes + got, sizeof bytes - got)) > 0;) got += n;
  if (got < sizeof bytes) return std::nullopt;
  return IndexEntry::Decode(bytes);
}

}  // namespace

void ReadSample(File& main, std::uint64_t mainSize, File* index, const std::string& path, SeenPoints& seen) {
  std::uint64_t offset = kFileHeaderSize;
  std::uint64_t read = 0;
  for (; read < kCheckedRecordLimit; ++read) {
    const std::optional<std::uint64_t> next = ReadRecordAt(main, mainSize, offset, read, path, std::nullopt, seen);
    if (!next) return;  // the end of the file
    offset = *next;
  }
  if (index == nullptr) return;
  const std::uint64_t indexSize = index->Size();
  const std::uint64_t entries = indexSize > kFileHeaderSize ? (indexSize - kFileHeaderSize) / kIndexEntrySize : 0;
  if (entries <= read) return;
  const std::uint64_t rest = entries - read;
  const std::uint64_t spread = std::min(rest, kSpreadRecords);
  for (std::uint64_t k = 1; k <= spread; ++k) {
    const std::uint64_t entry = read + k * rest / spread - 1;  // the last one is the last record
    const std::optional<IndexEntry> at = ReadIndexEntry(*index, entry);
    if (!at || at->Offset < 0) continue;
    const std::uint64_t recordOffset = 2 * static_cast<std::uint64_t>(at->Offset);
    if (recordOffset < kFileHeaderSize || recordOffset >= mainSize) continue;
    ReadRecordAt(main, mainSize, recordOffset, entry, path,
                 ExpectedRecord{static_cast<std::int32_t>(entry + 1), at->ContentLength}, seen);
  }
}

}  // namespace morvane
