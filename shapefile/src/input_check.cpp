#include "shapefile/input_check.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <exception>
#include <optional>

#include "engine/constants.hpp"
#include "engine/engine_state.hpp"
#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
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

bool IsTransverseMercator(const CoordinateSystem& system) {
  return system.Kind == GridKind::SettingsTm || system.Kind == GridKind::Twd97Tm2 || system.Kind == GridKind::Twd67Tm2;
}

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

NamedSystem SourceSystem(TransformMode mode, Region region) {
  const ModeSystem source = SourceOf(mode);
  return {source.Datum, source.Grid, SourceCentralMeridian(mode, region)};
}

// ---- plausible extents -------------------------------------------------------------------

// Longitude and latitude boxes, loosely, from maps. Region 1: all of Taiwan's territory, from
// Pratas (116.7°E 20.7°N) to the Diaoyutai islands (123.7°E) and Matsu (26.4°N). Region 2:
// Penghu, Kinmen and Matsu. Region 3: the mainland.
constexpr std::array<Box, kRegionCount> kRegionBoxes = {{
    {116.5, 20.5, 123.8, 26.5},
    {117.5, 22.5, 120.5, 26.5},
    {73.0, 18.0, 135.5, 54.0},
}};
// The island groups of region 2, whose grids use their own central meridian.
constexpr std::array<Box, 4> kIslandAreas = {{
    {119.3, 23.15, 119.75, 23.8},   // Penghu
    {118.2, 24.38, 118.5, 24.5},    // Kinmen and Lieyu
    {119.45, 24.97, 119.47, 24.99}, // Wuqiu
    {119.9, 25.93, 120.52, 26.39},  // Matsu, Juguang to Dongyin
}};
constexpr double kMarginDegrees = 0.25;
constexpr double kIslandMarginDegrees = 0.1;
// A Transverse Mercator grid is not used this far from its meridian; the mainland box is cut
// to it.
constexpr double kTmHalfWidthDegrees = 12.0;
constexpr int kBoundarySteps = 40;  // points per side of the box

