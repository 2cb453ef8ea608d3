// The conversion run on real files in a temporary folder: progress and messages in order,
// companions, outputs replaced only when complete, failures that leave nothing behind.
#include <gtest/gtest.h>
#include <shapefil.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <utility>
#include <string>
#include <vector>

#include "engine/extended.hpp"
#include "engine/mode_table.hpp"
#include "shapefile/byte_order.hpp"
#include "shapefile/conversion_run.hpp"
#include "shapefile/folder_listing.hpp"
#include "shapefile/output_names.hpp"
#include "support/expected_conversion.hpp"
#include "support/file_bytes.hpp"
#include "support/run_feedback.hpp"

namespace morvane::test {
namespace {

constexpr TransformMode kGeographicToTm2 = IndexOf(Mode::Twd67GeographicToTwd67Tm2);
constexpr TransformMode kTwd67ToTwd97 = IndexOf(Mode::Twd67GeographicToTwd97Geographic);
constexpr TransformMode kGeographicToLambert = IndexOf(Mode::GeographicToLambert);

const std::string kCompletion = "completion 已完成!! 請按確定 | Message";

Shapefile Roads(double shift = 0) {
  const std::vector<XY> line = {{120.3 + shift, 22.4}, {121.2, 24.8 - shift}, {121.7, 23.1}};
  return BuildShapefile(ShapeType::Arc, {PartsRecord(ShapeType::Arc, {0}, line), NullRecord(),
                                         PartsRecord(ShapeType::Arc, {0, 1}, line)});
}

struct Harness {
  RecordingFeedback feedback;
  EngineState engine{feedback};
  LocalFileSystem local;

