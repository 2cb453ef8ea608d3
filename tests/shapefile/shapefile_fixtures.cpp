#include "shapefile_fixtures.hpp"

#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "engine/modes.hpp"
#include "shapefile/byte_order.hpp"

namespace morvane::test {

namespace {

void AppendInt32BE(Bytes& bytes, std::int32_t value) {
  unsigned char field[4];
  WriteInt32BE(field, value);
  bytes.insert(bytes.end(), field, field + 4);
}

Bytes FileHeader(ShapeType type, std::size_t fileBytes, const morvane::Box& box) {
  Bytes header(kFileHeaderSize, 0);
  WriteInt32BE(header.data(), 9994);
  WriteInt32BE(header.data() + 24, static_cast<std::int32_t>(fileBytes / 2));
  WriteInt32LE(header.data() + 28, 1000);
  WriteInt32LE(header.data() + kHeaderShapeTypeOffset, static_cast<std::int32_t>(type));
  WriteBox(header.data() + kHeaderBoxOffset, box);
  const double ranges[4] = {5.5, 6.5, 7.5, 8.5};  // Zmin Zmax Mmin Mmax, never converted
  for (int i = 0; i < 4; ++i) WriteDoubleLE(header.data() + 68 + 8 * i, ranges[i]);
  return header;
}

void AddTrailer(ContentBuilder& content, Trailer trailer, std::size_t points) {
  if (trailer == Trailer::Z || trailer == Trailer::ZM) content.Measures(points, 1000);
  if (trailer == Trailer::M || trailer == Trailer::ZM) content.Measures(points, 2000);
}

XY ReadXY(const Bytes& bytes, std::size_t at) {
  return {ReadDoubleLE(bytes.data() + at), ReadDoubleLE(bytes.data() + at + 8)};
}

}  // namespace

ContentBuilder& ContentBuilder::Int(std::int32_t value) {
  unsigned char field[4];
  WriteInt32LE(field, value);
  content_.Data.insert(content_.Data.end(), field, field + 4);
  return *this;
}

ContentBuilder& ContentBuilder::Double(double value) {
  unsigned char field[8];
  WriteDoubleLE(field, value);
  content_.Data.insert(content_.Data.end(), field, field + 8);
  return *this;
}

ContentBuilder& ContentBuilder::Point(XY point) {
  content_.PointOffsets.push_back(content_.Data.size());
  return Double(point.X).Double(point.Y);
}

ContentBuilder& ContentBuilder::Points(const std::vector<XY>& points) {
  for (const XY& point : points) Point(point);
  return *this;
}

ContentBuilder& ContentBuilder::Box(const morvane::Box& box) {
  content_.BoxOffset = content_.Data.size();
  return Double(box.Xmin).Double(box.Ymin).Double(box.Xmax).Double(box.Ymax);
}

ContentBuilder& ContentBuilder::Measures(std::size_t count, double base) {
  Double(base).Double(base + static_cast<double>(count));
  for (std::size_t i = 0; i < count; ++i) Double(base + 0.25 * static_cast<double>(i + 1));
  return *this;
}

morvane::Box BoundsOf(const std::vector<XY>& points) {
  Extent extent;
  for (const XY& point : points) extent.Add(point.X, point.Y);
  return extent.Bounds();
}

RecordContent NullRecord() { return ContentBuilder(0).Build(); }

RecordContent PointRecord(ShapeType type, XY point, Trailer trailer) {
  ContentBuilder content(static_cast<std::int32_t>(type));
  content.Point(point);
  if (trailer == Trailer::Z || trailer == Trailer::ZM) content.Double(1001.5);
  if (trailer == Trailer::M || trailer == Trailer::ZM) content.Double(2001.5);
  return content.Build();
}

RecordContent MultiPointRecord(ShapeType type, const std::vector<XY>& points, Trailer trailer) {
  ContentBuilder content(static_cast<std::int32_t>(type));
  content.Box(BoundsOf(points)).Int(static_cast<std::int32_t>(points.size())).Points(points);
  AddTrailer(content, trailer, points.size());
  return content.Build();
}

RecordContent PartsRecord(ShapeType type, const std::vector<std::int32_t>& parts,
                          const std::vector<XY>& points, Trailer trailer) {
  ContentBuilder content(static_cast<std::int32_t>(type));
  content.Box(BoundsOf(points))
      .Int(static_cast<std::int32_t>(parts.size()))
      .Int(static_cast<std::int32_t>(points.size()));
  for (std::int32_t first : parts) content.Int(first);
  if (type == ShapeType::MultiPatch) {
    for (std::size_t i = 0; i < parts.size(); ++i) content.Int(static_cast<std::int32_t>(i % 6));
  }
  content.Points(points);
  AddTrailer(content, trailer, points.size());
  return content.Build();
}

Shapefile BuildShapefile(ShapeType fileType, const std::vector<RecordContent>& records,
                         std::optional<morvane::Box> box) {
  Shapefile file;
  file.Records = records;
  std::vector<XY> all;
  Bytes body;
  Bytes entries;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const RecordContent& record = records[i];
    for (std::size_t at : record.PointOffsets) all.push_back(ReadXY(record.Data, at));
    AppendInt32BE(entries, static_cast<std::int32_t>((kFileHeaderSize + body.size()) / 2));
    AppendInt32BE(entries, static_cast<std::int32_t>(record.Data.size() / 2));
    AppendInt32BE(body, static_cast<std::int32_t>(i + 1));
    AppendInt32BE(body, static_cast<std::int32_t>(record.Data.size() / 2));
    file.RecordStarts.push_back(kFileHeaderSize + body.size());
    body.insert(body.end(), record.Data.begin(), record.Data.end());
  }
  const morvane::Box headerBox = box ? *box : BoundsOf(all);
  file.Main = FileHeader(fileType, kFileHeaderSize + body.size(), headerBox);
  file.Main.insert(file.Main.end(), body.begin(), body.end());
  file.Index = FileHeader(fileType, kFileHeaderSize + entries.size(), headerBox);
  file.Index.insert(file.Index.end(), entries.begin(), entries.end());
  return file;
}

