// Spawns morvane-cli on small generated shapefiles and on coordinate text, and checks exit
// statuses, messages and outputs. Converted coordinates are compared with the engine itself.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "engine/builtin_transforms.hpp"
#include "engine/conversion.hpp"
#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "engine/plane_model_file.hpp"
#include "engine/plane_transform.hpp"
#include "support/child_process.hpp"
#include "support/fail_on_message.hpp"
#include "support/file_bytes.hpp"
#include "support/shapefile_writer.hpp"

namespace morvane {
namespace {

namespace fs = std::filesystem;

using test::FailOnMessage;
using test::PointShapefile;
using test::ProcessResult;
using test::ReadFileText;
using test::ReadPoints;
using test::RunProcess;
using test::TempFolder;
using test::WriteFileText;
using test::WriteShapefile;

// ---- running the program --------------------------------------------------------------

// Runs morvane-cli with `args`, `input` on stdin, stdout and stderr captured.
ProcessResult RunCli(const std::vector<std::string>& args, const std::string& input = "") {
  std::vector<std::string> argv{MORVANE_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProcess(argv, input);
}

// Runs morvane-cli with its stdout and stderr on a pseudo-terminal; returns what it showed.
std::string RunCliOnTerminal(const std::vector<std::string>& args) {
  std::vector<char*> argv{const_cast<char*>(MORVANE_CLI_PATH)};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  int terminal = -1;
  const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (pid < 0) throw std::runtime_error("forkpty failed");
  if (pid == 0) {
    execv(MORVANE_CLI_PATH, argv.data());
    _exit(127);
  }
  std::string shown;
  char buffer[4096];
  for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) > 0;) shown.append(buffer, n);
  close(terminal);
  waitpid(pid, nullptr, 0);
  return shown;
}

// ---- small shapefiles -----------------------------------------------------------------

using Point = test::XY;

std::vector<Point> SamplePoints(int count, double lon, double lat) {
  std::vector<Point> points;
  // Small steps, so that even thousands of points stay where the mode's source lies.
  for (int i = 0; i < count; ++i) points.push_back({lon + 0.0001 * i, lat + 0.00007 * i});
  return points;
}

// ---- the engine as oracle -------------------------------------------------------------

// modeNumber and regionNumber as the command line takes them (1-based).
Point EngineConvert(int modeNumber, int regionNumber, Point in) {
  FailOnMessage messages;
  EngineState engine(messages);
  const TransformMode mode = *ModeOfNumber(static_cast<unsigned>(modeNumber));
  ApplyTransformSettings(engine, mode, regionNumber - 1);
  Point out{};
  ConvertPoint(engine, mode, in.X, in.Y, out.X, out.Y);
  return out;
}

bool Exists(const fs::path& path) { return fs::exists(path); }

std::vector<std::string> OutputNames(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.find("_1.") != std::string::npos) names.push_back(name);
  }
  return names;
}

// The summary line, "morvane-cli: <counts>, <n> vertices, <s.ss> seconds", split into the
// counts and the vertex figure; empty if `text` is not exactly that line.
std::pair<std::string, std::string> ParseSummary(const std::string& text) {
  const std::string prefix = "morvane-cli: ";
  const std::size_t vertices = text.rfind(" vertices, ");
  const std::size_t comma = text.rfind(", ", vertices);
  const bool shaped = text.rfind(prefix, 0) == 0 && vertices != std::string::npos &&
                      comma != std::string::npos && comma >= prefix.size() &&
                      text.find('\n') == text.size() - 1 && text.ends_with(" seconds\n");
  if (!shaped) return {};
  return {text.substr(prefix.size(), comma - prefix.size()),
          text.substr(comma + 2, vertices - comma - 2)};
}

// ---- convert ----------------------------------------------------------------------------

TEST(ConvertCommand, ConvertsEveryShapefileOfAFolder) {
  // Mode 2 (TWD67 geographic to TM2) in region 2 (central meridian 119): a mode or region
  // number taken off by one would give other coordinates.
  TempFolder dir;
  const std::vector<std::vector<Point>> inputs = {
      SamplePoints(1, 119.4, 23.5), SamplePoints(3, 119.5, 23.6), SamplePoints(5, 119.6, 23.4)};
  const std::vector<std::string> names = {"alpha", "beta", "gamma"};
  for (std::size_t i = 0; i < names.size(); ++i)
    WriteShapefile(dir, names[i], PointShapefile(inputs[i]));
  const std::string inputBytes = ReadFileText(dir / "beta.shp");

  const ProcessResult result = RunCli({"convert", "--mode", "2", "--region", "2", dir.Path()});

  EXPECT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(result.Out, "");
  const std::pair<std::string, std::string> expectedSummary{"3 files converted", "9"};
  EXPECT_EQ(ParseSummary(result.Err), expectedSummary) << result.Err;
  for (std::size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(names[i]);
    const std::vector<Point> converted = ReadPoints(dir / (names[i] + "_1.shp"));
    ASSERT_EQ(converted.size(), inputs[i].size());
    for (std::size_t k = 0; k < converted.size(); ++k) {
      const Point expected = EngineConvert(2, 2, inputs[i][k]);
      EXPECT_EQ(converted[k].X, expected.X);
      EXPECT_EQ(converted[k].Y, expected.Y);
    }
    EXPECT_EQ(ReadFileText(dir / (names[i] + "_1.dbf")), "attributes of " + names[i]);
  }
  EXPECT_EQ(ReadFileText(dir / "beta.shp"), inputBytes);

  // A .shp operand converts that file alone, with --quiet leaving stderr empty.
  // Its earlier outputs are replaced with --overwrite.
  fs::remove(dir / "gamma_1.shp");
  const ProcessResult single =
      RunCli({"convert", "--mode=2", "--region=2", "--quiet", "--overwrite", dir / "gamma.shp"});
  EXPECT_EQ(single.Status, 0) << single.Err;
  EXPECT_EQ(single.Err, "");
  EXPECT_TRUE(Exists(dir / "gamma_1.shp"));
}

