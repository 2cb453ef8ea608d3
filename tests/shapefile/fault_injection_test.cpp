// The conversion run with each kind of file operation failing in turn, at every call the run
// makes of it, and the temporaries that killed runs leave behind.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "engine/mode_table.hpp"
#include "shapefile/conversion_run.hpp"
#include "shapefile/output_names.hpp"
#include "support/expected_conversion.hpp"
#include "support/fail_on_message.hpp"
#include "support/fault_injecting_file_system.hpp"
#include "support/file_bytes.hpp"

namespace morvane::test {
namespace {

constexpr TransformMode kGeographicToTm2 = IndexOf(Mode::Twd67GeographicToTwd67Tm2);

// Counts the files finished and whether the run completed; any message fails the test.
class CountingFeedback : public FailOnMessageFeedback {
 public:
  void ShowCompletion(const std::string&, const std::string&) override { Completed = true; }
  void SetFileProgress(int) override { ++Finished; }
  bool ConfirmReplace(const std::vector<std::string>&) override { return true; }

  int Finished = 0;  // shapefiles converted
  bool Completed = false;
};

// The id of a process that has ended.
unsigned long DeadProcessId() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return static_cast<unsigned long>(child);
}

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The output a temporary stands for; any other path as it is.
std::string FinalPathOf(const std::string& path) {
  const auto temporary = ParseTemporaryOutputName(BaseName(path));
  if (!temporary) return path;
  return path.substr(0, path.rfind('/') + 1) + temporary->FinalName;
}

std::map<std::string, Bytes> Snapshot(const TempFolder& folder) {
  std::map<std::string, Bytes> files;
  for (const std::string& name : folder.Names()) files[name] = ReadFileBytes(folder / name);
  return files;
}

// Two shapefiles converted in one run: "a" for the first time, then "b" (one polygon of more
// than a block, so that its reads, writes and box patch span several calls) over the outputs
// of an earlier run, one of which (a code page) this run no longer writes. "b" also has a
// temporary that a killed run left.
struct Scenario {
  static constexpr const char* kBases[] = {"a", "b"};

  TempFolder Folder;
  std::map<std::string, Shapefile> Files;  // by base
  std::map<std::string, Bytes> Inputs;
  std::map<std::string, Bytes> Earlier;  // outputs there before the run
  std::string Abandoned;                 // bare name of the killed run's temporary

  Scenario() {
    std::vector<XY> ring;
    for (int i = 0; i < 70000; ++i) ring.push_back({120.0 + 1e-5 * i, 22.0 + 3e-5 * (i % 977)});
    const std::vector<XY> line = {{120.3, 22.4}, {121.2, 24.8}, {121.7, 23.1}};
    Files["a"] = BuildShapefile(ShapeType::Arc, {PartsRecord(ShapeType::Arc, {0}, line), NullRecord()});
    Files["b"] = BuildShapefile(ShapeType::Polygon, {PartsRecord(ShapeType::Polygon, {0}, ring)});
    for (const auto& [base, file] : Files) WriteShapefile(Folder, base, file);
    WriteFileBytes(Folder / "a.cpg", {'9', '5', '0'});
    Inputs = Snapshot(Folder);
    for (const char* name : {"b_1.shp", "b_1.shx", "b_1.dbf", "b_1.prj", "b_1.cpg"}) {
      Earlier[name] = Bytes{'e', 'a', 'r', 'l', 'i', 'e', 'r', ' '};
      Earlier[name].insert(Earlier[name].end(), name, name + 7);
      WriteFileBytes(Folder / name, Earlier[name]);
    }
    Abandoned = BaseName(TemporaryOutputPath(Folder / "b_1.shp", DeadProcessId(), 0));
    WriteFileBytes(Folder / Abandoned, {'c', 'u', 't'});
  }

