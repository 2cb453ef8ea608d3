#include "interruption.hpp"

#include <pthread.h>
#include <signal.h>

#include <thread>

#include "shapefile/live_temporaries.hpp"

namespace morvane {

void RemoveTemporariesOnInterruption() {
  sigset_t stops;
  sigemptyset(&stops);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, signal);
  if (pthread_sigmask(SIG_BLOCK, &stops, nullptr) != 0) return;
  // A waiting thread rather than a handler: the removal takes locks and may wait for outputs
  // being moved into place, which a handler could not.
  std::thread([stops] {
    int signal = 0;
    while (sigwait(&stops, &signal) != 0) {
    }
    RemoveLiveTemporariesAndExit(128 + signal);
  }).detach();
}

}  // namespace morvane
