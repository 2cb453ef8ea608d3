// morvane-cli.exe, the Windows build, run under Wine and compared with this (Linux) build:
// the golden inputs of every mode and region, the commands with Chinese names and both
// separators, exit statuses, a read-only output folder, Ctrl-C in the middle of a file, and
// the zip unpacked into a folder with a Chinese name. The engine's own tests run as a Windows
// program beside these (windows_engine_tests).
//
// The Windows C library's sines, arc tangents, powers and logarithms may differ from glibc's
// in the last bit, so converted coordinates are compared within kMetreTolerance or
// kDegreeTolerance; every other byte of every output must be identical. The golden test
// prints how many coordinates differ at all.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/personality.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "golden_inputs.hpp"
#include "shapefile/conversion_run.hpp"
#include "shapefile/output_names.hpp"
#include "support/child_process.hpp"
#include "support/fail_on_message.hpp"
#include "support/file_bytes.hpp"
#include "support/shapefile_writer.hpp"

namespace morvane::test {
namespace {

namespace fs = std::filesystem;

constexpr double kMetreTolerance = 1e-6;
constexpr double kDegreeTolerance = 1e-11;

// ---- running the .exe under Wine -------------------------------------------------------

// What the .exe wrote, its line ends ("\r\n" as Windows writes them to a file) made "\n".
using ExeResult = ProcessResult;

std::string WithoutCarriageReturns(std::string text) {
  std::erase(text, '\r');
  return text;
}

// The name under which Windows programs in Wine see a Linux path: drive Z: is the root.
std::string WindowsPath(const std::string& path) {
  std::string windows = "Z:" + path;
  std::replace(windows.begin(), windows.end(), '/', '\\');
  return windows;
}

// Wine maps a page of its own at a fixed address; with the address space laid out at random,
// about one start in 1500 fails here ("failed to map the shared user data", exit status 1,
// nothing printed under WINEDEBUG=-all). The processes the tests start inherit this process's
// personality, so it is set once at start-up to lay them out without randomisation, where the
// system allows it.
const struct WithoutAddressRandomisation {
  WithoutAddressRandomisation() {
    const int current = ::personality(0xffffffff);
    Set = current != -1 && ::personality(static_cast<unsigned long>(current) | ADDR_NO_RANDOMIZE) != -1;
  }
  bool Set = false;
} kWithoutAddressRandomisation;

std::vector<std::string> WineCommand(const std::string& exe, const std::vector<std::string>& args) {
  std::vector<std::string> command = {MORVANE_WINE, exe};
  command.insert(command.end(), args.begin(), args.end());
  return command;
}

// `exe` started under Wine in `folder` (the test's own when empty) with `args` and `input` on
// standard input.
class ExeRun {
 public:
  ExeRun(const std::vector<std::string>& args, const std::string& input = "",
         const std::string& exe = MORVANE_WINDOWS_CLI, const std::string& folder = "")
      : process_(WineCommand(exe, args), input, {"WINEDEBUG=-all", "WINEPREFIX=" MORVANE_WINE_PREFIX}, folder) {}

  // The process that runs the .exe; Wine turns a SIGINT to it into a Ctrl-C.
  pid_t Pid() const { return process_.Pid(); }

  ExeResult Wait() {
    ExeResult result = process_.Wait();
    result.Out = WithoutCarriageReturns(result.Out);
    result.Err = WithoutCarriageReturns(result.Err);
    return result;
  }

