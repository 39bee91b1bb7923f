#include "tests/support/test_pictures.h"

#include <stb/stb_image_write.h>

namespace glimmer::testing {

std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& pixels, uint32_t width, uint32_t height,
                                int channels, int quality) {
  std::vector<uint8_t> jpeg;
  stbi_write_jpg_to_func(
      [](void* out, void* data, int size) {
        auto* bytes = static_cast<uint8_t*>(data);
        auto* to = static_cast<std::vector<uint8_t>*>(out);
        to->insert(to->end(), bytes, bytes + size);
      },
      &jpeg, int(width), int(height), channels, pixels.data(), quality);
  return jpeg;
}

}  // namespace glimmer::testing
