// The local file system and the folder listing, on a real temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <cstring>
#include <string>
#include <vector>

#include "engine/mode_table.hpp"
#include "shapefile/file_system.hpp"
#include "shapefile/folder_listing.hpp"
#include "shapefile/target_system.hpp"
#include "support/file_bytes.hpp"
#include "support/messages.hpp"
#include "support/shapefile_writer.hpp"

namespace morvane::test {
namespace {

template <typename Operation>
std::string ErrorOf(Operation operation) {
  try {
    operation();
  } catch (const FileError& error) {
    return error.what();
  }
  return "no error";
}

// An engine state with its messages dropped, for the systems a conversion would write.
struct EngineStateForListing {
  IgnoringMessages Messages;
  EngineState State{Messages};
};

TEST(LocalFileSystem, CopyRefusesToOverwriteAndFailuresNameTheFile) {
  TempFolder folder;
  LocalFileSystem files;
  WriteFileBytes(folder / "from", {1, 2, 3});
  WriteFileBytes(folder / "taken", {9});
  ASSERT_EQ(::mkdir((folder / "sub").c_str(), 0755), 0);

  files.CopyNoOverwrite(folder / "from", folder / "to");
  EXPECT_EQ(ReadFileBytes(folder / "to"), (Bytes{1, 2, 3}));
  EXPECT_EQ(ErrorOf([&] { files.CopyNoOverwrite(folder / "from", folder / "taken"); }),
            "Cannot create file " + (folder / "taken") + ": File exists");
  EXPECT_EQ(ReadFileBytes(folder / "taken"), Bytes{9});
  EXPECT_EQ(ErrorOf([&] { files.CopyNoOverwrite(folder / "missing", folder / "new"); }),
            "Cannot open file " + (folder / "missing") + ": No such file or directory");
  EXPECT_FALSE(files.IsRegularFile(folder / "new"));

  EXPECT_EQ(ErrorOf([&] { files.OpenRead(folder / "sub"); }), "Cannot open file " + (folder / "sub") + ": Is a directory");
  EXPECT_EQ(ErrorOf([&] { files.Create(folder / "none/x"); }), "Cannot create file " + (folder / "none/x") + ": No such file or directory");
  EXPECT_FALSE(files.IsRegularFile(folder / "sub"));
  EXPECT_TRUE(files.Remove(folder / "missing"));
}

TEST(LocalFileSystem, FailuresCarryTheOperationPathAndSystemErrorNumber) {
  TempFolder folder;
  LocalFileSystem files;
  WriteFileBytes(folder / "taken", {9});
  ASSERT_EQ(::mkdir((folder / "sub").c_str(), 0755), 0);
  struct Case {
    const char* Name;
    std::function<void()> Operation;
    FileOperation Expected;
    std::string Path;
    int Code;
  };
  const std::vector<Case> cases = {
      {"missing input", [&] { files.OpenRead(folder / "missing"); }, FileOperation::Open, folder / "missing", ENOENT},
      {"folder as input", [&] { files.OpenRead(folder / "sub"); }, FileOperation::Open, folder / "sub", EISDIR},
      {"existing output", [&] { files.CopyNoOverwrite(folder / "taken", folder / "taken"); }, FileOperation::Create,
       folder / "taken", EEXIST},
      {"missing folder", [&] { files.Create(folder / "none/x"); }, FileOperation::Create, folder / "none/x", ENOENT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    try {
      c.Operation();
      ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
      EXPECT_EQ(error.Details().Kind, ErrorKind::FileOperation);
      EXPECT_EQ(error.Operation(), c.Expected);
      EXPECT_EQ(error.Path(), c.Path);
      EXPECT_EQ(error.SystemCode(), c.Code);
      EXPECT_EQ(error.Reason(), SystemReason(c.Code));
    }
  }
}

TEST(LocalFileSystem, FileReadsWritesSeeksAndReportsItsSize) {
  TempFolder folder;
  LocalFileSystem files;
  std::unique_ptr<File> file = files.Create(folder / "f");
  file->Write("abcdef", 6);
  file->Seek(2);
  file->Write("XY", 2);
  EXPECT_EQ(file->Size(), 6u);
  file->SeekToStart();
  char text[8] = {};
  EXPECT_EQ(file->Read(text, sizeof text), 6u);
  EXPECT_EQ(std::string(text), "abXYef");
  EXPECT_EQ(file->Read(text, sizeof text), 0u);
  file->Close();
}

TEST(ListShapefiles, ListsFilesAndFoldersEndingInShpInAnyCase) {
  TempFolder folder;
  for (const char* name : {"a.shp", "B.SHP", "c.Shp", "e.shpx", "shp", "f.shp.bak", "\xA5\x78.shp", "g.\xC0HP"})
    WriteFileBytes(folder / name, {});
  ASSERT_EQ(::mkdir((folder / "d.shp").c_str(), 0755), 0);
  LocalFileSystem local;
  std::vector<std::string> names = ListShapefiles(local, folder.Path());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"B.SHP", "a.shp", "c.Shp", "d.shp", "\xA5\x78.shp"}));
  EXPECT_TRUE(ListShapefiles(local, folder / "missing").empty());
}