  RunSummary Convert(const TempFolder& folder, const std::vector<RunItem>& items,
                     TransformMode mode = kGeographicToTm2, Region region = kTaiwanRegion,
                     FileSystem* files = nullptr) {
    return RunConversion(engine, items, folder.Path(), mode, region, feedback, files != nullptr ? *files : local);
  }
  Shapefile Expected(const Shapefile& input, TransformMode mode = kGeographicToTm2, Region region = kTaiwanRegion) {
    IgnoringFeedback quiet;
    EngineState reference(quiet);
    ApplyTransformSettings(reference, mode, region);
    return ExpectedConversion(input, reference, mode);
  }
};

void ExpectConverted(const TempFolder& folder, const std::string& base, const Shapefile& expected,
                     const std::string& table) {
  EXPECT_EQ(ReadFileBytes(folder / (base + "_1.shp")), expected.Main) << base;
  EXPECT_EQ(ReadFileBytes(folder / (base + "_1.shx")), expected.Index) << base;
  EXPECT_EQ(ReadFileBytes(folder / (base + "_1.dbf")), ReadFileBytes(folder / table)) << base;
}

bool AnyTemporary(const TempFolder& folder) {
  const std::vector<std::string> names = folder.Names();
  return std::any_of(names.begin(), names.end(), [](const std::string& n) { return IsTemporaryOutputName(n); });
}

std::map<std::string, Bytes> Snapshot(const TempFolder& folder) {
  std::map<std::string, Bytes> files;
  for (const std::string& name : folder.Names()) files[name] = ReadFileBytes(folder / name);
  return files;
}

TEST(ConversionRun, TickedItemsAreConvertedInListOrderWithTheBarsSetBeforeAndAfterEach) {
  TempFolder folder;
  const std::vector<std::string> bases = {"c", "a", "b", "d"};
  for (std::size_t i = 0; i < bases.size(); ++i) WriteShapefile(folder, bases[i], Roads(0.1 * double(i)));
  const std::map<std::string, Bytes> inputs = Snapshot(folder);

  Harness run;
  run.Convert(folder, {{"c.shp", true}, {"a.shp", false}, {"b.shp", true}, {"d.shp", true}});

  EXPECT_EQ(run.feedback.Events, (std::vector<std::string>{"overall 0", "file 100", "overall 33", "file 100",
                                                            "overall 66", "file 100", "overall 100", kCompletion}));
  for (std::size_t i : {0, 2, 3}) ExpectConverted(folder, bases[i], run.Expected(Roads(0.1 * double(i))), bases[i] + ".dbf");
  EXPECT_FALSE(LocalFileSystem().IsRegularFile(folder / "a_1.shp"));
  const std::uint64_t lastSize = inputs.at("d.shp").size();
  EXPECT_EQ(run.feedback.LastBytesRead, std::make_pair(lastSize, lastSize));
  for (const auto& [name, bytes] : inputs) EXPECT_EQ(ReadFileBytes(folder / name), bytes) << name;
  EXPECT_EQ(folder.Names().size(), inputs.size() + 12);  // .shp, .shx, .dbf and .prj of three
}

// A run's outputs are a function of its conversion alone. Region 3 writes no central meridian
// for a grid mode, so an engine that kept an earlier run's settings would give region 2's
// meridian here.
TEST(ConversionRun, TheSameConversionGivesTheSameOutputsWhateverRanBefore) {
  const Conversion mainlandGrid{kGeographicToTm2, kMainlandRegion, {}};
  RunOptions options;
  options.ConvertSuspicious = true;
  options.ReplaceOutputs = true;
  auto convertAlone = [&](const std::vector<Conversion>& before) {
    TempFolder folder;
    WriteShapefile(folder, "roads", Roads());
    RecordingFeedback feedback;
    EngineState engine(feedback);
    LocalFileSystem files;
    const std::vector<ShapefileJob> jobs{{folder.Path(), "roads.shp"}};
    for (const Conversion& earlier : before) RunConversion(engine, earlier, jobs, options, feedback, files);
    RunConversion(engine, mainlandGrid, jobs, options, feedback, files);
    return ReadFileBytes(folder / "roads_1.shp");
  };
  const Bytes fresh = convertAlone({});
  EXPECT_EQ(convertAlone({{kGeographicToTm2, kIslandsRegion, {}}}), fresh);
  EXPECT_EQ(convertAlone({{kGeographicToLambert, kMainlandRegion, {}}, {kTwd67ToTwd97, kIslandsRegion, {}}}), fresh);
  // And the form without an engine of the caller's gives the same.
  TempFolder folder;
  WriteShapefile(folder, "roads", Roads());
  RecordingFeedback feedback;
  LocalFileSystem files;
  RunConversion(mainlandGrid, std::vector<ShapefileJob>{{folder.Path(), "roads.shp"}}, options, feedback, files);
  EXPECT_EQ(ReadFileBytes(folder / "roads_1.shp"), fresh);
}

TEST(ConversionRun, EmptyListOrNothingTickedTouchesNoFileAndDoesNotComplete) {
  const std::vector<std::vector<RunItem>> lists = {{}, {{"roads.shp", false}, {"rivers.shp", false}}};
  for (const std::vector<RunItem>& items : lists) {
    TempFolder folder;
    WriteShapefile(folder, "roads", Roads());
    const std::map<std::string, Bytes> before = Snapshot(folder);
    Harness run;
    const RunSummary summary = run.Convert(folder, items);
    EXPECT_EQ(summary.Files, 0u);
    EXPECT_FALSE(summary.AllConverted());
    EXPECT_TRUE(run.feedback.Events.empty());  // the front end says there was nothing to convert
    EXPECT_EQ(Snapshot(folder), before);
  }
}

TEST(ConversionRun, MissingCompanionIsReportedAndTheOthersAreConvertedWithoutCompletion) {
  struct Case {
    std::vector<std::string> Removed;  // from the second of three shapefiles
    std::string Reported;
  };
  for (const Case& c : {Case{{"b.dbf"}, "b.dbf"}, Case{{"b.shx"}, "b.shx"}, Case{{"b.dbf", "b.shx"}, "b.shx"}}) {
    SCOPED_TRACE(c.Reported);
    TempFolder folder;
    for (const char* base : {"a", "b", "c"}) WriteShapefile(folder, base, Roads());
    for (const std::string& name : c.Removed) LocalFileSystem().Remove(folder / name);
    Harness run;
    const RunSummary summary = run.Convert(folder, {{"a.shp", true}, {"b.shp", true}, {"c.shp", true}});
    const std::string missing = (folder / c.Reported) + " Not found";
    EXPECT_EQ(run.feedback.Events,
              (std::vector<std::string>{"overall 0", "file 100", "overall 33", "error " + missing, "overall 66",
                                        "file 100"}));
    EXPECT_EQ(summary.Converted, 2u);
    ASSERT_EQ(summary.Failed.size(), 1u);
    EXPECT_EQ(summary.Failed[0].Path, folder / "b.shp");
    EXPECT_EQ(summary.Failed[0].Reason, missing);
    EXPECT_EQ(summary.Failed[0].Details.Kind, ErrorKind::MissingCompanion);
    EXPECT_EQ(summary.Failed[0].Details.Path, folder / c.Reported);
    ExpectConverted(folder, "a", run.Expected(Roads()), "a.dbf");
    ExpectConverted(folder, "c", run.Expected(Roads()), "c.dbf");
    for (const char* output : {"b_1.shp", "b_1.shx", "b_1.dbf"})
      EXPECT_FALSE(LocalFileSystem().IsRegularFile(folder / output)) << output;
    EXPECT_FALSE(AnyTemporary(folder));
  }
}

TEST(ConversionRun, CompanionsAreFoundWhateverTheCaseOfTheirExtension) {
  TempFolder folder;
  const Shapefile roads = Roads();
  // Upper-case companions of an upper-case main file.
  WriteFileBytes(folder / "ROADS.SHP", roads.Main);
  WriteFileBytes(folder / "ROADS.SHX", roads.Index);
  WriteFileBytes(folder / "ROADS.DBF", {'t'});
  // The exact lower-case name wins over another spelling.
  WriteShapefile(folder, "mixed", roads);
  WriteFileBytes(folder / "mixed.SHX", {'n', 'o', 't'});
  // Only the last dot starts the extension.
  WriteShapefile(folder, "a.b", roads);

  Harness run;
  run.Convert(folder, {{"ROADS.SHP", true}, {"mixed.shp", true}, {"a.b.shp", true}});
  EXPECT_EQ(run.feedback.Events.back(), kCompletion);
  ExpectConverted(folder, "ROADS", run.Expected(roads), "ROADS.DBF");
  ExpectConverted(folder, "mixed", run.Expected(roads), "mixed.dbf");
  ExpectConverted(folder, "a.b", run.Expected(roads), "a.b.dbf");
}

TEST(ConversionRun, NamesInBig5AreUsedAsTheirBytes) {
  TempFolder folder;
  const std::string taipei = "\xA5\x78\xA5\x5F";  // two characters in Big5
  WriteShapefile(folder, taipei, Roads());
  LocalFileSystem local;
  EXPECT_EQ(ListShapefiles(local, folder.Path()), std::vector<std::string>{taipei + ".shp"});
  Harness run;
  run.Convert(folder, {{taipei + ".shp", true}});
  ExpectConverted(folder, taipei, run.Expected(Roads()), taipei + ".dbf");
}

// Earlier outputs are replaced only after one question for the whole run; a "no" leaves those
// files out and converts the others.
TEST(ConversionRun, EarlierOutputsAreReplacedOnlyAfterAskingOnce) {
  for (const bool replace : {true, false}) {
    SCOPED_TRACE(replace);
    TempFolder folder;
    for (const char* base : {"roads", "rivers", "new"}) WriteShapefile(folder, base, Roads());
    for (const char* output : {"roads_1.shp", "roads_1.shx", "roads_1.dbf", "rivers_1.dbf"})
      WriteFileBytes(folder / output, {'o', 'l', 'd'});
    Harness run;
    run.feedback.Replace = replace;
    const RunSummary summary =
        run.Convert(folder, {{"roads.shp", true}, {"new.shp", true}, {"rivers.shp", true}});
    ASSERT_FALSE(run.feedback.Events.empty());
    EXPECT_EQ(run.feedback.Events[0], "replace? " + (folder / "roads_1.shp") + " " + (folder / "rivers_1.dbf"));
    EXPECT_EQ(std::count_if(run.feedback.Events.begin(), run.feedback.Events.end(),
                            [](const std::string& e) { return e.rfind("replace?", 0) == 0; }),
              1);
    ExpectConverted(folder, "new", run.Expected(Roads()), "new.dbf");
    if (replace) {
      EXPECT_TRUE(summary.AllConverted());
      EXPECT_EQ(run.feedback.Events.back(), kCompletion);
      ExpectConverted(folder, "roads", run.Expected(Roads()), "roads.dbf");
      ExpectConverted(folder, "rivers", run.Expected(Roads()), "rivers.dbf");
    } else {
      EXPECT_EQ(summary.Converted, 1u);
      ASSERT_EQ(summary.Skipped.size(), 2u);
      EXPECT_EQ(summary.Skipped[0].Path, folder / "roads.shp");
      EXPECT_EQ(summary.Skipped[1].Reason, (folder / "rivers_1.dbf") + " already exists");
      EXPECT_NE(run.feedback.Events.back(), kCompletion);
      EXPECT_EQ(ReadFileBytes(folder / "roads_1.shp"), (Bytes{'o', 'l', 'd'}));
      EXPECT_FALSE(LocalFileSystem().IsRegularFile(folder / "rivers_1.shp"));
    }
  }
}

TEST(ConversionRun, MainFileWithOnlyItsHeaderGivesTheConvertedHeaderAlone) {
  TempFolder folder;
  const Shapefile empty = BuildShapefile(ShapeType::Polygon, {}, Box{120, 22, 122, 25});
  WriteShapefile(folder, "empty", empty);
  Harness run;
  run.Convert(folder, {{"empty.shp", true}});
  const Shapefile expected = run.Expected(empty);
  ASSERT_EQ(expected.Main.size(), kFileHeaderSize);
  ASSERT_NE(expected.Main, empty.Main);
  ExpectConverted(folder, "empty", expected, "empty.dbf");
}

TEST(ConversionRun, MainFileLongerThanItsHeaderSaysIsConvertedToItsEnd) {
  TempFolder folder;
  Shapefile roads = Roads();
  // The header counts only the first record; the others are converted all the same.
  WriteInt32BE(roads.Main.data() + 24, static_cast<std::int32_t>(roads.RecordStarts[1] - kRecordHeaderSize) / 2);
  WriteShapefile(folder, "roads", roads);
  Harness run;
  run.Convert(folder, {{"roads.shp", true}});
  ExpectConverted(folder, "roads", run.Expected(roads), "roads.dbf");
}

// Fails the n-th write of any kind: a write to an open file, a close that flushes it, a copy.
class FailingFileSystem : public LocalFileSystem {
 public:
  explicit FailingFileSystem(int failAt) : failAt_(failAt) {}

