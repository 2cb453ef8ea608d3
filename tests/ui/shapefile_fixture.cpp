#include "shapefile_fixture.hpp"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

}  // namespace

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