// A second conversion of a folder neither converts its outputs again nor replaces them
// without --overwrite; an output named on its own is converted.
TEST(ConvertCommand, SecondRunLeavesEarlierOutputsAloneUnlessTold) {
  TempFolder dir;
  WriteShapefile(dir, "roads", PointShapefile(SamplePoints(3, 121.0, 24.0)));
  const std::vector<std::string> base = {"convert", "--mode", "2", "--region", "1", dir.Path()};
  ASSERT_EQ(RunCli(base).Status, 0);
  const std::string first = ReadFileText(dir / "roads_1.shp");

  const ProcessResult again = RunCli(base);
  EXPECT_EQ(again.Status, 1);
  EXPECT_NE(again.Err.find("morvane-cli: skipped: " + (dir / "roads.shp") + ": " +
                           (dir / "roads_1.shp") + " already exists (--overwrite replaces it)\n"),
            std::string::npos)
      << again.Err;
  EXPECT_NE(again.Err.find("left out: " + (dir / "roads_1.shp")), std::string::npos) << again.Err;
  EXPECT_FALSE(Exists(dir / "roads_1_1.shp"));
  EXPECT_EQ(ReadFileText(dir / "roads_1.shp"), first);

  std::vector<std::string> overwrite = base;
  overwrite.push_back("--overwrite");
  const ProcessResult replaced = RunCli(overwrite);
  EXPECT_EQ(replaced.Status, 0) << replaced.Err;
  EXPECT_FALSE(Exists(dir / "roads_1_1.shp"));
  EXPECT_EQ(ReadFileText(dir / "roads_1.shp"), first);  // the same conversion again

  // Back from the grid: the output's own coordinates are what mode 1 takes.
  const ProcessResult named = RunCli({"convert", "--mode", "1", "--region", "1", dir / "roads_1.shp"});
  EXPECT_EQ(named.Status, 0) << named.Err;
  EXPECT_TRUE(Exists(dir / "roads_1_1.shp"));
}

struct FailureCase {
  const char* Name;
  bool KeepGoing;
  std::vector<std::string> Converted;
  std::vector<std::string> Messages;  // in order
  std::string Counts;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.Name; }

class ConvertFailures : public testing::TestWithParam<FailureCase> {};

// ok1, no_dbf (lacks its table), no_shx (lacks its index), ok2, named in that order.
TEST_P(ConvertFailures, MissingCompanions) {
  const FailureCase& c = GetParam();
  TempFolder dir;
  for (const char* name : {"ok1", "no_dbf", "no_shx", "ok2"}) {
    WriteShapefile(dir, name, PointShapefile(SamplePoints(2, 121.0, 24.0)));
  }
  fs::remove(dir / "no_dbf.dbf");
  fs::remove(dir / "no_shx.shx");
  std::vector<std::string> args = {"convert", "--mode", "2", "--region", "1"};
  if (c.KeepGoing) args.push_back("--keep-going");
  for (const char* name : {"ok1", "no_dbf", "no_shx", "ok2"}) {
    args.push_back(dir / (std::string(name) + ".shp"));
  }

  const ProcessResult result = RunCli(args);

  EXPECT_EQ(result.Status, 1);
  std::string expected;
  for (const std::string& file : c.Messages) {
    expected += "morvane-cli: " + (dir / file) + " Not found\n";
  }
  ASSERT_GE(result.Err.size(), expected.size());
  EXPECT_EQ(result.Err.substr(0, expected.size()), expected);
  // The summary, then each failure with its reason.
  const std::string after = result.Err.substr(expected.size());
  const std::size_t summaryEnd = after.find('\n') + 1;
  EXPECT_EQ(ParseSummary(after.substr(0, summaryEnd)).first, c.Counts) << result.Err;
  std::string failures;
  for (const std::string& file : c.Messages) {
    failures += "morvane-cli: failed: " + (dir / file) + " Not found\n";
  }
  EXPECT_EQ(after.substr(summaryEnd), failures);

  for (const char* name : {"ok1", "no_dbf", "no_shx", "ok2"}) {
    const bool wanted =
        std::find(c.Converted.begin(), c.Converted.end(), name) != c.Converted.end();
    for (const char* extension : {"_1.shp", "_1.shx", "_1.dbf"}) {
      EXPECT_EQ(Exists(dir / (name + std::string(extension))), wanted) << name << extension;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConvertFailures,
    testing::Values(FailureCase{"FirstFailureEndsTheRun",
                                false,
                                {"ok1"},
                                {"no_dbf.dbf"},
                                "1 of 4 files converted, 1 failed, 2 not begun"},
                    FailureCase{"KeepGoingReportsEveryFailure",
                                true,
                                {"ok1", "ok2"},
                                {"no_dbf.dbf", "no_shx.shx"},
                                "2 of 4 files converted, 2 failed"}),
    [](const testing::TestParamInfo<FailureCase>& row) { return row.param.Name; });

TEST(ConvertCommand, TextFileNamedShpIsNotAShapefileAndNothingIsWritten) {
  TempFolder dir;
  const std::string text = "name,x,y\ntaipei,121.5,25.0\nkaohsiung,120.3,22.6\n" + std::string(200, '0') + "\n";
  WriteFileText(dir / "towns.shp", text);
  WriteFileText(dir / "towns.shx", text);
  WriteFileText(dir / "towns.dbf", "attributes");

  const ProcessResult result =
      RunCli({"convert", "--mode", "2", "--region", "1", "--quiet", dir / "towns.shp"});

  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Err.rfind("morvane-cli: File " + (dir / "towns.shp") + " is not a shapefile\n", 0), 0u)
      << result.Err;
  EXPECT_EQ(result.Err.find("damaged"), std::string::npos) << result.Err;
  EXPECT_TRUE(OutputNames(dir.Path()).empty());
  EXPECT_EQ(ReadFileText(dir / "towns.shp"), text);
}

TEST(ConvertCommand, EngineErrorNamesTheFileAndEndsTheRun) {
  // Mode 9 (TWD67 to TWD97 geographic) compares the longitude, so a NaN is an invalid
  // operation. The input check refuses the NaN: --force lets it reach the engine.
  TempFolder dir;
  WriteShapefile(dir, "broken", PointShapefile({{121.0, 24.0}, {std::nan(""), 24.0}}));
  WriteShapefile(dir, "after", PointShapefile(SamplePoints(2, 121.0, 24.0)));

  const ProcessResult result = RunCli({"convert", "--mode", "9", "--region", "1", "--quiet", "--force",
                                   (dir / "broken.shp"), dir / "after.shp"});

  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Err, "morvane-cli: " + (dir / "broken.shp") +
                            ": Invalid floating point operation\n");
  EXPECT_FALSE(Exists(dir / "after_1.shp"));
}

