// `morvane-cli convert`: the window's conversion run over shapefiles named on the command
// line, optionally several at once.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "command_line.hpp"
#include "shapefile/conversion_run.hpp"

namespace morvane {

// Each operand is a folder (every "*.shp" entry in it, in directory order, but the outputs of
// earlier conversions, which go to `leftOut`) or a file whose
// name ends in ".shp" in any letter case. Throws UsageError for anything else; reports a
// folder without shapefiles on stderr.
std::vector<ShapefileJob> ListJobs(const std::vector<std::string>& operands, std::vector<std::string>& leftOut);

// Runs the command on parsed arguments; returns the exit status, throws UsageError.
int RunConvertCommand(const ParsedArguments& parsed);

}  // namespace morvane
