// Before anything is written: does an input look like the source system of the chosen mode?
// Picking the wrong mode or region gives numbers that look like any others, so the check
// looks at what is cheap to read: the main file's header box (or, when that box is empty,
// zero or absurd, the points of the first few records) and the .prj beside it.
//
// The plausible extent of a mode's source in a region is the region's longitude and latitude
// box for geographic sources, and for grid sources what the engine makes of that box's
// boundary in the grid (see PlausibleExtent). A box outside it, or NaN or infinite points,
// are implausible; a .prj that names another datum or grid than the source is a mismatch.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/settings.hpp"
#include "shapefile/file_system.hpp"
#include "shapefile/headers.hpp"
#include "shapefile/projection_file.hpp"

namespace morvane {

enum class InputVerdict {
  Plausible,    // nothing against the mode (Reason may say why nothing could be seen)
  Implausible,  // the coordinates lie outside the source's extent, or are not numbers
  Mismatch,     // the .prj names another system than the mode's source
  Unchecked,    // the main file could not be read; the conversion will report it
};

// A mode, with the region whose central meridian its source needs.
struct ModeFit {
  TransformMode Mode = 0;
  Region RegionIndex = 0;
};

struct InputCheck {
  InputVerdict Verdict = InputVerdict::Plausible;
  // What is wrong, starting with "its": "its coordinates (...) lie outside ...; they look like
  // longitude and latitude in degrees", "its .prj names the TWD97 TM2 grid (...), but mode 11
  // converts from the TWD67 TM2 grid (...)".
  std::string Reason;
  // The modes whose source is the system the .prj names, in mode order; empty when there is
  // no .prj or it cannot be told.
  std::vector<ModeFit> FittingModes;
};

// The records read when the header box says nothing.
inline constexpr std::uint64_t kCheckedRecordLimit = 16;

// Checks the main file `mainPath` (its .prj is looked for beside it, in any letter case)
// against `mode` and `region`. Reads the 100-byte header, the .prj, and only when the header
// box is unusable, at most kCheckedRecordLimit records. Never throws for the file: what cannot
// be read is Unchecked. A mode or region out of range has no source to check against.
InputCheck CheckInput(const std::string& mainPath, TransformMode mode, Region region, FileSystem& files);

// The same, except that a failing file operation (opening or reading the main file or the
// .prj) throws its FileError, as the conversion's own would.
InputCheck CheckInputOrThrow(const std::string& mainPath, TransformMode mode, Region region, FileSystem& files);

// Whether a conversion may go ahead without asking: Plausible or Unchecked.
bool PassesCheck(const InputCheck& check);

// "12, 13", or "1 (region 2), 11 (region 2)" for fits that need another region than `chosen`;
// modes and regions numbered from 1, as the captions number them.
std::string FittingModesText(const std::vector<ModeFit>& fits, Region chosen);

// The plausible extent of the source of `mode` in `region`, with the margin: derived once from
// the engine and kept.
Box PlausibleExtent(TransformMode mode, Region region);

}  // namespace morvane
