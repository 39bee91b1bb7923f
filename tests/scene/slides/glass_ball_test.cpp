// The glass-ball slide: the version-1 speed, the generated textures, the
// wobble's period on the slide's own clamped clock, and the drawn ball.

#include "scene/slides/glass_ball.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "tests/support/archive_helpers.h"
#include "tests/support/slide_kind_test.h"

namespace glimmer::testing {
namespace {

std::vector<uint8_t> GlassBallBytes(uint32_t speed) {
  ZT_IOF_W w;
  for (int k = 0; k < 4; ++k) {
    w.WriteString(u"image.png");
    w.WriteUInt64(uint64_t(k));
  }
  w.WriteUInt32(speed);
  w.WritePoint({7, -9});
  w.WriteUInt32(120);
  w.WriteUInt32(30);
  for (int32_t v : {0, 1, 1, 0, 2}) w.WriteLong(v);
  w.WriteInt32(0x0000FF);
  w.WriteInt32(0xFF0000);
  w.WriteHeader(u"ZT_2D_Light", 1);
  return w.Take();
}

TEST(GlassBallStoredForm, AVersionOneSpeedIsConverted) {
  ZT_GlassBallLight one, two;
  ReadWith(GlassBallBytes(33), [&](Archive& ar) { one.Serialize(ar, 1); });
  ReadWith(GlassBallBytes(33), [&](Archive& ar) { two.Serialize(ar, 2); });
  EXPECT_EQ(one.Speed.Value(), 55u) << "⌊66 ÷ 3⌋ + 33";
  EXPECT_EQ(two.Speed.Value(), 33u);
  EXPECT_EQ(two.BallOffset, (Point32{7, -9}));
  EXPECT_EQ(two.ShowOverlay1.Value(), 0);
  EXPECT_EQ(two.Motion.Value(), 2);
  EXPECT_EQ(two.Colour2.Value(), 0xFF0000u);
}

TEST(GlassBallTextures, TheHemisphereMaskAndGradient) {
  const std::vector<int16_t> bump = ZT_GlassBallLight::BallBumpTexels();
  const auto at = [&](int r, int c, int k) {
    return bump[(size_t(r) * 256 + size_t(c)) * 2 + size_t(k)];
  };
  EXPECT_EQ(at(128, 128, 0), 63);
  EXPECT_EQ(at(128, 128, 1), 63);
  EXPECT_EQ(at(128, 0, 0), -24580) << "the steep rim";
  EXPECT_EQ(at(40, 255, 0), 0) << "the last column is flat";
  const std::vector<uint8_t> mask = ZT_GlassBallLight::BallMaskTexels();
  EXPECT_EQ(mask[512 * 1024 + 512 + 507], 0);
  EXPECT_EQ(mask[512 * 1024 + 512 + 509], 255) << "a thin ring inside the outline";
  EXPECT_EQ(mask[0], 255) << "the corners";
  ZT_GlassBallLight ball;
  ball.Colour1.SetValue(0x0000FF);  // red
  ball.Colour2.SetValue(0xFF0000);  // blue
  const std::vector<uint8_t> g = ball.GradientTexels();
  EXPECT_EQ(g[2], 255);                  // row 0: red
  EXPECT_EQ(g[255 * 256 * 4 + 0], 255);  // row 255: blue
  EXPECT_EQ(g[255 * 256 * 4 + 2], 0);
}

class GlassBall : public SlideKindTest {};

TEST_F(GlassBall, TheWobbleRepeatsAboutEveryThirtyTwoSeconds) {
  auto* ball = Start<ZT_GlassBallLight>(R"("class": "ZT_GlassBallLight")");
  ASSERT_NE(ball, nullptr);
  // 2 ÷ (0.99 × 0.0625) = 32.32 s of clock; steps of 0.1 s.
  std::vector<float> wobble;
  for (int i = 0; i <= 450; ++i) {
    ball->AdvanceCamera(0.1f * float(i));
    wobble.push_back(ball->Wobble());
  }
  EXPECT_NEAR(wobble[100], wobble[100 + 323], 0.01f);
  const auto [low, high] = std::minmax_element(wobble.begin(), wobble.begin() + 324);
  EXPECT_LT(*low, -0.95f);
  EXPECT_GT(*high, 0.95f) << "a triangle wave from −1 to 1";
  ball->AdvanceCamera(100.0f);
  EXPECT_NEAR(ball->MotionClock(), (45.0f + 0.2f) * 0.99f * 0.0625f, 1e-3f)
      << "a jump forwards steps 0.2 s only";
  const float before = ball->MotionClock();
  ball->AdvanceCamera(1.0f);
  EXPECT_GE(ball->MotionClock(), before) << "never backwards";
}

TEST_F(GlassBall, TheSlideIsSeenInABallOverTheGradient) {
  auto* ball = Start<ZT_GlassBallLight>(
      R"("class": "ZT_GlassBallLight", "Colour1": 255, "Colour2": 255, "Motion": 0)");
  ASSERT_NE(ball, nullptr);
  Frame(0.1f);
  Frame(0.2f);
  EXPECT_TRUE(NearColor(Pixel(1, 1) | 0xFF, 0xFF0000FF, 6)) << "the red gradient outside the ball";
  const uint32_t centre = Pixel(32, 24);
  EXPECT_FALSE(NearColor(centre, 0xFF0000FF, 40)) << "the slide inside";
  // The whole slide is projected onto the ball (radius 20 at the screen's
  // middle): its blue left half on the ball's left, its yellow right half
  // on the right; beside the ball the gradient again.
  EXPECT_TRUE(NearColor(Pixel(24, 24), 0x3060C0FF, 40)) << "blue on the ball's left";
  EXPECT_TRUE(NearColor(Pixel(40, 24), 0xE0C040FF, 40)) << "yellow on the ball's right";
  EXPECT_TRUE(NearColor(Pixel(8, 24) | 0xFF, 0xFF0000FF, 6)) << "the gradient beside the ball";
  EXPECT_EQ(device_->GetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS),
            uint32_t(D3DTTFF_DISABLE))
      << "the projective transform is not left on";
}

TEST_F(GlassBall, TheGlassShowsOnlyTheOverlaysThatAreOnWithThePlayersOwnPictures) {
  // Over a dark slide and gradient: with both overlays off nothing in the
  // ball is brighter than what it shows; the first overlay (the player's own
  // picture 58) adds its highlight up left.
  size_t bright[2] = {};
  for (const int on : {0, 1}) {
    auto* ball = Start<ZT_GlassBallLight>(
        R"("class": "ZT_GlassBallLight", "Colour1": 1052688, "Colour2": 1052688, "Motion": 0,
           "ShowOverlay1": )" +
            std::to_string(on) + R"(, "ShowOverlay2": 0, "ShowBelow": 0)",
        64, 48, 0x101010, 0x101010);
    ASSERT_NE(ball, nullptr);
    Frame(0.1f);
    Frame(0.2f);
    for (uint32_t y = 4; y < 44; ++y) {
      for (uint32_t x = 12; x < 52; ++x) bright[on] += (Pixel(x, y) >> 24) > 0x80;
    }
    scope_.reset();
    doc_.reset();
  }
  EXPECT_EQ(bright[0], 0u) << "no shine of the player's own with the overlays off";
  EXPECT_GT(bright[1], 0u) << "the highlight overlay";
}

}  // namespace
}  // namespace glimmer::testing
