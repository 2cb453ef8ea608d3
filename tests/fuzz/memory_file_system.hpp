// A FileSystem held in memory, for running the conversion on fuzz inputs without a disk.
// Paths are plain keys; a folder is everything before the last "/". Files opened for reading
// refuse writes, so a run that writes an input is caught at the write.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shapefile/file_system.hpp"

namespace morvane::fuzz {

using Bytes = std::vector<unsigned char>;

class MemoryFileSystem : public FileSystem {
 public:
  bool IsRegularFile(const std::string& path) override { return files_.count(path) != 0; }
  bool Remove(const std::string& path) override;
  void CopyNoOverwrite(const std::string& from, const std::string& to) override;
  std::unique_ptr<File> OpenRead(const std::string& path) override;
  std::unique_ptr<File> OpenReadWrite(const std::string& path) override;
  std::unique_ptr<File> Create(const std::string& path) override;
  void Rename(const std::string& from, const std::string& to) override;
  std::vector<std::string> ListFolder(const std::string& folder) override;

  void Put(const std::string& path, Bytes bytes);
  // The bytes of every file, by path.
  std::map<std::string, Bytes> Contents() const;

 private:
  std::unique_ptr<File> Open(const std::string& path, bool writable);

  // Shared with the open files, so that a file removed or renamed while open stays valid.
  std::map<std::string, std::shared_ptr<Bytes>> files_;
};

}  // namespace morvane::fuzz
