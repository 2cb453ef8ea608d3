#include "shapefile/input_check.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <exception>
#include <optional>

#include "engine/constants.hpp"
#include "engine/engine_state.hpp"
#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "shapefile/buffered_io.hpp"
#include "shapefile/folder_listing.hpp"
#include "record_reader.hpp"
#include "shapefile/byte_order.hpp"

namespace morvane {

namespace {

// ---- the source and target system of each mode ------------------------------------------

// A coordinate system of the mode table as a .prj would name it. The Lambert modes apply no
// datum shift: their geographic side is on the grid's own ellipsoid, so any datum is theirs
// (Unknown).
struct ModeSystem {
  NamedDatum Datum;
  NamedGrid Grid;
};

ModeSystem AsNamed(const CoordinateSystem& system) {
  ModeSystem named{NamedDatum::Unknown, NamedGrid::Geographic};
  switch (system.System) {
    case Datum::Twd67: named.Datum = NamedDatum::Twd67; break;
    case Datum::Twd97: named.Datum = NamedDatum::Twd97; break;
    case Datum::Wgs84: named.Datum = NamedDatum::Wgs84; break;
    case Datum::LambertGrid: break;
  }
  if (system.Kind == GridKind::Lambert) named.Grid = NamedGrid::Lambert;
  if (system.GridName == "TM2") named.Grid = NamedGrid::Tm2;
  if (system.GridName == "TM3") named.Grid = NamedGrid::Tm3;
  if (system.GridName == "UTM") named.Grid = NamedGrid::Utm;
  return named;
}

ModeSystem SourceOf(TransformMode mode) { return AsNamed(RowOf(mode).Source); }
ModeSystem TargetOf(TransformMode mode) { return AsNamed(RowOf(mode).Target); }

bool SameSystem(const ModeSystem& a, const ModeSystem& b) { return a.Datum == b.Datum && a.Grid == b.Grid; }

bool IsGeographic(TransformMode mode) { return SourceOf(mode).Grid == NamedGrid::Geographic; }

class SilentMessages : public MessageSink {
 public:
  void ShowMessage(const std::string&) override {}
};

// The central meridian of the source grid of `mode` in `region`, as a run after start-up
// sets it (a region that keeps the value keeps the mode's own or the start value); none for
// geographic sources.
std::optional<double> SourceCentralMeridian(TransformMode mode, Region region) {
  const ModeRow& row = RowOf(mode);
  switch (SourceOf(mode).Grid) {
    case NamedGrid::Geographic:
      return std::nullopt;
    case NamedGrid::Lambert:
      return kMainlandCentralMeridian * 180.0 / kPi;
    default:
      break;
  }
  const std::optional<Extended> meridian =
      row.Meridians[static_cast<std::size_t>(region)] ? row.Meridians[static_cast<std::size_t>(region)] : row.GridMeridian;
  return static_cast<double>(meridian.value_or(TransformSettings{}.CentralMeridian));
}

// ---- plausible extents -------------------------------------------------------------------

// The longitude and latitude of each region, loosely: Taiwan with its offshore islands; Penghu,
// Kinmen and Matsu; the mainland.
constexpr std::array<Box, kRegionCount> kRegionBoxes = {{
    {119.0, 21.0, 123.0, 26.5},
    {117.5, 22.5, 120.5, 26.5},
    {73.0, 18.0, 135.5, 54.0},
}};
constexpr double kMarginDegrees = 0.25;
// A Transverse Mercator grid is not used this far from its meridian; the mainland box is cut
// to it.
constexpr double kTmHalfWidthDegrees = 12.0;
constexpr int kBoundarySteps = 40;  // points per side of the box

Box WithMargin(const Box& box) {
  return {box.Xmin - kMarginDegrees, box.Ymin - kMarginDegrees, box.Xmax + kMarginDegrees,
          box.Ymax + kMarginDegrees};
}

// The mode that converts longitude and latitude into the source grid of `mode`.
std::optional<TransformMode> ForwardModeOf(TransformMode mode) {
  for (TransformMode forward = 0; forward < kModeCount; ++forward) {
    if (IsGeographic(forward) && SameSystem(TargetOf(forward), SourceOf(mode))) return forward;
  }
  return std::nullopt;
}

// The extent of the boundary of `box` converted with `forward` in `region`.
Box ConvertedBoundary(TransformMode forward, Region region, const Box& box) {
  SilentMessages messages;
  EngineState engine(messages);
  ApplyTransformSettings(engine, forward, region);
  Extent extent;
  const auto add = [&](double lon, double lat) {
    double x = 0;
    double y = 0;
    try {
      ConvertPoint(engine, forward, lon, lat, x, y);
    } catch (const std::exception&) {
      return;  // outside what the grid can take; the rest of the boundary bounds it
    }
    if (std::isfinite(x) && std::isfinite(y)) extent.Add(x, y);
  };
  for (int i = 0; i <= kBoundarySteps; ++i) {
    const double t = static_cast<double>(i) / kBoundarySteps;
    const double lon = box.Xmin + t * (box.Xmax - box.Xmin);
    const double lat = box.Ymin + t * (box.Ymax - box.Ymin);
    add(lon, box.Ymin);
    add(lon, box.Ymax);
    add(box.Xmin, lat);
    add(box.Xmax, lat);
  }
  return extent.Bounds();
}

Box DeriveExtent(TransformMode mode, Region region) {
  Box area = WithMargin(kRegionBoxes[static_cast<std::size_t>(region)]);
  if (IsGeographic(mode)) return area;
  if (SourceOf(mode).Grid != NamedGrid::Lambert) {
    const double meridian = *SourceCentralMeridian(mode, region);
    area.Xmin = std::max(area.Xmin, meridian - kTmHalfWidthDegrees);
    area.Xmax = std::min(area.Xmax, meridian + kTmHalfWidthDegrees);
  }
  return ConvertedBoundary(*ForwardModeOf(mode), region, area);
}

using ExtentTable = std::array<std::array<Box, kRegionCount>, kModeCount>;

const ExtentTable& Extents() {
  static const ExtentTable table = [] {
    ExtentTable derived{};
    for (TransformMode mode = 0; mode < kModeCount; ++mode) {
      for (Region region = 0; region < kRegionCount; ++region)
        derived[mode][static_cast<std::size_t>(region)] = DeriveExtent(mode, region);
    }
    return derived;
  }();
  return table;
}

bool Inside(const Box& box, const Box& extent) {
  return box.Xmin >= extent.Xmin && box.Xmax <= extent.Xmax && box.Ymin >= extent.Ymin && box.Ymax <= extent.Ymax;
}

// ---- texts -------------------------------------------------------------------------------


// Whole metres for grid values, four decimals for degrees, no trailing zeros.
std::string Number(double value) {
  if (!std::isfinite(value)) return std::isnan(value) ? "NaN" : (value > 0 ? "infinity" : "-infinity");
  const double rounded = std::fabs(value) >= 1000 ? std::round(value) : std::round(value * 1e4) / 1e4;
  char text[64];
  const auto result = std::fabs(rounded) < 1e15
                          ? std::to_chars(text, text + sizeof text, rounded, std::chars_format::fixed)
                          : std::to_chars(text, text + sizeof text, rounded);
  std::string out(text, result.ptr);
  return out == "-0" ? "0" : out;
}

std::string BoxText(const Box& box) {
  return "x " + Number(box.Xmin) + " to " + Number(box.Xmax) + ", y " + Number(box.Ymin) + " to " + Number(box.Ymax);
}

std::string SystemName(NamedDatum datum, NamedGrid grid, std::optional<double> meridian) {
  std::string name;
  switch (datum) {
    case NamedDatum::Twd67: name = "TWD67 "; break;
    case NamedDatum::Twd97: name = "TWD97 "; break;
    case NamedDatum::Wgs84: name = "WGS84 "; break;
    case NamedDatum::Unknown: break;
  }
  switch (grid) {
    case NamedGrid::Geographic: return name + "longitude and latitude";
    case NamedGrid::Tm2: name += "TM2 grid"; break;
    case NamedGrid::Tm3: name += "TM3 grid"; break;
    case NamedGrid::Utm: name += "UTM grid"; break;
    case NamedGrid::Lambert: name += "Lambert grid"; break;
  }
  if (meridian) name += " (central meridian " + Number(*meridian) + "°E)";
  return name;
}

std::string ModeNumber(TransformMode mode) { return std::to_string(RowOf(mode).Number); }

std::string RegionName(Region region) {
  return region == kMainlandRegion ? "the mainland" : std::string(kRegions[static_cast<std::size_t>(region)].Description);
}

// ---- the coordinates ---------------------------------------------------------------------

// What the coordinates look like when they are not the source's: another region of the same
// source, or the kind of another source anywhere.
std::string LookAlike(const Box& box, TransformMode mode, Region region) {
  const ExtentTable& extents = Extents();
  for (Region other = 0; other < kRegionCount; ++other) {
    if (other != region && Inside(box, extents[mode][static_cast<std::size_t>(other)]))
      return "; they look like another region: " + std::string(RegionName(other));
  }
  const auto anywhere = [&](auto&& kind) {
    for (TransformMode other = 0; other < kModeCount; ++other) {
      if (!kind(SourceOf(other).Grid)) continue;
      for (const Box& extent : extents[other]) {
        if (Inside(box, extent)) return true;
      }
    }
    return false;
  };
  if (anywhere([](NamedGrid grid) { return grid == NamedGrid::Geographic; }))
    return "; they look like longitude and latitude in degrees";
  if (anywhere([](NamedGrid grid) { return grid == NamedGrid::Tm2 || grid == NamedGrid::Tm3 || grid == NamedGrid::Utm; }))
    return "; they look like metres of a Transverse Mercator grid";
  if (anywhere([](NamedGrid grid) { return grid == NamedGrid::Lambert; }))
    return "; they look like metres of the Lambert grid";
  return "";
}

std::string CoordinatesReason(const Box& box, TransformMode mode, Region region) {
  const ModeSystem source = SourceOf(mode);
  return "its coordinates (" + BoxText(box) + ") lie outside the plausible " +
         SystemName(source.Datum, source.Grid, SourceCentralMeridian(mode, region)) + " of " +
         RegionName(region) + " (" + BoxText(PlausibleExtent(mode, region)) + ")" +
         LookAlike(box, mode, region);
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

// The points of the file as far as the check reads them.
struct SeenPoints {
  std::optional<Box> Bounds;  // none when no point was seen
  bool NonFinite = false;
};

// Reads at most kCheckedRecordLimit records from `in`, just after the header, with the checks
// of the conversion (RunError for damage), and gathers their points as they are.
SeenPoints ScanFirstRecords(BufferedReader& in, const std::string& path) {
  RecordReader<BufferedReader> reader(in, path);
  Extent extent;
  bool nonFinite = false;
  // Gathers `points` points, after `before` bytes of the record, and skips the rest.
  const auto gather = [&](std::int32_t points, std::uint64_t before) {
    for (std::int32_t i = 0; i < points; ++i) {
      const unsigned char* bytes = reader.Take(kPointSize);
      const double x = ReadDoubleLE(bytes);
      const double y = ReadDoubleLE(bytes + 8);
      if (std::isfinite(x) && std::isfinite(y)) {
        extent.Add(x, y);
      } else {
        nonFinite = true;
      }
    }
    reader.Skip(reader.Rest() - before - kPointSize * static_cast<std::uint64_t>(points));
  };
  unsigned char header[kRecordHeaderSize];
  for (std::uint64_t records = 0; records < kCheckedRecordLimit && reader.Begin(header); ++records) {
    reader.TakeType();
    switch (reader.Layout().Kind) {
      case Layout::Null:
        reader.Skip(reader.Rest());
        break;
      case Layout::Point:
        reader.CheckPoint();
        gather(1, 0);
        break;
      case Layout::MultiPoint: {
        unsigned char fixed[kMultiPointFixedSize];
        gather(reader.TakeMultiPointFixed(fixed), kMultiPointFixedSize);
        break;
      }
      case Layout::Parts: {
        unsigned char fixed[kPartsFixedSize];
        const auto [parts, points] = reader.TakePartsFixed(fixed);
        std::int32_t previous = -1;
        for (std::int32_t i = 0; i < parts; ++i) reader.TakePartStart(i, previous, points);
        const std::uint64_t partsSize = 4 * static_cast<std::uint64_t>(parts);
        const std::uint64_t partTypesSize = reader.Layout().HasPartTypes ? partsSize : 0;
        reader.Skip(partTypesSize);
        gather(points, kPartsFixedSize + partsSize + partTypesSize);
        break;
      }
      case Layout::Unknown:
        reader.UnknownType();
    }
  }
  SeenPoints seen;
  seen.NonFinite = nonFinite;
  if (!extent.Empty()) seen.Bounds = extent.Bounds();
  return seen;
}

SeenPoints ReadPoints(File& file, const std::string& path) {
  ShapefileHeader header;
  std::size_t got = 0;
  while (got < kFileHeaderSize) {
    const std::size_t n = file.Read(header.Bytes.data() + got, kFileHeaderSize - got);
    if (n == 0) ThrowShortHeader(path);
    got += n;
  }
  const Box stated = ReadBox(header.Box());
  if (UsableBox(stated)) return {stated, false};

  file.SeekToStart();
  constexpr std::size_t kScanBlockSize = 64 * 1024;  // enough for the first records, as a rule
  BufferedReader in(file, kScanBlockSize);
  in.Take(kFileHeaderSize);
  return ScanFirstRecords(in, path);
}

// ---- the .prj ----------------------------------------------------------------------------

constexpr std::size_t kLargestProjectionFile = 64 * 1024;  // real ones are under 1 KiB

// The system the .prj beside `mainPath` names; nullopt without one or when it names none that
// the check knows. A failing file operation throws its FileError.
std::optional<NamedSystem> ReadProjectionFile(FileSystem& files, const std::string& mainPath) {
  const std::string stem = mainPath.substr(0, mainPath.size() - std::min<std::size_t>(4, mainPath.size()));
  const std::optional<std::string> path = FindCompanion(files, stem, ".prj");
  if (!path) return std::nullopt;
  std::unique_ptr<File> file = files.OpenRead(*path);
  std::string text(kLargestProjectionFile, '\0');
  std::size_t got = 0;
  for (std::size_t n; got < text.size() && (n = file->Read(text.data() + got, text.size() - got)) > 0;) got += n;
  text.resize(got);
  return ParseProjectionFile(text);
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
      if (SourceIs(named, mode, region)) {
        fits.push_back({mode, region});
        break;
      }
    }
  }
  return fits;
}

std::string MismatchReason(const NamedSystem& named, TransformMode mode, Region region) {
  const ModeSystem source = SourceOf(mode);
  return "its .prj names the " + SystemName(named.Datum, named.Grid, named.CentralMeridian) + ", but mode " +
         ModeNumber(mode) + " converts from the " +
         SystemName(source.Datum, source.Grid, SourceCentralMeridian(mode, region));
}

}  // namespace

