// Converts a generated Polygon shapefile of about five million vertices in TWD67 TM2
// coordinates, once to TWD67 geographic coordinates (mode 1) and once to TWD97 TM2 (mode 11),
// in region 1, and prints for each the seconds, vertices per second and peak memory,
// against a plain copy of the same three files (the I/O floor) and the engine alone on every
// tenth polygon's points (generated before the timing). Times are wall-clock and, in
// brackets, the process's CPU time, which stays meaningful on a busy machine.
//
//   bench_shapefile [polygons [vertices per polygon]]     default 50000 x 100
//   bench_shapefile --write BASE [polygons [vertices]]    only writes BASE.shp, .shx and .dbf
//   bench_shapefile --engine FILE.shp MODE REGION          ConvertPoints alone on the file's
//                                                          vertices
//
// Modes (1 to 16) and regions (1 to 3) are numbered as users see them, in what it prints and
// in what it takes.
//   bench_shapefile --machine                              prints the processor and the compiler flags
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "shapefile/byte_order.hpp"
#include "shapefile/conversion_run.hpp"
#include "shapefile/headers.hpp"
#include "bench_feedback.hpp"
#include "machine.hpp"

namespace {

using morvane::TransformMode;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec); };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Timing {
  double Wall;
  double Cpu;
};

Timing Measure(const std::function<void()>& work) {
  const double cpu = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  work();
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), CpuSeconds() - cpu};
}

double PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

// Vertex v of polygon p: rings spread over the TM2 grid of Taiwan.
void Vertex(int p, int v, int vertices, double& x, double& y) {
  const double cx = 170000.0 + 160000.0 * std::fmod(p * 0.618033988749895, 1.0);
  const double cy = 2440000.0 + 380000.0 * std::fmod(p * 0.414213562373095, 1.0);
  const double angle = 2 * 3.141592653589793 * (v % (vertices - 1)) / (vertices - 1);
  x = cx + 500.0 * std::cos(angle);
  y = cy + 500.0 * std::sin(angle);
}

void Append32BE(std::vector<unsigned char>& out, std::int32_t v) {
  unsigned char b[4];
  morvane::WriteInt32BE(b, v);
  out.insert(out.end(), b, b + 4);
}
void Append32LE(std::vector<unsigned char>& out, std::int32_t v) {
  unsigned char b[4];
  morvane::WriteInt32LE(b, v);
  out.insert(out.end(), b, b + 4);
}
void AppendDouble(std::vector<unsigned char>& out, double v) {
  unsigned char b[8];
  morvane::WriteDoubleLE(b, v);
  out.insert(out.end(), b, b + 8);
}

std::vector<unsigned char> Header(std::int64_t bytes) {
  std::vector<unsigned char> header;
  Append32BE(header, 9994);
  for (int i = 0; i < 5; ++i) Append32BE(header, 0);
  Append32BE(header, static_cast<std::int32_t>(bytes / 2));
  Append32LE(header, 1000);
  Append32LE(header, 5);
  for (double v : {160000.0, 2430000.0, 340000.0, 2830000.0, 0.0, 0.0, 0.0, 0.0}) AppendDouble(header, v);
  return header;
}

// A dBASE table with one numeric field ID and a record for each polygon, so that other
// programs read the file too.
void WriteTable(const std::string& path, int records) {
  constexpr int kFieldWidth = 9;
  std::vector<unsigned char> header(32 + 32 + 1, 0);
  header[0] = 0x03;  // dBASE III without memo
  header[1] = 124;   // last update: 2024-01-01
  header[2] = 1;
  header[3] = 1;
  morvane::WriteInt32LE(header.data() + 4, records);
  header[8] = static_cast<unsigned char>(header.size() & 0xff);
  header[9] = static_cast<unsigned char>(header.size() >> 8);
  header[10] = 1 + kFieldWidth;  // record length: deletion flag and the field
  std::memcpy(header.data() + 32, "ID", 2);
  header[32 + 11] = 'N';
  header[32 + 16] = kFieldWidth;
  header[64] = 0x0d;  // end of the field descriptors
  std::FILE* dbf = std::fopen(path.c_str(), "wb");
  if (dbf == nullptr) std::exit(1);
  std::fwrite(header.data(), 1, header.size(), dbf);
  for (int r = 0; r < records; ++r) std::fprintf(dbf, " %9d", r + 1);
  std::fputc(0x1a, dbf);
  std::fclose(dbf);
}

