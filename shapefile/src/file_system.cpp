#include "shapefile/file_system.hpp"

#include <vector>

namespace morvane {

namespace {

constexpr std::size_t kCopyBlockSize = std::size_t{1} << 20;

}  // namespace

void CopyIntoNewFile(FileSystem& files, File& source, std::unique_ptr<File> target, const std::string& to) {
  try {
    std::vector<unsigned char> block(kCopyBlockSize);
    for (;;) {
      const std::size_t n = source.Read(block.data(), block.size());
      if (n == 0) break;
      target->Write(block.data(), n);
    }
    target->Close();
  } catch (...) {
    target.reset();
    files.Remove(to);
    throw;
  }
}

}  // namespace morvane