 private:
  ChildProcess process_;
};

// Where the address space stays randomised, a run that failed without a word is Wine failing
// to start the program (morvane-cli explains every failure); it is started once more, and said
// so.
ExeResult RunExe(const std::vector<std::string>& args, const std::string& input = "",
                 const std::string& exe = MORVANE_WINDOWS_CLI, const std::string& folder = "") {
  ExeResult run = ExeRun(args, input, exe, folder).Wait();
  if (!kWithoutAddressRandomisation.Set && run.Status != 0 && run.Out.empty() && run.Err.empty()) {
    std::cout << "Wine ended a start with status " << run.Status << " and no output; started again\n";
    run = ExeRun(args, input, exe, folder).Wait();
  }
  return run;
}

// ---- comparing outputs ---------------------------------------------------------------------

// Converts base.shp in `folder` with this build's library, as morvane-cli does.
void ConvertHere(const TempFolder& folder, const std::string& base, TransformMode mode, int region) {
  FailOnMessageFeedback feedback;
  EngineState engine(feedback);
  ApplyTransformSettings(engine, mode, region);
  LocalFileSystem files;
  ASSERT_EQ(ConvertShapefile(engine, folder.Path(), base + ".shp", mode, feedback, files, nullptr, {}),
            ShapefileOutcome::Converted);
}

double ToleranceOf(TransformMode mode) {
  return kModes.at(mode).Target.Kind == GridKind::Geographic ? kDegreeTolerance : kMetreTolerance;
}

struct Differences {
  std::size_t Coordinates = 0;  // compared
  std::size_t Differing = 0;    // not bit for bit the same
  double Largest = 0;
  std::string Problem;  // the first byte or coordinate out of bounds, empty if none

