// The conversion run on a real full disk and a real read-only folder: small tmpfs mounts where
// the test may mount them, a folder without write permission where permissions count.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <string>
#include <vector>

#include "engine/mode_table.hpp"
#include "shapefile/conversion_run.hpp"
#include "shapefile/output_names.hpp"
#include "support/fail_on_message.hpp"
#include "support/file_bytes.hpp"
#include "support/shapefile_writer.hpp"

namespace morvane::test {
namespace {

constexpr TransformMode kGeographicToTm2 = IndexOf(Mode::Twd67GeographicToTwd67Tm2);

// A tmpfs of a few hundred kilobytes mounted on a fresh temporary folder, unmounted at the end
// (the folder then goes with it). Mounted() is false where the process may not mount.
class SmallTmpfs {
 public:
  explicit SmallTmpfs(std::size_t bytes) : options_("size=" + std::to_string(bytes)) {
    mounted_ = ::mount("tmpfs", Path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options_.c_str()) == 0;
  }
  ~SmallTmpfs() {
    if (mounted_) ::umount2(Path().c_str(), MNT_DETACH);
  }
  SmallTmpfs(const SmallTmpfs&) = delete;
  SmallTmpfs& operator=(const SmallTmpfs&) = delete;

  bool Mounted() const { return mounted_; }
  std::string operator/(const std::string& name) const { return folder_ / name; }
  const std::string& Path() const { return folder_.Path(); }
  bool MakeReadOnly() {
    return ::mount(nullptr, Path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV,
                   options_.c_str()) == 0;
  }

 private:
  TempFolder folder_;
  std::string options_;
  bool mounted_ = false;
};

// One polygon of 20000 points: a main file of about 320 KB.
Shapefile BigPolygon() {
  std::vector<XY> ring;
  for (int i = 0; i < 20000; ++i) ring.push_back({120.0 + 1e-5 * i, 22.0 + 3e-5 * (i % 977)});
  return BuildShapefile(ShapeType::Polygon, {PartsRecord(ShapeType::Polygon, {0}, ring)});
}

std::map<std::string, Bytes> Snapshot(const std::string& folder) {
  std::map<std::string, Bytes> files;
  LocalFileSystem local;
  for (const std::string& name : local.ListFolder(folder)) files[name] = ReadFileBytes(folder + "/" + name);
  return files;
}

// Converts big.shp in `folder`; returns the error's text, or "" if it converted.
std::string ConvertBig(const std::string& folder) {
  FailOnMessageFeedback feedback;
  EngineState engine(feedback);
  LocalFileSystem files;
  const RunSummary summary =
      RunConversion(engine, {{"big.shp", true}}, folder, kGeographicToTm2, kTaiwanRegion, feedback, files);
  return summary.Failed.empty() ? "" : summary.Failed[0].Reason;
}

TEST(DiskErrors, FullDiskNamesTheOutputAndItsCauseAndLeavesOnlyTheInputs) {
  const Shapefile big = BigPolygon();
  // Room for the inputs and a part of the outputs only.
  SmallTmpfs disk(big.Main.size() + big.Index.size() + 64 * 1024);
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
  WriteShapefile(disk / "big", big);
  const std::map<std::string, Bytes> before = Snapshot(disk.Path());

  EXPECT_EQ(ConvertBig(disk.Path()), "Cannot write file " + (disk / "big_1.shp") + ": No space left on device");
  EXPECT_EQ(Snapshot(disk.Path()), before);
}

TEST(DiskErrors, ReadOnlyFolderNamesTheOutputAndItsCause) {
  const Shapefile big = BigPolygon();
  SmallTmpfs disk(4 * big.Main.size());
  if (disk.Mounted()) {
    SCOPED_TRACE("read-only tmpfs");
    WriteShapefile(disk / "big", big);
    const std::map<std::string, Bytes> before = Snapshot(disk.Path());
    ASSERT_TRUE(disk.MakeReadOnly());
    EXPECT_EQ(ConvertBig(disk.Path()), "Cannot create file " + (disk / "big_1.shp") + ": Read-only file system");
    EXPECT_EQ(Snapshot(disk.Path()), before);
  }
  // Permission bits do not stop the superuser, so this case needs an ordinary user.
  if (::geteuid() != 0) {
    SCOPED_TRACE("folder without write permission");
    TempFolder folder;
    WriteShapefile(folder / "big", big);
    const std::map<std::string, Bytes> before = Snapshot(folder.Path());
    ASSERT_EQ(::chmod(folder.Path().c_str(), 0555), 0);
    const std::string error = ConvertBig(folder.Path());
    ::chmod(folder.Path().c_str(), 0755);
    EXPECT_EQ(error, "Cannot create file " + (folder / "big_1.shp") + ": Permission denied");
    EXPECT_EQ(Snapshot(folder.Path()), before);
  }
  if (!disk.Mounted() && ::geteuid() == 0) GTEST_SKIP() << "cannot mount a tmpfs here and permissions do not count";
}

}  // namespace
}  // namespace morvane::test