  std::vector<RunItem> Items() const { return {{"a.shp", true}, {"b.shp", true}}; }
};

// The outputs of the scenario's run when nothing fails, by name. The converted main file,
// index and table are checked against the fixtures' own conversion once.
const std::map<std::string, Bytes>& CleanOutputs() {
  static const std::map<std::string, Bytes> outputs = [] {
    Scenario s;
    CountingFeedback feedback;
    EngineState engine(feedback);
    LocalFileSystem files;
    RunConversion(engine, s.Items(), s.Folder.Path(), kGeographicToTm2, kTaiwanRegion, feedback, files);
    std::map<std::string, Bytes> written = Snapshot(s.Folder);
    for (const auto& [name, bytes] : s.Inputs) written.erase(name);

    EngineState reference(feedback);
    ApplyTransformSettings(reference, kGeographicToTm2, kTaiwanRegion);
    for (const auto& [base, file] : s.Files) {
      const Shapefile converted = ExpectedConversion(file, reference, kGeographicToTm2);
      EXPECT_EQ(written[base + "_1.shp"], converted.Main) << base;
      EXPECT_EQ(written[base + "_1.shx"], converted.Index) << base;
      EXPECT_EQ(written[base + "_1.dbf"], s.Inputs.at(base + ".dbf")) << base;
    }
    return written;
  }();
  return outputs;
}

// Checks the folder after a run that converted the first `converted` shapefiles: their
// outputs are complete, the others' are as they were, the inputs untouched, and no temporary
// is left but one whose delete was made to fail.
void ExpectFolderAfter(const Scenario& s, int converted, const std::string& undeleted) {
  std::map<std::string, Bytes> expected = s.Inputs;
  for (int i = 0; i < static_cast<int>(std::size(Scenario::kBases)); ++i) {
    const std::string prefix = std::string(Scenario::kBases[i]) + "_1.";
    const std::map<std::string, Bytes>& outputs = i < converted ? CleanOutputs() : s.Earlier;
    for (const auto& [name, bytes] : outputs) {
      if (name.starts_with(prefix)) expected[name] = bytes;
    }
  }
  std::map<std::string, Bytes> now = Snapshot(s.Folder);
  // The killed run's temporary goes once "b" is begun, and must be gone when it is converted.
  if (converted == 0) expected[s.Abandoned] = {'c', 'u', 't'};
  if (converted == 1) now.erase(s.Abandoned);
  if (!undeleted.empty()) now.erase(undeleted);
  for (const auto& [name, bytes] : expected) {
    const auto found = now.find(name);
    if (found == now.end())
      ADD_FAILURE() << name << " is missing";
    else if (found->second != bytes)
      ADD_FAILURE() << name << " is not as it should be (" << found->second.size() << " bytes, not " << bytes.size() << ")";
  }
  for (const auto& [name, bytes] : now) {
    if (expected.count(name) == 0) ADD_FAILURE() << name << " is left behind";
  }
}

// The run stops at the first failure here, so that the folder shows which files came before it.
TEST(FaultInjection, EveryFailingFileOperationEndsTheRunNamingTheFileAndLeavesNoPartialOutput) {
  for (const FileCall kind : kAllFileCalls) {
    SCOPED_TRACE(std::string(FileCallName(kind)));
    int injected = 0;
    for (int n = 1;; ++n) {
      SCOPED_TRACE("call " + std::to_string(n));
      Scenario s;
      LocalFileSystem local;
      FaultInjectingFileSystem files(local, {kind}, n);
      CountingFeedback feedback;
      EngineState engine(feedback);
      RunOptions stopAtFirstFailure;
      stopAtFirstFailure.KeepGoing = false;
      const RunSummary summary = RunConversion(engine, TickedJobs(s.Folder.Path(), s.Items()), kGeographicToTm2,
                                               kTaiwanRegion, stopAtFirstFailure, feedback, files);
      const std::string error = summary.Failed.empty() ? "" : summary.Failed[0].Reason;
      if (!files.Fault()) {  // past the last call of this kind: a clean run
        EXPECT_EQ(error, "");
        EXPECT_TRUE(feedback.Completed);
        ExpectFolderAfter(s, 3, "");
        break;
      }
      ++injected;
      const InjectedFault& fault = *files.Fault();
      if (kind == FileCall::Delete) {
        // A file that cannot be deleted stays, but the run goes on.
        EXPECT_EQ(error, "");
        EXPECT_TRUE(feedback.Completed);
        ExpectFolderAfter(s, 3, BaseName(fault.Path));
        continue;
      }
      EXPECT_NE(error, "") << "the run went on after " << fault.Path;
      EXPECT_EQ(error.rfind("Cannot ", 0), 0u) << "not a file error: " << error;
      EXPECT_NE(error.find(" " + FinalPathOf(fault.Path)), std::string::npos) << error;
      EXPECT_EQ(error.find(".morvane-tmp-"), std::string::npos) << error;
      EXPECT_EQ(feedback.Errors, std::vector<std::string>{error});
      EXPECT_EQ(summary.Failed.size() + summary.NotBegun() + summary.Converted, summary.Files);
      EXPECT_FALSE(feedback.Completed);
      ExpectFolderAfter(s, feedback.Finished, "");
    }
    EXPECT_GT(injected, 0) << "the run makes no such call";
  }
}

TEST(FaultInjection, FailuresGiveTheSystemsReasonAfterTheirTextWhicheverFileFails) {
  struct Case {
    FileCall Kind;
    int Call;  // the n-th of its kind
    int ErrorNumber;
    const char* Reason;
  };
  // The first create is a temporary main file, the last rename moves an output into place,
  // and a write fails as a disk that fills up: each error must name the final output.
  const std::vector<Case> cases = {
      {FileCall::Create, 1, EACCES, "Permission denied"},
      {FileCall::Create, 1, EROFS, "Read-only file system"},
      {FileCall::Open, 1, EACCES, "Permission denied"},
      {FileCall::Write, 3, ENOSPC, "No space left on device"},
      {FileCall::Close, 2, ENOSPC, "No space left on device"},
      {FileCall::Copy, 2, EDQUOT, "Disk quota exceeded"},
      {FileCall::Read, 2, EIO, "Input/output error"},
      {FileCall::Rename, 4, EACCES, "Permission denied"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(FileCallName(c.Kind)) + " " + std::to_string(c.Call) + ", " + c.Reason);
    Scenario s;
    LocalFileSystem local;
    FaultInjectingFileSystem files(local, {c.Kind}, c.Call, c.ErrorNumber);
    CountingFeedback feedback;
    EngineState engine(feedback);
    RunOptions stopAtFirstFailure;
    stopAtFirstFailure.KeepGoing = false;
    const RunSummary summary = RunConversion(engine, TickedJobs(s.Folder.Path(), s.Items()), kGeographicToTm2,
                                             kTaiwanRegion, stopAtFirstFailure, feedback, files);
    ASSERT_TRUE(files.Fault());
    ASSERT_EQ(summary.Failed.size(), 1u);
    const std::string path = FinalPathOf(files.Fault()->Path);
    const std::string& reason = summary.Failed[0].Reason;
    bool named = false;
    for (const FileOperation operation :
         {FileOperation::Open, FileOperation::Create, FileOperation::Read, FileOperation::Write}) {
      named = named || reason == std::string(FileError(operation, path).what()) + ": " + c.Reason;
    }
    EXPECT_TRUE(named) << reason;
    ExpectFolderAfter(s, feedback.Finished, "");
  }
}

TEST(AbandonedTemporaries, OnlyThoseOfTheConvertedOutputsWhoseProcessIsGoneAreRemoved) {
  TempFolder folder;
  WriteShapefile(folder, "roads", BuildShapefile(ShapeType::Point, {PointRecord(ShapeType::Point, {121, 23})}));
  const unsigned long dead = DeadProcessId();
  const unsigned long running = static_cast<unsigned long>(::getppid());
  struct Left {
    std::string Name;
    bool Removed;
  };
  const std::vector<Left> left = {
      {BaseName(TemporaryOutputPath(folder / "roads_1.shp", dead, 7)), true},
      {BaseName(TemporaryOutputPath(folder / "roads_1.shx", dead, 8)), true},
      {BaseName(TemporaryOutputPath(folder / "roads_1.dbf", dead, 9)), true},
      {BaseName(TemporaryOutputPath(folder / "roads_1.shp", running, 7)), false},  // a run at work
      {BaseName(TemporaryOutputPath(folder / "rivers_1.shp", dead, 1)), false},    // another output
      {BaseName(TemporaryOutputPath(folder / "roads_1.shp.bak", dead, 1)), false},
      {".roads_1.shp.morvane-tmp-" + std::to_string(dead) + "-x", false},  // not the pattern
  };
  for (const Left& file : left) WriteFileBytes(folder / file.Name, {'x'});

  CountingFeedback feedback;
  EngineState engine(feedback);
  LocalFileSystem files;
  RunConversion(engine, {{"roads.shp", true}}, folder.Path(), kGeographicToTm2, kTaiwanRegion, feedback, files);
  ASSERT_TRUE(feedback.Completed);
  for (const Left& file : left) EXPECT_EQ(files.IsRegularFile(folder / file.Name), !file.Removed) << file.Name;
}

}  // namespace
}  // namespace morvane::test