  void Add(const Differences& more) {
    Coordinates += more.Coordinates;
    Differing += more.Differing;
    Largest = std::max(Largest, more.Largest);
  }
};

// Compares an output of the Windows build with this build's: the doubles at `coordinates`
// within `tolerance`, every other byte identical.
Differences Compare(const Bytes& here, const Bytes& windows, const std::vector<std::size_t>& coordinates,
                    double tolerance) {
  Differences found;
  if (here.size() != windows.size()) {
    found.Problem = "sizes " + std::to_string(here.size()) + " and " + std::to_string(windows.size());
    return found;
  }
  std::vector<bool> isCoordinate(here.size());
  for (const std::size_t offset : coordinates) {
    std::fill_n(isCoordinate.begin() + static_cast<std::ptrdiff_t>(offset), 8, true);
    const double a = GetDoubleLE(here.data() + offset);
    const double b = GetDoubleLE(windows.data() + offset);
    ++found.Coordinates;
    if (std::memcmp(here.data() + offset, windows.data() + offset, 8) == 0) continue;
    ++found.Differing;
    const double difference = std::fabs(a - b);
    found.Largest = std::max(found.Largest, difference);
    if (!(difference <= tolerance) && found.Problem.empty()) {
      std::ostringstream text;
      text.precision(17);
      text << "coordinate at byte " << offset << ": " << a << " here, " << b << " from the .exe";
      found.Problem = text.str();
    }
  }
  for (std::size_t i = 0; i < here.size() && found.Problem.empty(); ++i) {
    if (!isCoordinate[i] && here[i] != windows[i]) found.Problem = "byte " + std::to_string(i) + " differs";
  }
  return found;
}

// Where the converted doubles lie in a main file built as `input`: the header box and every
// record's box and points (the same places as in the input, the layout being kept).
std::vector<std::size_t> MainCoordinates(const Shapefile& input) {
  std::vector<std::size_t> offsets = {36, 44, 52, 60};
  for (std::size_t r = 0; r < input.Records.size(); ++r) {
    const RecordContent& record = input.Records[r];
    const std::size_t start = input.RecordStarts[r];
    if (record.BoxOffset) {
      for (std::size_t corner = 0; corner < 4; ++corner) offsets.push_back(start + *record.BoxOffset + 8 * corner);
    }
    for (const std::size_t point : record.PointOffsets) {
      offsets.push_back(start + point);  // X
      offsets.push_back(start + point + 8);  // Y
    }
  }
  return offsets;
}

const std::vector<std::size_t> kIndexCoordinates = {36, 44, 52, 60};  // the header box

// Compares every output of base.shp in the two folders; adds to `total`.
void CompareOutputs(const TempFolder& here, const TempFolder& windows, const std::string& base,
                    const Shapefile& input, double tolerance, Differences& total) {
  const std::string stem = base + "_1";
  for (const auto& [extension, coordinates] :
       {std::pair{".shp", MainCoordinates(input)}, std::pair{".shx", kIndexCoordinates},
        std::pair{".dbf", std::vector<std::size_t>{}}, std::pair{".prj", std::vector<std::size_t>{}}}) {
    SCOPED_TRACE(stem + extension);
    ASSERT_TRUE(fs::exists(windows / (stem + extension)));
    const Differences found = Compare(ReadFileBytes(here / (stem + extension)),
                                      ReadFileBytes(windows / (stem + extension)), coordinates, tolerance);
    EXPECT_EQ(found.Problem, "");
    total.Add(found);
  }
}

// ---- golden outputs ------------------------------------------------------------------------

TEST(WindowsBuild, GoldenOutputsMatchThisBuildsWithinTheTolerances) {
  Differences metres;
  Differences degrees;
  for (TransformMode mode = 0; mode < kModeCount; ++mode) {
    for (int region = 0; region < kRegionCount; ++region) {
      SCOPED_TRACE("mode " + std::to_string(mode + 1) + " region " + std::to_string(region + 1));
      const Shapefile input = GoldenInput(mode);
      TempFolder here;
      TempFolder windows;
      WriteShapefile(here, "golden", input);
      WriteShapefile(windows, "golden", input);
      ConvertHere(here, "golden", mode, region);
      // The inputs reach past the region's own zone on purpose: --force. Not quiet, so that a
      // failure shows the summary and its reason.
      const ExeResult run = RunExe({"convert", "--mode", std::to_string(mode + 1), "--region",
                                    std::to_string(region + 1), "--force",
                                    WindowsPath(windows / "golden.shp")});
      ASSERT_EQ(run.Status, 0) << run.Err;
      Differences found;
      CompareOutputs(here, windows, "golden", input, ToleranceOf(mode), found);
      (ToleranceOf(mode) == kDegreeTolerance ? degrees : metres).Add(found);
      if (found.Differing > 0) {
        std::cout << "mode " << mode + 1 << " region " << region + 1 << ": " << found.Differing << " of "
                  << found.Coordinates << " coordinates differ, by up to " << found.Largest << '\n';
      }
    }
  }
  std::cout << "coordinates that differ from this build's: " << metres.Differing << " of " << metres.Coordinates
            << " in metres (up to " << metres.Largest << " m), " << degrees.Differing << " of "
            << degrees.Coordinates << " in degrees (up to " << degrees.Largest << " deg)\n";
  RecordProperty("DifferingCoordinates", static_cast<int>(metres.Differing + degrees.Differing));
}

// ---- the commands ----------------------------------------------------------------------

// A few TWD67 longitudes and latitudes, what mode 2 (to TM2) reads.
const std::vector<XY> kDegrees = {{121.0, 24.0}, {121.5, 23.25}, {120.25, 22.75}};

Shapefile PointFile(const std::vector<XY>& points) {
  std::vector<RecordContent> records;
  for (const XY& point : points) records.push_back(PointRecord(ShapeType::Point, point));
  return BuildShapefile(ShapeType::Point, records);
}

// A folder with a Chinese name (and a space) inside a temporary one.
class ChineseFolder {
 public:
  explicit ChineseFolder(const std::string& name = "臺北 道路") : path_(outer_.Path() + "/" + name) {
    fs::create_directories(path_);
  }
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  TempFolder outer_;
  std::string path_;
};

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(WindowsBuild, ConvertsChineseNamesGivenWithEitherSeparator) {
  const Shapefile input = PointFile(kDegrees);
  // Wine gives the program the Western code page (1252), which has no Chinese: the names only
  // get through the wide-character API. (Wine's Taiwan code page, 950, would need a Linux
  // locale for Taiwan to read the names on the disk.)
  struct Case {
    const char* Name;
    bool Backslashes;
    bool FolderOperand;
  };
  for (const Case& c : {Case{"a file, backslashes", true, false}, Case{"a folder, slashes", false, true},
                        Case{"a file, slashes", false, false}}) {
    SCOPED_TRACE(c.Name);
    ChineseFolder chinese;
    const std::string& folder = chinese.Path();
    // A table that does not name its file: the outputs under both names are compared whole.
    WriteShapefile(folder + "/道路", input, Table::Numbered);
    const std::string operand = c.FolderOperand ? folder : folder + "/道路.shp";
    const ExeResult run = RunExe({"convert", "--mode", "2", "--region", "1",
                                  c.Backslashes ? WindowsPath(operand) : "Z:" + operand});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Err.find("1 file converted"), std::string::npos) << run.Err;
    // The outputs and nothing else: no temporaries left.
    EXPECT_EQ(NamesIn(folder), (std::vector<std::string>{"道路.dbf", "道路.shp", "道路.shx", "道路_1.dbf", "道路_1.prj",
                                                 "道路_1.shp", "道路_1.shx"}));
    TempFolder here;
    WriteShapefile(here / "roads", input, Table::Numbered);
    ConvertHere(here, "roads", 1, 0);
    for (const char* extension : {".shp", ".shx", ".dbf", ".prj"}) {
      SCOPED_TRACE(extension);
      const Differences found =
          Compare(ReadFileBytes(here / (std::string("roads_1") + extension)),
                  ReadFileBytes(folder + "/道路_1" + extension),
                  std::string(extension) == ".shp" ? MainCoordinates(input)
                  : std::string(extension) == ".shx" ? kIndexCoordinates
                                                     : std::vector<std::size_t>{},
                  kMetreTolerance);
      EXPECT_EQ(found.Problem, "");
    }
  }
}

TEST(WindowsBuild, MessagesNameChinesePathsInUtf8) {
  ChineseFolder folder;
  WriteShapefile(folder.Path() + "/河川", PointFile(kDegrees));
  fs::remove(folder / "河川.shx");
  const std::string path = WindowsPath(folder / "河川.shp");
  const ExeResult run = RunExe({"convert", "--mode", "2", "--region", "1", path});
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Err.find("morvane-cli: failed: " + WindowsPath(folder / "河川.shx") + " Not found\n"),
            std::string::npos)
      << run.Err;
  EXPECT_EQ(NamesIn(folder.Path()), (std::vector<std::string>{"河川.dbf", "河川.shp"}));
}

