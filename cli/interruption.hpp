// Ending morvane-cli on SIGINT, SIGTERM or SIGHUP without leaving temporaries behind.
#pragma once

namespace morvane {

// Blocks the three signals in the calling thread, and so in every thread it starts later,
// and starts a thread that waits for them: on one, the temporaries of the conversions are
// removed and the process ends with 128 + the signal's number (130, 143, 129), as a shell
// reports a process ended by it. To be called first in main, before any other thread.
void RemoveTemporariesOnInterruption();

}  // namespace morvane
