#include "platform/gpu/texture_loader.h"

#include <algorithm>

#include "platform/image/drawing_gate.h"

namespace glimmer {
namespace {

uint32_t NextPowerOfTwo(uint32_t v) {
  uint32_t p = 1;
  while (p < v && p < (1u << 30)) p <<= 1;
  return p;
}

Image Nearest(const Image& src, uint32_t w, uint32_t h) {
  Image out{w, h, std::vector<uint8_t>(size_t(w) * h * 4)};
  for (uint32_t y = 0; y < h; ++y) {
    const uint32_t sy = uint32_t(uint64_t(y) * src.height / h);
    for (uint32_t x = 0; x < w; ++x) {
      const uint32_t sx = uint32_t(uint64_t(x) * src.width / w);
      std::copy_n(src.Pixel(sx, sy), 4, out.Pixel(x, y));
    }
  }
  return out;
}

// The picture fitted to a w × h texture level by the filter's rule.
Image Fit(const Image& src, uint32_t w, uint32_t h, int32_t filter) {
  const int32_t kind = filter == -1 ? 4 : (filter & 0x1F);
  if (kind == 1) {
    Image out{w, h, std::vector<uint8_t>(size_t(w) * h * 4, 0)};
    const uint32_t cw = std::min(w, src.width), ch = std::min(h, src.height);
    for (uint32_t y = 0; y < ch; ++y) std::copy_n(src.Pixel(0, y), size_t(cw) * 4, out.Pixel(0, y));
    return out;
  }
  if (kind == 2) return Nearest(src, w, h);
  return ResizeTriangle(src, w, h);
}

void ApplyColourKey(Image& image, D3DCOLOR colorKey) {
  if (colorKey == 0) return;
  const uint8_t key[4] = {uint8_t(colorKey >> 16), uint8_t(colorKey >> 8), uint8_t(colorKey),
                          uint8_t(colorKey >> 24)};
  for (size_t i = 0; i < image.rgba.size(); i += 4) {
    if (std::equal(key, key + 4, &image.rgba[i])) std::fill_n(&image.rgba[i], 4, 0);
  }
}

// The picture fitted to its texture's top level: the size asked for, or
// the picture's rounded up to powers of two.
Image FitToTexture(Image image, uint32_t width, uint32_t height, int32_t filter,
                   D3DCOLOR colorKey) {
  ApplyColourKey(image, colorKey);
  const uint32_t w = (width == kD3dxDefault || width == 0) ? NextPowerOfTwo(image.width) : width;
  const uint32_t h =
      (height == kD3dxDefault || height == 0) ? NextPowerOfTwo(image.height) : height;
  if (w == image.width && h == image.height) return image;
  return Fit(image, w, h, filter);
}

TexturePtr MakeTexture(GpuDevice& device, Image image, uint32_t width, uint32_t height,
                       uint32_t mipLevels, uint32_t usage, D3DFORMAT format, D3DPOOL pool,
                       int32_t filter, D3DCOLOR colorKey) {
  return CreatePreparedTexture(device,
                               FitToTexture(std::move(image), width, height, filter, colorKey),
                               mipLevels, usage, format, pool);
}

}  // namespace

std::optional<PreparedPicture> PreparePicture(std::span<const uint8_t> bytes, uint32_t width,
                                              uint32_t height, int32_t filter, D3DCOLOR colorKey,
                                              uint32_t maxSide, uint32_t limitWidth,
                                              uint32_t limitHeight) {
  uint32_t sourceWidth = 0, sourceHeight = 0;
  const bool scales = filter == -1 || ((filter & 0x1F) != 1 && (filter & 0x1F) != 2);
  // The top level's size from the picture's: asked for, or powers of two.
  const auto textureSide = [maxSide](uint32_t asked, uint32_t picture) {
    if (asked != kD3dxDefault && asked != 0) return asked;
    const uint32_t side = NextPowerOfTwo(picture);
    return maxSide > 0 && side > maxSide ? maxSide : side;
  };
  // Textures of up to 2048 × 2048 texels are always made whole: they cost
  // little, and sampling one down draws exactly as it always has.
  constexpr uint64_t kWholeTexels = uint64_t{2048} * 2048;
  const bool limited =
      (limitWidth || limitHeight) && scales && PictureSize(bytes, sourceWidth, sourceHeight) &&
      uint64_t{textureSide(width, sourceWidth)} * textureSide(height, sourceHeight) > kWholeTexels;
  PreparedPicture out;
  if (limited) {
    out.info = {sourceWidth, sourceHeight, 1};
    out.textureWidth = textureSide(width, sourceWidth);
    out.textureHeight = textureSide(height, sourceHeight);
    const uint32_t levelWidth =
        limitWidth ? std::min(out.textureWidth, limitWidth) : out.textureWidth;
    const uint32_t levelHeight =
        limitHeight ? std::min(out.textureHeight, limitHeight) : out.textureHeight;
    // A JPEG reduced by the tent filter is reduced as it decodes, without
    // the decoded picture's memory, and waits for its upload as RGB.
    std::optional<Image> level;
    if (colorKey == 0 && (filter == -1 || (filter & 0x1F) == D3DX_FILTER_TRIANGLE))
      level = DecodeJpegReduced(bytes, levelWidth, levelHeight, 3);
    if (!level) {
      // The level spans the whole picture: a JPEG need decode no finer than it.
      std::optional<Image> decoded = DecodeImageAtLeast(bytes, std::min(levelWidth, sourceWidth),
                                                        std::min(levelHeight, sourceHeight));
      if (!decoded) return std::nullopt;
      YieldToDrawing();  // the fit after the decode
      level = FitToTexture(std::move(*decoded), levelWidth, levelHeight, filter, colorKey);
    }
    out.level0 = std::move(*level);
    return out;
  }
  std::optional<Image> decoded = DecodeImage(bytes);
  if (!decoded) return std::nullopt;
  YieldToDrawing();  // the fit after the decode
  out.info = {decoded->width, decoded->height, 1};
  out.textureWidth = textureSide(width, decoded->width);
  out.textureHeight = textureSide(height, decoded->height);
  out.level0 =
      FitToTexture(std::move(*decoded), out.textureWidth, out.textureHeight, filter, colorKey);
  return out;
}

TexturePtr CreatePreparedTexture(GpuDevice& device, const Image& level0, uint32_t mipLevels,
                                 uint32_t usage, D3DFORMAT format, D3DPOOL pool) {
  const uint32_t levels = mipLevels == kD3dxDefault ? 0 : mipLevels;
  // Level 0 uploaded, the others made from it: nothing to clear first.
  TexturePtr texture =
      device.CreateTextureToFill(level0.width, level0.height, levels, usage, format, pool);
  if (!texture) return nullptr;
  texture->UploadImage(0, level0);
  texture->GenerateMips();
  return texture;
}

TexturePtr CreateTextureFromFileInMemoryEx(GpuDevice& device, std::span<const uint8_t> bytes,
                                           uint32_t width, uint32_t height, uint32_t mipLevels,
                                           uint32_t usage, D3DFORMAT format, D3DPOOL pool,
                                           int32_t filter, int32_t, D3DCOLOR colorKey,
                                           D3DXIMAGE_INFO* info) {
  auto decoded = DecodePicture(bytes);
  if (!decoded) return nullptr;
  if (info)
    *info = {decoded->frames[0].width, decoded->frames[0].height, uint32_t(decoded->frames.size())};
  return MakeTexture(device, std::move(decoded->frames[0]), width, height, mipLevels, usage, format,
                     pool, filter, colorKey);
}

AnimationTextures CreateAnimationTextures(GpuDevice& device, std::span<const uint8_t> bytes,
                                          D3DFORMAT format, D3DPOOL pool, int32_t filter) {
  AnimationTextures out;
  auto decoded = DecodePicture(bytes);
  if (!decoded) return out;
  out.info = {decoded->frames[0].width, decoded->frames[0].height,
              uint32_t(decoded->frames.size())};
  for (size_t i = 0; i < decoded->frames.size(); ++i) {
    TexturePtr t = MakeTexture(device, std::move(decoded->frames[i]), kD3dxDefault, kD3dxDefault, 1,
                               0, format, pool, filter, 0);
    if (!t) continue;
    out.textures.push_back(std::move(t));
    out.delays.push_back(decoded->delays[i]);
  }
  return out;
}

bool LoadSurfaceFromSurface(const SurfacePtr& dst, const SurfacePtr& src, int32_t filter) {
  if (!dst || !src || dst->Texture()->IsLost() || src->Texture()->IsLost()) return false;
  const Image pixels = src->Texture()->ReadLevel(src->Level());
  const D3DSURFACE_DESC d = dst->GetDesc();
  dst->Texture()->UploadImage(dst->Level(), Fit(pixels, d.Width, d.Height, filter));
  return true;
}

}  // namespace glimmer
