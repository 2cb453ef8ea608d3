// POSIX file operations. Names are passed to the system as the raw bytes they are, so names
// in any narrow encoding (Big5 included) work unchanged.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "shapefile/file_system.hpp"
#include "shapefile/live_temporaries.hpp"

namespace morvane {

namespace {

// Written bytes are handed to the disk in pieces of this size while the file is still being
// written, so that the fsync that ends it has little left to wait for.
constexpr off_t kWritebackPiece = off_t{8} << 20;

// Why the open file `fd` is not a regular file (an errno value, or kNotRegularFile), or 0 if it
// is one.
int NotRegularCode(int fd) {
  struct stat info;
  if (::fstat(fd, &info) != 0) return errno;
  if (S_ISREG(info.st_mode)) return 0;
  if (S_ISDIR(info.st_mode)) return EISDIR;
  return kNotRegularFile;
}

// The error of the failed call just made, with the system's reason.
[[noreturn]] void ThrowLastError(FileOperation operation, const std::string& path) {
  throw FileError(operation, path, errno);
}

// Reads until `size` bytes or the end of the file; -1 on an error.
ssize_t ReadFully(int fd, void* buffer, std::size_t size) {
  auto* bytes = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, bytes + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

// Writes all `size` bytes; false on an error (ENOSPC for a full disk).
bool WriteFully(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

class LocalFile : public File {
 public:
  LocalFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~LocalFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  LocalFile(const LocalFile&) = delete;
  LocalFile& operator=(const LocalFile&) = delete;

  std::size_t Read(void* buffer, std::size_t size) override {
    const ssize_t n = ReadFully(fd_, buffer, size);
    if (n < 0) ThrowLastError(FileOperation::Read, path_);
    return static_cast<std::size_t>(n);
  }

  void Write(const void* data, std::size_t size) override {
    written_ = true;
    if (!WriteFully(fd_, data, size)) ThrowLastError(FileOperation::Write, path_);
    StartWriteback();
  }

  void SeekToStart() override { Seek(0); }

  void Seek(std::uint64_t offset) override {
    if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0)
      ThrowLastError(written_ ? FileOperation::Write : FileOperation::Read, path_);
  }

  std::uint64_t Size() override {
    struct stat info;
    if (::fstat(fd_, &info) != 0) ThrowLastError(FileOperation::Read, path_);
    return static_cast<std::uint64_t>(info.st_size);
  }

  void Close() override {
    const int fd = fd_;
    fd_ = -1;
    // A full disk or a failing device may only show at fsync or close; the first failure's
    // reason is the one reported.
    int failure = 0;
    if (written_ && ::fsync(fd) != 0) failure = errno;
    if (::close(fd) != 0 && failure == 0) failure = errno;
    if (written_ && failure != 0) throw FileError(FileOperation::Write, path_, failure);
  }

 private:
  // Starts writing out the bytes written since the last piece, once there is a piece of them;
  // it does not wait. Errors show at the fsync.
  void StartWriteback() {
#ifdef SYNC_FILE_RANGE_WRITE
    const off_t end = ::lseek(fd_, 0, SEEK_CUR);
    if (end - writebackFrom_ < kWritebackPiece) return;  // also after a seek back to patch
    ::sync_file_range(fd_, writebackFrom_, end - writebackFrom_, SYNC_FILE_RANGE_WRITE);
    writebackFrom_ = end;
#endif
  }

  int fd_;
  std::string path_;
  bool written_ = false;
  off_t writebackFrom_ = 0;
};

std::unique_ptr<File> OpenRegular(const std::string& path, int flags, FileOperation failure) {
  int fd = -1;
  {
    // A file is not created while a stopped process removes its temporaries.
    std::shared_lock<std::shared_mutex> hold;
    if ((flags & O_CREAT) != 0) hold = HoldOffRemoval();
    fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) ThrowLastError(failure, path);
  }
  const int notRegular = NotRegularCode(fd);
  if (notRegular != 0) {
    ::close(fd);
    throw FileError(failure, path, notRegular);
  }
  return std::make_unique<LocalFile>(fd, path);
}

}  // namespace

bool LocalFileSystem::IsRegularFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool LocalFileSystem::Remove(const std::string& path) {
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

void LocalFileSystem::CopyNoOverwrite(const std::string& from, const std::string& to) {
  std::unique_ptr<File> source = OpenRegular(from, O_RDONLY, FileOperation::Open);
  // O_EXCL refuses an existing target, a dangling link included.
  std::unique_ptr<File> target = OpenRegular(to, O_WRONLY | O_CREAT | O_EXCL, FileOperation::Create);
  CopyIntoNewFile(*this, *source, std::move(target), to);
}

std::unique_ptr<File> LocalFileSystem::OpenRead(const std::string& path) {
  return OpenRegular(path, O_RDONLY, FileOperation::Open);
}

std::unique_ptr<File> LocalFileSystem::OpenReadWrite(const std::string& path) {
  return OpenRegular(path, O_RDWR, FileOperation::Open);
}

std::unique_ptr<File> LocalFileSystem::Create(const std::string& path) {
  return OpenRegular(path, O_RDWR | O_CREAT | O_TRUNC, FileOperation::Create);
}

void LocalFileSystem::Rename(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) ThrowLastError(FileOperation::Write, to);
}

std::vector<std::string> LocalFileSystem::ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    names.emplace_back(name);
  }
  ::closedir(dir);
  return names;
}

}  // namespace morvane
