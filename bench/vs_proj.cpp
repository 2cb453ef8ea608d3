// ConvertPoint against PROJ's proj_trans_generic on the same points, in one process and one
// run, single-threaded. For each mode, PROJ gets a pipeline with the same constants as the
// engine: first both convert the mode's fixed point set and the largest difference is
// printed (it must stay around a millimetre, or the timing compares different work); then
// both are timed in alternating rounds and the best round of each counts.
//
// PROJ gets every advantage the comparison allows: angles in radians, so that no unit
// conversion step runs, and whole arrays in one call. The engine is timed both ways: once per
// point (ConvertPoint) and on arrays (ConvertPoints, as the shapefile conversion calls it); the
// two must give the same bits, and the ratio is PROJ's arrays against ours.
//
//   bench_vs_proj [rounds]            default 7; prints one line per mode
//   bench_vs_proj --engine MODE N     only ConvertPoints, N passes over the mode's points: a
//                                     fixed amount of work for valgrind --tool=callgrind
//
// Modes (1 to 16) and regions (1 to 3) are numbered as users see them, in what it prints and
// in what it takes.
#include <proj.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "bench_points.hpp"
#include "machine.hpp"
#include "engine/constants.hpp"
#include "engine/mode_table.hpp"

namespace morvane::bench {
namespace {

// ---- PROJ pipelines with the engine's constants -------------------------------------------

std::string TmDefinition(double centralMeridian, double scale, double falseEasting, const char* ellipsoid) {
  char text[256];
  std::snprintf(text, sizeof text, "+proj=tmerc +lat_0=0 +lon_0=%.17g +k=%.17g +x_0=%.17g +y_0=0 %s",
                centralMeridian, scale, falseEasting, ellipsoid);
  return text;
}

constexpr const char* kTwd67TmEllipsoid = "+a=6378160 +rf=298.247167";
constexpr const char* kUtmEllipsoid = "+a=6378160 +rf=297";
constexpr const char* kTwd97SettingsEllipsoid = "+a=6378137 +rf=298.257222101";
constexpr const char* kGrs80Ellipsoid = "+a=6378137 +rf=298.2572221008827";

// The seven-parameter step in PROJ's units: rotations in arc-seconds, scale in parts per million.
std::string Helmert97Step() {
  const HelmertParameters& h = kHelmert97Parameters;
  const double arcSeconds = 180.0 / kPi * 3600.0;
  char text[512];
  std::snprintf(text, sizeof text,
                "+step +proj=helmert +x=%.17g +y=%.17g +z=%.17g +rx=%.17g +ry=%.17g +rz=%.17g "
                "+s=%.17g +convention=coordinate_frame ",
                h.Tx, h.Ty, h.Tz, h.Rx * arcSeconds, h.Ry * arcSeconds, h.Rz * arcSeconds,
                (h.Scale - 1) * 1e6);
  return text;
}

const std::string kTranslationStep = "+step +proj=helmert +x=-752 +y=-358 +z=-179 ";
const std::string kTwd67Cartesian = "+step +proj=cart +a=6378160 +es=0.00669454185 ";

std::string Twd67ToTwd97Steps() {
  return kTwd67Cartesian + kTranslationStep + Helmert97Step() + "+step +inv +proj=cart " + kGrs80Ellipsoid + " ";
}

std::string Twd67ToWgs84Steps() {
  return kTwd67Cartesian + kTranslationStep + "+step +inv +proj=cart +a=6378137 +rf=298.257223563 ";
}

// Mode::Twd67Tm2ToTwd97Tm2 forward, Mode::Twd97Tm2ToTwd67Tm2 its inverse.
std::string Twd67GridToTwd97GridPipeline(double centralMeridian) {
  return "+proj=pipeline +step +inv " + TmDefinition(centralMeridian, 0.9999, 250000, kTwd67TmEllipsoid) + " " +
         Twd67ToTwd97Steps() + "+step " + TmDefinition(centralMeridian, 0.9999, 250000, kGrs80Ellipsoid);
}

constexpr const char* kLambertDefinition =
    "+proj=lcc +lat_0=10 +lon_0=110 +lat_1=25 +lat_2=47 +x_0=0 +y_0=0 +a=6378137 +rf=298.257223563";

struct ModeCase {
  Mode Id;
  morvane::Region Region;
  std::string Pipeline;
  PJ_DIRECTION Direction;
  bool GeographicIn;   // the mode's x, y are degrees (radians for PROJ)
  bool GeographicOut;
};

std::vector<ModeCase> ModeCases() {
  const std::string tm2 = TmDefinition(121, 0.9999, 250000, kTwd67TmEllipsoid);
  const std::string tm3 = TmDefinition(121, 1, 350000, kTwd67TmEllipsoid);
  const std::string utm = TmDefinition(123, 0.9996, 500000, kUtmEllipsoid);
  const std::string tm97 = TmDefinition(121, 0.9999, 250000, kTwd97SettingsEllipsoid);
  const std::string d97 = "+proj=pipeline " + Twd67ToTwd97Steps();
  const std::string d84 = "+proj=pipeline " + Twd67ToWgs84Steps();
  const std::string t97 = Twd67GridToTwd97GridPipeline(121);
  constexpr morvane::Region taiwan = kTaiwanRegion;
  return {
      {Mode::Twd67Tm2ToTwd67Geographic, taiwan, tm2, PJ_INV, false, true},
      {Mode::Twd67GeographicToTwd67Tm2, taiwan, tm2, PJ_FWD, true, false},
      {Mode::Tm3ToTwd67Geographic, taiwan, tm3, PJ_INV, false, true},
      {Mode::Twd67GeographicToTm3, taiwan, tm3, PJ_FWD, true, false},
      {Mode::UtmToTwd67Geographic, taiwan, utm, PJ_INV, false, true},
      {Mode::Twd67GeographicToUtm, taiwan, utm, PJ_FWD, true, false},
      {Mode::LambertToGeographic, kMainlandRegion, kLambertDefinition, PJ_INV, false, true},
      {Mode::GeographicToLambert, kMainlandRegion, kLambertDefinition, PJ_FWD, true, false},
      {Mode::Twd67GeographicToTwd97Geographic, taiwan, d97, PJ_FWD, true, true},
      {Mode::Twd97GeographicToTwd67Geographic, taiwan, d97, PJ_INV, true, true},
      {Mode::Twd67Tm2ToTwd97Tm2, taiwan, t97, PJ_FWD, false, false},
      {Mode::Twd97Tm2ToTwd67Tm2, taiwan, t97, PJ_INV, false, false},
      {Mode::Twd97Tm2ToTwd97Geographic, taiwan, tm97, PJ_INV, false, true},
      {Mode::Twd97GeographicToTwd97Tm2, taiwan, tm97, PJ_FWD, true, false},
      {Mode::Twd67GeographicToWgs84Geographic, taiwan, d84, PJ_FWD, true, true},
      {Mode::Wgs84GeographicToTwd67Geographic, taiwan, d84, PJ_INV, true, true},
  };
}

// ---- Timing ---------------------------------------------------------------------------------

// CPU time of this thread: other work on a shared machine does not count.
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

constexpr int kRepeats = 64;  // passes over the point set per round: 262144 points

struct Coordinates {
  std::vector<double> X, Y;
};

Coordinates ConvertWithEngine(EngineState& state, TransformMode mode, const std::vector<Point>& points,
                              double& seconds) {
  Coordinates out{std::vector<double>(points.size()), std::vector<double>(points.size())};
  const double start = ThreadSeconds();
  for (int r = 0; r < kRepeats; ++r) {
    for (std::size_t i = 0; i < points.size(); ++i) ConvertPoint(state, mode, points[i].X, points[i].Y, out.X[i], out.Y[i]);
  }
  seconds = ThreadSeconds() - start;
  return out;
}

// ConvertPoints over interleaved pairs, refilled before each pass outside the timing, as PROJ's
// arrays are.
Coordinates ConvertArraysWithEngine(EngineState& state, TransformMode mode, const std::vector<Point>& points,
                                    double& seconds) {
  std::vector<double> input;
  for (const Point& p : points) {
    input.push_back(p.X);
    input.push_back(p.Y);
  }
  std::vector<double> work;
  double spent = 0;
  for (int r = 0; r < kRepeats; ++r) {
    work = input;
    const double start = ThreadSeconds();
    ConvertPoints(state, mode, work);
    spent += ThreadSeconds() - start;
  }
  seconds = spent;
  Coordinates out;
  for (std::size_t i = 0; i + 1 < work.size(); i += 2) {
    out.X.push_back(work[i]);
    out.Y.push_back(work[i + 1]);
  }
  return out;
}

bool SameBits(const Coordinates& a, const Coordinates& b) {
  return a.X.size() == b.X.size() &&
         std::memcmp(a.X.data(), b.X.data(), a.X.size() * sizeof(double)) == 0 &&
         std::memcmp(a.Y.data(), b.Y.data(), a.Y.size() * sizeof(double)) == 0;
}

Coordinates ConvertWithProj(PJ* operation, PJ_DIRECTION direction, const Coordinates& input, double& seconds) {
  Coordinates work = input;
  double spent = 0;
  for (int r = 0; r < kRepeats; ++r) {
    work = input;  // PROJ converts in place
    const double start = ThreadSeconds();
    proj_trans_generic(operation, direction, work.X.data(), sizeof(double), work.X.size(), work.Y.data(),
                       sizeof(double), work.Y.size(), nullptr, 0, 0, nullptr, 0, 0);
    spent += ThreadSeconds() - start;
  }
  seconds = spent;
  return work;
}

// The largest distance in millimetres between two results of the same points.
double MaxDifferenceMm(const Coordinates& ours, const Coordinates& theirs, bool geographic) {
  double worst = 0;
  for (std::size_t i = 0; i < ours.X.size(); ++i) {
    double dx = ours.X[i] - theirs.X[i];
    double dy = ours.Y[i] - theirs.Y[i];
    if (geographic) {  // degrees to metres on the sphere of 6378137 m
      const double metresPerDegree = 6378137.0 * kPi / 180.0;
      dx *= metresPerDegree * std::cos(ours.Y[i] * kPi / 180.0);
      dy *= metresPerDegree;
    }
    worst = std::max(worst, std::hypot(dx, dy) * 1000.0);
  }
  return worst;
}

int Run(int rounds) {
  PrintMachine(stdout);
  PJ_CONTEXT* context = proj_context_create();
  std::printf("PROJ %s; %zu points per mode, %d rounds of %d passes, best round counts; CPU ns per point\n",
              proj_info().version, kPointCount, rounds, kRepeats);
  std::printf("%-4s %-6s %12s %10s %10s %10s %10s %10s\n", "mode", "region", "max diff mm", "per call",
              "arrays", "PROJ", "PROJ/call", "PROJ/arrays");
  bool agreed = true;
  double slowest = 1e300;
  for (const ModeCase& c : ModeCases()) {
    const TransformMode mode = IndexOf(c.Id);
    const unsigned number = RowOf(c.Id).Number;
    PJ* operation = proj_create(context, c.Pipeline.c_str());
    if (operation == nullptr) {
      std::fprintf(stderr, "PROJ refuses the pipeline of mode %u: %s\n", number, c.Pipeline.c_str());
      return 1;
    }
    const std::vector<Point> points = SourcePoints(mode, c.Region);
    Coordinates input;
    for (const Point& p : points) {
      input.X.push_back(c.GeographicIn ? p.X * kPi / 180.0 : p.X);
      input.Y.push_back(c.GeographicIn ? p.Y * kPi / 180.0 : p.Y);
    }
    IgnoredMessages messages;
    EngineState state(messages);
    ApplyTransformSettings(state, mode, c.Region);

    double ourBest = 1e300;
    double arraysBest = 1e300;
    double theirBest = 1e300;
    Coordinates ours;
    Coordinates arrays;
    Coordinates theirs;
    for (int round = 0; round < rounds; ++round) {
      double seconds = 0;
      ours = ConvertWithEngine(state, mode, points, seconds);
      ourBest = std::min(ourBest, seconds);
      arrays = ConvertArraysWithEngine(state, mode, points, seconds);
      arraysBest = std::min(arraysBest, seconds);
      theirs = ConvertWithProj(operation, c.Direction, input, seconds);
      theirBest = std::min(theirBest, seconds);
    }
    const bool sameBits = SameBits(ours, arrays);
    agreed = agreed && sameBits;
    if (proj_errno(operation) != 0) {
      std::fprintf(stderr, "PROJ failed on mode %u: %s\n", number, proj_errno_string(proj_errno(operation)));
      return 1;
    }
    if (c.GeographicOut) {
      for (double& v : theirs.X) v *= 180.0 / kPi;
      for (double& v : theirs.Y) v *= 180.0 / kPi;
    }
    const double difference = MaxDifferenceMm(ours, theirs, c.GeographicOut);
    agreed = agreed && difference <= 2.0;
    const double perPoint = 1e9 / (kRepeats * static_cast<double>(points.size()));
    const double ratio = theirBest / arraysBest;
    slowest = std::min(slowest, ratio);
    std::printf("%-4u %-6u %12.4f %10.1f %10.1f %10.1f %10.2f %10.2f%s%s\n", number, kRegions[c.Region].Number, difference,
                ourBest * perPoint, arraysBest * perPoint, theirBest * perPoint, theirBest / ourBest, ratio,
                difference <= 2.0 ? "" : "  (the pipeline does not agree)",
                sameBits ? "" : "  (ConvertPoints differs from ConvertPoint)");
    proj_destroy(operation);
  }
  std::printf("smallest ratio PROJ / Morvane (arrays): %.2f\n", slowest);
  proj_context_destroy(context);
  return agreed ? 0 : 1;
}

// The engine's share of the comparison alone, for an instruction profile; `number` as users
// see it, 1 to 16.
int RunEngineOnly(unsigned number, int passes) {
  const std::optional<TransformMode> found = ModeOfNumber(number);
  if (!found) return 1;
  const TransformMode mode = *found;
  const std::vector<ModeCase> cases = ModeCases();
  const auto c = std::find_if(cases.begin(), cases.end(), [&](const ModeCase& m) { return IndexOf(m.Id) == mode; });
  const std::vector<Point> points = SourcePoints(mode, c->Region);
  IgnoredMessages messages;
  EngineState state(messages);
  ApplyTransformSettings(state, mode, c->Region);
  std::vector<double> input;
  for (const Point& p : points) {
    input.push_back(p.X);
    input.push_back(p.Y);
  }
  double sum = 0;
  for (int r = 0; r < passes; ++r) {
    std::vector<double> work = input;
    ConvertPoints(state, mode, work);
    for (double v : work) sum += v;
  }
  std::printf("mode %u: %d passes over %zu points, checksum %.17g\n", number, passes, points.size(), sum);
  return 0;
}

}  // namespace
}  // namespace morvane::bench

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--engine") {
    return morvane::bench::RunEngineOnly(static_cast<unsigned>(std::atoi(argv[2])), std::atoi(argv[3]));
  }
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 7;
  return morvane::bench::Run(rounds < 1 ? 1 : rounds);
}