// Writes folder/name.shp, .shx and .dbf, streaming the records.
void Generate(const std::string& base, int polygons, int vertices) {
  const std::int64_t content = 4 + 32 + 8 + 4 + 16 * static_cast<std::int64_t>(vertices);
  const std::int64_t mainBytes = 100 + polygons * (8 + content);
  std::FILE* shp = std::fopen((base + ".shp").c_str(), "wb");
  std::FILE* shx = std::fopen((base + ".shx").c_str(), "wb");
  if (shp == nullptr || shx == nullptr) std::exit(1);
  std::vector<unsigned char> block = Header(mainBytes);
  std::fwrite(block.data(), 1, block.size(), shp);
  block = Header(100 + 8 * static_cast<std::int64_t>(polygons));
  std::fwrite(block.data(), 1, block.size(), shx);
  std::int64_t offset = 100;
  for (int p = 0; p < polygons; ++p) {
    block.clear();
    Append32BE(block, p + 1);
    Append32BE(block, static_cast<std::int32_t>(content / 2));
    Append32LE(block, 5);
    double x = 0, y = 0;
    Vertex(p, 0, vertices, x, y);
    for (double v : {x - 500, y - 500, x + 500, y + 500}) AppendDouble(block, v);
    Append32LE(block, 1);
    Append32LE(block, vertices);
    Append32LE(block, 0);
    for (int v = 0; v < vertices; ++v) {
      Vertex(p, v, vertices, x, y);
      AppendDouble(block, x);
      AppendDouble(block, y);
    }
    std::fwrite(block.data(), 1, block.size(), shp);
    block.clear();
    Append32BE(block, static_cast<std::int32_t>(offset / 2));
    Append32BE(block, static_cast<std::int32_t>(content / 2));
    std::fwrite(block.data(), 1, block.size(), shx);
    offset += 8 + content;
  }
  std::fclose(shp);
  std::fclose(shx);
  WriteTable(base + ".dbf", polygons);
}

// Every vertex of a main file written by Generate, read into memory.
std::vector<double> ReadVertices(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) std::exit(1);
  std::vector<unsigned char> bytes;
  unsigned char block[1 << 16];
  for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;) bytes.insert(bytes.end(), block, block + n);
  std::fclose(file);
  std::vector<double> xy;
  for (std::size_t at = 100; at + 8 <= bytes.size();) {
    const std::size_t content = 2 * static_cast<std::size_t>(morvane::ReadInt32BE(bytes.data() + at + 4));
    const unsigned char* record = bytes.data() + at + 8;
    const auto parts = static_cast<std::size_t>(morvane::ReadInt32LE(record + 36));
    const auto points = static_cast<std::size_t>(morvane::ReadInt32LE(record + 40));
    const unsigned char* point = record + 44 + 4 * parts;
    for (std::size_t i = 0; i < 2 * points; ++i) xy.push_back(morvane::ReadDoubleLE(point + 8 * i));
    at += 8 + content;
  }
  return xy;
}

// The engine alone (ConvertPoints) over the vertices of `path` (mode and region numbered from 1, as the
// command line takes them): the engine's share of converting that file.
int TimeEngineOnly(const std::string& path, int mode, int region) {
  const std::vector<double> xy = ReadVertices(path);
  morvane::bench::BenchFeedback feedback;
  morvane::EngineState engine(feedback);
  const auto engineMode = static_cast<TransformMode>(mode - 1);
  morvane::ApplyTransformSettings(engine, engineMode, region - 1);
  std::vector<double> work = xy;  // converted in place, as the file's runs of pairs are
  const Timing timing = Measure([&] { morvane::ConvertPoints(engine, engineMode, work); });
  std::printf("%.3f s [%.3f s CPU] for %zu vertices%s\n", timing.Wall, timing.Cpu, xy.size() / 2,
              work[0] == 0 ? " " : "");
  return 0;
}

