// Block-buffered sequential reading and writing over a File, so that the record rewriting can
// work field by field without a system call per field, in fixed memory.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "shapefile/file_system.hpp"

namespace morvane {

inline constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 20;
// The smallest block: room for the largest field taken at once (a record's fixed piece).
inline constexpr std::size_t kMinimumBlockSize = 64;

class BufferedReader {
 public:
  // Reads `file` from its current position, which must be its start. A file smaller than the
  // block gets a buffer of its own size (at least kMinimumBlockSize), so that converting many
  // small files costs no large buffer each.
  explicit BufferedReader(File& file, std::size_t blockSize = kDefaultBlockSize)
      : file_(file), fileSize_(file.Size()) {
    buffer_.resize(static_cast<std::size_t>(
        std::min<std::uint64_t>(blockSize, std::max<std::uint64_t>(fileSize_, kMinimumBlockSize))));
  }

  // Points at the next `size` bytes (at most the block size) and moves past them; nullptr if
  // the file ends first (the bytes that were left are then consumed).
  const unsigned char* Take(std::size_t size) {
    if (end_ - begin_ < size && !Fill(size)) {
      begin_ = end_;
      return nullptr;
    }
    const unsigned char* at = buffer_.data() + begin_;
    begin_ += size;
    return at;
  }

  // Points at the next `size` bytes (at most the block size) without moving past them;
  // nullptr if the file ends first.
  const unsigned char* Peek(std::size_t size) {
    if (end_ - begin_ < size && !Fill(size)) return nullptr;
    return buffer_.data() + begin_;
  }

  // Copies up to `size` bytes into `to`; returns how many there were.
  std::size_t Read(void* to, std::size_t size);

  std::size_t BlockSize() const { return buffer_.size(); }
  // Bytes consumed so far.
  std::uint64_t Position() const { return fileRead_ - (end_ - begin_); }
  // The file's size when reading began.
  std::uint64_t FileSize() const { return fileSize_; }
  std::uint64_t Remaining() const { return fileSize_ > Position() ? fileSize_ - Position() : 0; }

 private:
  // Refills so that at least `size` bytes are buffered; false at the end of the file.
  bool Fill(std::size_t size);

  File& file_;
  std::vector<unsigned char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::uint64_t fileRead_ = 0;
  std::uint64_t fileSize_;
};

class BufferedWriter {
 public:
  // Writes `file` from its current position, which must be its start. The buffer grows as
  // bytes come, up to the block size, so that a small output costs no large buffer.
  explicit BufferedWriter(File& file, std::size_t blockSize = kDefaultBlockSize)
      : file_(file), blockSize_(blockSize) {}

  // Room for the next `size` bytes (at most the block size), to be filled by the caller.
  unsigned char* Reserve(std::size_t size) {
    if (blockSize_ - used_ < size) Flush();
    if (buffer_.size() - used_ < size) Grow(used_ + size);
    unsigned char* at = buffer_.data() + used_;
    used_ += size;
    return at;
  }

  void Write(const void* data, std::size_t size);

  // Overwrites `size` bytes already written at `offset`: in the buffer while they are still
  // there, otherwise in the file by seeking back.
  void PatchAt(std::uint64_t offset, const void* data, std::size_t size);

  // Hands everything buffered to the file.
  void Flush();

  std::size_t BlockSize() const { return blockSize_; }
  std::uint64_t Position() const { return flushed_ + used_; }

 private:
  // Makes room for at least `needed` bytes, doubling, never beyond the block size.
  void Grow(std::size_t needed) { buffer_.resize(std::min(blockSize_, std::max(needed, 2 * buffer_.size()))); }

  File& file_;
  std::size_t blockSize_;
  std::vector<unsigned char> buffer_;
  std::size_t used_ = 0;
  std::uint64_t flushed_ = 0;
};

// Copies `size` bytes from `in` to `out`; returns false if `in` ends first.
bool CopyBytes(BufferedReader& in, BufferedWriter& out, std::uint64_t size);

}  // namespace morvane
