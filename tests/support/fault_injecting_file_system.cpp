#include "support/fault_injecting_file_system.hpp"

#include <algorithm>

namespace morvane::test {

namespace {

class FaultInjectingFile : public File {
 public:
  FaultInjectingFile(FaultInjectingFileSystem& owner, std::unique_ptr<File> file, std::string path)
      : owner_(owner), file_(std::move(file)), path_(std::move(path)) {}

  std::size_t Read(void* buffer, std::size_t size) override {
    if (owner_.Fails(FileCall::Read, path_)) throw owner_.Failure(FileOperation::Read, path_);
    return file_->Read(buffer, size);
  }
  void Write(const void* data, std::size_t size) override {
    written_ = true;
    if (owner_.Fails(FileCall::Write, path_)) {
      file_->Write(data, size / 2);
      throw owner_.Failure(FileOperation::Write, path_);
    }
    file_->Write(data, size);
  }
  void SeekToStart() override { Seek(0); }
  void Seek(std::uint64_t offset) override {
    if (owner_.Fails(FileCall::Seek, path_))
      throw owner_.Failure(written_ ? FileOperation::Write : FileOperation::Read, path_);
    file_->Seek(offset);
  }
  std::uint64_t Size() override {
    if (owner_.Fails(FileCall::Size, path_)) throw owner_.Failure(FileOperation::Read, path_);
    return file_->Size();
  }
  void Close() override {
    const bool fails = owner_.Fails(FileCall::Close, path_);
    file_->Close();
    if (fails) throw owner_.Failure(written_ ? FileOperation::Write : FileOperation::Read, path_);
  }

 private:
  FaultInjectingFileSystem& owner_;
  std::unique_ptr<File> file_;
  std::string path_;
  bool written_ = false;
};

}  // namespace

std::string_view FileCallName(FileCall call) {
  switch (call) {
    case FileCall::Open: return "open";
    case FileCall::Create: return "create";
    case FileCall::Read: return "read";
    case FileCall::Write: return "write";
    case FileCall::Seek: return "seek";
    case FileCall::Size: return "size";
    case FileCall::Close: return "close";
    case FileCall::Copy: return "copy";
    case FileCall::Rename: return "rename";
    case FileCall::Delete: return "delete";
  }
  return "?";
}

bool FaultInjectingFileSystem::Fails(FileCall call, const std::string& path) {
  if (std::find(kinds_.begin(), kinds_.end(), call) == kinds_.end()) return false;
  if (++calls_ != failAt_) return false;
  fault_ = InjectedFault{call, path};
  return true;
}

FileError FaultInjectingFileSystem::Failure(FileOperation operation, const std::string& path) const {
  return errorNumber_ == 0 ? FileError(operation, path) : FileError(operation, path, errorNumber_);
}

bool FaultInjectingFileSystem::Remove(const std::string& path) {
  if (Fails(FileCall::Delete, path)) return false;
  return real_.Remove(path);
}

void FaultInjectingFileSystem::CopyNoOverwrite(const std::string& from, const std::string& to) {
  if (Fails(FileCall::Copy, to)) throw Failure(FileOperation::Write, to);
  real_.CopyNoOverwrite(from, to);
}

std::unique_ptr<File> FaultInjectingFileSystem::OpenRead(const std::string& path) {
  if (Fails(FileCall::Open, path)) throw Failure(FileOperation::Open, path);
  return std::make_unique<FaultInjectingFile>(*this, real_.OpenRead(path), path);
}

std::unique_ptr<File> FaultInjectingFileSystem::OpenReadWrite(const std::string& path) {
  if (Fails(FileCall::Open, path)) throw Failure(FileOperation::Open, path);
  return std::make_unique<FaultInjectingFile>(*this, real_.OpenReadWrite(path), path);
}

std::unique_ptr<File> FaultInjectingFileSystem::Create(const std::string& path) {
  if (Fails(FileCall::Create, path)) throw Failure(FileOperation::Create, path);
  return std::make_unique<FaultInjectingFile>(*this, real_.Create(path), path);
}

void FaultInjectingFileSystem::Rename(const std::string& from, const std::string& to) {
  if (Fails(FileCall::Rename, to)) throw Failure(FileOperation::Write, to);
  real_.Rename(from, to);
}

}  // namespace morvane::test