void RemoveOutputs(const std::string& base) {
  for (const char* extension : {"_1.shp", "_1.shx", "_1.dbf"}) std::remove((base + extension).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "--write") {  // the input file only, for other programs
    Generate(argv[2], argc > 3 ? std::atoi(argv[3]) : 50000, argc > 4 ? std::atoi(argv[4]) : 100);
    return 0;
  }
  if (argc == 5 && std::string(argv[1]) == "--engine") {
    return TimeEngineOnly(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  }
  if (argc == 2 && std::string(argv[1]) == "--machine") {  // for scripts that print it
    morvane::bench::PrintMachine(stdout);
    return 0;
  }
  morvane::bench::PrintMachine(stdout);
  const int polygons = argc > 1 ? std::atoi(argv[1]) : 50000;
  const int vertices = argc > 2 ? std::atoi(argv[2]) : 100;
  std::string folder = (std::filesystem::temp_directory_path() / "morvane-bench-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) return 1;
  const std::string base = folder + "/polygons";

  Generate(base, polygons, vertices);
  const double megabytes = static_cast<double>(std::filesystem::file_size(base + ".shp")) / 1e6;
  std::printf("input: %d polygons x %d vertices = %lld vertices, %.1f MB main file\n", polygons, vertices,
              static_cast<long long>(polygons) * vertices, megabytes);

  morvane::LocalFileSystem files;
  const Timing copy = Measure([&] {
    for (const char* extension : {".shp", ".shx", ".dbf"})
      files.CopyNoOverwrite(base + extension, base + "_1" + extension);
  });
  RemoveOutputs(base);
  std::printf("plain copy of the three files: %.3f s [%.3f s CPU], %.0f MB/s\n", copy.Wall, copy.Cpu,
              megabytes / copy.Wall);

  morvane::bench::BenchFeedback feedback;
  // One thread, and as many as the processor has (the default of the window and the command line).
  std::vector<unsigned> threadCounts = {1};
  if (morvane::CoreCount() > 1) threadCounts.push_back(morvane::CoreCount());
  for (const morvane::Mode id : {morvane::Mode::Twd67Tm2ToTwd67Geographic, morvane::Mode::Twd67Tm2ToTwd97Tm2}) {
    const TransformMode mode = morvane::IndexOf(id);
    for (const unsigned threads : threadCounts) {
      morvane::EngineState engine(feedback);
      morvane::ApplyTransformSettings(engine, mode, morvane::kTaiwanRegion);
      morvane::ShapefileStats stats;
      const Timing convert = Measure([&] {
        morvane::ConvertShapefile(engine, folder, "polygons.shp", mode, feedback, files, &stats, {threads});
      });
      RemoveOutputs(base);
      const double peak = PeakMiB();
      // The engine alone on every tenth polygon's vertices, generated beforehand.
      constexpr int kSampleStep = 10;
      std::vector<double> xy;
      for (int p = 0; p < polygons; p += kSampleStep) {
        for (int v = 0; v < vertices; ++v) {
          double x = 0, y = 0;
          Vertex(p, v, vertices, x, y);
          xy.push_back(x);
          xy.push_back(y);
        }
      }
      const Timing sample = Measure([&] { morvane::ConvertPoints(engine, mode, xy); });
      const double sink = xy[0];
      const double sampled = static_cast<double>(xy.size() / 2);
      const double engineCpu = sample.Cpu * static_cast<double>(stats.Vertices) / sampled;
      std::printf("mode %u, %u thread%s: %.3f s [%.3f s CPU], %.3f million vertices/s [%.3f per "
                  "CPU second], %.1f x the plain copy; engine alone %.3f CPU s for as many points, %.0f%% "
                  "of the conversion's CPU time; process peak memory so far %.1f MiB%s\n",
                  morvane::RowOf(id).Number, threads, threads == 1 ? "" : "s", convert.Wall, convert.Cpu,
                  static_cast<double>(stats.Vertices) / convert.Wall / 1e6,
                  static_cast<double>(stats.Vertices) / convert.Cpu / 1e6, convert.Wall / copy.Wall, engineCpu,
                  100.0 * engineCpu / convert.Cpu, peak, sink == 0 ? " " : "");
    }
  }
  std::filesystem::remove_all(folder);
  return 0;
}
