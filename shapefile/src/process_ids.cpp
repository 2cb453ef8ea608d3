#include "shapefile/process_ids.hpp"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

namespace morvane {

unsigned long CurrentProcessId() { return static_cast<unsigned long>(::getpid()); }

bool ProcessMayRun(unsigned long pid) {
  if (pid == 0 || pid > static_cast<unsigned long>(std::numeric_limits<pid_t>::max())) return true;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

}  // namespace morvane
