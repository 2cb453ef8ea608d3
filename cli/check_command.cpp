#include "check_command.hpp"

#include <cstdio>
#include <optional>

#include "convert_command.hpp"
#include "messages.hpp"
#include "shapefile/fitted_area_check.hpp"
#include "shapefile/file_system.hpp"
#include "shapefile/folder_listing.hpp"

namespace morvane {

namespace {

const char* VerdictWord(InputVerdict verdict) {
  switch (verdict) {
    case InputVerdict::Plausible: return "plausible";
    case InputVerdict::Implausible: return "implausible";
    case InputVerdict::Mismatch: return "mismatch";
    case InputVerdict::Unreadable: break;
  }
  return "unreadable";
}

}  // namespace

void WarnOutsideFittedArea(const std::string& path, const InputCheck& check, const Conversion& conversion) {
  const std::optional<double> beyond = DistanceOutsideFittedArea(check, conversion.Mode, *conversion.Datum.Transform);
  if (!beyond) return;
  char distance[64];
  std::snprintf(distance, sizeof distance, "%.1f km", *beyond / 1000);
  PrintMessage("warning: " + path + " reaches " + distance +
               " beyond the area of the common points the datum step was fitted on; it extrapolates there");
}

std::string CheckLine(const std::string& path, const InputCheck& check, Region region) {
  std::string line = path + ": " + VerdictWord(check.Verdict);
  std::string reasons;
  for (const CheckReason& reason : check.Reasons) reasons += (reasons.empty() ? "" : "; ") + CheckReasonText(reason);
  if (!reasons.empty()) line += check.Verdict == InputVerdict::Plausible ? " (" + reasons + ")" : ": " + reasons;
  if (!check.FittingModes.empty()) line += "; modes that fit its .prj: " + FittingModesText(check.FittingModes, region);
  return line;
}

int RunCheckCommand(const ParsedArguments& parsed) {
  LocalFileSystem local;
  const Conversion conversion = RequireConversion(parsed, local);
  const ModeAndRegion choice{conversion.Mode, conversion.RegionIndex};
  if (parsed.Operands.empty()) throw UsageError("no PATH to check");
  ListingCacheFileSystem files(local);  // each folder listed once for all the .prj lookups
  bool allPlausible = true;
  std::vector<std::string> earlierOutputs;  // what a folder conversion leaves out is not checked
  for (const ShapefileJob& job : ListJobs(parsed.Operands, earlierOutputs)) {
    const std::string path = JoinPath(job.Folder, job.Item);
    const InputCheck check = CheckInput(path, choice.ModeIndex, choice.RegionIndex, files);
    allPlausible = allPlausible && check.Verdict == InputVerdict::Plausible;
    const std::string line = CheckLine(path, check, choice.RegionIndex) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    if (conversion.Datum.Transform) WarnOutsideFittedArea(path, check, conversion);
  }
  return allPlausible ? 0 : 1;
}

}  // namespace morvane
