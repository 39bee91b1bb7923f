#pragma once
// Pictures made by tests and benchmarks.

#include <cstdint>
#include <vector>

namespace glimmer::testing {

// `pixels` (`channels` bytes a pixel, rows top first) as a baseline JPEG.
std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& pixels, uint32_t width, uint32_t height,
                                int channels, int quality);

}  // namespace glimmer::testing