std::map<std::string, std::string> FolderContents(const fs::path& folder) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : fs::directory_iterator(folder)) {
    contents[entry.path().filename().string()] = ReadFileText(entry.path());
  }
  return contents;
}

TEST(ConvertCommand, ParallelJobsWriteWhatASerialRunWrites) {
  // chain_1.shp is the output of chain.shp, and upper.SHP shares its outputs with upper.shp:
  // each pair must run in the order given, as in a serial run, while the sheets run side by
  // side.
  const std::vector<std::string> order = {"chain.shp",  "chain_1.shp", "upper.SHP",  "upper.shp",
                                          "sheet0.shp", "sheet1.shp",  "sheet2.shp", "sheet3.shp",
                                          "sheet4.shp", "sheet5.shp"};
  TempFolder serial;
  TempFolder parallel;
  for (const TempFolder* dir : {&serial, &parallel}) {
    for (int i = 0; i < 6; ++i) {
      WriteShapefile(*dir, "sheet" + std::to_string(i), PointShapefile(SamplePoints(400 * (i + 1), 120.5 + 0.1 * i, 22.5 + 0.2 * i)));
    }
    WriteShapefile(*dir, "upper", PointShapefile(SamplePoints(300, 121.0, 23.0)));
    WriteShapefile(*dir, "UPPER", PointShapefile(SamplePoints(200, 120.0, 22.0)));
    fs::rename(*dir / "UPPER.shp", *dir / "upper.SHP");
    fs::remove(*dir / "UPPER.shx");
    fs::remove(*dir / "UPPER.dbf");
    WriteShapefile(*dir, "chain", PointShapefile(SamplePoints(3000, 121.2, 24.2)));
  }
  auto arguments = [&order](const TempFolder& dir, const std::vector<std::string>& options) {
    std::vector<std::string> args = {"convert", "--mode", "2", "--region", "1", "--quiet"};
    args.insert(args.end(), options.begin(), options.end());
    for (const std::string& name : order) args.push_back(dir / name);
    return args;
  };

  const ProcessResult one = RunCli(arguments(serial, {}));
  const ProcessResult two = RunCli(arguments(parallel, {"--jobs", "2"}));

  EXPECT_EQ(one.Status, 0) << one.Err;
  EXPECT_EQ(two.Status, 0) << two.Err;
  const auto serialFiles = FolderContents(serial.Path());
  const auto parallelFiles = FolderContents(parallel.Path());
  EXPECT_TRUE(serialFiles.count("chain_1_1.shp"));
  ASSERT_EQ(serialFiles.size(), parallelFiles.size());
  for (const auto& [name, bytes] : serialFiles) {
    ASSERT_TRUE(parallelFiles.count(name)) << name;
    EXPECT_TRUE(parallelFiles.at(name) == bytes) << name << " differs";
  }
}

TEST(ConvertCommand, ProgressOnlyOnATerminalAndNotWhenQuiet) {
  TempFolder dir;
  WriteShapefile(dir, "a", PointShapefile(SamplePoints(50, 121.0, 24.0)));
  WriteShapefile(dir, "b", PointShapefile(SamplePoints(50, 121.1, 24.1)));
  const std::vector<std::string> base = {"convert",  "--mode", "2",
                                         "--region", "1",      dir.Path()};

  const std::string shown = RunCliOnTerminal(base);
  EXPECT_NE(shown.find("\r\033[Kmorvane-cli: 50% (1 of 2 files)"), std::string::npos) << shown;
  EXPECT_NE(shown.find("2 files converted, 100 vertices"), std::string::npos) << shown;

  std::vector<std::string> quiet = base;
  quiet.push_back("--quiet");
  quiet.push_back("--overwrite");
  EXPECT_EQ(RunCliOnTerminal(quiet), "");
}

TEST(ConvertCommand, ProgressLineIsErasedBeforeTheSummaryAndNotDrawnAgain) {
  TempFolder dir;
  WriteShapefile(dir, "a", PointShapefile(SamplePoints(50, 121.0, 24.0)));
  WriteShapefile(dir, "b", PointShapefile(SamplePoints(50, 121.1, 24.1)));
  const std::string shown = RunCliOnTerminal({"convert", "--mode", "2", "--region", "1", dir.Path()});

  // The terminal turns the summary's newline into a carriage return and a line feed.
  const std::size_t summary = shown.rfind("\r\033[Kmorvane-cli: 2 files converted, ");
  ASSERT_NE(summary, std::string::npos) << shown;
  const std::string last = shown.substr(summary + 3);
  EXPECT_TRUE(last.ends_with(" seconds\r\n")) << "after the summary: " << last;
  EXPECT_EQ(last.find('\r'), last.size() - 2) << "drawn again after the summary: " << last;
}

