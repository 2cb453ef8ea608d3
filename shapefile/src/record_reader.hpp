// Checked reading of the records of a main file, shared by the rewriting of records and the
// sampling of shapes: each record's header and layout are read piece by piece and checked
// against its content length and the input before anything depends on them. A record that
// does not fit throws RunError (ErrorKind::DamagedRecord): "File <path> is damaged: record <n> (at
// byte <offset>) ...".
//
// `Reader` is what the records come from: the buffered file, or a block of whole records in
// memory. It gives Take(size) (nullptr when the input ends first), Read(to, size),
// Position(), Remaining() and BlockSize().
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "shapefile/byte_order.hpp"
#include "shapefile/headers.hpp"
#include "shapefile/run_error.hpp"

namespace morvane {

inline constexpr std::size_t kPointSize = 16;
inline constexpr std::size_t kMultiPointFixedSize = 36;  // box, NumPoints
inline constexpr std::size_t kPartsFixedSize = 40;       // box, NumParts, NumPoints

enum class Layout { Null, Point, MultiPoint, Parts, Unknown };

struct RecordLayout {
  Layout Kind = Layout::Unknown;
  bool HasZ = false;          // a Z range and one Z per point are required after the points
  bool HasPartTypes = false;  // one int32 per part follows the part starts
};

RecordLayout LayoutOf(std::int32_t type);

// A byte count as a figure of a damage report; counts here are far below its limit.
inline std::int64_t Signed(std::uint64_t count) { return static_cast<std::int64_t>(count); }

// Bytes of the Z range and Z values of `points` points.
inline std::uint64_t ZPartSize(std::int64_t points) { return 16 + 8 * static_cast<std::uint64_t>(points); }

struct PartsCounts {
  std::int32_t Parts = 0;
  std::int32_t Points = 0;
};

template <typename Reader>
class RecordReader {
 public:
  // `number`: records before the first one this reads.
  RecordReader(Reader& in, const std::string& path, std::uint64_t number = 0)
      : in_(in), path_(path), number_(number) {}

  // Reads the next record header into `header` and checks its content length against the
  // input; false at its end.
  bool Begin(unsigned char (&header)[kRecordHeaderSize]) {
    start_ = in_.Position();
    const std::size_t got = in_.Read(header, sizeof header);
    if (got == 0) return false;
    ++number_;
    if (got < sizeof header) Damaged(RecordDamage::CutShort);
    const std::int32_t words = RecordHeader::Decode(header).ContentLength;
    if (words < 2) Damaged(RecordDamage::ContentLength, {words});
    content_ = 2 * static_cast<std::uint64_t>(words);
    if (content_ > in_.Remaining())
      Damaged(RecordDamage::PastEnd, {Signed(content_), Signed(in_.Remaining())});
    return true;
  }

  // The shape type after the header, as its 4 bytes; sets Type() and Layout().
  const unsigned char* TakeType() {
    const unsigned char* bytes = Take(4);
    type_ = ReadInt32LE(bytes);
    layout_ = LayoutOf(type_);
    return bytes;
  }

  // Checks that the rest of the record holds a point (and its Z).
  void CheckPoint() const {
    if (Rest() < kPointSize + (layout_.HasZ ? 8 : 0)) TooShort();
  }

  // Copies the 36-byte fixed piece of a multipoint into `fixed`; returns its checked points.
  std::int32_t TakeMultiPointFixed(unsigned char* fixed) {
    if (Rest() < kMultiPointFixedSize) TooShort();
    std::memcpy(fixed, Take(kMultiPointFixedSize), kMultiPointFixedSize);
    const std::int32_t points = ReadInt32LE(fixed + 32);
    if (points < 0) Damaged(RecordDamage::NegativePoints, {points});
    const std::uint64_t xySize = kPointSize * static_cast<std::uint64_t>(points);
    if (kMultiPointFixedSize + xySize + (layout_.HasZ ? ZPartSize(points) : 0) > Rest())
      Damaged(RecordDamage::TooManyPoints, {points, Signed(content_)});
    return points;
  }

  // Copies the 40-byte fixed piece of a parts record into `fixed`; returns its checked counts.
  PartsCounts TakePartsFixed(unsigned char* fixed) {
    if (Rest() < kPartsFixedSize) TooShort();
    std::memcpy(fixed, Take(kPartsFixedSize), kPartsFixedSize);
    const std::int32_t parts = ReadInt32LE(fixed + 32);
    const std::int32_t points = ReadInt32LE(fixed + 36);
    if (parts < 0 || points < 0)
      Damaged(RecordDamage::NegativeCount, {parts, points});
    const std::uint64_t partsSize = 4 * static_cast<std::uint64_t>(parts);
    const std::uint64_t partTypesSize = layout_.HasPartTypes ? partsSize : 0;
    const std::uint64_t xySize = kPointSize * static_cast<std::uint64_t>(points);
    if (kPartsFixedSize + partsSize + partTypesSize + xySize +
            (layout_.HasZ ? ZPartSize(points) : 0) > Rest())
      Damaged(RecordDamage::TooManyPartsPoints, {parts, points, Signed(content_)});
    return {parts, points};
  }

