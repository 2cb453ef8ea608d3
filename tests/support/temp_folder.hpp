// A real folder under the system's temporary directory, removed with everything in it.
#pragma once

#include <string>
#include <vector>

namespace morvane::test {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // The names in the folder, sorted.
  std::vector<std::string> Names() const;

 private:
  std::string path_;
};

// Whether anything exists at `path`.
bool FileExists(const std::string& path);

// Deletes `folder` and everything in it, by raw names (bytes that need not be valid text).
void RemoveTree(const std::string& folder);

}  // namespace morvane::test
