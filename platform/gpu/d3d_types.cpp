#include "platform/gpu/d3d_types.h"

namespace glimmer {

uint32_t FvfStride(uint32_t fvf) {
  uint32_t bytes = 0;
  if ((fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZ) bytes += 12;
  if ((fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW) bytes += 16;
  if (fvf & D3DFVF_NORMAL) bytes += 12;
  if (fvf & D3DFVF_DIFFUSE) bytes += 4;
  if (fvf & D3DFVF_SPECULAR) bytes += 4;
  bytes += 8 * ((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
  return bytes;
}

}  // namespace glimmer
