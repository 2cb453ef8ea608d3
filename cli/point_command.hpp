// `morvane-cli point`: single coordinate pairs through the engine, from the arguments or from
// standard input.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "command_line.hpp"

namespace morvane {

// A finite decimal number, with an optional sign; nothing else in `text`.
std::optional<double> ParseCoordinate(std::string_view text);

// Two numbers separated by blanks or by a comma with optional blanks around it; leading and
// trailing blanks (a carriage return included) are allowed.
std::optional<std::pair<double, double>> ParseCoordinatePair(std::string_view line);

// The shortest decimal (never in exponent form) that reads back as exactly `value`.
std::string FormatCoordinate(double value);

// Runs the command on parsed arguments: mode, region and either no operand or X and Y.
// Returns the exit status; throws UsageError.
int RunPointCommand(const ParsedArguments& parsed);

}  // namespace morvane
