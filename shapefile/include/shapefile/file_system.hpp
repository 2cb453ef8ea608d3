// The platform's file operations, behind an interface so that the run can be tested with
// failures injected. LocalFileSystem is the real one: POSIX with names as raw bytes, or
// Windows with UTF-8 names through the wide-character API.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "shapefile/run_error.hpp"

namespace morvane {

// An open file. Every failure throws FileError naming the file.
class File {
 public:
  virtual ~File() = default;
  // Reads up to `size` bytes; returns the number read, 0 at the end of the file. Fewer than
  // `size` only at the end of the file.
  virtual std::size_t Read(void* buffer, std::size_t size) = 0;
  // Writes all `size` bytes or throws ("Cannot write file %s", a full disk included).
  virtual void Write(const void* data, std::size_t size) = 0;
  virtual void SeekToStart() = 0;
  // Moves to `offset` bytes from the start.
  virtual void Seek(std::uint64_t offset) = 0;
  virtual std::uint64_t Size() = 0;
  // Flushes and closes; a failure (a full disk) throws. A file that was written is on the
  // disk when Close returns. Destroying an unclosed file closes it quietly.
  virtual void Close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool IsRegularFile(const std::string& path) = 0;
  // Deletes the file if it exists; returns whether it is gone.
  virtual bool Remove(const std::string& path) = 0;
  // Copies byte for byte, refusing to overwrite an existing target; throws on failure and
  // then leaves no target behind.
  virtual void CopyNoOverwrite(const std::string& from, const std::string& to) = 0;
  // Opens an existing regular file; "Cannot open file %s" on failure.
  virtual std::unique_ptr<File> OpenRead(const std::string& path) = 0;
  virtual std::unique_ptr<File> OpenReadWrite(const std::string& path) = 0;
  // Creates or empties, for reading and writing; "Cannot create file %s" on failure.
  virtual std::unique_ptr<File> Create(const std::string& path) = 0;
  // Moves `from` over `to`, replacing it atomically; throws on failure.
  virtual void Rename(const std::string& from, const std::string& to) = 0;
  // The names in `folder` ("." and ".." left out), in the order the directory delivers them;
  // empty if the folder cannot be read.
  virtual std::vector<std::string> ListFolder(const std::string& folder) = 0;
};

// The copying half of CopyNoOverwrite, for the systems alike: the rest of `source` into the
// new file `target` (at `to`), which is closed; on a failure `to` is removed through `files`
// and the error passed on.
void CopyIntoNewFile(FileSystem& files, File& source, std::unique_ptr<File> target, const std::string& to);

// The real files: local_file_system.cpp on POSIX systems, windows_file_system.cpp on Windows.
class LocalFileSystem : public FileSystem {
 public:
  bool IsRegularFile(const std::string& path) override;
  bool Remove(const std::string& path) override;
  void CopyNoOverwrite(const std::string& from, const std::string& to) override;
  std::unique_ptr<File> OpenRead(const std::string& path) override;
  std::unique_ptr<File> OpenReadWrite(const std::string& path) override;
  std::unique_ptr<File> Create(const std::string& path) override;
  void Rename(const std::string& from, const std::string& to) override;
  std::vector<std::string> ListFolder(const std::string& folder) override;
};

}  // namespace morvane
