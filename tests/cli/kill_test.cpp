// morvane-cli stopped in the middle of a large file. Killed with SIGKILL, the outputs under
// their final names are still the earlier, complete ones, and the next run of the same file
// removes the temporary that the killed run left and puts complete outputs in place. Stopped
// by SIGTERM, SIGINT or SIGHUP, it removes its temporaries itself before it exits.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/engine_state.hpp"
#include "engine/mode_table.hpp"
#include "shapefile/output_names.hpp"
#include "support/expected_conversion.hpp"
#include "support/fail_on_message.hpp"
#include "support/file_bytes.hpp"

extern char** environ;

namespace morvane::test {
namespace {

constexpr TransformMode kGeographicToTm2 = IndexOf(Mode::Twd67GeographicToTwd67Tm2);  // "--mode 2" on the command line

pid_t StartConversion(const std::string& shapefile) {
  std::vector<std::string> args = {MORVANE_CLI_PATH, "convert", "--mode", "2", "--region", "1", "--quiet",
                                   "--overwrite", shapefile};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, MORVANE_CLI_PATH, nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

// The size of the temporary main file in `folder` once it has some bytes, with its name.
struct Temporary {
  std::string Name;
  off_t Size;
};

std::optional<Temporary> WrittenTemporary(const TempFolder& folder) {
  for (const std::string& name : folder.Names()) {
    struct stat info;
    if (IsTemporaryOutputName(name) && name.starts_with(".big_1.shp.") &&
        ::stat((folder / name).c_str(), &info) == 0 && info.st_size > 0)
      return Temporary{name, info.st_size};
  }
  return std::nullopt;
}

// A Polygon file of 120 rings of 6000 points, about 11 MB: large enough that the run is
// still writing its main file when the first megabyte of it reaches the disk.
Shapefile BigFile() {
  std::vector<RecordContent> records;
  for (int r = 0; r < 120; ++r) {
    std::vector<XY> ring;
    for (int i = 0; i < 6000; ++i) ring.push_back({120.0 + 1e-4 * (i % 17000) + 1e-3 * r, 22.0 + 4e-4 * i});
    records.push_back(PartsRecord(ShapeType::Polygon, {0}, ring));
  }
  return BuildShapefile(ShapeType::Polygon, records);
}

TEST(KilledRun, LeavesTheEarlierOutputsAndItsTemporaryGoesWithTheNextRun) {
  TempFolder folder;
  const Shapefile big = BigFile();
  WriteShapefile(folder, "big", big);
  const std::vector<std::string> outputs = {"big_1.shp", "big_1.shx", "big_1.dbf", "big_1.prj"};
  for (const std::string& name : outputs) WriteFileBytes(folder / name, {'e', 'a', 'r', 'l', 'i', 'e', 'r'});

  const pid_t killed = StartConversion(folder / "big.shp");
  ASSERT_GT(killed, 0) << "cannot start " << MORVANE_CLI_PATH;
  std::optional<Temporary> temporary;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  int status = 0;
  bool ended = false;
  while (!(temporary = WrittenTemporary(folder)) && std::chrono::steady_clock::now() < deadline &&
         !(ended = ::waitpid(killed, &status, WNOHANG) == killed)) {
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  if (!ended) {
    ::kill(killed, SIGKILL);
    ::waitpid(killed, &status, 0);
  }
  ASSERT_TRUE(temporary.has_value()) << "the run ended or wrote nothing before it could be killed";
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the run ended before it was killed";
  EXPECT_LT(temporary->Size, static_cast<off_t>(big.Main.size())) << "killed after the main file was written";
  EXPECT_EQ(ParseTemporaryOutputName(temporary->Name)->Pid, static_cast<unsigned long>(killed));

  for (const std::string& name : outputs)
    EXPECT_EQ(ReadFileBytes(folder / name), (Bytes{'e', 'a', 'r', 'l', 'i', 'e', 'r'})) << name;
  ASSERT_TRUE(LocalFileSystem().IsRegularFile(folder / temporary->Name));

  const pid_t next = StartConversion(folder / "big.shp");
  ASSERT_GT(next, 0);
  ::waitpid(next, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  FailOnMessage messages;
  EngineState reference(messages);
  ApplyTransformSettings(reference, kGeographicToTm2, kTaiwanRegion);
  const Shapefile expected = ExpectedConversion(big, reference, kGeographicToTm2);
  EXPECT_TRUE(ReadFileBytes(folder / "big_1.shp") == expected.Main);
  EXPECT_TRUE(ReadFileBytes(folder / "big_1.shx") == expected.Index);
  EXPECT_EQ(ReadFileBytes(folder / "big_1.dbf"), ReadFileBytes(folder / "big.dbf"));
  for (const std::string& name : folder.Names()) EXPECT_FALSE(IsTemporaryOutputName(name)) << name << " left";
}

// Waits until the run started as `pid` has written into a temporary main file in `folder`;
// false if it ended first or the minute passed.
bool WaitForTemporary(const TempFolder& folder, pid_t pid) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    if (WrittenTemporary(folder)) return true;
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return false;
}

TEST(StoppedRun, SignalsEndTheRunWithTheShellsStatusAndRemoveItsTemporaries) {
  struct Case {
    int Signal;
    int Status;
  };
  const Shapefile big = BigFile();
  for (const Case c : {Case{SIGTERM, 143}, Case{SIGINT, 130}, Case{SIGHUP, 129}}) {
    SCOPED_TRACE(strsignal(c.Signal));
    TempFolder folder;
    WriteShapefile(folder, "big", big);
    for (const char* name : {"big_1.shp", "big_1.dbf"}) WriteFileBytes(folder / name, {'e', 'a', 'r', 'l', 'i', 'e', 'r'});
    const std::vector<std::string> before = folder.Names();

    const pid_t run = StartConversion(folder / "big.shp");
    ASSERT_GT(run, 0) << "cannot start " << MORVANE_CLI_PATH;
    const bool writing = WaitForTemporary(folder, run);
    ::kill(run, c.Signal);
    int status = 0;
    ::waitpid(run, &status, 0);
    ASSERT_TRUE(writing) << "the run ended or wrote nothing before it could be stopped";
    ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal itself, not by the program";
    EXPECT_EQ(WEXITSTATUS(status), c.Status);
    EXPECT_EQ(folder.Names(), before);  // no temporary, no new output
    EXPECT_EQ(ReadFileBytes(folder / "big_1.shp"), (Bytes{'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
  }
}

}  // namespace
}  // namespace morvane::test
