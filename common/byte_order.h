#pragma once
// Little-endian integers read from and appended to byte arrays (the RIFF,
// BMP and stream layouts).

#include <cstdint>
#include <vector>

namespace glimmer {

inline uint16_t Le16(const uint8_t* p) {
  return uint16_t(p[0] | p[1] << 8);
}
inline uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void PutLe16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
inline void PutLe32(std::vector<uint8_t>& b, uint32_t v) {
  PutLe16(b, v & 0xFFFF);
  PutLe16(b, v >> 16);
}

}  // namespace glimmer
