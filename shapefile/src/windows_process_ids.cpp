#include <windows.h>

#include <limits>

#include "shapefile/process_ids.hpp"

namespace morvane {

unsigned long CurrentProcessId() { return ::GetCurrentProcessId(); }

bool ProcessMayRun(unsigned long pid) {
  if (pid == 0 || pid > std::numeric_limits<DWORD>::max()) return true;
  const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  // No process has the id; any other failure (access denied) means one has.
  if (process == nullptr) return ::GetLastError() != ERROR_INVALID_PARAMETER;
  // A process that has ended stays openable while another holds a handle to it.
  const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  ::CloseHandle(process);
  return running;
}

}  // namespace morvane
