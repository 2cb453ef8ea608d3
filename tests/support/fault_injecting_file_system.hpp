// A FileSystem over another one that makes the n-th call of chosen kinds fail, the way a real
// disk or a real folder fails: errors name the file, a write may have put part of its bytes
// on the disk first, a failed delete leaves the file.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shapefile/file_system.hpp"

namespace morvane::test {

// The kinds of call that can be made to fail.
enum class FileCall { Open, Create, Read, Write, Seek, Size, Close, Copy, Rename, Delete };
inline constexpr std::size_t kFileCallKinds = 10;
inline constexpr std::array<FileCall, kFileCallKinds> kAllFileCalls = {
    FileCall::Open, FileCall::Create, FileCall::Read,   FileCall::Write,  FileCall::Seek,
    FileCall::Size, FileCall::Close,  FileCall::Copy,   FileCall::Rename, FileCall::Delete};

std::string_view FileCallName(FileCall call);

// What a failure did: the kind of call and the path it was made on (a temporary included).
struct InjectedFault {
  FileCall Call;
  std::string Path;
};

class FaultInjectingFileSystem : public FileSystem {
 public:
  // Fails the `failAt`-th call (counted from 1) that is of any of `kinds`; 0 fails none.
  //  - open, create: FileError (open or create) before anything is opened;
  //  - read, seek, size: FileError, the file position as it was;
  //  - write: the first half of the bytes is written, then FileError (a disk that fills up);
  //  - close: the file is closed, then FileError (its data may not have reached the disk);
  //  - copy: FileError naming the target, which is not created;
  //  - rename: FileError naming the target; nothing is renamed;
  //  - delete: returns false and the file stays.
  // `errorNumber`, if not 0, is the errno the failure gives as its reason (EACCES, ENOSPC).
  FaultInjectingFileSystem(FileSystem& real, std::vector<FileCall> kinds, int failAt, int errorNumber = 0)
      : real_(real), kinds_(std::move(kinds)), failAt_(failAt), errorNumber_(errorNumber) {}

  bool IsRegularFile(const std::string& path) override { return real_.IsRegularFile(path); }
  bool Remove(const std::string& path) override;
  void CopyNoOverwrite(const std::string& from, const std::string& to) override;
  std::unique_ptr<File> OpenRead(const std::string& path) override;
  std::unique_ptr<File> OpenReadWrite(const std::string& path) override;
  std::unique_ptr<File> Create(const std::string& path) override;
  void Rename(const std::string& from, const std::string& to) override;
  std::vector<std::string> ListFolder(const std::string& folder) override { return real_.ListFolder(folder); }

  // Calls so far of the chosen kinds, the failing one included.
  int Calls() const { return calls_; }
  const std::optional<InjectedFault>& Fault() const { return fault_; }

  // Counts a call of `call` on `path`; true if it is the one to fail.
  bool Fails(FileCall call, const std::string& path);
  // The error of the failing call.
  FileError Failure(FileOperation operation, const std::string& path) const;

 private:
  FileSystem& real_;
  std::vector<FileCall> kinds_;
  int failAt_;
  int errorNumber_;
  int calls_ = 0;
  std::optional<InjectedFault> fault_;
};

}  // namespace morvane::test
