// The check that the fuzzer makes on every input, and that the regression test makes on every
// input kept because it once found a fault.
//
// An input is one byte of choices followed by a main file (.shp):
//   bits 0-3  the mode's TransformMode index (the mode users see, less one);
//   bits 4-5  the region's index (region 1 to 3 less one; 3 counts as 0, Taiwan);
//   bits 6-7  the block size of the second rewriting: 64, 100, 509 or 4096 bytes.
// The main file is converted twice:
//   1. by ConvertShapefile, in an in-memory folder holding in/f.shp, an index that is the main
//      file's own first 100 bytes, and a small table;
//   2. by RewriteRecords alone, through buffers of the chosen small size, so that fields and
//      records fall across the ends of blocks and record boxes are patched by seeking back.
// Both must end in one of three ways: converted, damaged (RunError, naming the record) or
// failed in the engine (ConversionError). Any other exception is a finding; so is a crash, a
// read or write outside a buffer, or a hang, which the sanitizers and libFuzzer report.
//
// A main file whose header is not a shapefile's (file code 9994, version 1000, a published
// shape type) must be refused as "File in/f.shp is not a shapefile", and one shorter than its
// header's length as damaged, before any record is read; the second conversion, which does
// not look at the header, is then held to the reading of the records below.
//
// The expected result comes from reading the main file's records independently of the code
// under test: the layout of each record's own shape type, bounded by its content length, with
// counts and part starts that must fit. A file whose records all fit must convert (unless the
// engine refuses one of its points) to exactly what ExpectedConversion (tests/support) gives:
// every point converted, boxes the extent of the converted points, every other byte and the
// size unchanged. A file with a record that does not fit must be reported as damaged at that
// record (or fail in the engine on an earlier point). Either way the input files are never
// changed and nothing but complete outputs is left in the folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/memory_file_system.hpp"

namespace morvane::fuzz {

using test::Bytes;
using test::MemoryFileSystem;

enum class Outcome { Converted, Damaged, EngineError, Unexpected };

struct CheckReport {
  Outcome Result = Outcome::Unexpected;  // of the whole conversion (1. above)
  std::string Message;                   // its error text, if any
  std::vector<std::string> Findings;     // what is wrong; empty when all is as it must be
};

// Runs both conversions of one input and checks them. `afterRun`, if set, may change the
// in-memory folder after the conversion and before it is checked (for testing the check).
CheckReport CheckFuzzInput(const std::uint8_t* data, std::size_t size,
                           const std::function<void(MemoryFileSystem&)>& afterRun = {});

}  // namespace morvane::fuzz
