#include "shapefile_fixture.hpp"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace morvane::test {
namespace {

constexpr int kPointType = 1;
constexpr int kPointContentBytes = 20;  // shape type and two doubles

using Bytes = std::vector<unsigned char>;

void PutBigInt(Bytes& out, std::size_t at, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<unsigned char>(bits >> (24 - 8 * i));
}

void PutLittleInt(Bytes& out, std::size_t at, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<unsigned char>(bits >> (8 * i));
}

void PutLittleDouble(Bytes& out, std::size_t at, double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  for (int i = 0; i < 8; ++i) out[at + i] = static_cast<unsigned char>(bits >> (8 * i));
}

double GetLittleDouble(const Bytes& in, std::size_t at) {
  std::uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(in[at + i]) << (8 * i);
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

Bytes Header(std::size_t fileBytes, const std::vector<Point>& points) {
  Bytes header(100, 0);
  PutBigInt(header, 0, 9994);
  PutBigInt(header, 24, static_cast<std::int32_t>(fileBytes / 2));
  PutLittleInt(header, 28, 1000);
  PutLittleInt(header, 32, kPointType);
  if (!points.empty()) {
    auto [minX, maxX] = std::minmax_element(points.begin(), points.end(),
                                            [](const Point& a, const Point& b) { return a.first < b.first; });
    auto [minY, maxY] = std::minmax_element(points.begin(), points.end(),
                                            [](const Point& a, const Point& b) { return a.second < b.second; });
    PutLittleDouble(header, 36, minX->first);
    PutLittleDouble(header, 44, minY->second);
    PutLittleDouble(header, 52, maxX->first);
    PutLittleDouble(header, 60, maxY->second);
  }
  return header;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

// A dBASE III table with one numeric field ID holding 1, 2, ...
Bytes Table(std::size_t records) {
  constexpr std::size_t kFieldWidth = 6;
  Bytes dbf(32 + 32 + 1, 0);
  dbf[0] = 0x03;
  dbf[1] = 126;  // last update 2026-01-01
  dbf[2] = 1;
  dbf[3] = 1;
  PutLittleInt(dbf, 4, static_cast<std::int32_t>(records));
  dbf[8] = static_cast<unsigned char>(dbf.size());
  dbf[10] = static_cast<unsigned char>(1 + kFieldWidth);
  std::memcpy(&dbf[32], "ID", 2);
  dbf[32 + 11] = 'N';
  dbf[32 + 16] = static_cast<unsigned char>(kFieldWidth);
  dbf[64] = 0x0D;
  for (std::size_t i = 0; i < records; ++i) {
    std::string row = " " + std::string(kFieldWidth, ' ');
    const std::string number = std::to_string(i + 1);
    row.replace(row.size() - number.size(), number.size(), number);
    dbf.insert(dbf.end(), row.begin(), row.end());
  }
  dbf.push_back(0x1A);
  return dbf;
}

constexpr int kPolygonType = 5;
// Shape type, box, part and point counts, one part start and five points.
constexpr std::size_t kSquareContentBytes = 4 + 32 + 4 + 4 + 4 + 5 * 16;
constexpr std::size_t kSquareRecordBytes = 8 + kSquareContentBytes;
constexpr std::size_t kNullRecordBytes = 8 + 4;
constexpr std::uint64_t kRecordsPerWrite = 1 << 16;

void Append(std::ofstream& out, const Bytes& bytes) {
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void PutBox(Bytes& out, std::size_t at, double west, double south, double east, double north) {
  PutLittleDouble(out, at, west);
  PutLittleDouble(out, at + 8, south);
  PutLittleDouble(out, at + 16, east);
  PutLittleDouble(out, at + 24, north);
}

}  // namespace

std::vector<Point> SquareVertices(const SquaresFile& file, std::uint64_t i) {
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
  const std::uint64_t mainBytes = 100 + kNullRecordBytes * file.NullShapes + kSquareRecordBytes * file.Squares;
  const std::uint64_t indexBytes = 100 + 8 * records;
  std::vector<double> box = {file.West, file.South, file.East, file.North};
  if (file.HeaderBoxWithOrigin) {
    box = {std::min(box[0], 0.0), std::min(box[1], 0.0), std::max(box[2], 0.0), std::max(box[3], 0.0)};
  }
  Bytes header(100, 0);
  PutBigInt(header, 0, 9994);
  PutLittleInt(header, 28, 1000);
  PutLittleInt(header, 32, kPolygonType);
  PutBox(header, 36, box[0], box[1], box[2], box[3]);
  std::ofstream main(stem + ".shp", std::ios::binary);
  std::ofstream index(stem + ".shx", std::ios::binary);
  PutBigInt(header, 24, static_cast<std::int32_t>(mainBytes / 2));
  Append(main, header);
  PutBigInt(header, 24, static_cast<std::int32_t>(indexBytes / 2));
  Append(index, header);

  std::uint64_t offset = 100;
  Bytes block;
  Bytes entries;
  for (std::uint64_t first = 0; first < records; first += kRecordsPerWrite) {
    const std::uint64_t last = std::min(records, first + kRecordsPerWrite);
    block.clear();
    entries.assign(8 * (last - first), 0);
    for (std::uint64_t r = first; r < last; ++r) {
      const bool null = r < file.NullShapes;
      const std::size_t size = null ? kNullRecordBytes : kSquareRecordBytes;
      const std::size_t at = block.size();
      block.resize(at + size, 0);
      PutBigInt(block, at, static_cast<std::int32_t>(r + 1));
      PutBigInt(block, at + 4, static_cast<std::int32_t>((size - 8) / 2));
      PutBigInt(entries, 8 * (r - first), static_cast<std::int32_t>(offset / 2));
      PutBigInt(entries, 8 * (r - first) + 4, static_cast<std::int32_t>((size - 8) / 2));
      offset += size;
      if (null) continue;
      const std::vector<Point> ring = SquareVertices(file, r - file.NullShapes);
      PutLittleInt(block, at + 8, kPolygonType);
      PutBox(block, at + 12, ring[0].first, ring[0].second, ring[2].first, ring[2].second);
      PutLittleInt(block, at + 44, 1);
      PutLittleInt(block, at + 48, 5);
      for (std::size_t v = 0; v < ring.size(); ++v) {
        PutLittleDouble(block, at + 56 + 16 * v, ring[v].first);
        PutLittleDouble(block, at + 64 + 16 * v, ring[v].second);
      }
    }
    Append(main, block);
    Append(index, entries);
  }
  if (!main || !index) throw std::runtime_error("cannot write " + stem);

  // The table: one character field, every row "x".
  Bytes dbf(32 + 32 + 1, 0);
  dbf[0] = 0x03;
  dbf[1] = 126;
  dbf[2] = 1;
  dbf[3] = 1;
  PutLittleInt(dbf, 4, static_cast<std::int32_t>(records));
  dbf[8] = static_cast<unsigned char>(dbf.size());
  dbf[10] = 2;
  std::memcpy(&dbf[32], "C", 1);
  dbf[32 + 11] = 'C';
  dbf[32 + 16] = 1;
  dbf[64] = 0x0D;
  std::ofstream table(stem + ".dbf", std::ios::binary);
  Append(table, dbf);
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

void WritePointShapefile(const std::string& stem, const std::vector<Point>& points) {
  constexpr std::size_t kRecordBytes = 8 + kPointContentBytes;
  const std::size_t mainBytes = 100 + kRecordBytes * points.size();
  const std::size_t indexBytes = 100 + 8 * points.size();

  Bytes main = Header(mainBytes, points);
  Bytes index = Header(indexBytes, points);
  main.resize(mainBytes, 0);
  index.resize(indexBytes, 0);
  for (std::size_t i = 0; i < points.size(); ++i) {
    const std::size_t at = 100 + kRecordBytes * i;
    PutBigInt(main, at, static_cast<std::int32_t>(i + 1));
    PutBigInt(main, at + 4, kPointContentBytes / 2);
    PutLittleInt(main, at + 8, kPointType);
    PutLittleDouble(main, at + 12, points[i].first);
    PutLittleDouble(main, at + 20, points[i].second);
    PutBigInt(index, 100 + 8 * i, static_cast<std::int32_t>(at / 2));
    PutBigInt(index, 100 + 8 * i + 4, kPointContentBytes / 2);
  }
  WriteFile(stem + ".shp", main);
  WriteFile(stem + ".shx", index);
  WriteFile(stem + ".dbf", Table(points.size()));
}

std::vector<Point> ReadPoints(const std::string& shpPath) {
  std::ifstream in(shpPath, std::ios::binary);
  const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<Point> points;
  for (std::size_t at = 100; at + 28 <= bytes.size(); at += 28) {
    points.emplace_back(GetLittleDouble(bytes, at + 12), GetLittleDouble(bytes, at + 20));
  }
  return points;
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

void RemoveTree(const std::string& folder) {
  const auto removeEntry = [](const char* path, const struct stat*, int type, FTW*) {
    return type == FTW_DP ? ::rmdir(path) : ::unlink(path);
  };
  ::nftw(folder.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

}  // namespace morvane::test