  // The next part start as its 4 bytes, checked to follow `previous` and to lie before
  // `points`; `previous` becomes it.
  const unsigned char* TakePartStart(std::int32_t index, std::int32_t& previous, std::int32_t points) {
    const unsigned char* bytes = Take(4);
    const std::int32_t first = ReadInt32LE(bytes);
    if (first <= previous || first >= points)
      Damaged(RecordDamage::PartOutOfOrder, {index, first, points});
    previous = first;
    return bytes;
  }

  // The next `size` bytes of the record (at most the block size).
  const unsigned char* Take(std::size_t size) {
    const unsigned char* bytes = in_.Take(size);
    if (bytes == nullptr) Damaged(RecordDamage::CutShort);
    return bytes;
  }

  // Moves past `size` bytes.
  void Skip(std::uint64_t size) {
    while (size > 0) {
      const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(size, in_.BlockSize()));
      Take(chunk);
      size -= chunk;
    }
  }

  // The content bytes after the shape type.
  std::uint64_t Rest() const { return content_ - 4; }
  std::int32_t Type() const { return type_; }
  const RecordLayout& Layout() const { return layout_; }

  [[noreturn]] void Damaged(RecordDamage damage, std::vector<std::int64_t> figures = {},
                            std::string shapeType = {}) const {
    ErrorDetails details = DetailsOf(ErrorKind::DamagedRecord, path_);
    details.Record = number_;
    details.Offset = start_;
    details.Damage = damage;
    details.Figures = std::move(figures);
    details.ShapeType = std::move(shapeType);
    throw RunError(std::move(details));
  }
  // For a record whose type has no layout.
  [[noreturn]] void UnknownType() const { Damaged(RecordDamage::UnknownType, {type_}); }

 private:
  [[noreturn]] void TooShort() const {
    Damaged(RecordDamage::TooShort, {Signed(content_)}, std::string(ShapeTypeName(type_)));
  }

  Reader& in_;
  const std::string& path_;
  std::uint64_t number_;       // of the current record, from 1
  std::uint64_t start_ = 0;    // byte offset of its record header
  std::uint64_t content_ = 0;  // its content bytes, the shape type included
  std::int32_t type_ = 0;
  RecordLayout layout_;
};

// The walk over one record's pieces, in the order its layout lays them out, shared by the
// rewriting, the input check and the sampler: each checked piece is handed to `visit`, which
// takes (or copies, or skips) the bytes the walk does not take itself. After TakeType:
//   Null(rest)                   a null shape, `rest` content bytes after its type;
//   Fixed(fixed, size, points)   the box and counts of a multipoint or parts record, taken
//                                into `fixed` (which the visitor may change);
//   PartsFollow(size)            before the part starts and part types of `size` bytes:
//                                false ends the walk there (what was read holds too little);
//   PartStart(bytes)             each part start as its 4 bytes, checked to be in order;
//   PartTypes(size)              the part types of a multipatch (0 for the other types), not
//                                taken;
//   Points(count, before)        `count` X Y pairs, not taken; `before` bytes of the content
//                                after the type come before them;
//   After(size)                  the bytes that follow the points (Z and M parts, and any
//                                more the record holds), not taken.
// An inline template, so that the rewriting runs as fast as with the pieces written out.
template <typename Reader, typename Visitor>
inline void WalkRecord(RecordReader<Reader>& reader, Visitor& visit) {
  switch (reader.Layout().Kind) {
    case Layout::Null:
      visit.Null(reader.Rest());
      return;
    case Layout::Point:
      reader.CheckPoint();
      visit.Points(1, 0);
      visit.After(reader.Rest() - kPointSize);
      return;
    case Layout::MultiPoint: {
      unsigned char fixed[kMultiPointFixedSize];
      const std::int32_t points = reader.TakeMultiPointFixed(fixed);
      visit.Fixed(fixed, sizeof fixed, points);
      visit.Points(points, kMultiPointFixedSize);
      visit.After(reader.Rest() - kMultiPointFixedSize - kPointSize * static_cast<std::uint64_t>(points));
      return;
    }
    case Layout::Parts: {
      unsigned char fixed[kPartsFixedSize];
      const auto [parts, points] = reader.TakePartsFixed(fixed);
      visit.Fixed(fixed, sizeof fixed, points);
      const std::uint64_t partsSize = 4 * static_cast<std::uint64_t>(parts);
      const std::uint64_t partTypesSize = reader.Layout().HasPartTypes ? partsSize : 0;
      if (!visit.PartsFollow(partsSize + partTypesSize)) return;
      std::int32_t previous = -1;
      for (std::int32_t i = 0; i < parts; ++i) visit.PartStart(reader.TakePartStart(i, previous, points));
      visit.PartTypes(partTypesSize);
      const std::uint64_t before = kPartsFixedSize + partsSize + partTypesSize;
      visit.Points(points, before);
      visit.After(reader.Rest() - before - kPointSize * static_cast<std::uint64_t>(points));
      return;
    }
    case Layout::Unknown:
      reader.UnknownType();
  }
}

}  // namespace morvane
