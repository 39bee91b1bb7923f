#include "platform/gpu/picture_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/image/drawing_gate.h"
#include "tests/support/test_pictures.h"

namespace glimmer {
namespace {

// A 3000 × 1500 photo: its 4096 × 2048 texture may be made smaller.
std::vector<uint8_t> Photo(uint8_t shade) {
  constexpr uint32_t w = 3000, h = 1500;
  std::vector<uint8_t> rgb(size_t{w} * h * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = uint8_t(shade + (i / 3 % w) / 16);
  return glimmer::testing::EncodeJpeg(rgb, w, h, 3, 80);
}

std::shared_ptr<PictureJob> Ask(const std::vector<uint8_t>& bytes, uint32_t limitWidth,
                                uint32_t limitHeight) {
  return DecodeInBackground(bytes, kD3dxDefault, kD3dxDefault, D3DX_FILTER_TRIANGLE, 8192,
                            limitWidth, limitHeight);
}

// Screens of different sizes ask for one picture: a job whose picture is
// large enough serves the smaller ask, a finished smaller one does not serve
// a larger ask, and whoever shares a job gets a picture covering its ask.
TEST(PicturePool, ScreensOfDifferentSizesShareADecodeThatCoversEach) {
  const std::vector<uint8_t> photo = Photo(20);
  const auto large = Ask(photo, 1600, 800);
  EXPECT_EQ(Ask(photo, 800, 400), large);
  const auto& made = large->Wait();
  ASSERT_TRUE(made);
  EXPECT_EQ(made->textureWidth, 4096u);
  EXPECT_GE(made->level0.width, 1600u);
  EXPECT_LT(made->level0.width, 4096u);

  const auto larger = Ask(photo, 3000, 1500);
  EXPECT_NE(larger, large);
  ASSERT_TRUE(larger->Wait());
  EXPECT_GE(larger->Wait()->level0.width, 3000u);

  // Asked small then large at once: shared or not, each covers its ask.
  const std::vector<uint8_t> other = Photo(90);
  const auto first = Ask(other, 400, 200);
  const auto second = Ask(other, 2000, 1000);
  ASSERT_TRUE(first->Wait() && second->Wait());
  EXPECT_GE(first->Wait()->level0.width, 400u);
  EXPECT_GE(second->Wait()->level0.width, 2000u);
  if (first == second) {
    EXPECT_GE(first->Wait()->level0.width, 2000u);
  }
}

// Decoding waits while frames are drawn, yet holds up no frame and is not
// starved: a drawing thread that waits for a picture gets it, and a decode
// queued while another thread draws without pause still finishes.
TEST(PicturePool, DecodesGoOnWhileFramesAreDrawn) {
  {
    const FrameDrawing drawing;
    ASSERT_TRUE(Ask(Photo(140), 1600, 800)->Wait());
  }
  std::atomic<bool> stop{false};
  std::thread frames([&stop] {
    const FrameDrawing drawing;
    while (!stop) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  const auto job = Ask(Photo(200), 0, 0);
  while (!job->Ready()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  stop = true;
  frames.join();
  EXPECT_TRUE(job->Wait());
}

}  // namespace
}  // namespace glimmer
