// The directory search behind the file list: the names in a folder that match "*.shp".
#pragma once

#include <string>
#include <vector>

namespace morvane {

// Bare names (no folder) of the entries of `folder` whose name ends in ".shp" in any letter
// case, files and folders alike, in the order the directory delivers them. Names are the
// platform's raw bytes, never re-encoded. A folder that cannot be searched gives an empty list.
std::vector<std::string> ListShapefiles(const std::string& folder);

// folder + separator + name, the way the run builds its paths.
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace morvane
