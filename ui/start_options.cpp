#include "start_options.hpp"

#include <string_view>

namespace morvane {

StartRequest StartRequestOf(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--") break;
    if (argument == "--help" || argument == "-h") return StartRequest::Help;
    if (argument == "--version") return StartRequest::Version;
  }
  return StartRequest::Window;
}

std::string HelpText() {
  return "Usage: morvane [--lang LANGUAGE]\n"
         "Opens the window that converts shapefile coordinates between the coordinate systems\n"
         "of Taiwan: choose the mode and the region, a folder and its shapefiles, and run.\n"
         "\n"
         "  --lang LANGUAGE  the window's language: en for English, zh_TW for Traditional\n"
         "                   Chinese (default: the desktop's language)\n"
         "  --help           print this help and exit\n"
         "  --version        print the version and exit\n"
         "\n"
         "morvane-cli converts from the command line; see morvane(1) and morvane-cli(1).\n";
}

std::string VersionText() { return "morvane " MORVANE_VERSION "\n"; }

}  // namespace morvane
