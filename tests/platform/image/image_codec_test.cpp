#include "platform/image/image_codec.h"

#include <gtest/gtest.h>

namespace glimmer {
namespace {

TEST(ImageCodec, PngRoundTripIsExact) {
  Image img{3, 2, {}};
  for (int i = 0; i < 24; ++i) img.rgba.push_back(uint8_t(i * 10));
  const auto png = EncodePng(img);
  ASSERT_FALSE(png.empty());
  auto back = DecodeImage(png);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width, 3u);
  EXPECT_EQ(back->rgba, img.rgba);
}

TEST(ImageCodec, RefusesWhatIsNoPicture) {
  EXPECT_FALSE(DecodePicture(std::vector<uint8_t>{}));
  EXPECT_FALSE(DecodePicture(std::vector<uint8_t>{0x89, 'P', 'N', 'G', 0, 0}));
  // A header claiming 100000 × 100000 pixels is refused before decoding.
  std::vector<uint8_t> bmp = {'B', 'M', 0, 0,    0,    0,    0, 0,    0,    0,    54, 0, 0, 0,  40,
                              0,   0,   0, 0xA0, 0x86, 0x01, 0, 0xA0, 0x86, 0x01, 0,  1, 0, 24, 0};
  bmp.resize(64, 0);
  EXPECT_FALSE(DecodePicture(bmp));
}

TEST(ImageCodec, TriangleResizeKeepsFlatColourAndAveragesDown) {
  Image flat{5, 3, std::vector<uint8_t>(60, 77)};
  const Image up = ResizeTriangle(flat, 17, 9);
  for (uint8_t v : up.rgba) ASSERT_EQ(v, 77);
  Image stripes{4, 1, {0, 0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255}};
  const Image down = ResizeTriangle(stripes, 2, 1);
  EXPECT_NEAR(down.rgba[0], 128, 40);
}

}  // namespace
}  // namespace glimmer
