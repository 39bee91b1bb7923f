#pragma once
// What the special slide kinds share: the picture's pixels for resampling,
// COLORREF to device colours, floats passed as texture-stage states.

#include <bit>
#include <cstdint>

#include "platform/image/image_codec.h"
#include "scene/slide.h"

namespace glimmer {

// The slide's picture as RGBA (its part of the picture texture only), or an
// empty image when the slide has no picture.
Image SlidePictureImage(ZT_2D_Light& slide);
// The picture's largest texture coordinates in its texture (1, 1 when it
// fills it or there is none).
void PictureExtent(ZT_2D_Light& slide, float& u, float& v);

// A COLORREF (0x00BBGGRR) with an alpha byte as a device colour (0xAARRGGBB).
constexpr D3DCOLOR DeviceColour(uint32_t colorref, uint8_t alpha) {
  return (uint32_t(alpha) << 24) | ((colorref & 0xFF) << 16) | (colorref & 0xFF00) |
         ((colorref >> 16) & 0xFF);
}

// The alpha byte of a fraction: int(a × 255), kept within 0 … 255.
uint8_t AlphaByte(float a);

inline uint32_t FloatBits(float f) {
  return std::bit_cast<uint32_t>(f);
}

// A texture of `width` × `height` (A8R8G8B8, managed) holding `image`; null
// without a device or when the device refuses it.
TexturePtr MakeTexture(GpuDevice& device, const Image& image);

}  // namespace glimmer
