// Shapefiles of every shape type built byte by byte in the tests, with a record of where every
// coordinate lies, and written as .shp, .shx and .dbf. Every field is put in its own byte order
// (byte_fields.hpp), never the host's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shapefile/headers.hpp"
#include "support/byte_fields.hpp"
#include "support/temp_folder.hpp"

namespace morvane::test {

struct XY {
  double X;
  double Y;
};

// One record's content (shape type first) and where the conversion changes it.
struct RecordContent {
  Bytes Data;
  std::vector<std::size_t> PointOffsets;  // X then Y, within Data
  std::optional<std::size_t> BoxOffset;   // within Data
};

// Appends fields in file order (little-endian), marking points and the box.
class ContentBuilder {
 public:
  explicit ContentBuilder(std::int32_t type) { Int(type); }
  ContentBuilder& Int(std::int32_t value);
  ContentBuilder& Double(double value);
  ContentBuilder& Point(XY point);
  ContentBuilder& Points(const std::vector<XY>& points);
  ContentBuilder& Box(const morvane::Box& box);
  // A range and one value per point, distinct for each call: the Z or the M part.
  ContentBuilder& Measures(std::size_t count, double base);
  RecordContent Build() const { return content_; }

 private:
  RecordContent content_;
};

morvane::Box BoundsOf(const std::vector<XY>& points);

// The parts of the Z and M types that follow the points.
enum class Trailer { None, Z, M, ZM };

RecordContent NullRecord();
RecordContent PointRecord(ShapeType type, XY point, Trailer trailer = Trailer::None);
RecordContent MultiPointRecord(ShapeType type, const std::vector<XY>& points,
                               Trailer trailer = Trailer::None);
// Parts holds the first point of each part; MultiPatch also gets one part type per part.
RecordContent PartsRecord(ShapeType type, const std::vector<std::int32_t>& parts,
                          const std::vector<XY>& points, Trailer trailer = Trailer::None);

struct Shapefile {
  Bytes Main;
  Bytes Index;
  std::vector<RecordContent> Records;
  std::vector<std::size_t> RecordStarts;  // offset of each record's content in Main
};

// The 100-byte header of a main file or an index of `fileBytes` bytes: the big-endian file code
// and length, then version, type and box little-endian, and Z and M ranges set to recognisable
// values (5.5 to 8.5) that no conversion changes.
Bytes FileHeader(ShapeType type, std::uint64_t fileBytes, const morvane::Box& box);

// A main file and its index: header box the extent of the input points (or `box` if given).
Shapefile BuildShapefile(ShapeType fileType, const std::vector<RecordContent>& records,
                         std::optional<morvane::Box> box = std::nullopt);

// A Point file of one record per point.
Shapefile PointShapefile(const std::vector<XY>& points);

// The .dbf written beside a shapefile: a few recognisable bytes ("attributes of <base>") that
// the conversion copies without reading, or a real dBASE III table with one numeric field ID
// numbering the records.
enum class Table { Text, Numbered };

// The header of a dBASE III table of `records` rows with one field of `width` characters.
Bytes TableHeader(std::uint64_t records, const std::string& field, char type, unsigned char width);

// Writes stem.shp, stem.shx and stem.dbf; `stem` is the folder and base name as raw bytes,
// e.g. "/tmp/x/roads".
void WriteShapefile(const std::string& stem, const Shapefile& file, Table table = Table::Text);
// Writes base.shp, base.shx and base.dbf in `folder`.
void WriteShapefile(const TempFolder& folder, const std::string& base, const Shapefile& file);

// A Point file of `points` with a numbered table, as stem.shp, stem.shx and stem.dbf.
void WritePointShapefile(const std::string& stem, const std::vector<XY>& points);

// The points of a Point main file, in record order.
std::vector<XY> ReadPoints(const std::string& shpPath);

}  // namespace morvane::test
