#include "console.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

namespace morvane {

std::vector<std::string> StartConsoleProgram(int argc, char** argv) {
  return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

std::size_t TerminalWidth() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

}  // namespace morvane
