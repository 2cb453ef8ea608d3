// The English words of the input check, as the command line says them.
#include <charconv>
#include <cmath>
#include <string>

#include "engine/mode_table.hpp"
#include "shapefile/input_check.hpp"

namespace morvane {

namespace {

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

}  // namespace

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