Box PlausibleExtent(TransformMode mode, Region region) {
  return Extents().at(mode).at(static_cast<std::size_t>(region));
}

InputCheck CheckInputOrThrow(const std::string& mainPath, TransformMode mode, Region region, FileSystem& files) {
  InputCheck check;
  if (mode >= kModeCount || region < 0 || region >= kRegionCount) return check;

  SeenPoints seen;
  try {
    std::unique_ptr<File> file = files.OpenRead(mainPath);
    seen = ReadPoints(*file, mainPath);
  } catch (const FileError&) {
    throw;
  } catch (const RunError& error) {
    // A damaged file: the conversion refuses it with its own message.
    check.Verdict = InputVerdict::Unchecked;
    check.Reason = error.what();
    return check;
  }

  std::string coordinates;
  if (seen.NonFinite) {
    coordinates = "some of its coordinates are not numbers (NaN or infinite)";
  } else if (seen.Bounds && !Inside(*seen.Bounds, PlausibleExtent(mode, region))) {
    coordinates = CoordinatesReason(*seen.Bounds, mode, region);
  }

  const std::optional<NamedSystem> named = ReadProjectionFile(files, mainPath);
  if (named) check.FittingModes = FitsOf(*named, region);
  if (named && !SourceIs(*named, mode, region)) {
    check.Verdict = InputVerdict::Mismatch;
    check.Reason = MismatchReason(*named, mode, region);
    if (!coordinates.empty()) check.Reason += "; " + coordinates;
  } else if (!coordinates.empty()) {
    check.Verdict = InputVerdict::Implausible;
    check.Reason = coordinates;
  } else if (!seen.Bounds) {
    check.Reason = "it holds no points";
  }
  return check;
}

InputCheck CheckInput(const std::string& mainPath, TransformMode mode, Region region, FileSystem& files) {
  try {
    return CheckInputOrThrow(mainPath, mode, region, files);
  } catch (const FileError& error) {
    InputCheck check;
    check.Verdict = InputVerdict::Unchecked;
    check.Reason = error.what();
    return check;
  }
}

bool PassesCheck(const InputCheck& check) {
  return check.Verdict == InputVerdict::Plausible || check.Verdict == InputVerdict::Unchecked;
}

std::string FittingModesText(const std::vector<ModeFit>& fits, Region chosen) {
  std::string text;
  for (const ModeFit& fit : fits) {
    if (!text.empty()) text += ", ";
    text += ModeNumber(fit.Mode);
    if (fit.RegionIndex != chosen)
      text += " (region " + std::to_string(kRegions[static_cast<std::size_t>(fit.RegionIndex)].Number) + ")";
  }
  return text;
}

}  // namespace morvane
