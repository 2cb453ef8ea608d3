#include "shapefile/run_error.hpp"

#include <system_error>

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

std::string WithReason(std::string text, const std::string& reason) {
  if (!reason.empty()) text += ": " + reason;
  return text;
}

}  // namespace

FileError::FileError(FileOperation operation, const std::string& path, const std::string& reason)
    : RunError(WithReason(FileErrorText(operation, path), reason)),
      operation_(operation),
      path_(path),
      reason_(reason) {}

std::string SystemReason(int errorNumber) {
  // The generic category's message is strerror's text, without its thread-safety worries.
  return std::generic_category().message(errorNumber);
}

}  // namespace morvane