// ---- check --------------------------------------------------------------------------------

const std::string kTwd97TmTaiwanPrj =
    R"(PROJCS["TWD_1997_TM_Taiwan",GEOGCS["GCS_TWD_1997",DATUM["D_TWD_1997",SPHEROID["GRS_1980",6378137.0,298.257222101]],PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]],PROJECTION["Transverse_Mercator"],PARAMETER["False_Easting",250000.0],PARAMETER["False_Northing",0.0],PARAMETER["Central_Meridian",121.0],PARAMETER["Scale_Factor",0.9999],PARAMETER["Latitude_Of_Origin",0.0],UNIT["Meter",1.0]])";

// Three inputs for a mode that reads TWD67 TM2 metres (11): one in TM2, one in degrees, and one
// in TM2 whose .prj says TWD97.
void WriteCheckInputs(const TempFolder& dir) {
  WriteShapefile(dir, "grid", PointShapefile({{250000, 2650000}, {300000, 2700000}}));
  WriteShapefile(dir, "degrees", PointShapefile(SamplePoints(3, 121.0, 24.0)));
  WriteShapefile(dir, "twd97", PointShapefile({{250000, 2650000}}));
  WriteFileText(dir / "twd97.prj", kTwd97TmTaiwanPrj);
}

TEST(CheckCommand, PrintsAVerdictPerFileAndWritesNothing) {
  TempFolder dir;
  WriteCheckInputs(dir);
  const auto before = FolderContents(dir.Path());

  const ProcessResult all = RunCli({"check", "--mode", "11", "--region", "1", dir / "grid.shp",
                                (dir / "degrees.shp"), dir / "twd97.shp"});

  EXPECT_EQ(all.Status, 1);
  EXPECT_EQ(all.Err, "");
  std::istringstream lines(all.Out);
  std::string line;
  ASSERT_TRUE(std::getline(lines, line));
  EXPECT_EQ(line, (dir / "grid.shp") + ": plausible");
  ASSERT_TRUE(std::getline(lines, line));
  EXPECT_EQ(line.rfind((dir / "degrees.shp") + ": implausible: its coordinates (x 121 to 121.0002, y 24 to 24.0001)", 0), 0u) << line;
  EXPECT_TRUE(line.ends_with("they look like longitude and latitude in degrees")) << line;
  ASSERT_TRUE(std::getline(lines, line));
  EXPECT_EQ(line, (dir / "twd97.shp") +
                      ": mismatch: its .prj names the TWD97 TM2 grid (central meridian 121°E), but mode 11 "
                      "converts from the TWD67 TM2 grid (central meridian 121°E); modes that fit its .prj: 12, 13");
  EXPECT_FALSE(std::getline(lines, line));
  EXPECT_EQ(FolderContents(dir.Path()), before);

  // Every file plausible: exit 0; the fitting modes are listed also then.
  const ProcessResult fitting = RunCli({"check", "--mode", "12", "--region", "1", dir / "twd97.shp"});
  EXPECT_EQ(fitting.Status, 0);
  EXPECT_EQ(fitting.Out, (dir / "twd97.shp") + ": plausible; modes that fit its .prj: 12, 13\n");
  // A folder stands for its shapefiles; a file that cannot be read is not plausible.
  WriteFileText(dir / "broken.shp", "short");
  const ProcessResult folder = RunCli({"check", "--mode", "2", "--region", "1", dir.Path()});
  EXPECT_EQ(folder.Status, 1);
  EXPECT_NE(folder.Out.find((dir / "degrees.shp") + ": plausible\n"), std::string::npos) << folder.Out;
  EXPECT_NE(folder.Out.find((dir / "broken.shp") + ": unreadable: File " + (dir / "broken.shp") +
                           " is damaged: its header is shorter than 100 bytes\n"),
            std::string::npos)
      << folder.Out;
  const ProcessResult usage = RunCli({"check", "--mode", "2", dir.Path()});
  EXPECT_EQ(usage.Status, 2);
}

