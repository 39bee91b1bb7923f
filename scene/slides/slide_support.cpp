#include "scene/slides/slide_support.h"

#include <algorithm>
#include <cmath>

namespace glimmer {

Image SlidePictureImage(ZT_2D_Light& slide) {
  const TexturePtr texture = slide.GetPictureTexture();
  if (!texture) return {};
  Image all = texture->ReadLevel(0);
  if (all.empty()) return {};
  float u = 1, v = 1;
  PictureExtent(slide, u, v);
  const uint32_t w = std::max(1u, uint32_t(std::lround(u * float(all.width))));
  const uint32_t h = std::max(1u, uint32_t(std::lround(v * float(all.height))));
  if (w == all.width && h == all.height) return all;
  Image part{w, h, std::vector<uint8_t>(size_t{w} * h * 4)};
  for (uint32_t y = 0; y < h; ++y) std::copy_n(all.Pixel(0, y), size_t{w} * 4, part.Pixel(0, y));
  return part;
}

void PictureExtent(ZT_2D_Light& slide, float& u, float& v) {
  u = v = 1;
  const auto& quad = slide.GetPictureQuad();
  if (!quad.VertexBuffer || quad.VertexCount != 4) return;
  const auto* q = reinterpret_cast<const DX_V::PCT*>(quad.VertexBuffer->Data());
  u = std::clamp(q[2].u, 0.0f, 1.0f);
  v = std::clamp(q[2].v, 0.0f, 1.0f);
}

uint8_t AlphaByte(float a) {
  if (!(a > 0)) return 0;
  return uint8_t(std::min(int(a * 255), 255));
}

TexturePtr MakeTexture(GpuDevice& device, const Image& image) {
  if (image.empty()) return nullptr;
  TexturePtr t =
      device.CreateTexture(image.width, image.height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  if (t) t->UploadImage(0, image);
  return t;
}

}  // namespace glimmer
