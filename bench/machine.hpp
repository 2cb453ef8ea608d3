// What a benchmark's figures were measured on: the processor and the compiler flags. The same
// code runs at different speeds on different processors (the engine's 80-bit arithmetic most
// of all), so every benchmark prints these before its figures.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>

#ifndef MORVANE_BUILD_FLAGS
#define MORVANE_BUILD_FLAGS "unknown"
#endif

namespace morvane::bench {

// The "model name" of the first processor in /proc/cpuinfo with its family, model and stepping
// (a virtual machine may give only a short name), or "unknown".
inline std::string ProcessorModel() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string name;
  std::string numbers;
  for (std::string line; std::getline(cpuinfo, line) && !line.empty();) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::size_t start = line.find_first_not_of(" \t", colon + 1);
    const std::string value = start == std::string::npos ? "" : line.substr(start);
    const std::string key = line.substr(0, line.find_first_of(" \t:"));
    if (line.rfind("model name", 0) == 0) {
      name = value;
    } else if (key == "cpu" && line.rfind("cpu family", 0) == 0) {
      numbers += "family " + value;
    } else if (key == "model" || key == "stepping") {
      numbers += ", " + key + " " + value;
    }
  }
  if (name.empty()) return "unknown";
  return numbers.empty() ? name : name + " (" + numbers + ")";
}

// The compiler, the build type and its flags, as CMake passed them.
inline const char* BuildFlags() { return MORVANE_BUILD_FLAGS; }

inline void PrintMachine(std::FILE* out) {
  std::fprintf(out, "processor: %s\ncompiler: %s\n", ProcessorModel().c_str(), BuildFlags());
}

}  // namespace morvane::bench
