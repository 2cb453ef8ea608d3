#include "support/shapefile_writer.hpp"

#include <algorithm>
#include <cstring>

#include "support/file_bytes.hpp"

namespace morvane::test {

namespace {

constexpr std::int32_t kFileCode = 9994;
constexpr std::int32_t kVersion = 1000;
constexpr std::size_t kRecordHeaderSize = 8;
constexpr std::size_t kPointRecordSize = kRecordHeaderSize + 4 + 16;  // shape type, X, Y

void PutBox(unsigned char* at, const morvane::Box& box) {
  PutDoubleLE(at, box.Xmin);
  PutDoubleLE(at + 8, box.Ymin);
  PutDoubleLE(at + 16, box.Xmax);
  PutDoubleLE(at + 24, box.Ymax);
}

void AddTrailer(ContentBuilder& content, Trailer trailer, std::size_t points) {
  if (trailer == Trailer::Z || trailer == Trailer::ZM) content.Measures(points, 1000);
  if (trailer == Trailer::M || trailer == Trailer::ZM) content.Measures(points, 2000);
}

XY ReadXY(const Bytes& bytes, std::size_t at) {
  return {GetDoubleLE(bytes.data() + at), GetDoubleLE(bytes.data() + at + 8)};
}

// The rows of a table whose one numeric field of `width` characters holds 1, 2, ...
Bytes NumberedRows(std::size_t records, std::size_t width) {
  Bytes rows;
  for (std::size_t i = 0; i < records; ++i) {
    std::string row = " " + std::string(width, ' ');  // a space: the row is not deleted
    const std::string number = std::to_string(i + 1);
    row.replace(row.size() - number.size(), number.size(), number);
    rows.insert(rows.end(), row.begin(), row.end());
  }
  return rows;
}

std::string BaseName(const std::string& stem) {
  const std::size_t slash = stem.rfind('/');
  return slash == std::string::npos ? stem : stem.substr(slash + 1);
}

}  // namespace

ContentBuilder& ContentBuilder::Int(std::int32_t value) {
  AppendInt32LE(content_.Data, value);
  return *this;
}

ContentBuilder& ContentBuilder::Double(double value) {
  AppendDoubleLE(content_.Data, value);
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

Bytes FileHeader(ShapeType type, std::uint64_t fileBytes, const morvane::Box& box) {
  Bytes header(kFileHeaderSize, 0);
  PutInt32BE(header.data(), kFileCode);
  PutInt32BE(header.data() + 24, static_cast<std::int32_t>(fileBytes / 2));
  PutInt32LE(header.data() + 28, kVersion);
  PutInt32LE(header.data() + kHeaderShapeTypeOffset, static_cast<std::int32_t>(type));
  PutBox(header.data() + kHeaderBoxOffset, box);
  const double ranges[4] = {5.5, 6.5, 7.5, 8.5};  // Zmin Zmax Mmin Mmax, never converted
  for (int i = 0; i < 4; ++i) PutDoubleLE(header.data() + 68 + 8 * i, ranges[i]);
  return header;
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

Shapefile PointShapefile(const std::vector<XY>& points) {
  std::vector<RecordContent> records;
  for (const XY& point : points) records.push_back(PointRecord(ShapeType::Point, point));
  return BuildShapefile(ShapeType::Point, records);
}

Bytes TableHeader(std::uint64_t records, const std::string& field, char type, unsigned char width) {
  Bytes header(32 + 32 + 1, 0);  // the table's header, one field descriptor, the terminator
  header[0] = 0x03;               // dBASE III without memo
  header[1] = 126;                // last update 2026-01-01
  header[2] = 1;
  header[3] = 1;
  PutInt32LE(header.data() + 4, static_cast<std::int32_t>(records));
  header[8] = static_cast<unsigned char>(header.size());  // header bytes, little-endian 16 bits
  header[10] = static_cast<unsigned char>(1 + width);     // row bytes: deletion flag and the field
  std::memcpy(&header[32], field.data(), std::min<std::size_t>(field.size(), 10));
  header[32 + 11] = static_cast<unsigned char>(type);
  header[32 + 16] = width;
  header[64] = 0x0D;
  return header;
}

void WriteShapefile(const std::string& stem, const Shapefile& file, Table table) {
  WriteFileBytes(stem + ".shp", file.Main);
  WriteFileBytes(stem + ".shx", file.Index);
  if (table == Table::Text) {
    WriteFileText(stem + ".dbf", "attributes of " + BaseName(stem));
    return;
  }
  constexpr unsigned char kIdWidth = 6;
  Bytes dbf = TableHeader(file.Records.size(), "ID", 'N', kIdWidth);
  const Bytes rows = NumberedRows(file.Records.size(), kIdWidth);
  dbf.insert(dbf.end(), rows.begin(), rows.end());
  dbf.push_back(0x1A);  // end of file
  WriteFileBytes(stem + ".dbf", dbf);
}

void WriteShapefile(const TempFolder& folder, const std::string& base, const Shapefile& file) {
  WriteShapefile(folder / base, file);
}

void WritePointShapefile(const std::string& stem, const std::vector<XY>& points) {
  WriteShapefile(stem, PointShapefile(points), Table::Numbered);
}

std::vector<XY> ReadPoints(const std::string& shpPath) {
  const std::string text = ReadFileText(shpPath);  // none when there is no file
  const Bytes bytes(text.begin(), text.end());
  std::vector<XY> points;
  for (std::size_t at = kFileHeaderSize; at + kPointRecordSize <= bytes.size(); at += kPointRecordSize)
    points.push_back(ReadXY(bytes, at + kRecordHeaderSize + 4));
  return points;
}

}  // namespace morvane::test
