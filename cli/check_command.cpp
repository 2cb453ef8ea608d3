#include "check_command.hpp"

#include <cstdio>

#include "convert_command.hpp"
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

std::string CheckLine(const std::string& path, const InputCheck& check, Region region) {
  std::string line = path + ": " + VerdictWord(check.Verdict);
  std::string reasons;
  for (const CheckReason& reason : check.Reasons) reasons += (reasons.empty() ? "" : "; ") + CheckReasonText(reason);
  if (!reasons.empty()) line += check.Verdict == InputVerdict::Plausible ? " (" + reasons + ")" : ": " + reasons;
  if (!check.FittingModes.empty()) line += "; modes that fit its .prj: " + FittingModesText(check.FittingModes, region);
  return line;
}

int RunCheckCommand(const ParsedArguments& parsed) {
  const ModeAndRegion choice = RequireModeAndRegion(parsed);
  if (parsed.Operands.empty()) throw UsageError("no PATH to check");
  LocalFileSystem local;
  ListingCacheFileSystem files(local);  // each folder listed once for all the .prj lookups
  bool allPlausible = true;
  std::vector<std::string> earlierOutputs;  // what a folder conversion leaves out is not checked
  for (const ShapefileJob& job : ListJobs(parsed.Operands, earlierOutputs)) {
    const std::string path = JoinPath(job.Folder, job.Item);
    const InputCheck check = CheckInput(path, choice.ModeIndex, choice.RegionIndex, files);
    allPlausible = allPlausible && check.Verdict == InputVerdict::Plausible;
    const std::string line = CheckLine(path, check, choice.RegionIndex) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  return allPlausible ? 0 : 1;
}

}  // namespace morvane
