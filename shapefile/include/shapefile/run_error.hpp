// The errors that end a conversion run. what() is the user-facing text, without a final full
// stop, naming the real input or output path (never a temporary one).
#pragma once

#include <stdexcept>
#include <string>

namespace morvane {

// Any error that ends a run: files that cannot be opened, created, read or written, damaged
// input. Engine errors (ConversionError) end a run the same way and are not wrapped.
class RunError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a failed file operation was trying to do.
enum class FileOperation { Open, Create, Read, Write };

// A failed file operation on one path: "Cannot open file %s", "Cannot create file %s",
// "Cannot read file %s" or "Cannot write file %s".
class FileError : public RunError {
 public:
  FileError(FileOperation operation, const std::string& path);

  FileOperation Operation() const noexcept { return operation_; }
  const std::string& Path() const noexcept { return path_; }

 private:
  FileOperation operation_;
  std::string path_;
};

}  // namespace morvane
