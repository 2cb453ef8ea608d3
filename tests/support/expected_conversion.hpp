// The bytes a correct conversion must make of a shapefile built by shapefile_writer.hpp.
#pragma once

#include "engine/engine_state.hpp"
#include "engine/settings.hpp"
#include "support/shapefile_writer.hpp"

namespace morvane::test {

// What the conversion must make of `file`: every marked point converted, every record box
// the extent of its converted points (the corners converted when it has none), the header box
// the extent of all converted points (the corners when there are none). The index is the
// input index with the main file's new header box, or its own corners converted.
Shapefile ExpectedConversion(const Shapefile& file, EngineState& engine, TransformMode mode);

}  // namespace morvane::test