Shapefile ExpectedConversion(const Shapefile& file, EngineState& engine, TransformMode mode) {
  Shapefile expected = file;
  Extent all;
  for (std::size_t r = 0; r < file.Records.size(); ++r) {
    const RecordContent& record = file.Records[r];
    const std::size_t start = file.RecordStarts[r];
    Extent extent;
    for (std::size_t at : record.PointOffsets) {
      XY point = ReadXY(file.Main, start + at);
      ConvertPoint(engine, mode, point.X, point.Y, point.X, point.Y);
      WriteDoubleLE(expected.Main.data() + start + at, point.X);
      WriteDoubleLE(expected.Main.data() + start + at + 8, point.Y);
      extent.Add(point.X, point.Y);
    }
    all.Add(extent);
    if (!record.BoxOffset) continue;
    unsigned char* box = expected.Main.data() + start + *record.BoxOffset;
    if (extent.Empty())
      ConvertBoxCorners(engine, mode, box);
    else
      WriteBox(box, extent.Bounds());
  }
  if (all.Empty()) {
    ConvertHeaderBox(engine, mode, expected.Main.data());
    ConvertHeaderBox(engine, mode, expected.Index.data());
  } else {
    WriteBox(expected.Main.data() + kHeaderBoxOffset, all.Bounds());
    WriteBox(expected.Index.data() + kHeaderBoxOffset, all.Bounds());
  }
  return expected;
}

std::size_t MemoryFile::Read(void* buffer, std::size_t size) {
  const std::size_t n = std::min(size, data_.size() - std::min(position_, data_.size()));
  if (n == 0) return 0;
  std::memcpy(buffer, data_.data() + position_, n);
  position_ += n;
  return n;
}

void MemoryFile::Write(const void* data, std::size_t size) {
  if (data_.size() < position_ + size) data_.resize(position_ + size);
  std::memcpy(data_.data() + position_, data, size);
  position_ += size;
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "morvane-shp-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempFolder::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteShapefile(const TempFolder& folder, const std::string& base, const Shapefile& file) {
  WriteFileBytes(folder / (base + ".shp"), file.Main);
  WriteFileBytes(folder / (base + ".shx"), file.Index);
  const std::string table = "attributes of " + base;
  WriteFileBytes(folder / (base + ".dbf"), Bytes(table.begin(), table.end()));
}

}  // namespace morvane::test
