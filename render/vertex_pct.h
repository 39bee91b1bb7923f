#pragma once
// DX_V::PCT: the one sprite vertex (position, diffuse colour, texture
// coordinates; 24 bytes, flexible format XYZ | DIFFUSE | TEX1).

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

}  // namespace glimmer::DX_V
