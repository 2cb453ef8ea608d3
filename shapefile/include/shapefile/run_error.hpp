// The errors that end a conversion run. Each carries what happened as data (ErrorDetails), so
// that every front end words it in its own language; what() is the English wording, without a
// final full stop, naming the real input or output path (never a temporary one).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace morvane {

// What a failed file operation was trying to do.
enum class FileOperation { Open, Create, Read, Write };

// What ended the conversion of a file.
enum class ErrorKind {
  FileOperation,       // Operation on Path failed; SystemCode and/or Reason say why
  NotShapefile,        // Path is not a shapefile
  ShortHeader,         // Path's header is shorter than 100 bytes
  HeaderLength,        // Path's header gives a length of Figures[0] bytes, the file has Figures[1]
  DamagedRecord,       // record Record of Path, at byte Offset, is damaged as Damage says
  MissingCompanion,    // Path, the companion a main file needs, is not there
  OutputExists,        // Path, an earlier output, was not replaced
  FloatingPoint,       // a point of Path raised the floating-point flag Trap
  OutsideLambertGrid,  // the point (X, Y) of Path lies outside the Lambert grid
  Other,               // anything else: Reason is the English text
};

// How a record is damaged; the figures of each, in ErrorDetails::Figures, in this order.
enum class RecordDamage {
  CutShort,            // none
  ContentLength,       // words
  PastEnd,             // content bytes, bytes left
  TooShort,            // content bytes (ShapeType names the type)
  NegativePoints,      // points
  TooManyPoints,       // points, content bytes
  NegativeCount,       // parts, points
  TooManyPartsPoints,  // parts, points, content bytes
  PartOutOfOrder,      // part index, first point, points
  UnknownType,         // shape type code
};

// The floating-point flags that end a conversion.
enum class FloatingPointTrap { Invalid, DivisionByZero, Overflow };

// What went wrong, with the figures that tell it; only the fields of its kind are set.
struct ErrorDetails {
  ErrorKind Kind = ErrorKind::Other;
  std::string Path;  // the file it happened to (for engine errors: the input main file)
  FileOperation Operation = FileOperation::Open;
  int SystemCode = 0;   // errno of a failed operation (or kNotRegularFile), 0 when there is none
  std::string Reason;   // the system's English words for the cause; Other: the whole text
  std::uint64_t Record = 0;  // from 1
  std::uint64_t Offset = 0;  // of the record's header
  RecordDamage Damage = RecordDamage::CutShort;
  std::vector<std::int64_t> Figures;
  std::string ShapeType;  // its name, for RecordDamage::TooShort
  FloatingPointTrap Trap = FloatingPointTrap::Invalid;
  double X = 0;
  double Y = 0;
};

// Details of `kind` about `path`, the other fields as they start.
ErrorDetails DetailsOf(ErrorKind kind, const std::string& path);

// The English wording of `details`, as the command line shows it: "Cannot open file /d/a.shp:
// No such file or directory", "File /d/a.shp is damaged: record 3 (at byte 180) is cut short",
// "/d/a.dbf Not found". Engine errors are worded without their path, as the engine words them.
std::string EnglishText(const ErrorDetails& details);

// Any error that ends a run: files that cannot be opened, created, read or written, damaged
// input. Engine errors (ConversionError) end a run the same way and are not wrapped.
class RunError : public std::runtime_error {
 public:
  // An error known only by its English text (ErrorKind::Other).
  explicit RunError(const std::string& text);
  explicit RunError(ErrorDetails details);

  const ErrorDetails& Details() const noexcept { return details_; }

 private:
  ErrorDetails details_;
};

// A failed file operation on one path: "Cannot open file %s", "Cannot create file %s",
// "Cannot read file %s" or "Cannot write file %s", followed by ": " and the reason when the
// system gave one ("Cannot create file /d/towns_1.shp: Permission denied").
class FileError : public RunError {
 public:
  FileError(FileOperation operation, const std::string& path, const std::string& reason = {});
  // The system's error number; the reason is its text (SystemReason).
  FileError(FileOperation operation, const std::string& path, int systemCode);

  FileOperation Operation() const noexcept { return Details().Operation; }
  const std::string& Path() const noexcept { return Details().Path; }
  // The system's words for the cause, empty if none is known.
  const std::string& Reason() const noexcept { return Details().Reason; }
  // The system's error number, 0 if none is known.
  int SystemCode() const noexcept { return Details().SystemCode; }
  // The same error on another path: a temporary's error told of its final name.
  FileError At(const std::string& path) const;

 private:
  explicit FileError(ErrorDetails details);
};

// The system code of a path that is neither a file nor a folder (a device, a pipe); not an
// errno value.
inline constexpr int kNotRegularFile = -1;

// The system's text for an errno value: "Permission denied", "No space left on device";
// "Not a regular file" for kNotRegularFile.
std::string SystemReason(int errorNumber);

// The details of an engine error (ConversionError) while converting `path`: its kind from its
// class and text, Other with the text for anything unforeseen.
ErrorDetails EngineErrorDetails(const std::exception& error, const std::string& path);

}  // namespace morvane
