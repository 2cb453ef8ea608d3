// The window's preview of a large file: writes a main file of ten million vertices in TWD67 TM2
// (100 000 polygons of 100 vertices, and then 10 000 000 point records), then times the first
// preview of each as a user gets it (sampling, both layers through the engine for mode 11 in
// Taiwan, and the first paint of the map at 480 by 600), and prints the seconds, the vertices
// kept, and the process's peak resident memory before and after.
//
//   bench_preview [vertices]     default 10000000
//
// Runs on Qt's offscreen platform; the files go to the system's temporary folder and are
// removed afterwards.
#include <sys/resource.h>

#include <QApplication>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/mode_table.hpp"
#include "fonts.hpp"
#include "preview_pane.hpp"
#include "shapefile/byte_order.hpp"
#include "shapefile/file_system.hpp"

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec); };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

std::vector<unsigned char> FileHeader(std::int32_t type, std::uint64_t bytes) {
  std::vector<unsigned char> header(100, 0);
  morvane::WriteInt32BE(header.data(), 9994);
  morvane::WriteInt32BE(header.data() + 24, static_cast<std::int32_t>(bytes / 2));
  morvane::WriteInt32LE(header.data() + 28, 1000);
  morvane::WriteInt32LE(header.data() + 32, type);
  const double box[4] = {150000, 2420000, 350000, 2800000};
  for (int i = 0; i < 4; ++i) morvane::WriteDoubleLE(header.data() + 36 + 8 * i, box[i]);
  return header;
}

// Rings of `vertices` points over the TM2 grid of Taiwan, or single points, streamed out.
void WriteFile(const std::string& path, std::int64_t records, int vertices) {
  const bool points = vertices == 1;
  const std::uint64_t content = points ? 20 : 44 + 4 + 16 * static_cast<std::uint64_t>(vertices);
  std::ofstream out(path, std::ios::binary);
  const auto header = FileHeader(points ? 1 : 5, 100 + static_cast<std::uint64_t>(records) * (8 + content));
  out.write(reinterpret_cast<const char*>(header.data()), 100);
  std::vector<unsigned char> record(8 + content);
  for (std::int64_t r = 0; r < records; ++r) {
    const double cx = 150000 + std::fmod(static_cast<double>(r) * 7919.0, 200000.0);
    const double cy = 2420000 + std::fmod(static_cast<double>(r) * 104729.0, 380000.0);
    unsigned char* b = record.data();
    morvane::WriteInt32BE(b, static_cast<std::int32_t>(r + 1));
    morvane::WriteInt32BE(b + 4, static_cast<std::int32_t>(content / 2));
    if (points) {
      morvane::WriteInt32LE(b + 8, 1);
      morvane::WriteDoubleLE(b + 12, cx);
      morvane::WriteDoubleLE(b + 20, cy);
    } else {
      morvane::WriteInt32LE(b + 8, 5);
      const double box[4] = {cx - 500, cy - 500, cx + 500, cy + 500};
      for (int i = 0; i < 4; ++i) morvane::WriteDoubleLE(b + 12 + 8 * i, box[i]);
      morvane::WriteInt32LE(b + 44, 1);
      morvane::WriteInt32LE(b + 48, vertices);
      morvane::WriteInt32LE(b + 52, 0);
      for (int v = 0; v < vertices; ++v) {
        const double angle = 2 * 3.141592653589793 * v / (vertices - 1);
        morvane::WriteDoubleLE(b + 56 + 16 * v, cx + 500 * std::cos(angle));
        morvane::WriteDoubleLE(b + 64 + 16 * v, cy + 500 * std::sin(angle));
      }
    }
    out.write(reinterpret_cast<const char*>(record.data()), static_cast<std::streamsize>(record.size()));
  }
}

void Preview(const char* what, const std::string& path, std::int64_t fileVertices) {
  const double before = PeakMegabytes();
  morvane::PreviewPane pane(morvane::DefaultCoastlinePath());
  pane.resize(480, 600);
  pane.show();
  const double cpu = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  pane.ShowFile(path, QString::fromLatin1(what), morvane::IndexOf(morvane::Mode::Twd67Tm2ToTwd97Tm2), 0);
  pane.Map()->grab();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%-20s %9lld vertices: %6.3f s to the first preview (%6.3f s CPU), %6zu vertices kept, "
              "%6zu paths drawn, peak memory %5.1f MB (%5.1f MB before)\n",
              what, static_cast<long long>(fileVertices), seconds, CpuSeconds() - cpu, pane.Map()->After().VertexCount(),
              pane.Map()->PaintedAfter().Paths.size(), PeakMegabytes(), before);
}

// The parts of a preview apart: sampling, each layer through the engine, one paint.
void Parts(const std::string& path) {
  const auto seconds = [](auto&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  morvane::LocalFileSystem files;
  morvane::ShapeSample sample;
  const double sampling = seconds([&] { sample = morvane::SampleShapes(files, path); });
  const auto mode = morvane::IndexOf(morvane::Mode::Twd67Tm2ToTwd97Tm2);
  morvane::ShapeSample before;
  morvane::ShapeSample after;
  const double first = seconds([&] { before = morvane::ToLonLat(sample, morvane::LonLatChain::Before(mode, 0)); });
  const double second = seconds([&] { after = morvane::ToLonLat(sample, morvane::LonLatChain::After(mode, 0)); });
  morvane::MapView map;
  map.resize(480, 560);
  map.SetLayers(before, after);
  map.Fit();
  const double paint = seconds([&] { map.grab(); });
  std::printf("%20s sampling %.3f s, before layer %.3f s, after layer %.3f s, paint %.3f s\n", "", sampling,
              first, second, paint);
}

}  // namespace

int main(int argc, char** argv) {
  const std::int64_t vertices = argc > 1 ? std::atoll(argv[1]) : 10000000;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  morvane::InstallFontSubstitutes();
  const std::string folder = std::filesystem::temp_directory_path() / "morvane-bench-preview";
  std::filesystem::create_directories(folder);
  const std::string polygons = folder + "/polygons.shp";
  const std::string points = folder + "/points.shp";
  WriteFile(polygons, vertices / 100, 100);
  WriteFile(points, vertices, 1);
  Preview("100-vertex polygons", polygons, vertices / 100 * 100);
  Parts(polygons);
  Preview("points", points, vertices);
  Parts(points);
  std::filesystem::remove_all(folder);
  return 0;
}
