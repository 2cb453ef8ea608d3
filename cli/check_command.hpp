// `morvane-cli check`: whether shapefiles look like the source system of a mode, without
// converting or writing anything.
#pragma once

#include <string>

#include "command_line.hpp"
#include "shapefile/input_check.hpp"

namespace morvane {

// "<path>: implausible: <reason>; modes that fit its .prj: 12, 13", one line without newline.
std::string CheckLine(const std::string& path, const InputCheck& check, Region region);

// Warns on standard error when the file `path`, as `check` saw it, reaches beyond the area the
// fitted datum step of `conversion` was fitted on (DistanceOutsideFittedArea): a warning, not a
// refusal.
void WarnOutsideFittedArea(const std::string& path, const InputCheck& check, const Conversion& conversion);

// Runs the command on parsed arguments; returns the exit status (0 every file plausible,
// 1 otherwise), throws UsageError.
int RunCheckCommand(const ParsedArguments& parsed);

}  // namespace morvane