Box Widened(const Box& box, double margin) {
  return {box.Xmin - margin, box.Ymin - margin, box.Xmax + margin, box.Ymax + margin};
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

// `area` (longitude and latitude) in the source of `mode` in `region`.
Box InSource(TransformMode mode, Region region, const Box& area) {
  if (IsGeographic(mode)) return area;
  return ConvertedBoundary(*ForwardModeOf(mode), region, area);
}

// The box of `region`, or for a mode whose result does not depend on the region, the box of
// every region it may be used in: all of Taiwan's for the datum modes, the mainland (which
// holds Taiwan) for the Lambert modes.
Box RegionBox(TransformMode mode, Region region) {
  if (!RegionMatters(mode))
    return kRegionBoxes[static_cast<std::size_t>(RowOf(mode).UsesLambertGrid ? kMainlandRegion : kTaiwanRegion)];
  return kRegionBoxes[static_cast<std::size_t>(region)];
}

Box DeriveExtent(TransformMode mode, Region region) {
  Box area = Widened(RegionBox(mode, region), kMarginDegrees);
  if (SourceOf(mode).Grid != NamedGrid::Lambert && !IsGeographic(mode)) {
    const double meridian = *SourceCentralMeridian(mode, region);
    area.Xmin = std::max(area.Xmin, meridian - kTmHalfWidthDegrees);
    area.Xmax = std::min(area.Xmax, meridian + kTmHalfWidthDegrees);
  }
  return InSource(mode, region, area);
}

// Per mode and region: the plausible extent, and the island groups of region 2 in the source
// as region 2 sets it up.
struct ModeExtents {
  std::array<Box, kRegionCount> Plausible;
  std::array<Box, kIslandAreas.size()> Islands;
};
using ExtentTable = std::array<ModeExtents, kModeCount>;

const ExtentTable& Extents() {
  static const ExtentTable table = [] {
    ExtentTable derived{};
    for (TransformMode mode = 0; mode < kModeCount; ++mode) {
      for (Region region = 0; region < kRegionCount; ++region)
        derived[mode].Plausible[static_cast<std::size_t>(region)] = DeriveExtent(mode, region);
      for (std::size_t i = 0; i < kIslandAreas.size(); ++i)
        derived[mode].Islands[i] = InSource(mode, kIslandsRegion, Widened(kIslandAreas[i], kIslandMarginDegrees));
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

std::string SystemName(const NamedSystem& system) {
  std::string name;
  switch (system.Datum) {
    case NamedDatum::Twd67: name = "TWD67 "; break;
    case NamedDatum::Twd97: name = "TWD97 "; break;
    case NamedDatum::Wgs84: name = "WGS84 "; break;
    case NamedDatum::Unknown: break;
  }
  switch (system.Grid) {
    case NamedGrid::Geographic: return name + "longitude and latitude";
    case NamedGrid::Tm2: name += "TM2 grid"; break;
    case NamedGrid::Tm3: name += "TM3 grid"; break;
    case NamedGrid::Utm: name += "UTM grid"; break;
    case NamedGrid::Lambert: name += "Lambert grid"; break;
  }
  if (system.CentralMeridian) name += " (central meridian " + Number(*system.CentralMeridian) + "°E)";
  return name;
}

std::string ModeNumber(TransformMode mode) { return std::to_string(RowOf(mode).Number); }

std::string RegionNumber(Region region) { return std::to_string(kRegions[static_cast<std::size_t>(region)].Number); }

std::string RegionName(Region region) {
  return region == kMainlandRegion ? "the mainland" : std::string(kRegions[static_cast<std::size_t>(region)].Description);
}

std::string LookAlikeText(LookAlike alike, Region other) {
  switch (alike) {
    case LookAlike::Nothing: break;
    case LookAlike::OtherRegion: return "; they look like another region: " + RegionName(other);
    case LookAlike::Degrees: return "; they look like longitude and latitude in degrees";
    case LookAlike::TmMetres: return "; they look like metres of a Transverse Mercator grid";
    case LookAlike::LambertMetres: return "; they look like metres of the Lambert grid";
  }
  return "";
}

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
  } else if (anywhere([](NamedGrid grid) {
               return grid == NamedGrid::Tm2 || grid == NamedGrid::Tm3 || grid == NamedGrid::Utm;
             })) {
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

// The points of the file as far as the check reads them.
struct SeenPoints {
  Extent All;
  std::vector<Box> Records;  // the extent of each record's points looked at
  bool NonFinite = false;
};

// ---- reading the sample ------------------------------------------------------------------

// The first bytes of one record, read from its place in the main file, as RecordReader takes
// them: positions and what is left are those of the file, so that damage is reported as the
// conversion reports it.
class RecordBytes {
 public:
  RecordBytes(File& file, std::uint64_t fileSize, std::uint64_t offset)
      : file_(file), fileSize_(fileSize), offset_(offset) {}

  // Makes the first `size` bytes of the record available, fewer at the end of the file.
  void Load(std::size_t size) {
    if (bytes_.size() >= size) return;
    const std::size_t had = bytes_.size();
    file_.Seek(offset_ + had);
    bytes_.resize(size);
    std::size_t got = had;
    for (std::size_t n; got < size && (n = file_.Read(bytes_.data() + got, size - got)) > 0;) got += n;
    bytes_.resize(got);
  }

  const unsigned char* Take(std::size_t size) {
    if (Loaded() < size) {
      at_ = bytes_.size();
      return nullptr;
    }
    const unsigned char* bytes = bytes_.data() + at_;
    at_ += size;
    return bytes;
  }
  std::size_t Read(void* to, std::size_t size) {
    size = std::min(size, Loaded());
    if (size > 0) std::memcpy(to, bytes_.data() + at_, size);
    at_ += size;
    return size;
  }
  // Takes the record again from its start.
  void Rewind() { at_ = 0; }
  // Bytes loaded and not taken.
  std::size_t Loaded() const { return bytes_.size() - at_; }
  std::size_t BlockSize() const { return std::max<std::size_t>(bytes_.size(), 1); }
  std::uint64_t Position() const { return offset_ + at_; }
  std::uint64_t Remaining() const { return fileSize_ > Position() ? fileSize_ - Position() : 0; }

 private:
  File& file_;
  std::uint64_t fileSize_;
  std::uint64_t offset_;
  std::vector<unsigned char> bytes_;
  std::size_t at_ = 0;
};

// Bytes read at once from the start of a record: most records are whole in them, so that
// one read serves each.
constexpr std::size_t kRecordReadAhead = 4096;

// The record expected at a place the index gives: its number (from 1) and content length.
struct ExpectedRecord {
  std::int32_t Number = 0;
  std::int32_t ContentWords = 0;
};

// Reads the record at `offset` of the main file with the conversion's checks (RunError for
// damage), `before` records coming before it, and gathers the points of its first
// kSampledRecordBytes. Returns the offset of the next record; nullopt at the end of the file,
// or when the record there is not the one `expected` says (an index that does not fit).
std::optional<std::uint64_t> ReadRecordAt(File& file, std::uint64_t fileSize, std::uint64_t offset,
                                          std::uint64_t before, const std::string& path,
                                          std::optional<ExpectedRecord> expected, SeenPoints& seen) {
  RecordBytes in(file, fileSize, offset);
  in.Load(kRecordReadAhead);
  if (expected) {
    const unsigned char* peek = in.Take(kRecordHeaderSize);
    if (peek == nullptr) return std::nullopt;
    const RecordHeader header = RecordHeader::Decode(peek);
    if (header.RecordNumber != expected->Number || header.ContentLength != expected->ContentWords) return std::nullopt;
    in.Rewind();
  }
  RecordReader<RecordBytes> reader(in, path, before);
  unsigned char header[kRecordHeaderSize];
  if (!reader.Begin(header)) return std::nullopt;
  const std::uint64_t content = reader.Rest() + 4;
  in.Load(kRecordHeaderSize + static_cast<std::size_t>(std::min<std::uint64_t>(content, kSampledRecordBytes)));
  const std::uint64_t next = offset + kRecordHeaderSize + content;

  Extent record;
  // Gathers up to `points` points, as many as were loaded.
  const auto gather = [&](std::int64_t points) {
    const std::int64_t loaded = static_cast<std::int64_t>(in.Loaded() / kPointSize);
    for (std::int64_t i = 0; i < std::min(points, loaded); ++i) {
      const unsigned char* bytes = reader.Take(kPointSize);
      const double x = ReadDoubleLE(bytes);
      const double y = ReadDoubleLE(bytes + 8);
      if (std::isfinite(x) && std::isfinite(y)) {
        record.Add(x, y);
      } else {
        seen.NonFinite = true;
      }
    }
  };
  reader.TakeType();
  switch (reader.Layout().Kind) {
    case Layout::Null:
      break;
    case Layout::Point:
      reader.CheckPoint();
      gather(1);
      break;
    case Layout::MultiPoint: {
      unsigned char fixed[kMultiPointFixedSize];
      gather(reader.TakeMultiPointFixed(fixed));
      break;
    }
    case Layout::Parts: {
      unsigned char fixed[kPartsFixedSize];
      const auto [parts, points] = reader.TakePartsFixed(fixed);
      const std::uint64_t partsSize = 4 * static_cast<std::uint64_t>(parts);
      const std::uint64_t partTypesSize = reader.Layout().HasPartTypes ? partsSize : 0;
      if (in.Loaded() < partsSize + partTypesSize) break;  // its points lie beyond what was read
      std::int32_t previous = -1;
      for (std::int32_t i = 0; i < parts; ++i) reader.TakePartStart(i, previous, points);
      if (partTypesSize > 0) reader.Take(static_cast<std::size_t>(partTypesSize));
      gather(points);
      break;
    }
    case Layout::Unknown:
      reader.UnknownType();
  }
  if (!record.Empty()) {
    seen.All.Add(record);
    seen.Records.push_back(record.Bounds());
  }
  return next;
}

// Reads up to 8-byte entry `index` of the index file; nullopt when it lies beyond its end.
std::optional<IndexEntry> ReadIndexEntry(File& index, std::uint64_t entry) {
  unsigned char bytes[kIndexEntrySize];
  index.Seek(kFileHeaderSize + kIndexEntrySize * entry);
  std::size_t got = 0;
  for (std::size_t n; got < sizeof bytes && (n = index.Read(bytes + got, sizeof bytes - got)) > 0;) got += n;
  if (got < sizeof bytes) return std::nullopt;
  return IndexEntry::Decode(bytes);
}

// Reads the first records in file order, then records spread through the rest by the index.
void ReadSample(File& main, std::uint64_t mainSize, File* index, const std::string& path, SeenPoints& seen) {
  std::uint64_t offset = kFileHeaderSize;
  std::uint64_t read = 0;
  for (; read < kCheckedRecordLimit; ++read) {
    const std::optional<std::uint64_t> next = ReadRecordAt(main, mainSize, offset, read, path, std::nullopt, seen);
    if (!next) return;  // the end of the file
    offset = *next;
  }
  if (index == nullptr) return;
  const std::uint64_t indexSize = index->Size();
  const std::uint64_t entries = indexSize > kFileHeaderSize ? (indexSize - kFileHeaderSize) / kIndexEntrySize : 0;
  if (entries <= read) return;
  const std::uint64_t rest = entries - read;
  const std::uint64_t spread = std::min(rest, kSpreadRecords);
  for (std::uint64_t k = 1; k <= spread; ++k) {
    const std::uint64_t entry = read + k * rest / spread - 1;  // the last one is the last record
    const std::optional<IndexEntry> at = ReadIndexEntry(*index, entry);
    if (!at || at->Offset < 0) continue;
    const std::uint64_t recordOffset = 2 * static_cast<std::uint64_t>(at->Offset);
    if (recordOffset < kFileHeaderSize || recordOffset >= mainSize) continue;
    ReadRecordAt(main, mainSize, recordOffset, entry, path,
                 ExpectedRecord{static_cast<std::int32_t>(entry + 1), at->ContentLength}, seen);
  }
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

bool RegionMatters(TransformMode mode) {
  if (mode >= kModeCount) return false;
  const ModeRow& row = RowOf(mode);
  return IsTransverseMercator(row.Source) || IsTransverseMercator(row.Target);
}

Box PlausibleExtent(TransformMode mode, Region region) {
  return Extents().at(mode).Plausible.at(static_cast<std::size_t>(region));
}

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

std::string FittingModesText(const std::vector<ModeFit>& fits, Region chosen) {
  std::string text;
  for (const ModeFit& fit : fits) {
    if (!text.empty()) text += ", ";
    text += ModeNumber(fit.Mode);
    if (fit.RegionIndex != chosen) text += " (region " + RegionNumber(fit.RegionIndex) + ")";
  }
  return text;
}

std::string CheckReasonText(const CheckReason& reason) {
  switch (reason.Finding) {
    case CheckFinding::NoPoints:
      return "it holds no points";
    case CheckFinding::NotNumbers:
      return "some of its coordinates are not numbers (NaN or infinite)";
    case CheckFinding::OutsideExtent:
      return "its coordinates (" + BoxText(reason.Seen) + ") lie outside the plausible " + SystemName(reason.Source) +
             " of " + RegionName(reason.RegionIndex) + " (" + BoxText(reason.Extent) + ")" +
             LookAlikeText(reason.Resembles, reason.OtherRegion);
    case CheckFinding::InAnotherRegion:
      return "its coordinates (" + BoxText(reason.Seen) + ") all lie in " + RegionName(reason.OtherRegion) +
             ", whose grids have a central meridian of their own" + LookAlikeText(reason.Resembles, reason.OtherRegion);
    case CheckFinding::RegionNotForMode:
      return "mode " + ModeNumber(reason.Mode) + " converts on the central meridian of the region, and region " +
             RegionNumber(reason.RegionIndex) + " (" + RegionName(reason.RegionIndex) +
             ") sets none: it is only for the Lambert modes 7 and 8";
    case CheckFinding::PrjNamesAnother:
      return "its .prj names the " + SystemName(reason.Named) + ", but mode " + ModeNumber(reason.Mode) +
             " converts from the " + SystemName(reason.Source);
    case CheckFinding::CompanionMissing:
    case CheckFinding::NotAShapefile:
    case CheckFinding::ShortHeader:
    case CheckFinding::LengthBeyondFile:
    case CheckFinding::DamagedRecord:
    case CheckFinding::CannotRead:
      break;
  }
  return reason.Detail;
}

std::string CheckReasonsText(const InputCheck& check, Region region) {
  std::string text;
  for (const CheckReason& reason : check.Reasons) {
    if (!text.empty()) text += "; ";
    text += CheckReasonText(reason);
  }
  if (!check.FittingModes.empty()) {
    if (!text.empty()) text += "; ";
    text += "modes that fit its .prj: " + FittingModesText(check.FittingModes, region);
  }
  return text;
}

std::optional<PointProblem> CheckPointSource(TransformMode mode, Region region, double x, double y) {
  if (mode >= kModeCount || region < 0 || region >= kRegionCount) return std::nullopt;
  PointProblem problem;
  problem.Source = SourceSystem(mode, region);
  problem.Extent = PlausibleExtent(mode, region);
  if (IsGeographic(mode)) {
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

std::string PointProblemText(const PointProblem& problem, Region region) {
  const std::string source = SystemName(problem.Source);
  switch (problem.Finding) {
    case PointFinding::LatitudeOutOfRange: return "a latitude beyond ±90 degrees is not " + source;
    case PointFinding::LongitudeOutOfRange: return "a longitude beyond ±180 degrees is not " + source;
    case PointFinding::FarOutside: break;
  }
  return "it lies far outside the plausible " + source + " of " + RegionName(region) + " (" + BoxText(problem.Extent) + ")";
}

}  // namespace morvane
