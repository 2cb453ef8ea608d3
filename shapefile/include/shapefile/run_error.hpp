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
// "Cannot read file %s" or "Cannot write file %s", followed by ": " and the reason when the
// system gave one ("Cannot create file /d/towns_1.shp: Permission denied").
class FileError : public RunError {
 public:
  FileError(FileOperation operation, const std::string& path, const std::string& reason = {});

  FileOperation Operation() const noexcept { return operation_; }
  const std::string& Path() const noexcept { return path_; }
  // The system's words for the cause, empty if none is known.
  const std::string& Reason() const noexcept { return reason_; }

 private:
  FileOperation operation_;
  std::string path_;
  std::string reason_;
};

// The system's text for an errno value: "Permission denied", "No space left on device".
std::string SystemReason(int errorNumber);

}  // namespace morvane
