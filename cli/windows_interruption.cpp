// Ending morvane-cli on Ctrl-C, Ctrl-Break or the closing of its console (or the user's
// logging off, the system's shutting down) without leaving temporaries behind, as SIGINT,
// SIGTERM and SIGHUP do on POSIX systems.
#include <windows.h>

#include "console.hpp"
#include "interruption.hpp"
#include "shapefile/live_temporaries.hpp"

namespace morvane {

namespace {

// The status of a process ended by Ctrl-C, as Windows reports one that it ends itself.
constexpr int kInterruptedStatus = static_cast<int>(STATUS_CONTROL_C_EXIT);

// Windows calls this on a thread of its own, so it may take locks and wait for outputs being
// moved into place; after a close it allows some seconds before ending the process itself.
BOOL WINAPI OnConsoleStop(DWORD) {
  RestoreConsoleCodePage();
  RemoveLiveTemporariesAndExit(kInterruptedStatus);
}

}  // namespace

void RemoveTemporariesOnInterruption() { ::SetConsoleCtrlHandler(OnConsoleStop, TRUE); }

}  // namespace morvane
