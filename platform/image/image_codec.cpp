#include "platform/image/image_codec.h"

#include <stb/stb_image.h>
#include <stb/stb_image_resize.h>
#include <stb/stb_image_write.h>
#include <turbojpeg.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>

namespace glimmer {
namespace {

// Pictures beyond this many pixels are refused rather than decoded.
constexpr uint64_t kMaxPixels = uint64_t{16384} * 16384;

// A JPEG through libjpeg-turbo, several times faster than the generic
// decoder; nullopt when it cannot (the generic decoder then tries).
std::optional<Image> DecodeJpeg(std::span<const uint8_t> bytes) {
  tjhandle tj = tjInitDecompress();
  if (!tj) return std::nullopt;
  std::optional<Image> out;
  int w = 0, h = 0, subsampling = 0, colourspace = 0;
  auto* data = const_cast<unsigned char*>(bytes.data());
  const auto size = static_cast<unsigned long>(bytes.size());
  if (tjDecompressHeader3(tj, data, size, &w, &h, &subsampling, &colourspace) == 0 && w > 0 &&
      h > 0 && uint64_t(w) * uint64_t(h) <= kMaxPixels) {
    Image img{uint32_t(w), uint32_t(h), std::vector<uint8_t>(size_t(w) * size_t(h) * 4)};
    if (tjDecompress2(tj, data, size, img.rgba.data(), w, 0, h, TJPF_RGBA, 0) == 0)
      out = std::move(img);
  }
  tjDestroy(tj);
  return out;
}

}  // namespace

std::optional<ImageFrames> DecodePicture(std::span<const uint8_t> bytes) {
  if (bytes.empty() || bytes.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
    return std::nullopt;
  }
  const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
  const int len = static_cast<int>(bytes.size());
  int w = 0, h = 0, comp = 0;
  if (!stbi_info_from_memory(data, len, &w, &h, &comp) || w <= 0 || h <= 0 ||
      uint64_t(w) * uint64_t(h) > kMaxPixels) {
    return std::nullopt;
  }
  ImageFrames out;
  if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
    if (std::optional<Image> jpeg = DecodeJpeg(bytes)) {
      out.frames.push_back(std::move(*jpeg));
      out.delays.push_back(0.0f);
      return out;
    }
  }
  const bool gif = bytes.size() >= 4 && std::memcmp(bytes.data(), "GIF8", 4) == 0;
  if (gif) {
    int* delays = nullptr;
    int frames = 0;
    stbi_uc* pixels = stbi_load_gif_from_memory(data, len, &delays, &w, &h, &frames, &comp, 4);
    if (!pixels) return std::nullopt;
    const size_t frameBytes = size_t(w) * size_t(h) * 4;
    for (int i = 0; i < frames; ++i) {
      Image img{uint32_t(w), uint32_t(h), {}};
      img.rgba.assign(pixels + frameBytes * size_t(i), pixels + frameBytes * size_t(i + 1));
      out.frames.push_back(std::move(img));
      out.delays.push_back(delays ? static_cast<float>(delays[i]) / 1000.0f : 0.0f);
    }
    stbi_image_free(pixels);
    std::free(delays);  // stb allocates the delays with malloc
    if (out.frames.empty()) return std::nullopt;
    return out;
  }
  stbi_uc* pixels = stbi_load_from_memory(data, len, &w, &h, &comp, 4);
  if (!pixels) return std::nullopt;
  Image img{uint32_t(w), uint32_t(h), {}};
  img.rgba.assign(pixels, pixels + size_t(w) * size_t(h) * 4);
  stbi_image_free(pixels);
  out.frames.push_back(std::move(img));
  out.delays.push_back(0.0f);
  return out;
}

std::optional<Image> DecodeImage(std::span<const uint8_t> bytes) {
  auto frames = DecodePicture(bytes);
  if (!frames) return std::nullopt;
  return std::move(frames->frames.front());
}

Image ResizeTriangle(const Image& src, uint32_t width, uint32_t height) {
  Image out{width, height, std::vector<uint8_t>(size_t{width} * height * 4)};
  if (src.empty() || width == 0 || height == 0) return out;
  if (src.width == width && src.height == height) return src;
  stbir_resize_uint8_generic(src.rgba.data(), int(src.width), int(src.height), 0, out.rgba.data(),
                             int(width), int(height), 0, 4, 3, 0, STBIR_EDGE_CLAMP,
                             STBIR_FILTER_TRIANGLE, STBIR_COLORSPACE_LINEAR, nullptr);
  return out;
}

std::vector<uint8_t> EncodePng(const Image& image) {
  std::vector<uint8_t> out;
  stbi_write_png_to_func(
      [](void* ctx, void* data, int size) {
        auto* v = static_cast<std::vector<uint8_t>*>(ctx);
        const auto* b = static_cast<const uint8_t*>(data);
        v->insert(v->end(), b, b + size);
      },
      &out, int(image.width), int(image.height), 4, image.rgba.data(), int(image.width * 4));
  return out;
}

bool WritePng(const std::string& path, const Image& image) {
  const std::vector<uint8_t> png = EncodePng(image);
  if (png.empty()) return false;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  return bool(out);
}

}  // namespace glimmer