// What convert fails on, check calls unreadable, with the words convert uses: a renamed text
// file is not a shapefile, whatever companions it lacks.
TEST(CheckCommand, SaysWhatConvertWillFailOn) {
  struct Case {
    const char* Name;
    void (*Spoil)(const TempFolder& dir);
  };
  const std::vector<Case> cases = {
      {"NoDbf", [](const TempFolder& d) { fs::remove(d / "in.dbf"); }},
      {"NoShx", [](const TempFolder& d) { fs::remove(d / "in.shx"); }},
      {"RenamedTextFile",
       [](const TempFolder& d) {
         WriteFileText(d / "in.shp", "name,x,y\ntaipei,121.5,25.0\n" + std::string(200, '0') + "\n");
         fs::remove(d / "in.shx");
         fs::remove(d / "in.dbf");
       }},
      {"Truncated", [](const TempFolder& d) { fs::resize_file(d / "in.shp", fs::file_size(d / "in.shp") - 5); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder dir;
    WriteShapefile(dir, "in", PointShapefile(SamplePoints(3, 121.0, 24.0)));
    c.Spoil(dir);
    const std::string path = (dir / "in.shp");
    const ProcessResult check = RunCli({"check", "--mode", "2", "--region", "1", path});
    const ProcessResult convert = RunCli({"convert", "--mode", "2", "--region", "1", "--quiet", path});
    EXPECT_EQ(check.Status, 1);
    EXPECT_EQ(convert.Status, 1);
    const std::string said = path + ": unreadable: ";
    ASSERT_EQ(check.Out.rfind(said, 0), 0u) << check.Out;
    const std::string reason = check.Out.substr(said.size(), check.Out.size() - said.size() - 1);
    EXPECT_EQ(convert.Err.rfind("morvane-cli: " + reason + "\n", 0), 0u) << convert.Err << " / " << reason;
    if (std::string(c.Name) == "RenamedTextFile") {
      EXPECT_EQ(reason, "File " + path + " is not a shapefile");
    }
  }
}

TEST(ConvertCommand, RefusesFilesThatDoNotLookLikeTheSourceUnlessForced) {
  // Mode 2 reads TWD67 longitude and latitude: TM2 metres are implausible, and a .prj that
  // says TWD97 is a mismatch.
  TempFolder dir;
  WriteShapefile(dir, "good", PointShapefile(SamplePoints(3, 121.0, 24.0)));
  WriteShapefile(dir, "metres", PointShapefile({{250000, 2650000}, {300000, 2700000}}));
  WriteShapefile(dir, "twd97", PointShapefile(SamplePoints(2, 121.0, 24.0)));
  WriteFileText(dir / "twd97.prj", R"(GEOGCS["GCS_TWD_1997",DATUM["D_TWD_1997",SPHEROID["GRS_1980",6378137.0,298.257222101]],PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])");
  const auto inputs = FolderContents(dir.Path());
  const std::string metres = (dir / "metres.shp");
  const std::string twd97 = (dir / "twd97.shp");
  auto args = [&](std::vector<std::string> options) {
    std::vector<std::string> all = {"convert", "--mode", "2", "--region", "1"};
    all.insert(all.end(), options.begin(), options.end());
    for (const char* name : {"metres", "good", "twd97"}) all.push_back(dir / (std::string(name) + ".shp"));
    return all;
  };

  // The first refusal ends the run before anything is written.
  const ProcessResult first = RunCli(args({"--quiet"}));
  EXPECT_EQ(first.Status, 1);
  EXPECT_EQ(first.Err.rfind("morvane-cli: " + metres + ": not converted: its coordinates (x 250000 to 300000", 0), 0u)
      << first.Err;
  EXPECT_NE(first.Err.find("they look like metres of a Transverse Mercator grid"), std::string::npos) << first.Err;
  EXPECT_EQ(OutputNames(dir.Path()), std::vector<std::string>{});

  // --keep-going: every refusal named with its reason, the others converted.
  const ProcessResult going = RunCli(args({"--quiet", "--keep-going"}));
  EXPECT_EQ(going.Status, 1);
  EXPECT_NE(going.Err.find("morvane-cli: " + metres + ": not converted: its coordinates"), std::string::npos) << going.Err;
  EXPECT_NE(going.Err.find("morvane-cli: " + twd97 + ": not converted: its .prj names the TWD97 longitude and latitude, "
                           "but mode 2 converts from the TWD67 longitude and latitude; modes that fit its .prj: 8, 10, 14"),
            std::string::npos)
      << going.Err;
  EXPECT_TRUE(Exists(dir / "good_1.shp"));
  for (const std::string& name : OutputNames(dir.Path())) EXPECT_EQ(name.rfind("good_1.", 0), 0u) << name;
  for (const auto& [name, bytes] : inputs) EXPECT_EQ(ReadFileText(dir / name), bytes) << name;

  // --force converts them all (--overwrite: good.shp's outputs are there now).
  const ProcessResult forced = RunCli(args({"--force", "--overwrite"}));
  EXPECT_EQ(forced.Status, 0) << forced.Err;
  EXPECT_EQ(ParseSummary(forced.Err).first, "3 files converted") << forced.Err;
  EXPECT_TRUE(Exists(dir / "metres_1.shp"));
  EXPECT_TRUE(Exists(dir / "twd97_1.shp"));
}

// ---- usage errors and help ------------------------------------------------------------

TEST(CommandLine, UsageErrorsExitWithTwoAndTouchNothing) {
  TempFolder dir;
  WriteShapefile(dir, "a", PointShapefile(SamplePoints(2, 121.0, 24.0)));
  const std::string folder = dir.Path();
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"convert", "--region", "1", folder},
      {"convert", "--mode", "1", folder},
      {"convert", "--mode", "0", "--region", "1", folder},
      {"convert", "--mode", "17", "--region", "1", folder},
      {"convert", "--mode", "1x", "--region", "1", folder},
      {"convert", "--mode", "-1", "--region", "1", folder},
      {"convert", "--mode", "1", "--region", "4", folder},
      {"convert", "--mode", "1", "--region", "1", "--jobs", "0", folder},
      {"convert", "--mode", "1", "--region", "1", "--jobs"},
      {"convert", "--mode", "1", "--region", "1", "--threads", "0", folder},
      {"convert", "--mode", "1", "--region", "1", "--threads", "2x", folder},
      {"convert", "--mode", "1", "--region", "1"},
      {"convert", "--mode", "1", "--region", "1", "--colour", folder},
      {"convert", "--mode=1", "--mode=2", "--region", "1", folder},
      {"convert", "--mode", "1", "--region", "1", "--quiet=yes", folder},
      {"convert", "--mode", "1", "--region", "1", folder, dir / "a.dbf"},
      {"point", "--mode", "2", "--region", "1", "121"},
      {"point", "--mode", "2", "--region", "1", "121", "north"},
      {"point", "--mode", "2", "--region", "1", "121", "nan"},
      {"point", "--region", "1", "121", "24"},
      {"modes", "extra"},
  };
  for (const auto& args : cases) {
    std::string joined;
    for (const std::string& arg : args) joined += arg + ' ';
    SCOPED_TRACE(joined);
    const ProcessResult result = RunCli(args);
    EXPECT_EQ(result.Status, 2);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err.rfind("morvane-cli: ", 0), 0u) << result.Err;
    EXPECT_NE(result.Err.find("\nusage: morvane-cli"), std::string::npos) << result.Err;
  }
  EXPECT_EQ(OutputNames(dir.Path()), std::vector<std::string>{});
}

