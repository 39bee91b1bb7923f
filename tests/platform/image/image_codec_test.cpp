#include "platform/image/image_codec.h"

#include <gtest/gtest.h>
#include <stb/stb_image_resize.h>

#include <algorithm>

#include "tests/support/test_pictures.h"

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

TEST(ImageCodec, OpaqueResizesMatchTheGeneralTentFilter) {
  // The own paths for opaque pictures (fixed point when enlarged on both
  // axes, separable when reduced on either) give the general resampler's
  // pixels, within one level.
  Image src{37, 23, {}};
  for (uint32_t i = 0; i < 37 * 23; ++i) {
    for (uint32_t c : {i * 7 % 256, i * 13 % 251, (i * i) % 256, 255u})
      src.rgba.push_back(uint8_t(c));
  }
  for (const auto& [w, h] :
       {std::pair{64u, 32u}, std::pair{37u, 64u}, std::pair{128u, 23u}, std::pair{16u, 11u},
        std::pair{20u, 64u}, std::pair{37u, 7u}, std::pair{5u, 3u}}) {
    const Image fast = ResizeTriangle(src, w, h);
    Image general{w, h, std::vector<uint8_t>(size_t{w} * h * 4)};
    stbir_resize_uint8_generic(src.rgba.data(), 37, 23, 0, general.rgba.data(), int(w), int(h), 0,
                               4, 3, 0, STBIR_EDGE_CLAMP, STBIR_FILTER_TRIANGLE,
                               STBIR_COLORSPACE_LINEAR, nullptr);
    int worst = 0;
    for (size_t i = 0; i < fast.rgba.size(); ++i)
      worst = std::max(worst, std::abs(int(fast.rgba[i]) - int(general.rgba[i])));
    EXPECT_LE(worst, 1) << w << " x " << h;
  }
}

TEST(ImageCodec, AJpegDecodesAtTheSmallestScaleThatCoversWhatIsAsked) {
  Image flat{160, 96, std::vector<uint8_t>(160 * 96 * 4, 200)};
  const std::vector<uint8_t> jpeg = glimmer::testing::EncodeJpeg(flat.rgba, 160, 96, 4, 90);
  uint32_t w = 0, h = 0;
  ASSERT_TRUE(PictureSize(jpeg, w, h));
  EXPECT_EQ(w, 160u);
  EXPECT_EQ(h, 96u);
  // 50 × 20 is covered by a quarter (40 × 24 is not wide enough): 3/8.
  const auto part = DecodeImageAtLeast(jpeg, 50, 20);
  ASSERT_TRUE(part);
  EXPECT_EQ(part->width, 60u);
  EXPECT_EQ(part->height, 36u);
  EXPECT_NEAR(part->rgba[0], 200, 3);
  const auto whole = DecodeImageAtLeast(jpeg, 161, 1);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->width, 160u);
  // Other pictures decode whole; bytes that are no picture have no size.
  const auto png = DecodeImageAtLeast(EncodePng(flat), 10, 10);
  ASSERT_TRUE(png);
  EXPECT_EQ(png->width, 160u);
  EXPECT_FALSE(PictureSize(std::vector<uint8_t>(40, 0x5A), w, h));
}

// Reducing while decoding gives exactly the pixels of decoding at the same
// scale and then reducing, for scales 1/8 to 1 and odd sizes; what is not a
// reduction, or not a JPEG, is left to the whole decode.
TEST(ImageCodec, AJpegReducedAsItDecodesMatchesTheWholeDecodeReduced) {
  constexpr uint32_t w = 643, h = 421;
  std::vector<uint8_t> rgb(size_t{w} * h * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = uint8_t((i * 2654435761u) >> 24 ^ (i / 3 % w));
  const std::vector<uint8_t> jpeg = glimmer::testing::EncodeJpeg(rgb, w, h, 3, 85);
  for (const auto& [lw, lh] : {std::pair{600u, 400u}, {301u, 97u}, {79u, 53u}, {40u, 300u}}) {
    const auto streamed = DecodeJpegReduced(jpeg, lw, lh);
    ASSERT_TRUE(streamed) << lw << " x " << lh;
    const Image whole = ResizeTriangle(*DecodeImageAtLeast(jpeg, lw, lh), lw, lh);
    EXPECT_EQ(streamed->width, lw);
    EXPECT_EQ(streamed->height, lh);
    EXPECT_TRUE(streamed->rgba == whole.rgba) << lw << " x " << lh;
    // As RGB: the same colours without the alpha.
    const auto rgbLevel = DecodeJpegReduced(jpeg, lw, lh, 3);
    ASSERT_TRUE(rgbLevel);
    ASSERT_EQ(rgbLevel->channels, 3u);
    ASSERT_EQ(rgbLevel->rgba.size(), size_t{lw} * lh * 3);
    size_t differing = 0;
    for (size_t i = 0; i < size_t{lw} * lh; ++i)
      differing += !std::equal(&whole.rgba[i * 4], &whole.rgba[i * 4 + 3], &rgbLevel->rgba[i * 3]);
    EXPECT_EQ(differing, 0u) << lw << " x " << lh;
  }
  EXPECT_FALSE(DecodeJpegReduced(jpeg, w, h));
  EXPECT_FALSE(DecodeJpegReduced(jpeg, 2 * w, h + 1));
  EXPECT_FALSE(DecodeJpegReduced(EncodePng(Image{8, 8, std::vector<uint8_t>(256, 9)}), 4, 4));
  // Cut inside its scan: libjpeg's error ends the decode without a crash.
  std::vector<uint8_t> cut(jpeg.begin(), jpeg.begin() + 600);
  cut.insert(cut.end(), 4000, 0xFF);
  (void)DecodeJpegReduced(cut, 100, 60);
}

}  // namespace
}  // namespace glimmer
