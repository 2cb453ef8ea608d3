// The Windows console: arguments from the wide-character command line, so that Chinese file
// names arrive whatever the code page; output in UTF-8, which the console is switched to for
// as long as the program runs; the progress line's control sequences switched on.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>

#include "console.hpp"
#include "shapefile/windows_text.hpp"

namespace morvane {

namespace {

UINT gFormerCodePage = 0;  // 0: not changed

HANDLE StandardError() { return ::GetStdHandle(STD_ERROR_HANDLE); }

// Lets the console on standard error act on "\r\033[K" as a terminal does (Windows 10 on).
void EnableControlSequences() {
  DWORD mode = 0;
  if (!::GetConsoleMode(StandardError(), &mode)) return;
  ::SetConsoleMode(StandardError(), mode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

}  // namespace

void RestoreConsoleCodePage() {
  if (gFormerCodePage != 0) ::SetConsoleOutputCP(gFormerCodePage);
}

std::vector<std::string> StartConsoleProgram(int, char**) {
  const UINT former = ::GetConsoleOutputCP();
  if (former != 0 && former != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
    gFormerCodePage = former;
    std::atexit(RestoreConsoleCodePage);
  }
  EnableControlSequences();

  std::vector<std::string> args;
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(Utf8FromWide(wide[i]));
  ::LocalFree(wide);
  return args;
}

bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  return ::GetConsoleMode(StandardError(), &mode) && (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

std::size_t TerminalWidth() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!::GetConsoleScreenBufferInfo(StandardError(), &info)) return 80;
  const int columns = info.srWindow.Right - info.srWindow.Left + 1;
  return columns > 0 ? static_cast<std::size_t>(columns) : 80;
}

}  // namespace morvane
