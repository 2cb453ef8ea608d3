#include "shapefile/input_check.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "check_sample.hpp"
#include "engine/mode_table.hpp"
#include "plausible_extents.hpp"
#include "shapefile/byte_order.hpp"
#include "shapefile/folder_listing.hpp"
#include "shapefile/mode_systems.hpp"

namespace morvane {

namespace {

// ---- the coordinates ---------------------------------------------------------------------

// What the coordinates look like when they are not the source's: another region of the same
// source (only for modes whose result depends on it, and never the mainland, which these
// modes are not for), or the kind of another source anywhere.
void SetLookAlike(CheckReason& reason) {
  const ExtentTable& extents = Extents();
  const Box& box = reason.Seen;
  if (RegionMatters(reason.Mode)) {
    for (const Region other : {kTaiwanRegion, kIslandsRegion}) {
      if (other != reason.RegionIndex && Inside(box, extents[reason.Mode].Plausible[static_cast<std::size_t>(other)])) {
        reason.Resembles = LookAlike::OtherRegion;
        reason.OtherRegion = other;
        return;
      }
    }
  }
  const auto anywhere = [&](auto&& kind) {
    for (TransformMode other = 0; other < kModeCount; ++other) {
      if (!kind(SourceOf(other).Grid)) continue;
      for (const Box& extent : extents[other].Plausible) {
        if (Inside(box, extent)) return true;
      }
    }
    return false;
  };
  if (anywhere([](NamedGrid grid) { return grid == NamedGrid::Geographic; })) {
    reason.Resembles = LookAlike::Degrees;
  } else if (anywhere([](NamedGrid grid) { return IsTransverseMercator(grid); })) {
    reason.Resembles = LookAlike::TmMetres;
  } else if (anywhere([](NamedGrid grid) { return grid == NamedGrid::Lambert; })) {
    reason.Resembles = LookAlike::LambertMetres;
  }
}

// A header box that says where the points are: finite, ordered, not all zero (what writers
// leave in files they did not finish) and of a size that map coordinates have.
bool UsableBox(const Box& box) {
  constexpr double kLargest = 1e12;
  for (const double value : {box.Xmin, box.Ymin, box.Xmax, box.Ymax}) {
    if (!std::isfinite(value) || std::fabs(value) > kLargest) return false;
  }
  const bool zero = box.Xmin == 0 && box.Ymin == 0 && box.Xmax == 0 && box.Ymax == 0;
  return !zero && box.Xmin <= box.Xmax && box.Ymin <= box.Ymax;
}

// ---- what the conversion would fail on ---------------------------------------------------

CheckReason Unreadable(CheckFinding finding, const std::string& path, const RunError& error) {
  CheckReason reason;
  reason.Finding = finding;
  reason.Path = path;
  reason.Detail = error.what();
  reason.Error = error.Details();
  return reason;
}

// Reads the 100-byte header of `file`; nullopt when the file ends first.
std::optional<ShapefileHeader> ReadHeader(File& file) {
  ShapefileHeader header;
  std::size_t got = 0;
  for (std::size_t n; got < kFileHeaderSize && (n = file.Read(header.Bytes.data() + got, kFileHeaderSize - got)) > 0;)
    got += n;
  if (got < kFileHeaderSize) return std::nullopt;
  return header;
}

// The error of a header that the conversion refuses, as data; nullopt for a good one.
std::optional<CheckReason> HeaderProblem(const ShapefileHeader& header, std::uint64_t fileSize, const std::string& path) {
  try {
    CheckMainFileHeader(header, fileSize, path);
    return std::nullopt;
  } catch (const RunError& error) {
    const unsigned char* bytes = header.Bytes.data();
    const std::int64_t stated = 2 * static_cast<std::int64_t>(ReadInt32BE(bytes + 24));
    const bool shapefile = ReadInt32BE(bytes) == kShapefileFileCode && ReadInt32LE(bytes + 28) == kShapefileVersion &&
                           IsKnownShapeType(ReadInt32LE(bytes + kHeaderShapeTypeOffset));
    CheckReason reason =
        Unreadable(shapefile ? CheckFinding::LengthBeyondFile : CheckFinding::NotAShapefile, path, error);
    if (shapefile) {
      reason.StatedBytes = static_cast<std::uint64_t>(stated);
      reason.FileBytes = fileSize;
    }
    return reason;
  }
}

CheckReason ShortHeaderReason(const std::string& path) {
  try {
    ThrowShortHeader(path);
  } catch (const RunError& error) {
    return Unreadable(CheckFinding::ShortHeader, path, error);
  }
  return {};
}

// ---- the .prj ----------------------------------------------------------------------------

constexpr std::size_t kLargestProjectionFile = 64 * 1024;  // real ones are under 1 KiB

struct ProjectionFile {
  std::string Path;
  std::optional<NamedSystem> Named;  // nullopt when it names no system the check knows
};

// The .prj beside the main file of `stem`, if any. A failing file operation throws its
// FileError.
std::optional<ProjectionFile> ReadProjectionFile(FileSystem& files, const std::string& stem) {
  const std::optional<std::string> path = FindCompanion(files, stem, ".prj");
  if (!path) return std::nullopt;
  std::unique_ptr<File> file = files.OpenRead(*path);
  std::string text(kLargestProjectionFile, '\0');
  std::size_t got = 0;
  for (std::size_t n; got < text.size() && (n = file->Read(text.data() + got, text.size() - got)) > 0;) got += n;
  text.resize(got);
  return ProjectionFile{*path, ParseProjectionFile(text)};
}

bool SameMeridian(std::optional<double> a, std::optional<double> b) {
  return !a || !b || std::fabs(*a - *b) < 1e-6;
}

bool SourceIs(const NamedSystem& named, TransformMode mode, Region region) {
  const ModeSystem source = SourceOf(mode);
  if (named.Grid != source.Grid) return false;
  // The Lambert modes read longitude and latitude of any datum as their grid's own.
  if (source.Datum != NamedDatum::Unknown && named.Datum != source.Datum) return false;
  return SameMeridian(named.CentralMeridian, SourceCentralMeridian(mode, region));
}

std::vector<ModeFit> FitsOf(const NamedSystem& named, Region chosen) {
  std::vector<ModeFit> fits;
  for (TransformMode mode = 0; mode < kModeCount; ++mode) {
    std::array<Region, kRegionCount + 1> order = {chosen, 0, 1, 2};
    for (const Region region : order) {
      if (region == kMainlandRegion && RegionMatters(mode)) continue;  // sets no meridian for it
      if (SourceIs(named, mode, region)) {
        fits.push_back({mode, region});
        break;
      }
    }
  }
  return fits;
}

// ---- the verdict -------------------------------------------------------------------------

// What the coordinates say against the mode in the region, if anything.
std::optional<CheckReason> CoordinatesProblem(const SeenPoints& seen, const std::optional<Box>& box,
                                              TransformMode mode, Region region, const std::string& path) {
  CheckReason reason;
  reason.Path = path;
  reason.Mode = mode;
  reason.RegionIndex = region;
  reason.Source = SourceSystem(mode, region);
  if (RegionMatters(mode) && region == kMainlandRegion) {
    reason.Finding = CheckFinding::RegionNotForMode;
    return reason;
  }
  if (seen.NonFinite) {
    reason.Finding = CheckFinding::NotNumbers;
    return reason;
  }
  if (!box) return std::nullopt;
  reason.Seen = *box;
  reason.Extent = PlausibleExtent(mode, region);
  if (!Inside(*box, reason.Extent)) {
    reason.Finding = CheckFinding::OutsideExtent;
    SetLookAlike(reason);
    return reason;
  }
  // Region 1 takes Taiwan's whole territory, as national layers do; data wholly in the island
  // groups of region 2 is region 2's all the same.
  if (RegionMatters(mode) && region == kTaiwanRegion && !seen.Records.empty()) {
    const auto& islands = Extents()[mode].Islands;
    const bool allOnIslands = std::all_of(seen.Records.begin(), seen.Records.end(), [&](const Box& record) {
      return std::any_of(islands.begin(), islands.end(), [&](const Box& area) { return Inside(record, area); });
    });
    if (allOnIslands) {
      reason.Finding = CheckFinding::InAnotherRegion;
      reason.Resembles = LookAlike::OtherRegion;
      reason.OtherRegion = kIslandsRegion;
      return reason;
    }
  }
  return std::nullopt;
}

}  // namespace

InputCheck CheckInputOrThrow(const std::string& mainPath, TransformMode mode, Region region, FileSystem& files) {
  InputCheck check;
  const auto unreadable = [&](CheckReason reason) {
    check.Verdict = InputVerdict::Unreadable;
    check.Reasons.push_back(std::move(reason));
    return check;
  };
  const std::string stem = mainPath.substr(0, mainPath.size() - std::min<std::size_t>(4, mainPath.size()));

  // What the conversion checks before it reads a record, in its order.
  std::unique_ptr<File> main = files.OpenRead(mainPath);
  const std::uint64_t mainSize = main->Size();
  const std::optional<ShapefileHeader> header = ReadHeader(*main);
  if (!header) return unreadable(ShortHeaderReason(mainPath));
  if (std::optional<CheckReason> problem = HeaderProblem(*header, mainSize, mainPath)) return unreadable(*problem);
  const std::optional<std::string> indexPath = FindCompanion(files, stem, ".shx");
  const std::optional<std::string> tablePath = indexPath ? FindCompanion(files, stem, ".dbf") : std::nullopt;
  if (!indexPath || !tablePath) {
    const std::string missing = stem + (indexPath ? ".dbf" : ".shx");
    return unreadable(
        Unreadable(CheckFinding::CompanionMissing, missing, RunError(DetailsOf(ErrorKind::MissingCompanion, missing))));
  }
  std::unique_ptr<File> index = files.OpenRead(*indexPath);
  if (index->Size() < kFileHeaderSize) {
    return unreadable(ShortHeaderReason(*indexPath));
  }

  SeenPoints seen;
  try {
    ReadSample(*main, mainSize, index.get(), mainPath, seen);
  } catch (const FileError&) {
    throw;
  } catch (const RunError& error) {
    return unreadable(Unreadable(CheckFinding::DamagedRecord, mainPath, error));
  }
  if (mode >= kModeCount || region < 0 || region >= kRegionCount) return check;

  const Box stated = ReadBox(header->Bytes.data() + kHeaderBoxOffset);
  std::optional<Box> box;
  if (!seen.All.Empty()) {
    box = seen.All.Bounds();
  } else if (UsableBox(stated)) {
    box = stated;  // only null shapes sampled: the header is all there is to go by
  }
  check.Seen = box;
  const std::optional<CheckReason> coordinates = CoordinatesProblem(seen, box, mode, region, mainPath);

  const std::optional<ProjectionFile> prj = ReadProjectionFile(files, stem);
  if (prj && prj->Named) check.FittingModes = FitsOf(*prj->Named, region);
  if (prj && prj->Named && !SourceIs(*prj->Named, mode, region)) {
    CheckReason mismatch;
    mismatch.Finding = CheckFinding::PrjNamesAnother;
    mismatch.Path = prj->Path;
    mismatch.Mode = mode;
    mismatch.RegionIndex = region;
    mismatch.Source = SourceSystem(mode, region);
    mismatch.Named = *prj->Named;
    check.Verdict = InputVerdict::Mismatch;
    check.Reasons.push_back(mismatch);
  } else if (coordinates) {
    check.Verdict = InputVerdict::Implausible;
  }
  if (coordinates) {
    check.Reasons.push_back(*coordinates);
  } else if (!box) {
    CheckReason empty;
    empty.Finding = CheckFinding::NoPoints;
    empty.Path = mainPath;
    check.Reasons.push_back(empty);
  }
  return check;
}

InputCheck CheckInput(const std::string& mainPath, TransformMode mode, Region region, FileSystem& files) {
  try {
    return CheckInputOrThrow(mainPath, mode, region, files);
  } catch (const FileError& error) {
    InputCheck check;
    check.Verdict = InputVerdict::Unreadable;
    check.Reasons.push_back(Unreadable(CheckFinding::CannotRead, error.Path(), error));
    return check;
  }
}

bool PassesCheck(const InputCheck& check) { return check.Verdict == InputVerdict::Plausible; }

bool CanConvert(const InputCheck& check) { return check.Verdict != InputVerdict::Unreadable; }

std::optional<PointProblem> CheckPointSource(TransformMode mode, Region region, double x, double y) {
  if (mode >= kModeCount || region < 0 || region >= kRegionCount) return std::nullopt;
  PointProblem problem;
  problem.Source = SourceSystem(mode, region);
  problem.Extent = PlausibleExtent(mode, region);
  if (IsGeographicSource(mode)) {
    problem.Finding = PointFinding::LatitudeOutOfRange;
    if (!(std::fabs(y) <= 90)) return problem;
    problem.Finding = PointFinding::LongitudeOutOfRange;
    if (!(std::fabs(x) <= 180)) return problem;
  }
  const Box& extent = problem.Extent;
  const double width = extent.Xmax - extent.Xmin;
  const double height = extent.Ymax - extent.Ymin;
  problem.Finding = PointFinding::FarOutside;
  if (!Inside({x, y, x, y}, {extent.Xmin - width, extent.Ymin - height, extent.Xmax + width, extent.Ymax + height}))
    return problem;
  return std::nullopt;
}

}  // namespace morvane
