#pragma once
// The vertices of the draw services: DX_V::PCT, the one sprite vertex
// (position, diffuse colour, texture coordinates; 24 bytes, flexible format
// XYZ | DIFFUSE | TEX1), and the pre-transformed ones whose x and y are in
// pixels of the target (TL with texture coordinates, TC without).

#include <cstdint>

#include "platform/gpu/d3d_types.h"

namespace glimmer::DX_V {

struct PCT {
  float x = 0, y = 0, z = 0;
  D3DCOLOR color = 0;  // A in the top byte, then R, G, B
  float u = 0, v = 0;
};
static_assert(sizeof(PCT) == 24);

inline constexpr uint32_t kFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x142
static_assert(kFvf == 0x142);

struct TL {
  float x = 0, y = 0, z = 0, rhw = 1;
  D3DCOLOR color = 0;
  float u = 0, v = 0;
};
static_assert(sizeof(TL) == 28);
inline constexpr uint32_t kTlFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct TC {
  float x = 0, y = 0, z = 0, rhw = 1;
  D3DCOLOR color = 0;
};
static_assert(sizeof(TC) == 20);
inline constexpr uint32_t kTcFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

}  // namespace glimmer::DX_V
