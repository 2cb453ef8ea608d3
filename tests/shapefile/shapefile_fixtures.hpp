// Small shapefiles built by hand in the tests, with a record of where every coordinate lies,
// and the bytes a correct conversion of them must give.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine_state.hpp"
#include "shapefile/file_system.hpp"
#include "shapefile/headers.hpp"

namespace morvane::test {

using Bytes = std::vector<unsigned char>;

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

// A main file and its index: header box the extent of the input points (or `box` if given),
// Z and M ranges set to recognisable values.
Shapefile BuildShapefile(ShapeType fileType, const std::vector<RecordContent>& records,
                         std::optional<morvane::Box> box = std::nullopt);

// What the conversion must make of `file`: every marked point converted, every record box
// the extent of its converted points (the corners converted when it has none), the header box
// the extent of all converted points (the corners when there are none). The index is the
// input index with the main file's new header box, or its own corners converted.
Shapefile ExpectedConversion(const Shapefile& file, EngineState& engine, TransformMode mode);

// A file in memory, for driving the buffered reader and writer directly.
class MemoryFile : public File {
 public:
  explicit MemoryFile(Bytes data = {}) : data_(std::move(data)) {}
  std::size_t Read(void* buffer, std::size_t size) override;
  void Write(const void* data, std::size_t size) override;
  void SeekToStart() override { position_ = 0; }
  void Seek(std::uint64_t offset) override {
    position_ = static_cast<std::size_t>(offset);
    ++seeks_;
  }
  std::uint64_t Size() override { return data_.size(); }
  void Close() override {}
  const Bytes& Data() const { return data_; }
  int Seeks() const { return seeks_; }

 private:
  Bytes data_;
  std::size_t position_ = 0;
  int seeks_ = 0;
};

// A real folder under the system's temporary directory, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // The names in the folder, sorted.
  std::vector<std::string> Names() const;

 private:
  std::string path_;
};

void WriteFileBytes(const std::string& path, const Bytes& bytes);
Bytes ReadFileBytes(const std::string& path);

// Writes base.shp, base.shx and base.dbf (the table is a few recognisable bytes).
void WriteShapefile(const TempFolder& folder, const std::string& base, const Shapefile& file);

}  // namespace morvane::test
