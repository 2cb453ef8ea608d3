// Mode 11 (TWD67 TM2 -> TWD97 TM2) with the standard seven-parameter step against the built-in
// fitted step of Taiwan (common-points): per block of 4096 points through ConvertPoints, and per
// file through ConvertShapefile on one thread (a generated MultiPoint file of 262 144 vertices
// in Taiwan, its report included for the fitted step). Prints the ratio of the standard step's
// CPU time to the fitted step's for each (of the means, with --benchmark_repetitions): above 1
// means the fitted step is faster. CPU time, because a busy machine stretches the wall time.
// Usage: bench_datum_step [Google Benchmark options]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench_points.hpp"
#include "engine/builtin_transforms.hpp"
#include "engine/conversion.hpp"
#include "bench_feedback.hpp"
#include "machine.hpp"
#include "shapefile/byte_order.hpp"
#include "shapefile/conversion_run.hpp"

namespace morvane {
namespace {

constexpr TransformMode kMode = IndexOf(Mode::Twd67Tm2ToTwd97Tm2);
constexpr int kRecords = 256;
constexpr int kVerticesPerRecord = 1024;

DatumStep StepNamed(bool fitted) {
  return fitted ? DatumStep{DatumStepKind::CommonPoints, "", BuiltinTransform(121)} : DatumStep{};
}

void ConvertPointsBenchmark(benchmark::State& bench, bool fitted) {
  const std::vector<bench::Point> points = bench::SourcePoints(kMode, kTaiwanRegion);
  std::vector<double> source;
  for (const bench::Point& p : points) source.insert(source.end(), {p.X, p.Y});
  IgnoredMessages messages;
  EngineState state = EngineFor({kMode, kTaiwanRegion, StepNamed(fitted)}, messages);
  std::vector<double> pairs;
  for (auto _ : bench) {
    pairs = source;
    ConvertPoints(state, kMode, pairs);
    benchmark::DoNotOptimize(pairs.data());
  }
  bench.SetItemsProcessed(static_cast<std::int64_t>(bench.iterations()) * static_cast<std::int64_t>(points.size()));
}

void Append(std::vector<unsigned char>& out, std::int32_t value, bool bigEndian) {
  unsigned char bytes[4];
  if (bigEndian) {
    WriteInt32BE(bytes, value);
  } else {
    WriteInt32LE(bytes, value);
  }
  out.insert(out.end(), bytes, bytes + 4);
}

void Append(std::vector<unsigned char>& out, double value) {
  unsigned char bytes[8];
  WriteDoubleLE(bytes, value);
  out.insert(out.end(), bytes, bytes + 8);
}

std::vector<unsigned char> Header(std::int64_t bytes) {
  std::vector<unsigned char> header;
  Append(header, 9994, true);
  for (int i = 0; i < 5; ++i) Append(header, 0, true);
  Append(header, static_cast<std::int32_t>(bytes / 2), true);
  Append(header, 1000, false);
  Append(header, 8, false);  // MultiPoint
  for (const double v : {160000.0, 2430000.0, 340000.0, 2830000.0, 0.0, 0.0, 0.0, 0.0}) Append(header, v);
  return header;
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::exit(1);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

// folder/wells.shp, .shx and .dbf: kRecords MultiPoint records of the benchmark's TWD67 TM2 points.
void Generate(const std::string& folder) {
  const std::vector<bench::Point> points = bench::SourcePoints(kMode, kTaiwanRegion);
  const std::int32_t content = 4 + 32 + 4 + 16 * kVerticesPerRecord;
  std::vector<unsigned char> main = Header(100 + kRecords * (8 + content));
  std::vector<unsigned char> index = Header(100 + 8 * kRecords);
  for (int r = 0; r < kRecords; ++r) {
    Append(index, static_cast<std::int32_t>((100 + r * (8 + content)) / 2), true);
    Append(index, content / 2, true);
    Append(main, r + 1, true);
    Append(main, content / 2, true);
    Append(main, 8, false);
    for (const double v : {160000.0, 2430000.0, 340000.0, 2830000.0}) Append(main, v);
    Append(main, kVerticesPerRecord, false);
    for (int v = 0; v < kVerticesPerRecord; ++v) {
      const bench::Point& p = points[static_cast<std::size_t>(r * kVerticesPerRecord + v) & (bench::kPointCount - 1)];
      Append(main, p.X);
      Append(main, p.Y);
    }
  }
  WriteBytes(folder + "/wells.shp", main);
  WriteBytes(folder + "/wells.shx", index);
  WriteBytes(folder + "/wells.dbf", std::vector<unsigned char>(64, 0));
}

void ConvertFileBenchmark(benchmark::State& bench, bool fitted) {
  const std::string folder = (std::filesystem::temp_directory_path() / "morvane-datum-step-bench").string();
  std::filesystem::create_directories(folder);
  Generate(folder);
  bench::BenchFeedback feedback;
  LocalFileSystem files;
  const Conversion conversion{kMode, kTaiwanRegion, StepNamed(fitted)};
  EngineState engine = EngineFor(conversion, feedback);
  ConversionThreads threads;
  threads.Count = 1;
  for (auto _ : bench) {
    ConvertShapefile(engine, folder, "wells.shp", kMode, feedback, files, nullptr, threads, conversion.Datum);
  }
  bench.SetItemsProcessed(static_cast<std::int64_t>(bench.iterations()) * kRecords * kVerticesPerRecord);
  std::filesystem::remove_all(folder);
}

BENCHMARK_CAPTURE(ConvertPointsBenchmark, standard, false)->Name("ConvertPoints/mode11/standard");
BENCHMARK_CAPTURE(ConvertPointsBenchmark, fitted, true)->Name("ConvertPoints/mode11/common-points");
BENCHMARK_CAPTURE(ConvertFileBenchmark, standard, false)->Name("ConvertShapefile/mode11/standard")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ConvertFileBenchmark, fitted, true)->Name("ConvertShapefile/mode11/common-points")->Unit(benchmark::kMillisecond);

// The console report, keeping each benchmark's CPU time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    // One run, or the mean of the repetitions when they are asked for.
    for (const Run& run : runs) {
      const bool mean = run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean";
      if (run.run_type == Run::RT_Iteration || mean) seconds_[run.run_name.str()] = run.GetAdjustedCPUTime();
    }
  }
  void PrintRatios() const {
    for (const char* what : {"ConvertPoints/mode11", "ConvertShapefile/mode11"}) {
      const auto standard = seconds_.find(std::string(what) + "/standard");
      const auto fitted = seconds_.find(std::string(what) + "/common-points");
      if (standard == seconds_.end() || fitted == seconds_.end() || fitted->second <= 0) continue;
      std::printf("%s: standard / common-points time = %.2f\n", what, standard->second / fitted->second);
    }
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace
}  // namespace morvane

int main(int argc, char** argv) {
  morvane::bench::PrintMachine(stdout);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  morvane::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
