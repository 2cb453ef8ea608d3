// The process ids that name temporaries, so that a later run can tell an abandoned temporary
// (its process has ended) from one still being written. process_ids.cpp is the POSIX side,
// windows_process_ids.cpp the Windows one.
#pragma once

namespace morvane {

unsigned long CurrentProcessId();

// Whether `pid` may still be running. Ids that name no single process are taken as running,
// so that nothing of theirs is removed.
bool ProcessMayRun(unsigned long pid);

}  // namespace morvane
