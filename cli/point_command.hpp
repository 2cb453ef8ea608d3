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

// The exit status when a pair was refused as not one of the mode's source (a longitude or
// latitude out of range, or far outside the plausible extent) and nothing else failed.
inline constexpr int kPointRefusedStatus = 3;

// Runs the command on parsed arguments: mode, region, --force and either no operand or X and
// Y. A pair that is not one of the mode's source is refused unless --force is given. Returns
// the exit status; throws UsageError.
int RunPointCommand(const ParsedArguments& parsed);

}  // namespace morvane
