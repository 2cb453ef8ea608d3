// The terminal and the arguments, where the systems differ: console.cpp is the POSIX side,
// windows_console.cpp the Windows one.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace morvane {

// The arguments after the program's name, as the program's path strings: the bytes given on
// POSIX systems, UTF-8 from the wide-character command line on Windows. On Windows it also
// sets the console to show UTF-8 output and the progress line's control sequences, until the
// program ends. To be called first in main.
std::vector<std::string> StartConsoleProgram(int argc, char** argv);

// Whether standard error is a terminal that can show the progress line.
bool StandardErrorIsTerminal();

// The columns of the terminal on standard error; 80 when unknown.
std::size_t TerminalWidth();

#ifdef _WIN32
// The console's output code page as it was before StartConsoleProgram; for the exit on Ctrl-C.
void RestoreConsoleCodePage();
#endif

}  // namespace morvane