TEST(WindowsBuild, SecondRunSkipsUnlessToldToReplace) {
  ChineseFolder folder;
  WriteShapefile(folder.Path() + "/道路", PointFile(kDegrees));
  const std::vector<std::string> base = {"convert", "--mode", "2", "--region", "1", WindowsPath(folder / "道路.shp")};
  ASSERT_EQ(RunExe(base).Status, 0);
  const Bytes first = ReadFileBytes(folder / "道路_1.shp");
  const ExeResult again = RunExe(base);
  EXPECT_EQ(again.Status, 1);
  EXPECT_NE(again.Err.find("already exists (--overwrite replaces it)"), std::string::npos) << again.Err;
  std::vector<std::string> overwrite = base;
  overwrite.push_back("--overwrite");
  const ExeResult replaced = RunExe(overwrite);
  EXPECT_EQ(replaced.Status, 0) << replaced.Err;  // moved over the old outputs
  EXPECT_EQ(ReadFileBytes(folder / "道路_1.shp"), first);
  EXPECT_EQ(NamesIn(folder.Path()).size(), 7u);
}

TEST(WindowsBuild, CheckTellsAPlausibleFileFromAnImplausibleOne) {
  ChineseFolder folder;
  WriteShapefile(folder.Path() + "/經緯度", PointFile(kDegrees));
  WriteShapefile(folder.Path() + "/公尺", PointFile({{250000, 2650000}, {260000, 2660000}}));
  const ExeResult plausible = RunExe({"check", "--mode", "2", "--region", "1", WindowsPath(folder / "經緯度.shp")});
  EXPECT_EQ(plausible.Status, 0);
  EXPECT_EQ(plausible.Out, WindowsPath(folder / "經緯度.shp") + ": plausible\n");
  const ExeResult implausible = RunExe({"check", "--mode", "2", "--region", "1", WindowsPath(folder / "公尺.shp")});
  EXPECT_EQ(implausible.Status, 1);
  EXPECT_EQ(implausible.Out.rfind(WindowsPath(folder / "公尺.shp") + ": implausible: ", 0), 0u) << implausible.Out;
}

