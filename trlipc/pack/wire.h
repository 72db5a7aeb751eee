// Network byte order for the packing engine: big-endian integers and IEEE bit patterns.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace trl::wire {

// Copies n elements of size bytes each from src to dst, turning each between machine and network
// order. src and dst may be the same.
inline void swap_elements(unsigned char *dst, const unsigned char *src, int32_t size, size_t n) {
  if (size <= 1 || std::endian::native == std::endian::big) {
    if (dst != src) std::memmove(dst, src, static_cast<size_t>(size) * n);
    return;
  }
  for (size_t i = 0; i < n; ++i, dst += size, src += size) {
    unsigned char element[8];
    std::memcpy(element, src, static_cast<size_t>(size));
    for (int32_t b = 0; b < size; ++b) dst[b] = element[size - 1 - b];
  }
}

inline void put16(unsigned char *at, uint16_t v) {
  at[0] = static_cast<unsigned char>(v >> 8);
  at[1] = static_cast<unsigned char>(v);
}
inline void put32(unsigned char *at, uint32_t v) {
  at[0] = static_cast<unsigned char>(v >> 24);
  at[1] = static_cast<unsigned char>(v >> 16);
  at[2] = static_cast<unsigned char>(v >> 8);
  at[3] = static_cast<unsigned char>(v);
}
inline uint16_t get16(const unsigned char *at) { return static_cast<uint16_t>(at[0] << 8 | at[1]); }
inline uint32_t get32(const unsigned char *at) {
  return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 |
         static_cast<uint32_t>(at[2]) << 8 | at[3];
}

}  // namespace trl::wire
