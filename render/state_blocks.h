#pragma once
// Named state blocks: every render, texture-stage and sampler state the
// slide's draw services control, applied whole. A draw service applies the
// block it needs before drawing and the slide applies kSlideState before
// each layer, so no layer inherits what another left behind.

#include <cstdint>

#include "platform/gpu/gpu_device.h"

namespace glimmer {

struct StateBlock {
  bool blend = false;
  uint32_t srcBlend = D3DBLEND_SRCALPHA;
  uint32_t destBlend = D3DBLEND_INVSRCALPHA;
  uint32_t blendOp = D3DBLENDOP_ADD;
  bool depth = false;
  bool depthWrite = false;
  uint32_t cull = D3DCULL_NONE;
  // Stage 0; stage 1 is always off.
  uint32_t colorOp = D3DTOP_SELECTARG1;
  uint32_t colorArg1 = D3DTA_TEXTURE;
  uint32_t colorArg2 = D3DTA_DIFFUSE;
  uint32_t alphaOp = D3DTOP_SELECTARG1;
  uint32_t alphaArg1 = D3DTA_TEXTURE;
  uint32_t alphaArg2 = D3DTA_DIFFUSE;

  // Also sets what every block shares: lighting, alpha test and texture
  // transforms off (both stages), all colour channels written, stage 0
  // reading texture coordinates 0 and stage 1 set 1, and sampler 0 filtering
  // linearly without mipmaps with mirrored addressing.
  void Apply(GpuDevice& device) const;
};

// Bump-environment mapping over two stages: stage 0's (du, dv) texels,
// turned through `matrix` (entries 00, 01, 10, 11), offset stage 1's lookup
// of its texture, whose colour and alpha are drawn. Stage 0 reads texture
// coordinates 0; stage 1 reads `stage1Coords` (a set, or the camera-space
// position) through the texture transform flags `stage1Transform`. Applies
// `base` first; both stages filter linearly.
struct BumpBlock {
  StateBlock base{};
  float matrix[4] = {1, 0, 0, 1};
  uint32_t bumpAddress = D3DTADDRESS_WRAP;
  uint32_t stage1Address = D3DTADDRESS_MIRROR;
  uint32_t stage1Coords = 1;
  uint32_t stage1Transform = D3DTTFF_DISABLE;

  void Apply(GpuDevice& device) const;
};

// The slide's own state: the texture as it is, opaque, no depth or culling.
inline constexpr StateBlock kSlideState{};
// Opaque geometry showing its vertex colour (the borders).
inline constexpr StateBlock kOpaqueDiffuse{.colorArg1 = D3DTA_DIFFUSE, .alphaArg1 = D3DTA_DIFFUSE};
// Texture × vertex colour, alpha-blended over the target.
inline constexpr StateBlock kNormalAlpha{
    .blend = true, .colorOp = D3DTOP_MODULATE, .alphaOp = D3DTOP_MODULATE};
// Texture × vertex colour added to the target, weighted by its alpha.
inline constexpr StateBlock kAdditive{.blend = true,
                                      .destBlend = D3DBLEND_ONE,
                                      .colorOp = D3DTOP_MODULATE,
                                      .alphaOp = D3DTOP_MODULATE};
// The vertex colour alone, alpha-blended (the fade overlay).
inline constexpr StateBlock kDiffuseAlpha{
    .blend = true, .colorArg1 = D3DTA_DIFFUSE, .alphaArg1 = D3DTA_DIFFUSE};

}  // namespace glimmer
