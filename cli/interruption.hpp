// Ending morvane-cli on SIGINT, SIGTERM or SIGHUP without leaving temporaries behind
// (interruption.cpp); on Windows, on Ctrl-C, Ctrl-Break and the closing of the console
// (windows_interruption.cpp, which ends the process with STATUS_CONTROL_C_EXIT).
#pragma once

namespace morvane {

// Blocks the three signals in the calling thread, and so in every thread it starts later,
// and starts a thread that waits for them: on one, the temporaries of the conversions are
// removed and the process ends with 128 + the signal's number (130, 143, 129), as a shell
// reports a process ended by it. To be called first in main, before any other thread.
void RemoveTemporariesOnInterruption();

}  // namespace morvane
