// The local file system and the folder listing, on a real temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "shapefile/file_system.hpp"
#include "shapefile/folder_listing.hpp"
#include "shapefile_fixtures.hpp"

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

}  // namespace
}  // namespace morvane::test
