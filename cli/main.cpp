// morvane-cli: the command-line front end over the same engine and conversion run as the
// window, for scripts, machines without a display and single coordinates.
#include <array>
#include <cstdio>
#include <exception>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "check_command.hpp"
#include "command_line.hpp"
#include "console.hpp"
#include "convert_command.hpp"
#include "fit_command.hpp"
#include "interruption.hpp"
#include "messages.hpp"
#include "mode_descriptions.hpp"
#include "point_command.hpp"

namespace morvane {
namespace {

constexpr std::string_view kUsage =
    "usage: morvane-cli convert --mode M --region R [--datum STEP] [--jobs N] [--threads N] [--keep-going] [--overwrite] [--force] [--quiet] PATH...\n"
    "       morvane-cli check --mode M --region R [--datum STEP] PATH...\n"
    "       morvane-cli point --mode M --region R [--datum STEP] [--force] [X Y]\n"
    "       morvane-cli modes\n"
    "       morvane-cli fit [--model similarity|affine|local] [--meridian 121|119] [-o MODEL] [--residuals CSV] [--proj] POINTS\n"
    "       morvane-cli COMMAND --help\n";

constexpr std::string_view kMainHelp =
    "\n"
    "Converts shapefiles and single coordinates between the coordinate systems\n"
    "used in and around Taiwan.\n"
    "\n"
    "commands:\n"
    "  convert   convert .shp files, or every .shp file of a folder\n"
    "  check     tell whether .shp files look like the source system of a mode\n"
    "  point     convert coordinate pairs given as arguments or on standard input\n"
    "  modes     list the 16 modes and 3 regions that --mode and --region take\n"
    "  fit       fit a TWD67 to TWD97 TM2 transform to common points\n"
    "\n"
    "Run 'morvane-cli COMMAND --help' for the options of a command, 'man morvane-cli'\n"
    "for the whole manual. --version prints the version.\n";

constexpr std::string_view kConvertUsage =
    "usage: morvane-cli convert --mode M --region R [--datum STEP] [--jobs N] [--threads N] [--keep-going] [--overwrite] [--force] [--quiet] PATH...\n";

constexpr std::string_view kConvertHelp =
    "\n"
    "Converts shapefiles. Each PATH is a .shp file or a folder, meaning every *.shp\n"
    "entry in it except the outputs of earlier conversions (roads_1.shp beside\n"
    "roads.shp; name one to convert it). For roads.shp the converted copies\n"
    "roads_1.shp, roads_1.shx and roads_1.dbf, the target system roads_1.prj and a\n"
    "copy of roads.cpg (if any) are written beside it; roads.shx and roads.dbf must\n"
    "exist. A file whose outputs exist is skipped unless --overwrite is given.\n"
    "A file that does not look like the mode's source system (as 'morvane-cli\n"
    "check' tells) is refused, named with the reason, unless --force is given.\n"
    "With a --datum other than standard, roads_1.datum.txt says which fitted\n"
    "transform converted the file and how well it fits; a later conversion with\n"
    "the standard step removes it.\n"
    "Input files are never changed.\n"
    "\n"
    "  --mode M       transformation mode, 1 to 16 (see 'morvane-cli modes')\n"
    "  --region R     region, 1 to 3 (see 'morvane-cli modes')\n"
    "  --datum STEP   how modes 9, 10, 11, 12, 15 and 16 shift between TWD67 and\n"
    "                 TWD97 (or WGS84): 'standard' (the default, the fixed\n"
    "                 seven-parameter shift), 'common-points' (the built-in plane\n"
    "                 transform fitted to the region's published common points;\n"
    "                 regions 1 and 2) or the path of a model file\n"
    "  --jobs N       convert up to N files at once (default 1)\n"
    "  --threads N    threads that convert the records of each file (default: the\n"
    "                 processor's cores shared out among the --jobs files; 1 for one)\n"
    "  --keep-going   go on after a file fails, and report every failure;\n"
    "                 by default the first failure ends the run\n"
    "  --overwrite    replace the outputs of earlier conversions\n"
    "  --force        convert files that do not look like the mode's source too\n"
    "  --quiet        no progress display and no summary line\n"
    "  -h, --help     show this help\n"
    "\n"
    "Messages go to standard error. Exit status: 0 every file converted,\n"
    "1 a file failed, 2 usage error.\n";

constexpr std::string_view kCheckUsage = "usage: morvane-cli check --mode M --region R [--datum STEP] PATH...\n";

constexpr std::string_view kCheckHelp =
    "\n"
    "Tells, for each .shp file (or every *.shp entry of a folder), whether it looks\n"
    "like the source system of the mode in the region, and writes nothing. It reads\n"
    "the header, a sample of records spread through the file, the .prj beside it,\n"
    "and whether its .shx and .dbf are there. One line per file on standard output:\n"
    "  PATH: plausible\n"
    "  PATH: implausible: the coordinates lie outside the source's extent, and what\n"
    "        they look like instead (degrees, metres of a grid, another region);\n"
    "        or the region is 3 with a mode that reads the region's meridian\n"
    "  PATH: mismatch: the .prj names another datum or grid than the source\n"
    "  PATH: unreadable: converting it would fail, for this reason\n"
    "followed by the modes that fit the system its .prj names, when it names one.\n"
    "With a fitted --datum, a plausible file whose sampled points reach more than\n"
    "10 km beyond the area of the model's common points gets a warning on standard\n"
    "error: the transform extrapolates there. The warning does not change the exit\n"
    "status.\n"
    "\n"
    "  --mode M       transformation mode, 1 to 16 (see 'morvane-cli modes')\n"
    "  --region R     region, 1 to 3 (see 'morvane-cli modes')\n"
    "  --datum STEP   how modes 9, 10, 11, 12, 15 and 16 shift between TWD67 and\n"
    "                 TWD97 (or WGS84): 'standard' (the default, the fixed\n"
    "                 seven-parameter shift), 'common-points' (the built-in plane\n"
    "                 transform fitted to the region's published common points;\n"
    "                 regions 1 and 2) or the path of a model file\n"
    "  -h, --help     show this help\n"
    "\n"
    "Exit status: 0 every file plausible, 1 otherwise, 2 usage error.\n";

constexpr std::string_view kPointUsage = "usage: morvane-cli point --mode M --region R [--datum STEP] [--force] [X Y]\n";

constexpr std::string_view kPointHelp =
    "\n"
    "Converts the pair X Y given as arguments or, without them, every line of\n"
    "standard input holding two numbers separated by blanks or a comma. Writes\n"
    "\"X Y\" per pair to standard output, with as many digits as it takes to read\n"
    "back the exact value. X is an easting in metres or a longitude in degrees\n"
    "(east positive), Y a northing in metres or a latitude in degrees.\n"
    "\n"
    "  --mode M       transformation mode, 1 to 16 (see 'morvane-cli modes')\n"
    "  --region R     region, 1 to 3 (see 'morvane-cli modes')\n"
    "  --datum STEP   how modes 9, 10, 11, 12, 15 and 16 shift between TWD67 and\n"
    "                 TWD97 (or WGS84): 'standard' (the default, the fixed\n"
    "                 seven-parameter shift), 'common-points' (the built-in plane\n"
    "                 transform fitted to the region's published common points;\n"
    "                 regions 1 and 2) or the path of a model file\n"
    "  --force        convert pairs that do not lie in the mode's source too\n"
    "  -h, --help     show this help\n"
    "\n"
    "Blank input lines are skipped. A line that is not two numbers, or a pair that\n"
    "cannot be converted, gets a message naming its line number on standard error\n"
    "and no output line; the other lines are still converted. A pair that cannot be\n"
    "one of the mode's source (metres for a mode that reads degrees, a latitude\n"
    "beyond 90 or a longitude beyond 180 degrees, or far outside the extent that\n"
    "'morvane-cli check' uses) is refused so, unless --force is given. Exit status:\n"
    "0 every pair converted, 1 a line failed, 2 usage error, 3 a pair was refused\n"
    "as not of the source and nothing else failed.\n";

constexpr std::string_view kModesUsage = "usage: morvane-cli modes\n";

constexpr std::string_view kModesHelp =
    "\n"
    "Lists the 16 transformation modes and the 3 regions, numbered as --mode and\n"
    "--region take them, with their captions and the source and target systems.\n";

constexpr std::string_view kFitUsage =
    "usage: morvane-cli fit [--model similarity|affine|local] [--meridian 121|119] [-o MODEL] [--residuals CSV] [--proj] POINTS\n";

constexpr std::string_view kFitHelp =
    "\n"
    "Fits a transform from TWD67 TM2 to TWD97 TM2 to common points (places known\n"
    "in both) and prints the report: the parameters, the fitted area, each point's\n"
    "residual (fitted minus published TWD97, metres) and its leave-one-out residual\n"
    "(the point predicted by the fit to all the others), their RMS and max, and\n"
    "the points whose leave-one-out residual is over 3 times the median.\n"
    "\n"
    "POINTS is CSV (comma or semicolon) or blank-separated text, one point a line:\n"
    "id, TWD67 E, TWD67 N, TWD97 E, TWD97 N, in metres on the meridian's TM2 grid.\n"
    "A header line is optional; one naming the columns id, twd67_e, twd67_n,\n"
    "twd97_e, twd97_n (and tm2_meridian) picks them by name. Lines starting with #\n"
    "are skipped.\n"
    "\n"
    "  --model M        similarity (4 parameters, the default), affine (6), or local:\n"
    "                   affine plus a smooth correction that follows the points\n"
    "  --meridian 121|119  the TM2 grid: 121 Taiwan (the default), 119 Penghu\n"
    "  -o, --output MODEL  write the fitted model file\n"
    "  --residuals CSV  write the residuals: id,de,dn,d,loo_de,loo_dn,loo_d\n"
    "  --proj           print the similarity or affine fit as a PROJ pipeline for\n"
    "                   cct instead of the report\n"
    "  -h, --help       show this help\n"
    "\n"
    "A file that cannot be used (too few points, a value that is not a number, an\n"
    "id used twice, degrees instead of metres, TWD67 and TWD97 swapped, points off\n"
    "the grid or all on one line) is refused with the line at fault, and nothing\n"
    "is written. Exit status: 0 fitted, 1 refused or a file failed, 2 usage error.\n";

constexpr std::array kConvertOptions = {KnownOption{"mode", true}, KnownOption{"region", true}, KnownOption{"datum", true},
                                        KnownOption{"jobs", true}, KnownOption{"threads", true},
                                        KnownOption{"keep-going", false}, KnownOption{"overwrite", false},
                                        KnownOption{"force", false}, KnownOption{"quiet", false}};
constexpr std::array kCheckOptions = {KnownOption{"mode", true}, KnownOption{"region", true}, KnownOption{"datum", true}};
constexpr std::array kPointOptions = {KnownOption{"mode", true}, KnownOption{"region", true}, KnownOption{"datum", true},
                                      KnownOption{"force", false}};
constexpr std::array kFitOptions = {KnownOption{"model", true}, KnownOption{"meridian", true},
                                    KnownOption{"output", true, "-o"}, KnownOption{"residuals", true},
                                    KnownOption{"proj", false}};

int RunModesCommand(const ParsedArguments& parsed) {
  if (!parsed.Operands.empty()) throw UsageError("modes takes no arguments");
  PrintModesAndRegions();
  return 0;
}

struct Command {
  std::string_view Name;
  std::span<const KnownOption> Options;
  std::string_view Usage;
  std::string_view Help;
  int (*Run)(const ParsedArguments&);
};

const std::array<Command, 5> kCommands = {{
    {"convert", kConvertOptions, kConvertUsage, kConvertHelp, RunConvertCommand},
    {"check", kCheckOptions, kCheckUsage, kCheckHelp, RunCheckCommand},
    {"point", kPointOptions, kPointUsage, kPointHelp, RunPointCommand},
    {"modes", {}, kModesUsage, kModesHelp, RunModesCommand},
    {"fit", kFitOptions, kFitUsage, kFitHelp, RunFitCommand},
}};

void PrintTo(std::FILE* stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

int UsageFailure(std::string_view problem, std::string_view usage) {
  PrintMessage(problem);
  PrintTo(stderr, usage);
  return 2;
}

int RunCommand(const Command& command, std::span<const std::string> args) {
  try {
    const ParsedArguments parsed = ParseArguments(args, command.Options);
    if (parsed.Help) {
      PrintTo(stdout, command.Usage);
      PrintTo(stdout, command.Help);
      return 0;
    }
    return command.Run(parsed);
  } catch (const UsageError& error) {
    return UsageFailure(error.what(), command.Usage);
  }
}

int Main(std::span<const std::string> args) {
  if (args.empty()) return UsageFailure("no command given", kUsage);
  const std::string& word = args.front();
  if (word == "-h" || word == "--help" || word == "help") {
    PrintTo(stdout, kUsage);
    PrintTo(stdout, kMainHelp);
    return 0;
  }
  if (word == "--version") {
    PrintTo(stdout, std::string(kProgramName) + " " MORVANE_VERSION "\n");
    return 0;
  }
  for (const Command& command : kCommands) {
    if (command.Name == word) return RunCommand(command, args.subspan(1));
  }
  return UsageFailure("unknown command '" + word + "'", kUsage);
}

}  // namespace
}  // namespace morvane

int main(int argc, char** argv) {
  morvane::RemoveTemporariesOnInterruption();
  const std::vector<std::string> args = morvane::StartConsoleProgram(argc, argv);
  try {
    return morvane::Main(args);
  } catch (const std::exception& error) {
    morvane::PrintMessage(error.what());
    return 1;
  }
}
