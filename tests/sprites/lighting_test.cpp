// Lightning: the first flash comes on the first frame, fades in 1/6 s of
// scaled time and may flicker back; the dark pause of equal delays ends on
// the first frame more than its length after the flash went dark; the widest
// delay range draws without a modulo of 0; loading sets a random time line.

#include "sprites/lighting.h"

#include <gtest/gtest.h>

#include "params/random_source.h"
#include "params/smart_timing.h"
#include "tests/support/sprite_kind_test.h"

namespace glimmer::testing {
namespace {

using LightingKind = SpriteKindTest;

TEST_F(LightingKind, FlashesFadeAndWaitOutTheirDelay) {
  ZT_LightingConstructor lightning;
  lightning.size.SetValue(40);
  lightning.minDelay.SetValue(100);
  lightning.maxDelay.SetValue(100);
  auto group = Start(lightning);
  SpriteRecord& r = group->Records()[0];
  EXPECT_EQ(r.alphaFactor, 0.0f) << "starts dark";
  group->Advance(0.01f);
  EXPECT_EQ(r.alphaFactor, 1.0f) << "the first flash on the first frame";
  EXPECT_EQ(r.colour >> 24, 255u);
  float darkAt = -1, nextFlash = -1;
  Run(*group, 0.02f, 3, [&](float t) {
    if (darkAt < 0 && r.alphaFactor == 0) darkAt = t;
    if (darkAt > 0 && nextFlash < 0 && r.alphaFactor == 1) nextFlash = t;
  });
  ASSERT_GT(darkAt, 0);
  // At least 1/6 s, more with flickers back to full (at most every 0.15 s).
  EXPECT_GE(darkAt, 0.01f + 1.0f / 6 - 0.02f);
  EXPECT_EQ(r.waitTime, 1.0f);
  EXPECT_GE(nextFlash - darkAt, 1.0f - 1e-4f);
  EXPECT_LE(nextFlash - darkAt, 1.02f + 1e-4f) << "on the first frame after the wait";
  EXPECT_EQ(group->Owner().ApplyVisibility(0x80FFFFFF), 0x80FFFFFFu) << "no time-line fading";
}

TEST_F(LightingKind, TheWidestDelayRangeDrawsWithoutAModuloOfZero) {
  ZT_LightingConstructor lightning;
  lightning.minDelay.SetValue(0);
  lightning.maxDelay.SetValue(0xFFFFFFFF);
  SeedRandom(1);
  const float d = lightning.NextDelay();
  SeedRandom(1);
  EXPECT_FLOAT_EQ(d, float(NextRandom()) * 0.01f) << "2^32 values, of which rand() picks";
  lightning.minDelay.SetValue(0xFFFFFFFF);
  EXPECT_FLOAT_EQ(lightning.NextDelay(), float(0xFFFFFFFFu * 0.01)) << "minimum above maximum";
}

}  // namespace
}  // namespace glimmer::testing
