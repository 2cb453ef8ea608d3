#include "shapefile/run_error.hpp"

#include <string_view>
#include <system_error>
#include <utility>

#include "engine/extended.hpp"

namespace morvane {

namespace {

// The engine's texts for the floating-point traps (extended.cpp).
constexpr std::string_view kInvalidText = "Invalid floating point operation";
constexpr std::string_view kDivisionText = "Floating point division by zero";
constexpr std::string_view kOverflowText = "Floating point overflow";

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

std::string Figure(const ErrorDetails& details, std::size_t index) {
  return index < details.Figures.size() ? std::to_string(details.Figures[index]) : "?";
}

// What follows "record <n> (at byte <offset>) " in the English text.
std::string RecordDamageText(const ErrorDetails& d) {
  switch (d.Damage) {
    case RecordDamage::CutShort:
      return "is cut short";
    case RecordDamage::ContentLength:
      return "has a content length of " + Figure(d, 0) + " words";
    case RecordDamage::PastEnd:
      return "runs past the end of the file (" + Figure(d, 0) + " bytes, " + Figure(d, 1) + " left)";
    case RecordDamage::TooShort:
      return "is too short for a " + d.ShapeType + " (" + Figure(d, 0) + " bytes)";
    case RecordDamage::NegativePoints:
      return "has a negative number of points (" + Figure(d, 0) + ")";
    case RecordDamage::TooManyPoints:
      return "has " + Figure(d, 0) + " points, more than its " + Figure(d, 1) + " bytes hold";
    case RecordDamage::NegativeCount:
      return "has a negative count (" + Figure(d, 0) + " parts, " + Figure(d, 1) + " points)";
    case RecordDamage::TooManyPartsPoints:
      return "has " + Figure(d, 0) + " parts and " + Figure(d, 1) + " points, more than its " + Figure(d, 2) +
             " bytes hold";
    case RecordDamage::PartOutOfOrder:
      return "has part " + Figure(d, 0) + " starting at point " + Figure(d, 1) + ", out of order or past its " +
             Figure(d, 2) + " points";
    case RecordDamage::UnknownType:
      break;
  }
  return "has the unknown shape type " + Figure(d, 0);
}

std::string TrapText(FloatingPointTrap trap) {
  switch (trap) {
    case FloatingPointTrap::Invalid:
      return std::string(kInvalidText);
    case FloatingPointTrap::DivisionByZero:
      return std::string(kDivisionText);
    case FloatingPointTrap::Overflow:
      break;
  }
  return std::string(kOverflowText);
}

}  // namespace

std::string EnglishText(const ErrorDetails& d) {
  switch (d.Kind) {
    case ErrorKind::FileOperation:
      return WithReason(FileErrorText(d.Operation, d.Path), d.Reason);
    case ErrorKind::NotShapefile:
      return "File " + d.Path + " is not a shapefile";
    case ErrorKind::ShortHeader:
      return "File " + d.Path + " is damaged: its header is shorter than 100 bytes";
    case ErrorKind::HeaderLength:
      return "File " + d.Path + " is damaged: its header gives a length of " + Figure(d, 0) + " bytes, the file has " +
             Figure(d, 1);
    case ErrorKind::DamagedRecord:
      return "File " + d.Path + " is damaged: record " + std::to_string(d.Record) + " (at byte " +
             std::to_string(d.Offset) + ") " + RecordDamageText(d);
    case ErrorKind::MissingCompanion:
      return d.Path + " Not found";
    case ErrorKind::OutputExists:
      return d.Path + " already exists";
    case ErrorKind::FloatingPoint:
      return TrapText(d.Trap);
    case ErrorKind::OutsideLambertGrid:
    case ErrorKind::Other:
      break;
  }
  return d.Reason;
}

namespace {

ErrorDetails OtherDetails(const std::string& text) {
  ErrorDetails details;
  details.Reason = text;
  return details;
}

ErrorDetails FileDetails(FileOperation operation, const std::string& path, int systemCode, const std::string& reason) {
  ErrorDetails details = DetailsOf(ErrorKind::FileOperation, path);
  details.Operation = operation;
  details.SystemCode = systemCode;
  details.Reason = reason;
  return details;
}

}  // namespace

ErrorDetails DetailsOf(ErrorKind kind, const std::string& path) {
  ErrorDetails details;
  details.Kind = kind;
  details.Path = path;
  return details;
}

RunError::RunError(const std::string& text) : RunError(OtherDetails(text)) {}

RunError::RunError(ErrorDetails details) : std::runtime_error(EnglishText(details)), details_(std::move(details)) {}

FileError::FileError(FileOperation operation, const std::string& path, const std::string& reason)
    : RunError(FileDetails(operation, path, 0, reason)) {}

FileError::FileError(FileOperation operation, const std::string& path, int systemCode)
    : RunError(FileDetails(operation, path, systemCode, SystemReason(systemCode))) {}

FileError::FileError(ErrorDetails details) : RunError(std::move(details)) {}

FileError FileError::At(const std::string& path) const {
  ErrorDetails details = Details();
  details.Path = path;
  return FileError(std::move(details));
}

std::string SystemReason(int errorNumber) {
  if (errorNumber == kNotRegularFile) return "Not a regular file";
  // The generic category's message is strerror's text, without its thread-safety worries.
  return std::generic_category().message(errorNumber);
}

ErrorDetails EngineErrorDetails(const std::exception& error, const std::string& path) {
  ErrorDetails details = DetailsOf(ErrorKind::Other, path);
  details.Reason = error.what();
  if (const auto* grid = dynamic_cast<const LambertGridError*>(&error)) {
    details.Kind = ErrorKind::OutsideLambertGrid;
    details.X = grid->X();
    details.Y = grid->Y();
  } else if (details.Reason == kInvalidText) {
    details.Kind = ErrorKind::FloatingPoint;
    details.Trap = FloatingPointTrap::Invalid;
  } else if (details.Reason == kDivisionText) {
    details.Kind = ErrorKind::FloatingPoint;
    details.Trap = FloatingPointTrap::DivisionByZero;
  } else if (details.Reason == kOverflowText) {
    details.Kind = ErrorKind::FloatingPoint;
    details.Trap = FloatingPointTrap::Overflow;
  }
  return details;
}

}  // namespace morvane