  std::unique_ptr<File> OpenReadWrite(const std::string& path) override {
    return std::make_unique<CountedFile>(*this, LocalFileSystem::OpenReadWrite(path), path);
  }
  std::unique_ptr<File> Create(const std::string& path) override {
    return std::make_unique<CountedFile>(*this, LocalFileSystem::Create(path), path);
  }
  void CopyNoOverwrite(const std::string& from, const std::string& to) override {
    CountWrite(to);
    LocalFileSystem::CopyNoOverwrite(from, to);
  }
  int Writes() const { return writes_; }

 private:
  class CountedFile : public File {
   public:
    CountedFile(FailingFileSystem& owner, std::unique_ptr<File> file, std::string path)
        : owner_(owner), file_(std::move(file)), path_(std::move(path)) {}
    std::size_t Read(void* buffer, std::size_t size) override { return file_->Read(buffer, size); }
    void Write(const void* data, std::size_t size) override {
      owner_.CountWrite(path_);
      file_->Write(data, size);
    }
    void SeekToStart() override { file_->SeekToStart(); }
    void Seek(std::uint64_t offset) override { file_->Seek(offset); }
    std::uint64_t Size() override { return file_->Size(); }
    void Close() override {
      owner_.CountWrite(path_);
      file_->Close();
    }

