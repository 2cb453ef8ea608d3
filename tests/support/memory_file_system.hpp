// Files and a FileSystem held in memory, for driving the buffered reader and writer directly
// and for running the conversion without a disk (the fuzz inputs).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shapefile/file_system.hpp"
#include "support/byte_fields.hpp"

namespace morvane::test {

// A file whose bytes are held in memory. One opened for reading refuses writes (FileError
// naming `path`), so that a run that writes an input is caught at the write.
class MemoryFile : public File {
 public:
  // A writable file of its own.
  explicit MemoryFile(Bytes data = {}) : data_(std::make_shared<Bytes>(std::move(data))) {}
  // A file over bytes shared with the file system that holds them.
  MemoryFile(std::shared_ptr<Bytes> data, std::string path, bool writable)
      : data_(std::move(data)), path_(std::move(path)), writable_(writable) {}

  std::size_t Read(void* buffer, std::size_t size) override;
  void Write(const void* data, std::size_t size) override;
  void SeekToStart() override { position_ = 0; }
  void Seek(std::uint64_t offset) override {
    position_ = static_cast<std::size_t>(offset);
    ++seeks_;
  }
  std::uint64_t Size() override { return data_->size(); }
  void Close() override {}

  const Bytes& Data() const { return *data_; }
  // Calls of Seek so far.
  int Seeks() const { return seeks_; }

 private:
  std::shared_ptr<Bytes> data_;
  std::string path_;
  bool writable_ = true;
  std::size_t position_ = 0;
  int seeks_ = 0;
};

// Paths are plain keys; a folder is everything before the last "/".
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

}  // namespace morvane::test
