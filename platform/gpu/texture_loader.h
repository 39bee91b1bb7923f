#pragma once
// Textures made from encoded pictures, as D3DX makes them, and surface
// copies with a filter.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/gpu/gpu_device.h"

namespace glimmer {

struct D3DXIMAGE_INFO {
  uint32_t Width = 0, Height = 0;  // of the source picture
  uint32_t Frames = 0;
};

// Width and height D3DX_DEFAULT (or 0) round the picture's size up to powers
// of two. Filter 1 (none) keeps the pixels at the top left of a larger
// texture; 2 scales with the nearest pixel; 4 and -1 with a triangle filter.
// Mip levels 0 or D3DX_DEFAULT make a full chain. A non-zero colour key
// (0xAARRGGBB) turns matching pixels transparent black. Null when the bytes
// do not decode.
TexturePtr CreateTextureFromFileInMemoryEx(GpuDevice& device, std::span<const uint8_t> bytes,
                                           uint32_t width, uint32_t height, uint32_t mipLevels,
                                           uint32_t usage, D3DFORMAT format, D3DPOOL pool,
                                           int32_t filter, int32_t mipFilter, D3DCOLOR colorKey,
                                           D3DXIMAGE_INFO* info);

// The decoding and fitting half of the above, which needs no device (and so
// may run on any thread): the picture's first frame fitted to the
// texture's top level.
struct PreparedPicture {
  D3DXIMAGE_INFO info;  // of the source picture
  // The top level's size by the rules below before any reduction: what
  // placement and texture-to-picture ratios are computed from.
  uint32_t textureWidth = 0, textureHeight = 0;
  Image level0;  // RGBA, or RGB (3 channels) for a JPEG reduced as it decodes
};
// A size rounded up to a power of two beyond `maxSide` (when not 0) takes
// that side instead: the largest texture the device makes. A scaling
// filter's level0 is made no wider than `limitWidth` and no taller than
// `limitHeight` (each when not 0): the most texels the picture is ever shown
// with, beyond which a larger texture would only be sampled down. A JPEG is
// then decoded at a reduced scale where that still covers the limit.
std::optional<PreparedPicture> PreparePicture(std::span<const uint8_t> bytes, uint32_t width,
                                              uint32_t height, int32_t filter, D3DCOLOR colorKey,
                                              uint32_t maxSide = 0, uint32_t limitWidth = 0,
                                              uint32_t limitHeight = 0);
// The uploading half: a texture of level0's size, its mip chain made by the
// device.
TexturePtr CreatePreparedTexture(GpuDevice& device, const Image& level0, uint32_t mipLevels,
                                 uint32_t usage, D3DFORMAT format, D3DPOOL pool);

// Every frame of an animation (a GIF), each as above, with its delay in seconds.
struct AnimationTextures {
  std::vector<TexturePtr> textures;
  std::vector<float> delays;
  D3DXIMAGE_INFO info;
};
AnimationTextures CreateAnimationTextures(GpuDevice& device, std::span<const uint8_t> bytes,
                                          D3DFORMAT format, D3DPOOL pool, int32_t filter);

// Copies `src` into `dst`, scaled with `filter` when the sizes differ.
bool LoadSurfaceFromSurface(const SurfacePtr& dst, const SurfacePtr& src, int32_t filter);

inline constexpr uint32_t kD3dxDefault = 0xFFFFFFFFu;

}  // namespace glimmer
