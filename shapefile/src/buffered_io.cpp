#include "shapefile/buffered_io.hpp"

#include <algorithm>

namespace morvane {

bool BufferedReader::Fill(std::size_t size) {
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  while (end_ < size) {
    const std::size_t n = file_.Read(buffer_.data() + end_, buffer_.size() - end_);
    if (n == 0) return false;
    end_ += n;
    fileRead_ += n;
  }
  return true;
}

std::size_t BufferedReader::Read(void* to, std::size_t size) {
  auto* bytes = static_cast<unsigned char*>(to);
  std::size_t done = 0;
  while (done < size) {
    if (begin_ == end_ && !Fill(1)) break;
    const std::size_t n = std::min(size - done, end_ - begin_);
    std::memcpy(bytes + done, buffer_.data() + begin_, n);
    begin_ += n;
    done += n;
  }
  return done;
}

void BufferedWriter::Write(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (size > 0) {
    if (used_ == blockSize_) Flush();
    const std::size_t n = std::min(size, blockSize_ - used_);
    if (buffer_.size() - used_ < n) Grow(used_ + n);
    std::memcpy(buffer_.data() + used_, bytes, n);
    used_ += n;
    bytes += n;
    size -= n;
  }
}

void BufferedWriter::PatchAt(std::uint64_t offset, const void* data, std::size_t size) {
  if (offset >= flushed_ && offset + size <= Position()) {
    std::memcpy(buffer_.data() + (offset - flushed_), data, size);
    return;
  }
  Flush();
  file_.Seek(offset);
  file_.Write(data, size);
  file_.Seek(flushed_);
}

void BufferedWriter::Flush() {
  if (used_ == 0) return;
  file_.Write(buffer_.data(), used_);
  flushed_ += used_;
  used_ = 0;
}

bool CopyBytes(BufferedReader& in, BufferedWriter& out, std::uint64_t size) {
  while (size > 0) {
    const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(size, in.BlockSize()));
    const unsigned char* bytes = in.Take(chunk);
    if (bytes == nullptr) return false;
    out.Write(bytes, chunk);
    size -= chunk;
  }
  return true;
}

}  // namespace morvane
