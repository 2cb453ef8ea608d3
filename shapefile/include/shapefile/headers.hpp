// The byte-level pieces shared by the main file (.shp) and the index (.shx): the 100-byte file
// header, the 8-byte record header and index entry, the shape type codes and bounding boxes.
//
// Byte order:
//   big-endian int32:    the seven words at offsets 0..27 of the file header (FileCode, five
//                        reserved words, FileLength in 16-bit words), both words of a record
//                        header (RecordNumber, ContentLength) and of an index entry (Offset,
//                        ContentLength), all lengths and offsets in 16-bit words;
//   little-endian int32: Version (28) and ShapeType (32) of the file header, and every integer
//                        of a record's content;
//   little-endian double: every real, in the file header and in record contents.
//
// File header, 100 bytes: FileCode 0, reserved 4..23, FileLength 24, Version 28, ShapeType 32,
// box Xmin Ymin Xmax Ymax 36..67, Zmin Zmax 68..83, Mmin Mmax 84..99.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/engine_state.hpp"

namespace morvane {

inline constexpr std::size_t kFileHeaderSize = 100;
inline constexpr std::size_t kHeaderShapeTypeOffset = 32;
inline constexpr std::size_t kHeaderBoxOffset = 36;
inline constexpr std::size_t kRecordHeaderSize = 8;
inline constexpr std::size_t kIndexEntrySize = 8;
inline constexpr std::size_t kBoxSize = 32;

// The shape type codes of the published format; any other value is an unknown type.
enum class ShapeType : std::int32_t {
  NullShape = 0,
  Point = 1,
  Arc = 3,
  Polygon = 5,
  MultiPoint = 8,
  PointZ = 11,
  ArcZ = 13,
  PolygonZ = 15,
  MultiPointZ = 18,
  PointM = 21,
  ArcM = 23,
  PolygonM = 25,
  MultiPointM = 28,
  MultiPatch = 31,
};

// "Point", "ArcZ", ... for the published codes, "UnknownShapeType" for any other.
std::string_view ShapeTypeName(std::int32_t code);

inline constexpr std::int32_t kShapefileFileCode = 9994;
inline constexpr std::int32_t kShapefileVersion = 1000;

// A file header as its 100 bytes in file order.
struct ShapefileHeader {
  std::array<unsigned char, kFileHeaderSize> Bytes{};

  unsigned char* Box() { return Bytes.data() + kHeaderBoxOffset; }
};

// Whether `code` is one of the published shape types.
bool IsKnownShapeType(std::int32_t code);

// Checks the header of a main file of `fileSize` bytes before its records are read. Throws
// RunError "File <path> is not a shapefile" unless the file code is 9994, the version 1000
// and the shape type a published one, and "File <path> is damaged: ..." if the file is
// shorter than the length its header gives. A longer file is accepted: its records are read
// to the file's real end, so records appended by a tool that left the length as it was are
// converted, and bytes after the last record that are no record report a damaged record.
void CheckMainFileHeader(const ShapefileHeader& header, std::uint64_t fileSize, const std::string& path);

// The error of a main file or index at `path` that ends before its 100-byte header does.
[[noreturn]] void ThrowShortHeader(const std::string& path);

// The header in front of every record of the main file.
struct RecordHeader {
  std::int32_t RecordNumber = 0;
  std::int32_t ContentLength = 0;  // 16-bit words, the shape type included

  static RecordHeader Decode(const unsigned char* bytes);
};

// One entry of the index, per record: where the record starts in the main file.
struct IndexEntry {
  std::int32_t Offset = 0;         // 16-bit words from the start of the main file
  std::int32_t ContentLength = 0;  // 16-bit words

  static IndexEntry Decode(const unsigned char* bytes);
};

// A bounding box, stored as four little-endian doubles Xmin, Ymin, Xmax, Ymax.
struct Box {
  double Xmin = 0;
  double Ymin = 0;
  double Xmax = 0;
  double Ymax = 0;
};

Box ReadBox(const unsigned char* bytes);
void WriteBox(unsigned char* bytes, const Box& box);

// The smallest box holding the points added so far.
class Extent {
 public:
  void Add(double x, double y) {
    if (empty_) {
      box_ = {x, y, x, y};
      empty_ = false;
      return;
    }
    if (x < box_.Xmin) box_.Xmin = x;
    if (x > box_.Xmax) box_.Xmax = x;
    if (y < box_.Ymin) box_.Ymin = y;
    if (y > box_.Ymax) box_.Ymax = y;
  }
  void Add(const Extent& other) {
    if (other.empty_) return;
    Add(other.box_.Xmin, other.box_.Ymin);
    Add(other.box_.Xmax, other.box_.Ymax);
  }
  bool Empty() const { return empty_; }
  const Box& Bounds() const { return box_; }

 private:
  Box box_;
  bool empty_ = true;
};

// Converts the two stored corners of a 32-byte box in place, (Xmin, Ymin) and then
// (Xmax, Ymax), each as one point. The corners are not re-ordered.
void ConvertBoxCorners(EngineState& engine, TransformMode mode, unsigned char* box);

// Converts the box of a 100-byte file header in place by its corners; every other byte keeps
// its value.
void ConvertHeaderBox(EngineState& engine, TransformMode mode, unsigned char* header);

}  // namespace morvane
