#include "support/squares_shapefile.hpp"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace morvane::test {

namespace {

// Shape type, box, part and point counts, one part start and five points.
constexpr std::size_t kSquareContentBytes = 4 + 32 + 4 + 4 + 4 + 5 * 16;
constexpr std::size_t kSquareRecordBytes = 8 + kSquareContentBytes;
constexpr std::size_t kNullRecordBytes = 8 + 4;
constexpr std::uint64_t kRecordsPerWrite = 1 << 16;

void Append(std::ofstream& out, const Bytes& bytes) {
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Appends record `r` of `file` (null shapes first, then the squares) to `block`.
void AppendRecord(Bytes& block, const SquaresFile& file, std::uint64_t r) {
  const bool null = r < file.NullShapes;
  const std::size_t size = null ? kNullRecordBytes : kSquareRecordBytes;
  const std::size_t at = block.size();
  block.resize(at + size, 0);
  unsigned char* record = block.data() + at;
  PutInt32BE(record, static_cast<std::int32_t>(r + 1));
  PutInt32BE(record + 4, static_cast<std::int32_t>((size - 8) / 2));
  if (null) return;
  const std::vector<XY> ring = SquareVertices(file, r - file.NullShapes);
  PutInt32LE(record + 8, static_cast<std::int32_t>(ShapeType::Polygon));
  PutDoubleLE(record + 12, ring[0].X);
  PutDoubleLE(record + 20, ring[0].Y);
  PutDoubleLE(record + 28, ring[2].X);
  PutDoubleLE(record + 36, ring[2].Y);
  PutInt32LE(record + 44, 1);
  PutInt32LE(record + 48, 5);
  for (std::size_t v = 0; v < ring.size(); ++v) {
    PutDoubleLE(record + 56 + 16 * v, ring[v].X);
    PutDoubleLE(record + 64 + 16 * v, ring[v].Y);
  }
}

}  // namespace

std::vector<XY> SquareVertices(const SquaresFile& file, std::uint64_t i) {
  // The additive recurrence of the plastic number: evenly spread in two dimensions, no clumps.
  constexpr double kA1 = 0.7548776662466927;
  constexpr double kA2 = 0.5698402909980532;
  const double u = std::fmod(0.5 + kA1 * static_cast<double>(i), 1.0);
  const double v = std::fmod(0.5 + kA2 * static_cast<double>(i), 1.0);
  const double x = file.West + u * (file.East - file.West - file.Side);
  const double y = file.South + v * (file.North - file.South - file.Side);
  return {{x, y}, {x, y + file.Side}, {x + file.Side, y + file.Side}, {x + file.Side, y}, {x, y}};
}

std::vector<double> WriteSquaresShapefile(const std::string& stem, const SquaresFile& file) {
  const std::uint64_t records = file.NullShapes + file.Squares;
  const std::uint64_t mainBytes = kFileHeaderSize + kNullRecordBytes * file.NullShapes + kSquareRecordBytes * file.Squares;
  const std::uint64_t indexBytes = kFileHeaderSize + 8 * records;
  std::vector<double> box = {file.West, file.South, file.East, file.North};
  if (file.HeaderBoxWithOrigin) {
    box = {std::min(box[0], 0.0), std::min(box[1], 0.0), std::max(box[2], 0.0), std::max(box[3], 0.0)};
  }
  const morvane::Box headerBox{box[0], box[1], box[2], box[3]};
  std::ofstream main(stem + ".shp", std::ios::binary);
  std::ofstream index(stem + ".shx", std::ios::binary);
  Append(main, FileHeader(ShapeType::Polygon, mainBytes, headerBox));
  Append(index, FileHeader(ShapeType::Polygon, indexBytes, headerBox));

  std::uint64_t offset = kFileHeaderSize;
  Bytes block;
  Bytes entries;
  for (std::uint64_t first = 0; first < records; first += kRecordsPerWrite) {
    const std::uint64_t last = std::min(records, first + kRecordsPerWrite);
    block.clear();
    entries.clear();
    for (std::uint64_t r = first; r < last; ++r) {
      const std::size_t start = block.size();
      AppendRecord(block, file, r);
      const std::size_t size = block.size() - start;
      AppendInt32BE(entries, static_cast<std::int32_t>(offset / 2));
      AppendInt32BE(entries, static_cast<std::int32_t>((size - 8) / 2));
      offset += size;
    }
    Append(main, block);
    Append(index, entries);
  }
  if (!main || !index) throw std::runtime_error("cannot write " + stem);

  std::ofstream table(stem + ".dbf", std::ios::binary);
  Append(table, TableHeader(records, "C", 'C', 1));
  Bytes rows;
  for (std::uint64_t first = 0; first < records; first += kRecordsPerWrite) {
    rows.assign(2 * (std::min(records, first + kRecordsPerWrite) - first), ' ');
    for (std::size_t i = 1; i < rows.size(); i += 2) rows[i] = 'x';
    Append(table, rows);
  }
  Append(table, Bytes{0x1A});
  if (!table) throw std::runtime_error("cannot write " + stem + ".dbf");
  return box;
}

}  // namespace morvane::test