TEST(CommandLine, HelpOnEveryCommand) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--help"}, {"convert", "--help"}, {"check", "--help"}, {"point", "-h"}, {"modes", "--help"}}) {
    SCOPED_TRACE(args.front());
    const ProcessResult result = RunCli(args);
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Out.rfind("usage: morvane-cli " + (args.size() > 1 ? args[0] : ""), 0), 0u)
        << result.Out;
    EXPECT_EQ(result.Err, "");
  }
}

TEST(CommandLine, ModesListsEveryCaptionUnderItsNumber) {
  const ProcessResult result = RunCli({"modes"});
  EXPECT_EQ(result.Status, 0);
  for (std::size_t i = 0; i < kModeCount; ++i) {
    char number[8];
    std::snprintf(number, sizeof number, "%3zu  ", i + 1);
    EXPECT_NE(result.Out.find("\n" + std::string(number) + std::string(kModeCaptions[i]) + "\n"),
              std::string::npos)
        << "mode " << i + 1;
  }
  const std::size_t regions = result.Out.find("Regions");
  ASSERT_NE(regions, std::string::npos);
  for (std::size_t i = 0; i < kRegionCount; ++i) {
    const std::string line =
        "  " + std::to_string(i + 1) + "  " + std::string(kRegionCaptions[i]) + "\n";
    EXPECT_NE(result.Out.find(line, regions), std::string::npos) << "region " << i + 1;
  }
}

// ---- point ------------------------------------------------------------------------------

Point ParseOutputLine(const std::string& line) {
  Point p{};
  const std::size_t blank = line.find(' ');
  std::from_chars(line.data(), line.data() + blank, p.X);
  std::from_chars(line.data() + blank + 1, line.data() + line.size(), p.Y);
  return p;
}

struct PointCase {
  const char* Name;
  int Mode, Region;
  std::string Input;
  std::vector<Point> Good;  // the pairs of the good lines, in order
  std::vector<int> BadLines;
  bool Force = false;  // --force: pairs outside the source reach the engine
};

void PrintTo(const PointCase& c, std::ostream* os) { *os << c.Name; }

class PointCommand : public testing::TestWithParam<PointCase> {};

// Lines enough for several blocks of pairs, with engine errors inside blocks (the first and
// the last line of one among them), lines that are not pairs and blank lines between them.
PointCase ManyLines() {
  PointCase c{"ManyLinesEngineErrorsInsideBlocks", 7, 3, "", {}, {}, true};
  for (int line = 1; line <= 5000; ++line) {
    if (line == 1 || line == 1030 || line == 2048 || line == 4999) {
      c.Input += "9e10 9e10\n";
      c.BadLines.push_back(line);
    } else if (line % 997 == 0) {
      c.Input += "no pair\n";
      c.BadLines.push_back(line);
    } else if (line % 250 == 0) {
      c.Input += "  \n";
    } else {
      const Point p{-200000.0 + 37.5 * line, 150000.0 + 11.25 * line};
      c.Input += std::to_string(p.X) + ' ' + std::to_string(p.Y) + '\n';
      c.Good.push_back(p);
    }
  }
  return c;
}

TEST_P(PointCommand, ConvertsGoodLinesAndNamesBadOnes) {
  const PointCase& c = GetParam();
  std::vector<std::string> args = {"point", "--mode", std::to_string(c.Mode), "--region", std::to_string(c.Region)};
  if (c.Force) args.push_back("--force");
  const ProcessResult result = RunCli(args, c.Input);

  EXPECT_EQ(result.Status, c.BadLines.empty() ? 0 : 1);
  std::istringstream out(result.Out);
  std::string line;
  for (const Point& in : c.Good) {
    ASSERT_TRUE(std::getline(out, line)) << result.Out;
    const Point expected = EngineConvert(c.Mode, c.Region, in);
    const Point printed = ParseOutputLine(line);
    EXPECT_EQ(printed.X, expected.X) << line;  // exact: the digits must round-trip
    EXPECT_EQ(printed.Y, expected.Y) << line;
  }
  EXPECT_FALSE(std::getline(out, line)) << "extra output: " << line;
  std::istringstream err(result.Err);
  for (const int bad : c.BadLines) {
    ASSERT_TRUE(std::getline(err, line));
    EXPECT_EQ(line.rfind("morvane-cli: line " + std::to_string(bad) + ": ", 0), 0u) << line;
  }
  EXPECT_FALSE(std::getline(err, line)) << "extra message: " << line;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PointCommand,
    testing::Values(
        PointCase{"BlanksCommasAndABadLine",
                  2,
                  1,
                  "121 24\nnot a pair\n121.5,23.5\n\n\t120.25 , 22.75\r\n1 2 3\n+121.1 +24.1",
                  {{121, 24}, {121.5, 23.5}, {120.25, 22.75}, {121.1, 24.1}},
                  {2, 6}},
        PointCase{"GridToGeographic",
                  1,
                  1,
                  "250000 2650000\n-1e3,2.5e6\n",
                  {{250000, 2650000}, {-1000, 2500000}},
                  {}},
        // Far outside the Lambert grid's range: an engine error for that line only.
        PointCase{"LambertGridError",
                  7,
                  3,
                  "100000 200000\n9e10 9e10\n-50000,300000\n",
                  {{100000, 200000}, {-50000, 300000}},
                  {2},
                  true},
        ManyLines()),
    [](const testing::TestParamInfo<PointCase>& row) { return row.param.Name; });

