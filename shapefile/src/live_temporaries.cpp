#include "shapefile/live_temporaries.hpp"

#include <cstdlib>
#include <mutex>
#include <set>

#include "shapefile/file_system.hpp"

namespace morvane {

namespace {

// Taken shared by the creation of files and the moving of outputs into place, exclusively by
// the removal. Always taken before the registry's mutex.
std::shared_mutex& RemovalGate() {
  static std::shared_mutex gate;
  return gate;
}

std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::multiset<std::string>& Registry() {
  static std::multiset<std::string> paths;
  return paths;
}

}  // namespace

void RegisterTemporary(const std::string& path) {
  const std::lock_guard lock(RegistryMutex());
  Registry().insert(path);
}

void ForgetTemporary(const std::string& path) {
  const std::lock_guard lock(RegistryMutex());
  const auto found = Registry().find(path);
  if (found != Registry().end()) Registry().erase(found);
}

std::shared_lock<std::shared_mutex> HoldOffRemoval() {
  return std::shared_lock(RemovalGate());
}

void RemoveLiveTemporariesAndExit(int status) {
  RemovalGate().lock();
  RegistryMutex().lock();
  LocalFileSystem files;
  for (const std::string& path : Registry()) files.Remove(path);
  std::_Exit(status);
}

}  // namespace morvane
