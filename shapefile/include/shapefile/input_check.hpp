// Before anything is written: does an input look like the source system of the chosen mode,
// and can the run convert it at all? Picking the wrong mode or region gives numbers that look
// like any others, so the check looks at what is cheap to read: the main file's header, a
// bounded sample of its records, its companions and the .prj beside it.
//
// The sample: the first kCheckedRecordLimit records in file order, read as the conversion
// reads them, and up to kSpreadRecords more at evenly spaced places of the index (.shx), each
// record's first kSampledRecordBytes only. The points of the sample decide; the header's box
// decides only when the sample holds no point, since writers leave boxes that the records
// contradict (one that includes (0, 0) for a leading null shape).
//
// The plausible extent of a mode's source in a region is the region's longitude and latitude
// box for geographic sources, and for grid sources what the engine makes of that box's
// boundary in the grid (see PlausibleExtent). Region 1's box holds all of Taiwan's territory
// (Penghu, Kinmen, Matsu, Pratas, Green Island, ...), since national layers use its meridian;
// data that lies wholly in Penghu, Kinmen or Matsu belongs to region 2 all the same. Modes
// whose result does not depend on the region (RegionMatters) are checked against one extent
// for every region. A point outside the extent, or NaN or infinite points, are implausible; a
// mode that reads the region's central meridian with region 3 is refused, since region 3 sets
// none; a .prj that names another datum or grid than the source is a mismatch. What the run
// would fail on (a missing companion, a file that is no shapefile, a damaged header or record,
// a file that cannot be read) is unreadable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/settings.hpp"
#include "shapefile/file_system.hpp"
#include "shapefile/headers.hpp"
#include "shapefile/mode_systems.hpp"  // RegionMatters
#include "shapefile/projection_file.hpp"
#include "shapefile/run_error.hpp"