TEST(PointCommand, ConvertsOnePairFromArguments) {
  // A negative number is an operand, not an option. The pair lies far from Taiwan: --force.
  const ProcessResult result = RunCli({"point", "--mode", "9", "--region", "1", "--force", "-121.5", "24"});
  EXPECT_EQ(result.Status, 0) << result.Err;
  const Point expected = EngineConvert(9, 1, {-121.5, 24});
  EXPECT_EQ(result.Out.back(), '\n');
  const Point printed = ParseOutputLine(result.Out.substr(0, result.Out.size() - 1));
  EXPECT_EQ(printed.X, expected.X);
  EXPECT_EQ(printed.Y, expected.Y);
}

// A pair that cannot be one of the mode's source is refused, named by its line or as the
// arguments, with exit status 3 when nothing else failed; --force converts it.
TEST(PointCommand, RefusesPairsOutsideTheSourceUnlessForced) {
  struct Case {
    const char* Name;
    std::vector<std::string> Args;
    std::string Input;
    int Status;
    std::size_t OutputLines;
    std::vector<std::string> Messages;  // each the start of one line of standard error
  };
  const std::vector<Case> cases = {
      {"MetresToADegreesMode", {"--mode", "2", "--region", "1", "302166", "2771181"}, "", 3, 0,
       {"morvane-cli: the pair given as arguments: refused: a latitude beyond ±90 degrees is not TWD67 longitude and "
        "latitude (--force converts it anyway)"}},
      {"MetresToADegreesModeForced", {"--mode", "2", "--region", "1", "--force", "302166", "2771181"}, "", 0, 1, {}},
      {"LatitudeBeyond90", {"--mode", "14", "--region", "1", "121", "95"}, "", 3, 0,
       {"morvane-cli: the pair given as arguments: refused: a latitude beyond ±90"}},
      {"LinesOutOfRange", {"--mode", "2", "--region", "1"}, "121 24\n121 95\n121 -95\n181 24\n121.5 25\n", 3, 2,
       {"morvane-cli: line 2: refused: a latitude beyond", "morvane-cli: line 3: refused: a latitude beyond",
        "morvane-cli: line 4: refused: a longitude beyond ±180 degrees"}},
      {"DegreesToAGridMode", {"--mode", "1", "--region", "1"}, "250000 2650000\n121 24\n", 3, 1,
       {"morvane-cli: line 2: refused: it lies far outside the plausible TWD67 TM2 grid (central meridian 121°E) of "
        "Taiwan (x -246672 to 568751, y 2239828 to 2968478) (--force converts it anyway)"}},
      {"RefusedAndABadLine", {"--mode", "2", "--region", "1"}, "121 95\nno pair\n121 24\n", 1, 1,
       {"morvane-cli: line 1: refused", "morvane-cli: line 2: expected two numbers"}},
      {"LinesForced", {"--mode", "2", "--region", "1", "--force"}, "121 24\n121 95\n181 24\n", 0, 3, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<std::string> args = {"point"};
    args.insert(args.end(), c.Args.begin(), c.Args.end());
    const ProcessResult result = RunCli(args, c.Input);
    EXPECT_EQ(result.Status, c.Status) << result.Err;
    EXPECT_EQ(static_cast<std::size_t>(std::count(result.Out.begin(), result.Out.end(), '\n')), c.OutputLines)
        << result.Out;
    std::istringstream err(result.Err);
    std::string line;
    for (const std::string& message : c.Messages) {
      ASSERT_TRUE(std::getline(err, line)) << result.Err;
      EXPECT_EQ(line.rfind(message, 0), 0u) << line;
    }
    EXPECT_FALSE(std::getline(err, line)) << "extra message: " << line;
  }
}

// ---- --datum --------------------------------------------------------------------------

// (x, y) through the mode with the region's built-in datum step, as the engine converts it.
Point EngineConvertFitted(int modeNumber, int regionNumber, Point in) {
  FailOnMessage messages;
  const Region region = regionNumber - 1;
  const DatumStep step{DatumStepKind::CommonPoints, "", BuiltinTransform(*RegionTm2Meridian(region))};
  const TransformMode mode = *ModeOfNumber(static_cast<unsigned>(modeNumber));
  EngineState engine = EngineFor({mode, region, step}, messages);
  Point out{};
  ConvertPoint(engine, mode, in.X, in.Y, out.X, out.Y);
  return out;
}

TEST(DatumOption, PointConvertsWithTheBuiltInStepOrAModelFile) {
  TempFolder dir;
  WriteFileText(dir / "penghu.model", WriteModel(*BuiltinTransform(119)));
  const Point in{300000.25, 2600000.5};
  const Point expected = EngineConvertFitted(11, 2, in);
  for (const std::string& datum : {std::string("common-points"), dir / "penghu.model"}) {
    SCOPED_TRACE(datum);
    const ProcessResult result = RunCli({"point", "--mode", "11", "--region", "2", "--datum", datum, "300000.25", "2600000.5"});
    ASSERT_EQ(result.Status, 0) << result.Err;
    const Point printed = ParseOutputLine(result.Out.substr(0, result.Out.size() - 1));
    EXPECT_EQ(printed.X, expected.X);
    EXPECT_EQ(printed.Y, expected.Y);
  }
  // The standard step is the default and differs by metres.
  const ProcessResult standard = RunCli({"point", "--mode", "11", "--region", "2", "--datum", "standard", "300000.25", "2600000.5"});
  ASSERT_EQ(standard.Status, 0) << standard.Err;
  EXPECT_EQ(standard.Out, RunCli({"point", "--mode", "11", "--region", "2", "300000.25", "2600000.5"}).Out);
  const Point plain = ParseOutputLine(standard.Out.substr(0, standard.Out.size() - 1));
  EXPECT_GT(std::hypot(plain.X - expected.X, plain.Y - expected.Y), 0.5);
}

TEST(DatumOption, ConvertWritesTheReportAndNamesTheStepAndAStandardRunRemovesIt) {
  TempFolder dir;
  const std::vector<Point> points = SamplePoints(3, 120.9, 23.8);
  WriteShapefile(dir, "wells", PointShapefile(points));
  const std::string file = (dir / "wells.shp");
  const ProcessResult fitted = RunCli({"convert", "--mode", "9", "--region", "1", "--datum", "common-points", file});
  ASSERT_EQ(fitted.Status, 0) << fitted.Err;
  const auto [counts, vertices] = ParseSummary(fitted.Err);
  EXPECT_EQ(counts.rfind("1 file converted, datum step common-points (leave-one-out RMS ", 0), 0u) << fitted.Err;
  EXPECT_TRUE(counts.ends_with(" m)")) << fitted.Err;
  const std::vector<Point> converted = ReadPoints(dir / "wells_1.shp");
  ASSERT_EQ(converted.size(), points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    const Point expected = EngineConvertFitted(9, 1, points[i]);
    EXPECT_EQ(converted[i].X, expected.X);
    EXPECT_EQ(converted[i].Y, expected.Y);
  }
  const std::string report = ReadFileText(dir / "wells_1.datum.txt");
  EXPECT_NE(report.find("Datum step: common-points"), std::string::npos) << report;
  EXPECT_NE(report.find("Meridian: 121"), std::string::npos) << report;

  const ProcessResult standard = RunCli({"convert", "--mode", "9", "--region", "1", "--overwrite", file});
  ASSERT_EQ(standard.Status, 0) << standard.Err;
  EXPECT_EQ(ParseSummary(standard.Err).first, "1 file converted") << standard.Err;
  EXPECT_FALSE(Exists(dir / "wells_1.datum.txt"));
  EXPECT_EQ(ReadPoints(dir / "wells_1.shp").front().X, EngineConvert(9, 1, points.front()).X);
}

TEST(DatumOption, UsageErrorsNameTheProblemAndTouchNothing) {
  TempFolder dir;
  WriteShapefile(dir, "a", PointShapefile(SamplePoints(2, 121.0, 24.0)));
  WriteFileText(dir / "bad.model", "morvane-plane-model 1\nmodel affine\nmeridian 121\ncentre 1 x\n");
  WriteFileText(dir / "penghu.model", WriteModel(*BuiltinTransform(119)));
  const std::string folder = dir.Path();
  struct Case {
    std::vector<std::string> Args;
    std::string Says;
  };
  const std::vector<Case> cases = {
      {{"convert", "--mode", "1", "--region", "1", "--datum", "common-points", folder}, "mode 1 shifts no datum"},
      {{"point", "--mode", "11", "--region", "3", "--datum", "common-points", "1", "2"},
       "region 3 has no built-in common-points model"},
      {{"convert", "--mode", "11", "--region", "1", "--datum", dir / "bad.model", folder},
       "line 4"},
      {{"check", "--mode", "11", "--region", "1", "--datum", dir / "missing.model", folder},
       "cannot read model file"},
      {{"convert", "--mode", "11", "--region", "1", "--datum", dir / "penghu.model", folder},
       "fitted on the 119 meridian"},
      {{"point", "--mode", "11", "--region", "1", "--datum", "", "1", "2"}, "cannot read model file"},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const std::string& arg : c.Args) joined += arg + ' ';
    SCOPED_TRACE(joined);
    const ProcessResult result = RunCli(c.Args);
    EXPECT_EQ(result.Status, 2);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err.rfind("morvane-cli: --datum ", 0), 0u) << result.Err;
    EXPECT_NE(result.Err.find(c.Says), std::string::npos) << result.Err;
    EXPECT_NE(result.Err.find("\nusage: morvane-cli"), std::string::npos) << result.Err;
  }
  EXPECT_EQ(OutputNames(dir.Path()), std::vector<std::string>{});
}

