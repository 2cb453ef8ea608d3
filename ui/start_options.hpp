// What the window program's command line asks before any window opens: --help and --version
// print their text to standard output and end the program, so that neither needs a display.
// Every other argument is left to the window (--lang) and to Qt (-platform, ...).
#pragma once

#include <string>

namespace morvane {

enum class StartRequest { Window, Help, Version };

// The first of --help (or -h) and --version among the arguments after the program's name;
// Window when neither is there.
StartRequest StartRequestOf(int argc, const char* const* argv);

// "Usage: morvane [--lang LANGUAGE]" and what the options do, in English like every command
// line of the project.
std::string HelpText();

// "morvane 2.2".
std::string VersionText();

}  // namespace morvane
