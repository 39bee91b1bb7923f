#pragma once
// Picture decoding (PNG, JPEG, BMP, TGA, GIF with all frames), resampling
// with a triangle filter, and PNG encoding. Pixels are RGBA, 8 bits a channel,
// rows from the top.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace glimmer {

struct Image {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> rgba;  // width × height × channels
  // 4: RGBA. 3: RGB, an opaque picture on its way to a texture only (a
  // quarter less memory while it waits for its upload); nothing else takes it.
  uint32_t channels = 4;

  bool empty() const { return width == 0 || height == 0; }
  uint8_t* Pixel(uint32_t x, uint32_t y) { return &rgba[(size_t{y} * width + x) * channels]; }
  const uint8_t* Pixel(uint32_t x, uint32_t y) const {
    return &rgba[(size_t{y} * width + x) * channels];
  }
};

struct ImageFrames {
  std::vector<Image> frames;
  std::vector<float> delays;  // seconds, one per frame (0 for still pictures)
};

// Decodes every frame of a picture; nullopt when the bytes are no picture.
std::optional<ImageFrames> DecodePicture(std::span<const uint8_t> bytes);
// The first frame only.
std::optional<Image> DecodeImage(std::span<const uint8_t> bytes);
// The first frame with at least minWidth × minHeight pixels where a JPEG can
// be decoded smaller (at 1/2, 1/4, ... of its size); other pictures whole.
std::optional<Image> DecodeImageAtLeast(std::span<const uint8_t> bytes, uint32_t minWidth,
                                        uint32_t minHeight);
// The picture's size from its header, without decoding it; false when the
// bytes are no picture this decoder takes.
bool PictureSize(std::span<const uint8_t> bytes, uint32_t& width, uint32_t& height);

// Scales `src` to width × height with a triangle (tent) filter.
Image ResizeTriangle(const Image& src, uint32_t width, uint32_t height);
// A JPEG reduced to width × height as it decodes: exactly
// ResizeTriangle(*DecodeImageAtLeast(bytes, width, height), width, height),
// but holding only the rows the filter reads, never the decoded picture.
// nullopt when the bytes are no JPEG libjpeg decodes, or when the size asked
// for is no reduction of the scale decoded. `channels` 3 leaves out the
// alpha (always 255).
std::optional<Image> DecodeJpegReduced(std::span<const uint8_t> bytes, uint32_t width,
                                       uint32_t height, uint32_t channels = 4);

std::vector<uint8_t> EncodePng(const Image& image);
bool WritePng(const std::string& path, const Image& image);

}  // namespace glimmer
