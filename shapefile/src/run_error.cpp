#include "shapefile/run_error.hpp"

namespace morvane {

namespace {

std::string FileErrorText(FileOperation operation, const std::string& path) {
  switch (operation) {
    case FileOperation::Open:
      return "Cannot open file " + path;
    case FileOperation::Create:
      return "Cannot create file " + path;
    case FileOperation::Read:
      return "Cannot read file " + path;
    case FileOperation::Write:
      break;
  }
  return "Cannot write file " + path;
}

}  // namespace

FileError::FileError(FileOperation operation, const std::string& path)
    : RunError(FileErrorText(operation, path)), operation_(operation), path_(path) {}

}  // namespace morvane
