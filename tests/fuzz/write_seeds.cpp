// Writes the fuzzer's seed inputs into a folder: write_seeds FOLDER.
#include <cstdio>
#include <exception>
#include <string>

#include "seed_inputs.hpp"
#include "support/file_bytes.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  for (const morvane::fuzz::SeedInput& seed : morvane::fuzz::SeedInputs()) {
    const std::string path = std::string(argv[1]) + "/" + seed.Name;
    try {
      morvane::test::WriteFileBytes(path, seed.Input);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s\n", error.what());
      return 1;
    }
  }
  return 0;
}
