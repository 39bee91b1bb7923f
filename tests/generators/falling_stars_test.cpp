// The falling stars: the stored form down to the rectangle, the draws of a
// spawn from state 1 (their number, then y before x, rotation and spin),
// a rate of 0 that never spawns but still draws, the average rate with its
// bursts, and a star's life with its two fades.

#include "generators/falling_stars.h"

#include <gtest/gtest.h>

#include <cmath>

#include "params/random_source.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/generator_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(FallingStarsStored, ReadsItsFieldsAndTheRectangle) {
  ZT_IOF_W w;
  w.WriteUInt32(10);   // 80 px/s
  w.WriteUInt32(100);  // 2 stars/s
  w.WriteUInt32(270);  // straight down
  w.WriteUInt32(9);    // star size
  w.WriteUInt32(50);   // trail: 3 star sizes
  for (uint32_t v : {150u, 20u, 40u}) w.WriteUInt32(v);
  WriteRectRegionBase(w);
  ZT_FallingStars stars;
  ReadWith(w.Take(), [&](Archive& ar) { stars.Serialize(ar, 1); });
  EXPECT_FLOAT_EQ(stars.starSpeed.Scaled(), 80.0f);
  EXPECT_FLOAT_EQ(stars.starRate.Scaled(), 2.0f);
  EXPECT_NEAR(stars.direction.Direction().y, -1.0f, 1e-6);
  EXPECT_EQ(stars.starSize.Value(), 9u);
  EXPECT_FLOAT_EQ(stars.trailLength.Scaled(), 3.0f);
  EXPECT_FLOAT_EQ(stars.StarLife(), 2.1f);
  float l, t, r, b;
  stars.Extent(l, t, r, b);
  EXPECT_EQ(l, 10.0f);
  EXPECT_EQ(b, 80.0f);
  EXPECT_EQ(stars.images.size(), 1u);
}

using FallingStarsRuntime = GeneratorKindTest;

ZT_FallingStars Sky(uint32_t rateHundredths) {
  ZT_FallingStars kind;
  kind.region.SetCentered(200, 100, {100, 50, 0});  // 0..200 × 0..100
  kind.starRate.SetValue(rateHundredths / 2);       // × 0.02
  kind.starSpeed.SetValue(10);                      // 80 px/s
  kind.direction.SetValue(270);
  return kind;
}

TEST_F(FallingStarsRuntime, ASpawnDrawsItsNumberThenYBeforeXRotationAndSpin) {
  auto runtime = Start(Sky(500));
  auto& sky = Settings<ZT_FallingStars>(*runtime);
  runtime->Advance(0);
  SeedRandom(1);
  runtime->Advance(0.2f);  // one star due: up to two, 41 mod 3 = 2
  ASSERT_EQ(sky.stars.size(), 2u);
  ASSERT_EQ(sky.trails.size(), 2u);
  const auto unit = [](int r) { return float(r) / 32767; };
  EXPECT_FLOAT_EQ(sky.stars[0].position.y, unit(18467) * 100);
  EXPECT_FLOAT_EQ(sky.stars[0].position.x, unit(6334) * 200);
  EXPECT_FLOAT_EQ(sky.stars[0].params[kRotation], unit(26500) * 6.28318530717959f);
  EXPECT_FLOAT_EQ(static_cast<PSpin&>(sky.stars[0].processes[3]).rate, -0.16f) << "19169 is odd";
  EXPECT_FLOAT_EQ(sky.stars[1].position.y, unit(15724) * 100);
  EXPECT_FLOAT_EQ(static_cast<PSpin&>(sky.stars[1].processes[3]).rate, 0.16f) << "26962 is even";
  EXPECT_EQ(sky.stars[0].params[kOpacityFactor], 0.0f);
}

TEST_F(FallingStarsRuntime, RateZeroNeverSpawnsButDrawsEveryFrame) {
  auto runtime = Start(Sky(0));
  auto& sky = Settings<ZT_FallingStars>(*runtime);
  Run(*runtime, 0, 3, [&](float) {
    const uint32_t before = RandomState();
    runtime->Advance(3.5f);
    EXPECT_NE(RandomState(), before);
  });
  EXPECT_TRUE(sky.stars.empty());
}

TEST_F(FallingStarsRuntime, SpawnsTheRateOnAverageInBurstsOfUpToTwice) {
  auto runtime = Start(Sky(300));  // 3 a second
  auto& sky = Settings<ZT_FallingStars>(*runtime);
  sky.visibleTime.SetValue(10000);  // none dies during the run
  size_t most = 0, previous = 0;
  Run(*runtime, 0, 100, [&](float) {
    most = std::max(most, sky.stars.size() - previous);
    previous = sky.stars.size();
  });
  EXPECT_NEAR(double(sky.stars.size()), 300.0, 45.0);
  EXPECT_LE(most, 2u) << "3 a second at 50 frames: at most one due, twice that spawned";
}

TEST_F(FallingStarsRuntime, AStarLivesItsFadesAndIsOpaqueOnlyBetweenThem) {
  ZT_FallingStars kind = Sky(500);
  kind.fadeInTime.SetValue(50);
  kind.visibleTime.SetValue(100);
  kind.fadeOutTime.SetValue(50);
  auto runtime = Start(kind);
  auto& sky = Settings<ZT_FallingStars>(*runtime);
  runtime->Advance(0);
  while (sky.stars.empty()) runtime->Advance(sky.clock.LocalTime + 0.02f);
  const D3DXVECTOR3 born = sky.stars[0].position;
  sky.starRate.SetValue(0);
  float lived = 0;
  for (int k = 1; k < 300 && !sky.stars.empty(); ++k) {
    runtime->Advance(sky.clock.LocalTime + 0.01f);
    if (sky.stars.empty()) break;
    lived = sky.stars[0].params[kAge];
    const float o = sky.stars[0].params[kOpacityFactor];
    if (lived < 0.49f || lived > 1.51f) {
      EXPECT_LT(o, 1.0f) << lived;
    } else if (lived > 0.51f && lived < 1.49f) {
      EXPECT_NEAR(o, 1.0f, 1e-4) << lived;
    }
    EXPECT_NEAR(sky.stars[0].position.x, born.x, 1e-3);
    EXPECT_GT(sky.stars[0].position.y, born.y) << "direction 270 falls down the slide";
  }
  EXPECT_NEAR(lived, 2.0f, 0.011f);
  EXPECT_TRUE(sky.stars.empty());
  EXPECT_TRUE(sky.trails.empty());
}

}  // namespace
}  // namespace glimmer::testing
