// Argument handling shared by the commands: long options with or without "=value", strict
// parsing of the mode, region and job numbers, and the error that means "usage error, exit 2".
#pragma once

#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/conversion.hpp"
#include "engine/settings.hpp"
#include "shapefile/file_system.hpp"

namespace morvane {

// A mistake in the command line. what() says what is wrong, without the program name.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct KnownOption {
  std::string_view Name;  // without the leading "--"
  bool TakesValue;
  std::string_view Short = {};  // a one-letter alias with its "-" ("-o"), or none
};

struct ParsedArguments {
  std::map<std::string, std::string, std::less<>> Options;  // flags map to ""
  std::vector<std::string> Operands;
  bool Help = false;

  bool Has(std::string_view name) const { return Options.find(name) != Options.end(); }
};

// Splits `args` into options and operands. "--name value" and "--name=value" both work, and
// "-x value" for an option whose Short alias is "-x" (filed under its long name); "--" ends
// the options; "-h" and "--help" ask for help. Any other word that starts with "-" and
// is not a number (such as "-h5") is refused, so that "-121.5" stays an operand.
// Throws UsageError for an unknown or repeated option and for a missing or unwanted value.
ParsedArguments ParseArguments(std::span<const std::string> args,
                               std::span<const KnownOption> options);

// "1".."16" as the captions number the modes; returns that mode's TransformMode index
// (ModeOfNumber).
TransformMode ParseModeNumber(std::string_view text);
// "1".."3" as the captions number the regions; returns that region's Region index, one less.
Region ParseRegionNumber(std::string_view text);
// A positive whole number of parallel jobs.
unsigned ParseJobCount(std::string_view text);
// A positive whole number of threads per file.
unsigned ParseThreadCount(std::string_view text);

struct ModeAndRegion {
  TransformMode ModeIndex;
  Region RegionIndex;
};

// --mode and --region are both required: a default mode would silently give wrong coordinates.
ModeAndRegion RequireModeAndRegion(const ParsedArguments& parsed);

// The conversion of --mode, --region and --datum (default "standard"), its model file read
// through `files`. Throws UsageError for a step the mode and region cannot take
// (ResolveDatumStep): a fitted step for a mode without a datum, common-points where there is no
// built-in model, a model file that cannot be read or is no model, a model on another meridian.
Conversion RequireConversion(const ParsedArguments& parsed, FileSystem& files);

}  // namespace morvane
