// `morvane-cli convert`: the window's conversion run over shapefiles named on the command
// line, optionally several at once.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "command_line.hpp"

namespace morvane {

// One shapefile to convert, split the way the run wants it: a folder and a bare item name.
struct ShapefileJob {
  std::string Folder;
  std::string Item;
};

// Each operand is a folder (every "*.shp" entry in it, in directory order) or a file whose
// name ends in ".shp" in any letter case. Throws UsageError for anything else; reports a
// folder without shapefiles on stderr.
std::vector<ShapefileJob> ListJobs(const std::vector<std::string>& operands);

// Sets of job indexes that must run one after the other, in order: jobs whose outputs are
// another job's inputs or outputs (a.shp next to a_1.shp, or a.shp and a.SHP, which share
// their outputs). Each set is in ascending order and the sets are ordered by their first job.
std::vector<std::vector<std::size_t>> GroupDependentJobs(const std::vector<ShapefileJob>& jobs);

// Runs the command on parsed arguments; returns the exit status, throws UsageError.
int RunConvertCommand(const ParsedArguments& parsed);

}  // namespace morvane
