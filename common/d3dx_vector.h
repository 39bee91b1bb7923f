#pragma once
// The vector types the stored classes use, laid out as their D3DX namesakes
// (plain floats, no padding) with the few operations parameters and paths need.

#include <cmath>

namespace glimmer {

struct D3DXVECTOR3 {
  float x = 0.0f, y = 0.0f, z = 0.0f;

  bool operator==(const D3DXVECTOR3&) const = default;
  D3DXVECTOR3 operator+(const D3DXVECTOR3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  D3DXVECTOR3 operator-(const D3DXVECTOR3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  D3DXVECTOR3 operator-() const { return {-x, -y, -z}; }
  D3DXVECTOR3 operator*(float s) const { return {x * s, y * s, z * s}; }
};

struct D3DXVECTOR4 {
  float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;
  bool operator==(const D3DXVECTOR4&) const = default;
};

inline float Length(const D3DXVECTOR3& v) {
  return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

// v / |v|, or the zero vector for a zero v.
inline D3DXVECTOR3 Normalize(const D3DXVECTOR3& v) {
  const float len = Length(v);
  return len > 0.0f ? D3DXVECTOR3{v.x / len, v.y / len, v.z / len} : D3DXVECTOR3{};
}

inline D3DXVECTOR3 Lerp(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float t) {
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}

}  // namespace glimmer
