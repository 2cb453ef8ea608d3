// Byte-order helpers for shapefile fields. Every field is read and written through these, by
// memcpy, so no access depends on alignment or on the host's byte order.
//
// Which fields are big-endian and which little-endian is listed in headers.hpp.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace morvane {

// Reverses the order of the first n bytes of `bytes` in place; n of 1 or less changes nothing.
inline void SwapBytes(unsigned char* bytes, int n) {
  for (int i = 0; i < (n >> 1); ++i) {
    const unsigned char kept = bytes[i];
    bytes[i] = bytes[n - 1 - i];
    bytes[n - 1 - i] = kept;
  }
}

namespace byte_order_detail {

// Copies `size` bytes between a field stored in FileOrder and a host value.
template <std::endian FileOrder>
inline void CopyOrdered(void* to, const void* from, int size) {
  std::memcpy(to, from, static_cast<std::size_t>(size));
  if constexpr (FileOrder != std::endian::native) SwapBytes(static_cast<unsigned char*>(to), size);
}

}  // namespace byte_order_detail

inline std::int32_t ReadInt32BE(const unsigned char* p) {
  std::int32_t v;
  byte_order_detail::CopyOrdered<std::endian::big>(&v, p, 4);
  return v;
}

inline std::int32_t ReadInt32LE(const unsigned char* p) {
  std::int32_t v;
  byte_order_detail::CopyOrdered<std::endian::little>(&v, p, 4);
  return v;
}

inline double ReadDoubleLE(const unsigned char* p) {
  double v;
  byte_order_detail::CopyOrdered<std::endian::little>(&v, p, 8);
  return v;
}

inline void WriteInt32BE(unsigned char* p, std::int32_t v) {
  byte_order_detail::CopyOrdered<std::endian::big>(p, &v, 4);
}

inline void WriteInt32LE(unsigned char* p, std::int32_t v) {
  byte_order_detail::CopyOrdered<std::endian::little>(p, &v, 4);
}

inline void WriteDoubleLE(unsigned char* p, double v) {
  byte_order_detail::CopyOrdered<std::endian::little>(p, &v, 8);
}

}  // namespace morvane
