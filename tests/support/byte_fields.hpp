// Shapefile fields put into and taken from byte buffers in an explicit byte order, by shifts,
// so that the fixtures never depend on the host's order nor on the library's own helpers.
// The file code and length of the headers and the record headers are big-endian; every other
// field is little-endian.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace morvane::test {

using Bytes = std::vector<unsigned char>;

inline void PutInt32BE(unsigned char* at, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(bits >> (24 - 8 * i));
}

inline void PutInt32LE(unsigned char* at, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(bits >> (8 * i));
}

inline void PutDoubleLE(unsigned char* at, double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  for (int i = 0; i < 8; ++i) at[i] = static_cast<unsigned char>(bits >> (8 * i));
}

inline double GetDoubleLE(const unsigned char* at) {
  std::uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(at[i]) << (8 * i);
  return std::bit_cast<double>(bits);
}

// The same, appended to the end of `bytes`.
inline void AppendInt32BE(Bytes& bytes, std::int32_t value) {
  bytes.resize(bytes.size() + 4);
  PutInt32BE(bytes.data() + bytes.size() - 4, value);
}

inline void AppendInt32LE(Bytes& bytes, std::int32_t value) {
  bytes.resize(bytes.size() + 4);
  PutInt32LE(bytes.data() + bytes.size() - 4, value);
}

inline void AppendDoubleLE(Bytes& bytes, double value) {
  bytes.resize(bytes.size() + 8);
  PutDoubleLE(bytes.data() + bytes.size() - 8, value);
}

}  // namespace morvane::test
