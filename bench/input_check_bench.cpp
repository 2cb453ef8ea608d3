// What the input check costs beside the conversion it guards: the samples copied many times
// into one folder, each checked and then converted (mode 1, Taiwan), wall time per file; and a
// large file, checked once with a usable header box and once with a zero one (the sample of
// records decides both). Prints its figures.
//   bench_input_check
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "engine/modes.hpp"
#include "bench_feedback.hpp"
#include "machine.hpp"
#include "shapefile/byte_order.hpp"
#include "shapefile/conversion_run.hpp"
#include "shapefile/folder_listing.hpp"
#include "shapefile/input_check.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(const std::function<void()>& work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Fields in the shapefile's byte orders, whatever the host's.
void PutLE32(std::ofstream& out, std::int32_t v) {
  unsigned char b[4];
  morvane::WriteInt32LE(b, v);
  out.write(reinterpret_cast<const char*>(b), 4);
}
void PutBE32(std::ofstream& out, std::int32_t v) {
  unsigned char b[4];
  morvane::WriteInt32BE(b, v);
  out.write(reinterpret_cast<const char*>(b), 4);
}
void PutDouble(std::ofstream& out, double v) {
  unsigned char b[8];
  morvane::WriteDoubleLE(b, v);
  out.write(reinterpret_cast<const char*>(b), 8);
}

void PutHeader(std::ofstream& out, std::int32_t bytes, bool zeroBox) {
  PutBE32(out, 9994);
  for (int i = 0; i < 5; ++i) PutBE32(out, 0);
  PutBE32(out, bytes / 2);
  PutLE32(out, 1000);
  PutLE32(out, 1);
  for (const double v : {200000.0, 2500000.0, 300000.0, 2800000.0}) PutDouble(out, zeroBox ? 0.0 : v);
  for (int i = 0; i < 4; ++i) PutDouble(out, 0.0);
}

// A Point file of `count` TM2 points; its header box is their extent, or zero.
void WriteLargePointFile(const std::string& stem, int count, bool zeroBox) {
  std::ofstream shp(stem + ".shp", std::ios::binary);
  std::ofstream shx(stem + ".shx", std::ios::binary);
  PutHeader(shp, 100 + 28 * count, zeroBox);
  PutHeader(shx, 100 + 8 * count, zeroBox);
  for (int i = 0; i < count; ++i) {
    PutBE32(shp, i + 1);
    PutBE32(shp, 10);
    PutLE32(shp, 1);
    PutDouble(shp, 200000.0 + (i % 1000) * 100.0);
    PutDouble(shp, 2500000.0 + (i / 1000) * 0.3);
    PutBE32(shx, (100 + 28 * i) / 2);
    PutBE32(shx, 10);
  }
  std::ofstream(stem + ".dbf") << "table";
}

}  // namespace

int main() {
  morvane::bench::PrintMachine(stdout);
  const fs::path folder = fs::temp_directory_path() / ("morvane-bench-check-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  constexpr int kCopies = 100;
  std::vector<std::string> items;
  for (const auto& entry : fs::directory_iterator(MORVANE_SAMPLES_DIR)) {
    const std::string name = entry.path().filename().string();
    const std::string stem = entry.path().stem().string();
    for (int i = 0; i < kCopies; ++i) {
      const std::string copy = stem + "-" + std::to_string(i) + entry.path().extension().string();
      fs::copy_file(entry.path(), folder / copy);
      if (entry.path().extension() == ".shp") items.push_back(copy);
    }
  }
  morvane::LocalFileSystem files;
  morvane::bench::BenchFeedback feedback;
  morvane::EngineState engine(feedback);
  morvane::ApplyTransformSettings(engine, 0, 0);
  const double firstUse = Seconds([] { morvane::PlausibleExtent(0, 0); });  // derived once, on first use
  std::printf("deriving the extents on first use: %.1f ms\n", 1e3 * firstUse);

  std::size_t plausible = 0;
  const double listing = Seconds([&] {
    for (const std::string& item : items) morvane::CheckInput((folder / item).string(), 0, 0, files);
  });
  // As the window and the command line check a folder: listed once for every .prj lookup.
  const double checking = Seconds([&] {
    morvane::ListingCacheFileSystem cached(files);
    for (const std::string& item : items)
      plausible += morvane::CheckInput((folder / item).string(), 0, 0, cached).Verdict == morvane::InputVerdict::Plausible;
  });
  std::printf("%zu files without a .prj in one folder: check %.1f us per file listing the folder each time\n",
              items.size(), 1e6 * listing / static_cast<double>(items.size()));
  const double converting = Seconds([&] {
    for (const std::string& item : items) morvane::ConvertShapefile(engine, folder.string(), item, 0, feedback, files);
  });
  std::printf("%zu sample files (%zu plausible): check %.1f us per file, conversion %.1f us per file, check/conversion %.1f%%\n",
              items.size(), plausible, 1e6 * checking / static_cast<double>(items.size()), 1e6 * converting / static_cast<double>(items.size()),
              100.0 * checking / converting);

  constexpr int kLargePoints = 2000000;
  const std::string usable = (folder / "large").string();
  const std::string zero = (folder / "large-zero").string();
  WriteLargePointFile(usable, kLargePoints, false);
  WriteLargePointFile(zero, kLargePoints, true);
  constexpr int kRepeats = 200;
  morvane::ListingCacheFileSystem cached(files);
  const double header = Seconds([&] {
    for (int i = 0; i < kRepeats; ++i) morvane::CheckInput(usable + ".shp", 0, 0, cached);
  });
  const double records = Seconds([&] {
    for (int i = 0; i < kRepeats; ++i) morvane::CheckInput(zero + ".shp", 0, 0, cached);
  });
  const double conversion = Seconds([&] { morvane::ConvertShapefile(engine, folder.string(), "large.shp", 0, feedback, files); });
  std::printf("%d-point file (%.0f MB): check %.1f us with a usable header box, %.1f us with a zero one; "
              "conversion %.3f s\n",
              kLargePoints, (100.0 + 28.0 * kLargePoints) / 1e6, 1e6 * header / kRepeats, 1e6 * records / kRepeats,
              conversion);
  fs::remove_all(folder);
  return 0;
}
