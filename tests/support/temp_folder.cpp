#include "support/temp_folder.hpp"

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace morvane::test {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "morvane-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempFolder::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

void RemoveTree(const std::string& folder) {
  const auto removeEntry = [](const char* path, const struct stat*, int type, FTW*) {
    return type == FTW_DP ? ::rmdir(path) : ::unlink(path);
  };
  ::nftw(folder.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

}  // namespace morvane::test
