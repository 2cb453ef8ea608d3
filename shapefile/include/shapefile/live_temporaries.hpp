// The temporaries this process is writing, so that a process stopped by a signal can remove
// them before it exits instead of leaving them for the next run in that folder.
//
// A conversion registers the names of its temporaries before it creates them and forgets
// them once they are moved into place or removed. RemoveLiveTemporariesAndExit waits for
// files being created and for outputs being moved into place (HoldOffRemoval), removes every
// registered temporary and ends the process while still holding both locks, so no thread
// can create a temporary after the removal or leave its outputs half moved.
#pragma once

#include <shared_mutex>
#include <string>

namespace morvane {

void RegisterTemporary(const std::string& path);
void ForgetTemporary(const std::string& path);

// While the returned lock is held, RemoveLiveTemporariesAndExit waits.
std::shared_lock<std::shared_mutex> HoldOffRemoval();

// Removes every registered temporary and ends the process with `status` (std::_Exit: no
// destructors, no atexit handlers, nothing flushed). Not for a signal handler: it takes locks.
[[noreturn]] void RemoveLiveTemporariesAndExit(int status);

}  // namespace morvane