// The numbers of one "X Y" output line.
XY ParsePair(const std::string& line) {
  std::istringstream in(line);
  XY pair{};
  in >> pair.X >> pair.Y;
  return pair;
}

XY EngineConvert(TransformMode mode, int region, XY in) {
  FailOnMessageFeedback feedback;
  EngineState engine(feedback);
  ApplyTransformSettings(engine, mode, region);
  XY out{};
  ConvertPoint(engine, mode, in.X, in.Y, out.X, out.Y);
  return out;
}

TEST(WindowsBuild, PointConvertsArgumentsAndStandardInput) {
  struct Case {
    const char* Name;
    std::vector<std::string> Args;  // after --mode 2 --region 1
    std::string Input;
    int Status;
    std::vector<XY> Converted;     // the pairs of the output lines, in order
    std::string Err;
  };
  const Case cases[] = {
      {"arguments", {"121", "24"}, "", 0, {{121, 24}}, ""},
      {"lines ending in CR LF", {}, "121 24\r\n120.25,22.75\r\n", 0, {{121, 24}, {120.25, 22.75}}, ""},
      {"a bad line among good ones", {}, "121 24\nnorth\n121.5 23.25\n", 1, {{121, 24}, {121.5, 23.25}},
       "morvane-cli: line 2: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<std::string> args = {"point", "--mode", "2", "--region", "1"};
    args.insert(args.end(), c.Args.begin(), c.Args.end());
    const ExeResult run = RunExe(args, c.Input);
    EXPECT_EQ(run.Status, c.Status);
    EXPECT_EQ(run.Err.rfind(c.Err, 0), 0u) << run.Err;
    std::istringstream lines(run.Out);
    std::string line;
    for (const XY& in : c.Converted) {
      ASSERT_TRUE(std::getline(lines, line));
      const XY expected = EngineConvert(1, 0, in);
      const XY found = ParsePair(line);
      EXPECT_NEAR(found.X, expected.X, kMetreTolerance) << line;
      EXPECT_NEAR(found.Y, expected.Y, kMetreTolerance) << line;
    }
    EXPECT_FALSE(std::getline(lines, line)) << line;
  }
}

TEST(WindowsBuild, ExitStatusesAndUsageMessages) {
  struct Case {
    std::vector<std::string> Args;
    int Status;
    std::string Start;  // of standard error, or of standard output when the status is 0
  };
  const Case cases[] = {
      {{}, 2, "morvane-cli: no command given\nusage: "},
      {{"turn"}, 2, "morvane-cli: unknown command 'turn'\n"},
      {{"convert", "--region", "1", "x.shp"}, 2, "morvane-cli: "},
      {{"point", "--mode", "17", "--region", "1", "1", "2"}, 2, "morvane-cli: "},
      {{"--version"}, 0, "morvane-cli " MORVANE_VERSION "\n"},
      {{"modes"}, 0, ""},
      {{"convert", "--mode", "2", "--region", "1", "Z:\\nowhere\\無此檔.shp"}, 1, "morvane-cli: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.Args));
    const ExeResult run = RunExe(c.Args);
    EXPECT_EQ(run.Status, c.Status);
    const std::string& shown = c.Status == 0 ? run.Out : run.Err;
    EXPECT_EQ(shown.rfind(c.Start, 0), 0u) << shown;
  }
}

// A tmpfs mounted on a fresh folder, then made read-only; Mounted() is false where the test
// may not mount. Permissions would not do: the tests run as root in CI, and Wine with them.
class ReadOnlyFolder {
 public:
  ReadOnlyFolder() : path_(outer_.Path() + "/唯讀") {
    fs::create_directories(path_);
    mounted_ = ::mount("tmpfs", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=1m") == 0;
  }
  ~ReadOnlyFolder() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
  bool Mounted() const { return mounted_; }
  bool MakeReadOnly() {
    return ::mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, "size=1m") == 0;
  }
  const std::string& Path() const { return path_; }

 private:
  TempFolder outer_;
  std::string path_;
  bool mounted_ = false;
};

TEST(WindowsBuild, ReadOnlyOutputFolderFailsWithTheSystemsReasonAndWritesNothing) {
  ReadOnlyFolder folder;
  if (!folder.Mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
  WriteShapefile(folder.Path() + "/道路", PointFile(kDegrees));
  ASSERT_TRUE(folder.MakeReadOnly());
  const std::string output = WindowsPath(folder.Path() + "/道路_1.shp");
  const ExeResult run = RunExe({"convert", "--mode", "2", "--region", "1", WindowsPath(folder.Path())});
  EXPECT_EQ(run.Status, 1);
  const std::string expected = "morvane-cli: failed: Cannot create file " + output + ": ";
  const std::size_t at = run.Err.find(expected);
  ASSERT_NE(at, std::string::npos) << run.Err;
  // A reason in words follows.
  EXPECT_GT(run.Err.find('\n', at) - at, expected.size() + 3) << run.Err;
  EXPECT_EQ(NamesIn(folder.Path()), (std::vector<std::string>{"道路.dbf", "道路.shp", "道路.shx"}));
}

// A Polygon file of 600 rings of 6000 points, about 58 MB: under Wine the run is still
// writing it seconds after its temporary appears.
Shapefile BigFile() {
  std::vector<RecordContent> records;
  for (int r = 0; r < 600; ++r) {
    std::vector<XY> ring;
    for (int i = 0; i < 6000; ++i) ring.push_back({120.0 + 1e-4 * (i % 17000) + 1e-3 * (r % 100), 22.0 + 4e-4 * i});
    records.push_back(PartsRecord(ShapeType::Polygon, {0}, ring));
  }
  return BuildShapefile(ShapeType::Polygon, records);
}

bool HasTemporary(const TempFolder& folder) {
  const std::vector<std::string> names = folder.Names();
  return std::any_of(names.begin(), names.end(), [](const std::string& name) { return IsTemporaryOutputName(name); });
}

TEST(WindowsBuild, CtrlCRemovesTheTemporariesAndEndsWithTheStatusOfAnInterruption) {
  TempFolder folder;
  WriteShapefile(folder, "big", BigFile());
  const std::vector<std::string> inputs = folder.Names();
  ExeRun run({"convert", "--mode", "2", "--region", "1", "--threads", "1", "--quiet", WindowsPath(folder / "big.shp")});
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!HasTemporary(folder) && std::chrono::steady_clock::now() < giveUp) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(HasTemporary(folder));
  ::kill(run.Pid(), SIGINT);
  const ExeResult result = run.Wait();
  // STATUS_CONTROL_C_EXIT, of which Wine passes on the low byte.
  EXPECT_EQ(result.Status, 0xC000013A & 0xFF) << result.Err;
  EXPECT_EQ(folder.Names(), inputs);
}

// ---- the zip ---------------------------------------------------------------------------------

TEST(WindowsBuild, ZipRunsFromAFolderWithAChineseName) {
  ChineseFolder folder("莫凡 工具");
  const ProcessResult unzip = RunProcess({"cmake", "-E", "tar", "xf", MORVANE_WINDOWS_ZIP}, "", {}, folder.Path());
  ASSERT_EQ(unzip.Status, 0);
  const std::string top = folder / ("morvane-cli-" MORVANE_VERSION "-windows-x64");
  EXPECT_EQ(NamesIn(top), (std::vector<std::string>{"LICENSE.txt", "README.txt", "licenses", "morvane-cli.exe"}));
  EXPECT_EQ(NamesIn(top + "/licenses"), (std::vector<std::string>{"gcc-runtime.txt", "mingw-w64-runtime.txt"}));

  // Started from its own folder, as a double click or "cd" there would start it.
  WriteShapefile(top + "/道路", PointFile(kDegrees));
  const ExeResult run = RunExe({"convert", "--mode", "2", "--region", "1", "道路.shp"}, "", top + "/morvane-cli.exe", top);
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_TRUE(fs::exists(top + "/道路_1.shp"));
  const ExeResult version = RunExe({"--version"}, "", top + "/morvane-cli.exe", top);
  EXPECT_EQ(version.Out, "morvane-cli " MORVANE_VERSION "\n");
}

}  // namespace
}  // namespace morvane::test
