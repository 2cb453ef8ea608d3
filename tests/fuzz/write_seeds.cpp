// Writes the fuzzer's seed inputs into a folder: write_seeds FOLDER.
#include <cstdio>
#include <fstream>
#include <string>

#include "seed_inputs.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  for (const morvane::fuzz::SeedInput& seed : morvane::fuzz::SeedInputs()) {
    const std::string path = std::string(argv[1]) + "/" + seed.Name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(seed.Input.data()), static_cast<std::streamsize>(seed.Input.size()));
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
