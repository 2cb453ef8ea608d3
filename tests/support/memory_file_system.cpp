#include "support/memory_file_system.hpp"

#include <algorithm>
#include <cstring>

namespace morvane::test {

std::size_t MemoryFile::Read(void* buffer, std::size_t size) {
  const std::size_t n = std::min(size, data_->size() - std::min(position_, data_->size()));
  if (n > 0) std::memcpy(buffer, data_->data() + position_, n);
  position_ += n;
  return n;
}

void MemoryFile::Write(const void* data, std::size_t size) {
  if (!writable_) throw FileError(FileOperation::Write, path_);
  if (size == 0) return;
  if (data_->size() < position_ + size) data_->resize(position_ + size);
  std::memcpy(data_->data() + position_, data, size);
  position_ += size;
}

bool MemoryFileSystem::Remove(const std::string& path) {
  files_.erase(path);
  return true;
}

void MemoryFileSystem::CopyNoOverwrite(const std::string& from, const std::string& to) {
  const auto source = files_.find(from);
  if (source == files_.end()) throw FileError(FileOperation::Open, from);
  if (files_.count(to) != 0) throw FileError(FileOperation::Create, to);
  files_[to] = std::make_shared<Bytes>(*source->second);
}

std::unique_ptr<File> MemoryFileSystem::Open(const std::string& path, bool writable) {
  const auto file = files_.find(path);
  if (file == files_.end()) throw FileError(FileOperation::Open, path);
  return std::make_unique<MemoryFile>(file->second, path, writable);
}

std::unique_ptr<File> MemoryFileSystem::OpenRead(const std::string& path) { return Open(path, false); }

std::unique_ptr<File> MemoryFileSystem::OpenReadWrite(const std::string& path) { return Open(path, true); }

std::unique_ptr<File> MemoryFileSystem::Create(const std::string& path) {
  files_[path] = std::make_shared<Bytes>();
  return Open(path, true);
}

void MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
  const auto source = files_.find(from);
  if (source == files_.end()) throw FileError(FileOperation::Write, to);
  std::shared_ptr<Bytes> data = source->second;
  files_.erase(source);
  files_[to] = std::move(data);
}

std::vector<std::string> MemoryFileSystem::ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& [path, data] : files_) {
    const std::size_t slash = path.rfind('/');
    const std::string parent = slash == std::string::npos ? "." : path.substr(0, slash);
    if (parent == folder) names.push_back(path.substr(slash + 1));
  }
  return names;
}

void MemoryFileSystem::Put(const std::string& path, Bytes bytes) {
  files_[path] = std::make_shared<Bytes>(std::move(bytes));
}

std::map<std::string, Bytes> MemoryFileSystem::Contents() const {
  std::map<std::string, Bytes> contents;
  for (const auto& [path, data] : files_) contents[path] = *data;
  return contents;
}

}  // namespace morvane::test
