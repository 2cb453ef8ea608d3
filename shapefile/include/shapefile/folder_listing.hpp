// The directory search behind the file list: the names in a folder that match "*.shp".
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shapefile/file_system.hpp"

namespace morvane {

// Bare names (no folder) of the entries of `folder` whose name ends in ".shp" in any letter
// case, files and folders alike, in the order the directory delivers them. Names are the
// platform's raw bytes, never re-encoded. A folder that cannot be searched gives an empty list.
std::vector<std::string> ListShapefiles(FileSystem& files, const std::string& folder);

// A listed shapefile, and whether it looks like the output of an earlier conversion: a
// name_1.shp beside its name.shp, or one with a datum report (name_1.datum.txt) or a .prj that
// this program wrote. Converting it again
// would convert twice.
struct ListedShapefile {
  std::string Name;
  bool EarlierOutput = false;
};

// ListShapefiles with each name marked.
std::vector<ListedShapefile> ListShapefilesMarked(FileSystem& files, const std::string& folder);

// The characters that separate folders in a path: '/', and on Windows '\' as well.
#ifdef _WIN32
inline constexpr std::string_view kPathSeparators = "/\\";
#else
inline constexpr std::string_view kPathSeparators = "/";
#endif

// The position of the last separator in `path`, npos if it has none.
std::size_t LastSeparator(std::string_view path);

// Moves each output of an earlier conversion (name_1.shp) to just after its input (name.shp,
// the extension in any case), and its own output (name_1_1.shp) after it, keeping the order of
// everything else: whatever the collation puts first, a list reads input, then output.
void PlaceOutputsAfterInputs(std::vector<ListedShapefile>& entries);

// folder + separator + name, the way the run builds its paths. The separator is "/" (on
// Windows the folder's own last one, or else '\'); a folder that already ends in one gets no
// second, and an empty folder (the working folder) gives the name alone.
std::string JoinPath(const std::string& folder, const std::string& name);

// Whether `name` ends in `suffix`, ASCII letters compared without regard to case. Bytes
// outside ASCII are compared exactly, so multi-byte names (Big5) are never folded.
bool EndsWithIgnoringCase(std::string_view name, std::string_view suffix);

// A companion of a main file: stem + extension (e.g. "maps/roads" + ".shx") when that file
// exists, or else the one name in its folder that differs from it only in the letter case of
// the extension ("maps/roads.SHX"); nullopt when there is none.
std::optional<std::string> FindCompanion(FileSystem& files, const std::string& stem,
                                         const std::string& extension);

// Another FileSystem whose folder listings are read once and kept, for looking up the
// companions of many files of one folder in a row (each lookup of a missing companion lists
// the folder). Everything else goes straight through. For reading only: a listing does not
// follow later changes of the folder.
class ListingCacheFileSystem : public FileSystem {
 public:
  explicit ListingCacheFileSystem(FileSystem& files) : files_(files) {}

  bool IsRegularFile(const std::string& path) override { return files_.IsRegularFile(path); }
  bool Remove(const std::string& path) override { return files_.Remove(path); }
  void CopyNoOverwrite(const std::string& from, const std::string& to) override { files_.CopyNoOverwrite(from, to); }
  std::unique_ptr<File> OpenRead(const std::string& path) override { return files_.OpenRead(path); }
  std::unique_ptr<File> OpenReadWrite(const std::string& path) override { return files_.OpenReadWrite(path); }
  std::unique_ptr<File> Create(const std::string& path) override { return files_.Create(path); }
  void Rename(const std::string& from, const std::string& to) override { files_.Rename(from, to); }
  std::vector<std::string> ListFolder(const std::string& folder) override;

 private:
  FileSystem& files_;
  std::map<std::string, std::vector<std::string>> listings_;
};

}  // namespace morvane