   private:
    FailingFileSystem& owner_;
    std::unique_ptr<File> file_;
    std::string path_;
  };

  void CountWrite(const std::string& path) {
    if (++writes_ == failAt_) throw FileError(FileOperation::Write, path);
  }

  int failAt_;
  int writes_ = 0;
};

TEST(ConversionRun, FailedWriteLeavesEarlierOutputsAsTheyWereAndNoTemporaries) {
  TempFolder folder;
  WriteShapefile(folder, "roads", Roads());
  WriteFileBytes(folder / "roads.cpg", {'9', '5', '0'});
  for (const char* output : {"roads_1.shp", "roads_1.shx", "roads_1.dbf", "roads_1.prj", "roads_1.cpg"})
    WriteFileBytes(folder / output, {'o', 'l', 'd'});
  const std::map<std::string, Bytes> before = Snapshot(folder);

  int failures = 0;
  for (int failAt = 1;; ++failAt) {
    SCOPED_TRACE("write " + std::to_string(failAt));
    FailingFileSystem files(failAt);
    Harness run;
    const RunSummary summary = run.Convert(folder, {{"roads.shp", true}}, kGeographicToTm2, kTaiwanRegion, &files);
    if (!summary.Failed.empty()) {
      ++failures;
      const std::string text = summary.Failed[0].Reason;
      EXPECT_TRUE(text == "Cannot write file " + (folder / "roads_1.shp") ||
                  text == "Cannot write file " + (folder / "roads_1.shx") ||
                  text == "Cannot write file " + (folder / "roads_1.dbf") ||
                  text == "Cannot write file " + (folder / "roads_1.prj") ||
                  text == "Cannot write file " + (folder / "roads_1.cpg"))
          << text;
      EXPECT_EQ(run.feedback.Events,
                (std::vector<std::string>{"replace? " + (folder / "roads_1.shp"), "overall 0", "error " + text}));
      // The details name the final output, never its temporary.
      EXPECT_EQ(summary.Failed[0].Details.Operation, FileOperation::Write);
      EXPECT_EQ("Cannot write file " + summary.Failed[0].Details.Path, text);
      EXPECT_EQ(Snapshot(folder), before);
      continue;
    }
    EXPECT_TRUE(summary.AllConverted());
    EXPECT_EQ(files.Writes(), failAt - 1);  // every write was tried once without the failure
    break;
  }
  // A copy of the index, the main file's write and close, the index header's write and
  // close, a copy of the table, the .prj's write and close, a copy of the .cpg.
  EXPECT_EQ(failures, 9);
  ExpectConverted(folder, "roads", Harness().Expected(Roads()), "roads.dbf");
}

class FailingRename : public LocalFileSystem {
 public:
  void Rename(const std::string&, const std::string& to) override { throw FileError(FileOperation::Write, to); }
};

TEST(ConversionRun, FailedMoveIntoPlaceNamesTheOutputAndRemovesTheTemporaries) {
  TempFolder folder;
  WriteShapefile(folder, "roads", Roads());
  const std::map<std::string, Bytes> before = Snapshot(folder);
  FailingRename files;
  Harness run;
  const RunSummary summary = run.Convert(folder, {{"roads.shp", true}}, kGeographicToTm2, kTaiwanRegion, &files);
  ASSERT_EQ(summary.Failed.size(), 1u);
  EXPECT_EQ(summary.Failed[0].Reason, "Cannot write file " + (folder / "roads_1.shp"));
  EXPECT_EQ(Snapshot(folder), before);
}

TEST(ConversionRun, DamagedInputIsReportedKeepingItsEarlierOutputsAndTheRunGoesOn) {
  struct Case {
    const char* Name;
    std::function<void(Bytes&)> Damage;  // done to the main file
    std::string Message;
  };
  const Shapefile roads = Roads();
  const auto cutTo = [](std::size_t size) { return [size](Bytes& main) { main.resize(size); }; };
  // Cut, with the header's length saying so, so that the records are read.
  const auto cutWithLength = [](std::size_t size) {
    return [size](Bytes& main) {
      main.resize(size);
      WriteInt32BE(main.data() + 24, static_cast<std::int32_t>(size / 2));
    };
  };
  const auto setInt32 = [](std::size_t at, std::int32_t value, bool bigEndian) {
    return [=](Bytes& main) { bigEndian ? WriteInt32BE(main.data() + at, value) : WriteInt32LE(main.data() + at, value); };
  };
  const std::string text = "name,x,y\ntaipei,121.5,25.0\nkaohsiung,120.3,22.6\n" + std::string(120, 'z');
  const std::vector<Case> cases = {
      {"main file cut inside its header", cutTo(60), " is damaged: its header is shorter than 100 bytes"},
      // The third record holds 4 + 32 + 8 + 2 * 4 + 3 * 16 = 100 bytes.
      {"main file cut inside a record", cutWithLength(roads.Main.size() - 3),
       " is damaged: record 3 (at byte " + std::to_string(roads.RecordStarts[2] - kRecordHeaderSize) +
           ") runs past the end of the file (100 bytes, 97 left)"},
      {"main file shorter than its header says", cutTo(roads.Main.size() - 3),
       " is damaged: its header gives a length of " + std::to_string(roads.Main.size()) +
           " bytes, the file has " + std::to_string(roads.Main.size() - 3)},
      {"a text file", [&](Bytes& main) { main.assign(text.begin(), text.end()); }, " is not a shapefile"},
      {"another file code", setInt32(0, 9995, true), " is not a shapefile"},
      {"the file code in the wrong byte order", setInt32(0, 9994, false), " is not a shapefile"},
      {"another version", setInt32(28, 1001, false), " is not a shapefile"},
      {"an unknown shape type", setInt32(32, 7, false), " is not a shapefile"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    WriteShapefile(folder, "first", roads);
    WriteShapefile(folder, "roads", roads);
    Bytes damaged = roads.Main;
    c.Damage(damaged);
    WriteFileBytes(folder / "roads.shp", damaged);
    WriteFileBytes(folder / "roads_1.shp", {'o', 'l', 'd'});
    Harness run;
    const RunSummary summary = run.Convert(folder, {{"first.shp", true}, {"roads.shp", true}, {"first.shp", true}});
    const std::string error = "File " + (folder / "roads.shp") + c.Message;
    ASSERT_EQ(summary.Failed.size(), 1u);
    EXPECT_EQ(summary.Failed[0].Reason, error);
    EXPECT_EQ(summary.Converted, 2u);
    // The input check saw what the conversion fails on: its outputs were not asked about.
    EXPECT_EQ(run.feedback.Events,
              (std::vector<std::string>{"overall 0", "file 100", "overall 33", "error " + error, "overall 66",
                                        "file 100"}));
    ExpectConverted(folder, "first", run.Expected(roads), "first.dbf");
    EXPECT_EQ(ReadFileBytes(folder / "roads_1.shp"), (Bytes{'o', 'l', 'd'}));
    EXPECT_FALSE(LocalFileSystem().IsRegularFile(folder / "roads_1.shx"));
    EXPECT_FALSE(AnyTemporary(folder));
  }
}

TEST(ConversionRun, IndexWithoutAFullHeaderIsReportedAsDamaged) {
  TempFolder folder;
  WriteShapefile(folder, "roads", Roads());
  WriteFileBytes(folder / "roads.shx", Bytes(99, 0));
  Harness run;
  const RunSummary summary = run.Convert(folder, {{"roads.shp", true}});
  ASSERT_EQ(summary.Failed.size(), 1u);
  EXPECT_EQ(summary.Failed[0].Reason,
            "File " + (folder / "roads.shx") + " is damaged: its header is shorter than 100 bytes");
  EXPECT_FALSE(AnyTemporary(folder));
  EXPECT_FALSE(LocalFileSystem().IsRegularFile(folder / "roads_1.shp"));
}

TEST(ConversionRun, EngineErrorsNameTheFileAndLeaveNothing) {
  struct Case {
    const char* Name;
    TransformMode Mode;
    Region RegionIndex;
    XY Point;
    std::string Message;
    ErrorKind Kind;  // of the failure's details
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<Case> cases = {
      {"NaN coordinate", kTwd67ToTwd97, kTaiwanRegion, {nan, 23.0}, "Invalid floating point operation",
       ErrorKind::FloatingPoint},
      {"NaN coordinate in a chain that carries it through", kGeographicToTm2, kTaiwanRegion, {121.0, nan},
       "Invalid floating point operation", ErrorKind::FloatingPoint},
      {"outside the Lambert grid", kGeographicToLambert, kMainlandRegion, {10.0, -95.0},
       "The point (10, -95) lies outside the Lambert grid", ErrorKind::OutsideLambertGrid},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    WriteShapefile(folder, "roads", BuildShapefile(ShapeType::Point, {PointRecord(ShapeType::Point, c.Point)},
                                                   Box{120, 22, 122, 25}));
    const std::map<std::string, Bytes> before = Snapshot(folder);
    Harness run;
    RunOptions anyway;
    anyway.ConvertSuspicious = true;  // the input check refuses these points; the engine's errors are tested
    const RunSummary summary = RunConversion(run.engine, TickedJobs(folder.Path(), {{"roads.shp", true}}), c.Mode,
                                             c.RegionIndex, anyway, run.feedback, run.local);
    ASSERT_EQ(summary.Failed.size(), 1u);
    EXPECT_EQ(summary.Failed[0].Reason, (folder / "roads.shp") + ": " + c.Message);
    EXPECT_EQ(run.feedback.Events.back(), "error " + summary.Failed[0].Reason);
    const ErrorDetails& details = summary.Failed[0].Details;
    EXPECT_EQ(details.Kind, c.Kind);
    EXPECT_EQ(details.Path, folder / "roads.shp");
    EXPECT_EQ(EnglishText(details), c.Message);
    if (c.Kind == ErrorKind::OutsideLambertGrid) {
      EXPECT_EQ(details.X, c.Point.X);
      EXPECT_EQ(details.Y, c.Point.Y);
    } else {
      EXPECT_EQ(details.Trap, FloatingPointTrap::Invalid);
    }
    EXPECT_EQ(Snapshot(folder), before);
  }
}

TEST(ConversionRun, MainFilesThatCannotBeOpenedAreEachReported) {
  TempFolder folder;
  ASSERT_EQ(::mkdir((folder / "folder.shp").c_str(), 0755), 0);
  Harness run;
  const RunSummary summary = run.Convert(folder, {{"folder.shp", true}, {"gone.shp", true}});
  const std::string first = "Cannot open file " + (folder / "folder.shp") + ": Is a directory";
  const std::string second = "Cannot open file " + (folder / "gone.shp") + ": No such file or directory";
  EXPECT_EQ(run.feedback.Events,
            (std::vector<std::string>{"overall 0", "error " + first, "overall 50", "error " + second}));
  ASSERT_EQ(summary.Failed.size(), 2u);
  EXPECT_EQ(summary.Failed[1].Reason, second);
  EXPECT_EQ(summary.Converted, 0u);
}

// Without keep-going no file is begun after one has failed.
TEST(ConversionRun, StopAtTheFirstFailureLeavesTheRestNotBegun) {
  TempFolder folder;
  for (const char* base : {"a", "b", "c"}) WriteShapefile(folder, base, Roads());
  LocalFileSystem().Remove(folder / "a.dbf");
  Harness run;
  RunOptions options;
  options.KeepGoing = false;
  const RunSummary summary = RunConversion(run.engine, {{folder.Path(), "a.shp"}, {folder.Path(), "b.shp"},
                                                        {folder.Path(), "c.shp"}},
                                           kGeographicToTm2, kTaiwanRegion, options, run.feedback, run.local);
  EXPECT_EQ(summary.Failed.size(), 1u);
  EXPECT_EQ(summary.NotBegun(), 2u);
  EXPECT_FALSE(LocalFileSystem().IsRegularFile(folder / "b_1.shp"));
}

// Stops the run at the first sign of progress within a file (bytes read short of the end), or
// at the end of the records of the file whose end it is told.
class StoppingFeedback : public RecordingFeedback {
 public:
  void OnBytesRead(std::uint64_t done, std::uint64_t total) override {
    RecordingFeedback::OnBytesRead(done, total);
    ++Reads;
    if ((StopWithin && done < total) || (!StopWithin && done == total && total == StopAtEndOf)) Stop = true;
  }
  bool StopRequested() override { return Stop; }

  bool StopWithin = true;
  std::uint64_t StopAtEndOf = 0;  // the size of the file whose end stops the run
  bool Stop = false;
  int Reads = 0;
};

// Point records enough to span several reader blocks (about 2.8 MB).
Shapefile ManyPoints() {
  std::vector<RecordContent> records;
  for (int i = 0; i < 100000; ++i) records.push_back(PointRecord(ShapeType::Point, {120 + i % 300 * 0.01, 22 + i / 300 * 0.01}));
  return BuildShapefile(ShapeType::Point, records);
}

// A stop within a file abandons it with nothing written, on one thread or several, whether it
// comes between blocks of records or after the last of them: earlier outputs stay byte for
// byte, no temporary is left, the files before it are converted, none after it is begun, no
// completion is shown and the summary says so.
TEST(ConversionRun, StopWithinAFileAbandonsItAndLeavesEarlierOutputsAsTheyWere) {
  TempFolder folder;
  WriteShapefile(folder, "a", Roads());
  WriteShapefile(folder, "b", ManyPoints());
  WriteShapefile(folder, "c", Roads(0.1));
  for (const char* output : {"b_1.shp", "b_1.shx", "b_1.dbf", "b_1.prj"}) WriteFileBytes(folder / output, {'o', 'l', 'd'});
  const std::uint64_t bigSize = ReadFileBytes(folder / "b.shp").size();
  struct Case {
    const char* Name;
    unsigned Threads;
    bool Within;
  };
  for (const Case& c : {Case{"one thread, between blocks", 1, true}, Case{"four threads, between blocks", 4, true},
                        Case{"one thread, after the records", 1, false},
                        Case{"four threads, after the records", 4, false}}) {
    SCOPED_TRACE(c.Name);
    const std::map<std::string, Bytes> before = Snapshot(folder);
    Harness run;
    StoppingFeedback feedback;
    feedback.StopWithin = c.Within;
    feedback.StopAtEndOf = bigSize;
    RunOptions options;
    options.ReplaceOutputs = true;
    options.Threads = {c.Threads, 64 << 10};
    const RunSummary summary = RunConversion(run.engine, {{folder.Path(), "a.shp"}, {folder.Path(), "b.shp"},
                                                          {folder.Path(), "c.shp"}},
                                             kGeographicToTm2, kTaiwanRegion, options, feedback, run.local);
    EXPECT_TRUE(summary.Cancelled);
    EXPECT_EQ(summary.Converted, 1u);
    EXPECT_EQ(summary.Stopped, std::vector<std::string>{folder / "b.shp"});
    EXPECT_EQ(summary.NotBegun(), 1u);
    EXPECT_TRUE(summary.Failed.empty());
    EXPECT_FALSE(summary.AllConverted());
    EXPECT_EQ(std::count(feedback.Events.begin(), feedback.Events.end(), kCompletion), 0);
    // Stopped at the first report within the file: a megabyte or so read of its 2.8.
    if (c.Within) {
      EXPECT_LT(feedback.LastBytesRead.first, bigSize / 2);
    }
    EXPECT_FALSE(AnyTemporary(folder));
    EXPECT_FALSE(LocalFileSystem().IsRegularFile(folder / "c_1.shp"));
    std::map<std::string, Bytes> after = Snapshot(folder);
    for (const char* output : {"a_1.shp", "a_1.shx", "a_1.dbf", "a_1.prj"}) after.erase(output);
    std::map<std::string, Bytes> unchanged = before;
    for (const char* output : {"a_1.shp", "a_1.shx", "a_1.dbf", "a_1.prj"}) unchanged.erase(output);
    EXPECT_EQ(after, unchanged);  // b's earlier outputs byte for byte, c's none
    ExpectConverted(folder, "a", run.Expected(Roads()), "a.dbf");
  }
}

// A stop asked for before any file begins converts nothing and is a cancellation too.
TEST(ConversionRun, StopBeforeTheFirstFileBeginsNothing) {
  TempFolder folder;
  WriteShapefile(folder, "a", Roads());
  const std::map<std::string, Bytes> before = Snapshot(folder);
  Harness run;
  StoppingFeedback feedback;
  feedback.Stop = true;
  const RunSummary summary =
      RunConversion(run.engine, {{folder.Path(), "a.shp"}}, kGeographicToTm2, kTaiwanRegion, RunOptions{}, feedback,
                    run.local);
  EXPECT_TRUE(summary.Cancelled);
  EXPECT_TRUE(summary.Stopped.empty());
  EXPECT_EQ(summary.NotBegun(), 1u);
  EXPECT_EQ(feedback.Reads, 0);
  EXPECT_EQ(Snapshot(folder), before);
}

TEST(ConversionRun, IndependentReaderFindsTheConvertedCoordinatesAndBoxes) {
  // TWD67 (121, 24) is TWD97 (121.008146962, 23.998224150) to the nine decimals published.
  TempFolder folder;
  const std::vector<XY> line = {{121.0, 24.0}, {120.5, 23.0}, {121.5, 22.5}};
  WriteShapefile(folder, "roads", BuildShapefile(ShapeType::Arc, {PartsRecord(ShapeType::Arc, {0}, line),
                                                                    PartsRecord(ShapeType::Arc, {0, 1}, line)}));
  Harness run;
  run.Convert(folder, {{"roads.shp", true}}, kTwd67ToTwd97);

  SHPHandle shp = SHPOpen((folder / "roads_1.shp").c_str(), "rb");
  ASSERT_NE(shp, nullptr);
  int entities = 0;
  int type = 0;
  double minBound[4];
  double maxBound[4];
  SHPGetInfo(shp, &entities, &type, minBound, maxBound);
  EXPECT_EQ(entities, 2);
  EXPECT_EQ(type, SHPT_ARC);
  Extent all;
  for (int i = 0; i < entities; ++i) {
    SHPObject* shape = SHPReadObject(shp, i);
    ASSERT_NE(shape, nullptr);
    ASSERT_EQ(shape->nVertices, 3);
    EXPECT_NEAR(shape->padfX[0], 121.008146962, 5e-10);
    EXPECT_NEAR(shape->padfY[0], 23.998224150, 5e-10);
    Extent own;
    for (int v = 0; v < shape->nVertices; ++v) {
      EXPECT_GT(std::abs(shape->padfX[v] - line[v].X), 0.005);  // moved by the datum shift
      own.Add(shape->padfX[v], shape->padfY[v]);
    }
    EXPECT_EQ(shape->dfXMin, own.Bounds().Xmin);
    EXPECT_EQ(shape->dfYMin, own.Bounds().Ymin);
    EXPECT_EQ(shape->dfXMax, own.Bounds().Xmax);
    EXPECT_EQ(shape->dfYMax, own.Bounds().Ymax);
    all.Add(own);
    SHPDestroyObject(shape);
  }
  SHPClose(shp);
  EXPECT_EQ(minBound[0], all.Bounds().Xmin);
  EXPECT_EQ(minBound[1], all.Bounds().Ymin);
  EXPECT_EQ(maxBound[0], all.Bounds().Xmax);
  EXPECT_EQ(maxBound[1], all.Bounds().Ymax);
  // The index copy carries the same header box, and its entries still find every record.
  const Bytes main = ReadFileBytes(folder / "roads_1.shp");
  const Bytes index = ReadFileBytes(folder / "roads_1.shx");
  EXPECT_TRUE(std::equal(main.begin() + kHeaderBoxOffset, main.begin() + kHeaderBoxOffset + kBoxSize,
                         index.begin() + kHeaderBoxOffset));
  for (std::size_t at = kFileHeaderSize; at + kIndexEntrySize <= index.size(); at += kIndexEntrySize) {
    const IndexEntry entry = IndexEntry::Decode(index.data() + at);
    const std::size_t record = 2 * static_cast<std::size_t>(entry.Offset);
    ASSERT_LE(record + kRecordHeaderSize, main.size());
    EXPECT_EQ(RecordHeader::Decode(main.data() + record).ContentLength, entry.ContentLength);
  }
}

}  // namespace
}  // namespace morvane::test