TEST(JoinPath, AddsOneSeparator) {
  EXPECT_EQ(JoinPath("/data", "roads.shp"), "/data/roads.shp");
  EXPECT_EQ(JoinPath("/data/", "roads.shp"), "/data/roads.shp");
  EXPECT_EQ(JoinPath("/", "data"), "/data");
  EXPECT_EQ(JoinPath("", "roads.shp"), "roads.shp");
}


// The outputs of an earlier conversion are marked: by their name beside the input, or by the
// .prj this program writes. Systems other programs write, and names that only look alike, are not.
TEST(ListShapefilesMarked, MarksTheOutputsOfEarlierConversions) {
  TempFolder folder;
  LocalFileSystem local;
  EngineStateForListing engine;
  const std::string ownPrj =
      *TargetSystemWkt(IndexOf(Mode::Twd97GeographicToTwd97Tm2), engine.State.Settings, engine.State.Lambert);
  const std::string otherPrj =
      "PROJCS[\"TWD_1997_TM_Taiwan\",GEOGCS[\"GCS_TWD_1997\",DATUM[\"D_TWD_1997\",SPHEROID[\"GRS_1980\","
      "6378137.0,298.257222101]],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]],"
      "PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"False_Easting\",250000.0],UNIT[\"Meter\",1.0]]";
  struct Entry {
    const char* Name;
    const char* Prj;  // written beside it as NAME.prj, or none
    bool Marked;
  };
  const std::vector<Entry> entries = {
      {"roads.shp", nullptr, false},
      {"roads_1.SHP", nullptr, true},     // beside roads.shp
      {"rivers_1.shp", nullptr, false},   // no rivers.shp
      {"areas.shp", "own", true},         // a .prj this program wrote
      {"towns.shp", "other", false},      // as GIS programs write TWD97 TM2
      {"x_11.shp", nullptr, false},
  };
  for (const Entry& e : entries) {
    WriteFileBytes(folder / e.Name, {});
    if (e.Prj == nullptr) continue;
    const std::string text = std::string(e.Prj) == "own" ? ownPrj : otherPrj;
    const std::string stem(e.Name, std::strlen(e.Name) - 4);
    WriteFileBytes(folder / (stem + ".PRJ"), Bytes(text.begin(), text.end()));
  }
  WriteFileBytes(folder / "x.shp", {});
  for (const ListedShapefile& listed : ListShapefilesMarked(local, folder.Path())) {
    const auto entry = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return listed.Name == e.Name; });
    EXPECT_EQ(listed.EarlierOutput, entry != entries.end() && entry->Marked) << listed.Name;
  }
  EXPECT_TRUE(IsOwnTargetSystem(ownPrj));
  EXPECT_FALSE(IsOwnTargetSystem(otherPrj));
}

// Each output of an earlier conversion goes right after its input, whatever order the names
// came in; everything else keeps its order.
TEST(PlaceOutputsAfterInputs, PutsEachOutputRightAfterItsInput) {
  struct Case {
    const char* Name;
    std::vector<std::string> Given;
    std::vector<std::string> Placed;
  };
  const std::vector<Case> cases = {
      {"output sorted before its input", {"roads_1.shp", "roads.shp", "towns.shp"},
       {"roads.shp", "roads_1.shp", "towns.shp"}},
      {"a name between them", {"a_1.shp", "a-b.shp", "a.shp"}, {"a-b.shp", "a.shp", "a_1.shp"}},
      {"chain of conversions", {"x_1_1.shp", "x_1.shp", "w.shp", "x.shp"}, {"w.shp", "x.shp", "x_1.shp", "x_1_1.shp"}},
      {"extension in another case", {"R_1.SHP", "R.Shp"}, {"R.Shp", "R_1.SHP"}},
      {"output without its input stays", {"b_1.shp", "a.shp"}, {"b_1.shp", "a.shp"}},
      {"not an output: _11", {"x_11.shp", "x.shp"}, {"x_11.shp", "x.shp"}},
      {"Big5 names", {"\xb9\x44\xb8\xf4_1.shp", "\xb9\x44\xb8\xf4.shp"}, {"\xb9\x44\xb8\xf4.shp", "\xb9\x44\xb8\xf4_1.shp"}},
      {"input listed twice in two cases", {"a_1.shp", "a.shp", "a.SHP"}, {"a.shp", "a_1.shp", "a.SHP"}},
      {"empty", {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<ListedShapefile> entries;
    for (const std::string& name : c.Given) entries.push_back({name, false});
    PlaceOutputsAfterInputs(entries);
    std::vector<std::string> placed;
    for (const ListedShapefile& entry : entries) placed.push_back(entry.Name);
    EXPECT_EQ(placed, c.Placed);
  }
}

// Every projected system the outputs can carry is recognised; no geographic one is, since
// other programs write them alike.
TEST(ListShapefilesMarked, RecognisesEveryProjectedSystemThisProgramWrites) {
  for (Region region = 0; region < kRegionCount; ++region) {
    for (TransformMode mode = 0; mode < kModeCount; ++mode) {
      EngineStateForListing engine;
      ApplyTransformSettings(engine.State, mode, region);
      const std::string wkt = *TargetSystemWkt(mode, engine.State.Settings, engine.State.Lambert);
      EXPECT_EQ(IsOwnTargetSystem(wkt), wkt.rfind("PROJCS", 0) == 0) << mode << " " << region << " " << wkt;
    }
  }
}

}  // namespace
}  // namespace morvane::test
