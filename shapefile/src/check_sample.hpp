// The sample of records the input check reads (see input_check.hpp): the first
// kCheckedRecordLimit records in file order, then up to kSpreadRecords at evenly spaced places
// of the index, each record's first kSampledRecordBytes, read with the conversion's checks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shapefile/file_system.hpp"
#include "shapefile/headers.hpp"

namespace morvane {

// The points of the file as far as the check reads them.
struct SeenPoints {
  Extent All;
  std::vector<Box> Records;  // the extent of each record's points looked at
  bool NonFinite = false;
};

// Reads the sample of the main file `main` (`mainSize` bytes, named `path` in errors) into
// `seen`, the index `index` (if any) giving the places of the spread records. Damage throws
// RunError as the conversion reports it; a failing file operation its FileError.
void ReadSample(File& main, std::uint64_t mainSize, File* index, const std::string& path, SeenPoints& seen);

}  // namespace morvane
