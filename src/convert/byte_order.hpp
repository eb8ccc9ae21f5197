// Little-endian fields, decoded and encoded byte by byte so the result is the same on any host.
#pragma once

#include <cstdint>

namespace vdx9 {

inline std::uint16_t load_u16le(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// nChannels and nBlockAlign are signed 16-bit fields.
inline int load_i16le(const unsigned char* p) {
  const int v = load_u16le(p);
  return v >= 0x8000 ? v - 0x10000 : v;
}

inline std::uint32_t load_u32le(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline void store_u32le(std::uint32_t v, unsigned char* p) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

}  // namespace vdx9