TEST(DatumOption, CheckWarnsWhereTheModelExtrapolatesWithoutChangingTheVerdict) {
  TempFolder dir;
  WriteShapefile(dir, "penghu", PointShapefile(SamplePoints(3, 119.58, 23.57)));
  WriteShapefile(dir, "kinmen", PointShapefile(SamplePoints(3, 118.35, 24.43)));
  for (const std::string name : {"penghu", "kinmen"}) {
    SCOPED_TRACE(name);
    const std::string file = (dir / (name + ".shp"));
    const ProcessResult plain = RunCli({"check", "--mode", "9", "--region", "2", file});
    const ProcessResult fitted = RunCli({"check", "--mode", "9", "--region", "2", "--datum", "common-points", file});
    EXPECT_EQ(fitted.Status, plain.Status);
    EXPECT_EQ(fitted.Out, plain.Out);
    const bool warned = fitted.Err.find("morvane-cli: warning: " + file + " reaches ") == 0 &&
                        fitted.Err.find("km beyond the area of the common points") != std::string::npos;
    EXPECT_EQ(warned, name == "kinmen") << fitted.Err;
    if (name == "penghu") {
      EXPECT_EQ(fitted.Err, "");
    }
  }
  EXPECT_EQ(OutputNames(dir.Path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace morvane
