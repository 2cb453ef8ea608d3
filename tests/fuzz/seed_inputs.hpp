// Small valid inputs of every shape type for the fuzzer to start from: a choice byte (see
// conversion_check.hpp) followed by a main file built with support/shapefile_writer.hpp.
#pragma once

#include <string>
#include <vector>

#include "support/byte_fields.hpp"

namespace morvane::fuzz {

using test::Bytes;

struct SeedInput {
  std::string Name;
  Bytes Input;
};

// Every shape type with records, in geographic coordinates with the mode TWD67 geographic to
// TM2, and in TM2 grid coordinates with the mode TM2 to geographic; each file also holds a
// NullShape record.
std::vector<SeedInput> SeedInputs();

}  // namespace morvane::fuzz
