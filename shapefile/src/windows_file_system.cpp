// Windows file operations, through the wide-character API: names are UTF-8 inside the program
// and UTF-16 at the system, so Chinese names work whatever the code page. Both '/' and '\' separate
// folders. Files are opened with every sharing mode, so that a temporary can be deleted (by
// the Ctrl-C handler) while a conversion thread still has it open.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "shapefile/file_system.hpp"
#include "shapefile/live_temporaries.hpp"
#include "shapefile/windows_text.hpp"

namespace morvane {

namespace {

// The most one ReadFile or WriteFile call is asked to move.
constexpr DWORD kLargestTransfer = DWORD{1} << 30;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A virus scanner or the search indexer may hold an old output open for a moment when it is
// to be replaced; the move is tried again, waiting longer each time, for about five seconds.
constexpr auto kFirstMoveRetryWait = std::chrono::milliseconds(10);
constexpr auto kLongestMoveRetryWait = std::chrono::milliseconds(500);
constexpr auto kMoveRetryTime = std::chrono::seconds(5);
// The reason given where Linux says strerror(EISDIR).
constexpr char kIsFolderReason[] = "Is a directory";

[[noreturn]] void ThrowLastError(FileOperation operation, const std::string& path) {
  throw FileError(operation, path, WindowsReason(::GetLastError()));
}

class LocalFile : public File {
 public:
  LocalFile(HANDLE handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  ~LocalFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  LocalFile(const LocalFile&) = delete;
  LocalFile& operator=(const LocalFile&) = delete;

  std::size_t Read(void* buffer, std::size_t size) override {
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
      DWORD got = 0;
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, kLargestTransfer));
      if (!::ReadFile(handle_, bytes + done, want, &got, nullptr)) ThrowLastError(FileOperation::Read, path_);
      if (got == 0) break;
      done += got;
    }
    return done;
  }

  void Write(const void* data, std::size_t size) override {
    written_ = true;
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
      DWORD put = 0;
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, kLargestTransfer));
      if (!::WriteFile(handle_, bytes, want, &put, nullptr)) ThrowLastError(FileOperation::Write, path_);
      bytes += put;
      size -= put;
    }
  }

  void SeekToStart() override { Seek(0); }

  void Seek(std::uint64_t offset) override {
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(handle_, distance, nullptr, FILE_BEGIN))
      ThrowLastError(written_ ? FileOperation::Write : FileOperation::Read, path_);
  }

  std::uint64_t Size() override {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(handle_, &size)) ThrowLastError(FileOperation::Read, path_);
    return static_cast<std::uint64_t>(size.QuadPart);
  }

  void Close() override {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    // As fsync on Linux: a written file is on the disk before it is moved into place.
    DWORD failure = 0;
    if (written_ && !::FlushFileBuffers(handle)) failure = ::GetLastError();
    if (!::CloseHandle(handle) && failure == 0) failure = ::GetLastError();
    if (written_ && failure != 0) throw FileError(FileOperation::Write, path_, WindowsReason(failure));
  }

 private:
  HANDLE handle_;
  std::string path_;
  bool written_ = false;
};

bool IsFolderPath(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Opens `path` with CreateFileW's `access` and `disposition`; a folder or a device is refused.
std::unique_ptr<File> OpenRegular(const std::string& path, DWORD access, DWORD disposition, FileOperation failure) {
  const std::wstring wide = WideFromUtf8(path);
  HANDLE handle = INVALID_HANDLE_VALUE;
  {
    // A file is not created while a stopped process removes its temporaries.
    std::shared_lock<std::shared_mutex> hold;
    if (disposition != OPEN_EXISTING) hold = HoldOffRemoval();
    handle = ::CreateFileW(wide.c_str(), access, kShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = ::GetLastError();
      // Opening a folder fails with "Access is denied"; Linux's reason says more.
      if (IsFolderPath(wide)) throw FileError(failure, path, kIsFolderReason);
      throw FileError(failure, path, WindowsReason(error));
    }
  }
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    ::CloseHandle(handle);
    throw FileError(failure, path, "Not a regular file");
  }
  return std::make_unique<LocalFile>(handle, path);
}

bool MayBeHeldBriefly(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

}  // namespace

bool LocalFileSystem::IsRegularFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

bool LocalFileSystem::Remove(const std::string& path) {
  if (::DeleteFileW(WideFromUtf8(path).c_str())) return true;
  const DWORD error = ::GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

void LocalFileSystem::CopyNoOverwrite(const std::string& from, const std::string& to) {
  std::unique_ptr<File> source = OpenRegular(from, GENERIC_READ, OPEN_EXISTING, FileOperation::Open);
  // CREATE_NEW refuses an existing target.
  std::unique_ptr<File> target = OpenRegular(to, GENERIC_WRITE, CREATE_NEW, FileOperation::Create);
  CopyIntoNewFile(*this, *source, std::move(target), to);
}

std::unique_ptr<File> LocalFileSystem::OpenRead(const std::string& path) {
  return OpenRegular(path, GENERIC_READ, OPEN_EXISTING, FileOperation::Open);
}

std::unique_ptr<File> LocalFileSystem::OpenReadWrite(const std::string& path) {
  return OpenRegular(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, FileOperation::Open);
}

std::unique_ptr<File> LocalFileSystem::Create(const std::string& path) {
  return OpenRegular(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS, FileOperation::Create);
}

void LocalFileSystem::Rename(const std::string& from, const std::string& to) {
  const std::wstring wideFrom = WideFromUtf8(from);
  const std::wstring wideTo = WideFromUtf8(to);
  const auto giveUp = std::chrono::steady_clock::now() + kMoveRetryTime;
  auto wait = kFirstMoveRetryWait;
  for (;;) {
    if (::MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return;
    const DWORD error = ::GetLastError();
    if (!MayBeHeldBriefly(error) || std::chrono::steady_clock::now() >= giveUp) {
      throw FileError(FileOperation::Write, to, WindowsReason(error));
    }
    std::this_thread::sleep_for(wait);
    wait = std::min(wait * 2, kLongestMoveRetryWait);
  }
}

std::vector<std::string> LocalFileSystem::ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  std::wstring pattern = WideFromUtf8(folder);
  if (pattern.empty()) return names;
  if (pattern.back() != L'/' && pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW entry;
  const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring_view name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    names.push_back(Utf8FromWide(name));
  } while (::FindNextFileW(search, &entry));
  ::FindClose(search);
  return names;
}

}  // namespace morvane