namespace morvane {

enum class InputVerdict {
  Plausible,    // nothing against the mode (a NoPoints reason may say why nothing could be seen)
  Implausible,  // the coordinates lie outside the source's extent or in another region, are not
                // numbers, or the region is not one the mode converts in
  Mismatch,     // the .prj names another system than the mode's source
  Unreadable,   // the conversion would fail on the file: it says so with the reason's Detail
};

// What a check found.
enum class CheckFinding {
  NoPoints,           // the sample holds no point and the header box says nothing
  NotNumbers,         // some coordinates are NaN or infinite
  OutsideExtent,      // Seen lies outside Extent, the plausible Source of RegionIndex
  InAnotherRegion,    // Seen lies wholly in OtherRegion, whose grid the mode would need
  RegionNotForMode,   // RegionIndex sets no central meridian for Mode, which reads one
  PrjNamesAnother,    // the .prj (Path) names Named, but Mode converts from Source
  CompanionMissing,   // Path, the .shx or .dbf the run needs, is not there
  NotAShapefile,      // file code, version or shape type are not a shapefile's
  ShortHeader,        // the file ends before its 100-byte header does
  LengthBeyondFile,   // the header gives StatedBytes, the file has FileBytes
  DamagedRecord,      // a record does not fit; Detail says which and how
  CannotRead,         // opening or reading failed; Detail says why
};

// What coordinates outside the extent resemble.
enum class LookAlike {
  Nothing,
  OtherRegion,   // the same source in OtherRegion
  Degrees,       // longitude and latitude
  TmMetres,      // metres of a Transverse Mercator grid
  LambertMetres  // metres of the Lambert grid
};

// One finding with the figures it is about. Only the fields its Finding names are set.
struct CheckReason {
  CheckFinding Finding = CheckFinding::NoPoints;
  std::string Path;  // the file it is about: the main file, the .prj or the missing companion
  TransformMode Mode = 0;
  Region RegionIndex = 0;
  Box Seen;                 // the extent of the points looked at
  Box Extent;               // the plausible extent
  NamedSystem Source;       // the mode's source system, its central meridian in RegionIndex
  NamedSystem Named;        // what the .prj names
  LookAlike Resembles = LookAlike::Nothing;
  Region OtherRegion = 0;   // for LookAlike::OtherRegion and InAnotherRegion
  std::uint64_t StatedBytes = 0;
  std::uint64_t FileBytes = 0;
  std::string Detail;       // for the unreadable findings: the conversion's own English words
  ErrorDetails Error;       // for the unreadable findings: the same error as data, for front ends
                            // that word it themselves
};

// A mode, with the region whose central meridian its source needs.
struct ModeFit {
  TransformMode Mode = 0;
  Region RegionIndex = 0;
};

struct InputCheck {
  InputVerdict Verdict = InputVerdict::Plausible;
  std::vector<CheckReason> Reasons;  // the first one decides the verdict
  // The modes whose source is the system the .prj names, in mode order; empty when there is
  // no .prj or it cannot be told.
  std::vector<ModeFit> FittingModes;
  // The extent the coordinates were judged by: the sampled points, or the header's box when
  // only null shapes were sampled and the box is usable; none when neither.
  std::optional<Box> Seen;
};

// Records read in file order from the first one.
inline constexpr std::uint64_t kCheckedRecordLimit = 16;
// Records read besides, spread through the file by its index.
inline constexpr std::uint64_t kSpreadRecords = 48;
// Bytes of each record read at most: its first points stand for it.
inline constexpr std::size_t kSampledRecordBytes = 64 * 1024;

// Checks the main file `mainPath` (its .prj, .shx and .dbf are looked for beside it, in any
// letter case, as the conversion looks for them) against `mode` and `region`. Never throws
// for the file: what cannot be opened or read is Unreadable. A mode or region out of range has
// no source to check against: only the file itself is checked.
InputCheck CheckInput(const std::string& mainPath, TransformMode mode, Region region, FileSystem& files);

// The same, except that a failing file operation throws its FileError, as the conversion's
// own would.
InputCheck CheckInputOrThrow(const std::string& mainPath, TransformMode mode, Region region, FileSystem& files);

// Whether a conversion may go ahead without asking: Plausible.
bool PassesCheck(const InputCheck& check);

// Whether the conversion could convert the file at all: not Unreadable.
bool CanConvert(const InputCheck& check);

// "12, 13", or "1 (region 2), 11 (region 2)" for fits that need another region than `chosen`;
// modes and regions numbered from 1, as the captions number them.
std::string FittingModesText(const std::vector<ModeFit>& fits, Region chosen);

// One reason in English, as the command line says it after the file's name: "its coordinates
// (...) lie outside ...". For a file the conversion cannot convert, the conversion's own
// words, which name the file: "File /d/a.shp is not a shapefile", "/d/a.shx Not found".
std::string CheckReasonText(const CheckReason& reason);

// All reasons of a check in English, joined by "; ", then "; modes that fit its .prj: ..."
// when the .prj names a system; empty when there is nothing to say.
std::string CheckReasonsText(const InputCheck& check, Region region);

// The plausible extent of the source of `mode` in `region`, with the margin: derived once from
// the engine and kept. For a mode whose result does not depend on the region, the same for
// every region.
Box PlausibleExtent(TransformMode mode, Region region);

// Why a single pair (x, y) cannot be in the source of a mode: a longitude or latitude out of
// range, or a pair far outside the plausible extent (beyond it by its own width or height).
enum class PointFinding { LongitudeOutOfRange, LatitudeOutOfRange, FarOutside };

struct PointProblem {
  PointFinding Finding = PointFinding::FarOutside;
  NamedSystem Source;  // the mode's source system
  Box Extent;          // the plausible extent
};

// What stands against (x, y) being a pair of the source of `mode` in `region`; nothing when it
// may be one, or the mode or region is out of range.
std::optional<PointProblem> CheckPointSource(TransformMode mode, Region region, double x, double y);

// "a latitude beyond ±90 degrees, not TWD67 longitude and latitude", in English.
std::string PointProblemText(const PointProblem& problem, Region region);

}  // namespace morvane
