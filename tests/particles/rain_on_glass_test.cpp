// Rain on glass: its stored form; a newborn's draws from state 1 (place,
// type, friction, period, colour phase, size, tilt with a signed spread);
// a warm-up of 150 steps; touching drops merging in the running layer; and
// a pane that gathers drops without bound held at its cap.

#include "particles/rain_on_glass.h"

#include <gtest/gtest.h>

#include <cmath>

#include "params/random_source.h"
#include "tests/support/particle_kind_test.h"
#include "tests/support/scene_effect_test.h"

namespace glimmer::testing {
namespace {

TEST(RainOnGlassStoredForm, RateGlassGravityDirectionThenTheParticleBase) {
  ZT_RainOnGlass base;
  base.appearance.baseSize.SetValue(21);
  ZT_IOF_W own;
  own.WriteUInt32(150);
  for (float c : {1.f, 2.f, 0.f, 1.f, 90.f, 0.f, 200.f, 2.f, 0.f, 200.f, 90.f, 0.f}) {
    own.WriteFloat(c);
  }
  own.WriteUInt32(80);
  own.WriteUInt32(250);
  ZT_RainOnGlass rain;
  ReadEffect(OwnBlockThenBase<QVX_ParticleSystemCtrl>(own, base), rain);
  EXPECT_FLOAT_EQ(rain.rate.rate.Scaled(), 30.0f);
  EXPECT_EQ(rain.glass.quad.Corners[3].Value(), (D3DXVECTOR3{200, 90, 0}));
  EXPECT_FLOAT_EQ(rain.gravity.Scaled(), 80.0f);
  EXPECT_EQ(rain.fallDirection.Value(), 250u);
  EXPECT_EQ(rain.appearance.baseSize.Value(), 21u);
}

// The shared generator's sequence from state 1, computed here on its own.
struct Sequence {
  uint32_t state = 1;
  int32_t Next() {
    state = state * 214013u + 2531011u;
    return int32_t((state >> 16) & 0x7FFF);
  }
  float Uniform(float a, float b) { return a + (b - a) * float(Next()) / 32767.0f; }
};

using RainOnGlassKind = ParticleKindTest;

TEST_F(RainOnGlassKind, ANewbornsDrawsFromStateOne) {
  ZT_RainOnGlass rain;
  rain.timing.SetValue(1);      // no warm-up
  rain.rate.rate.SetValue(30);  // 6 a second: one in a step of 0.2 s
  rain.glass.quad.SetCentered(320, 180, {160, 90, 0});
  rain.appearance.baseSize.SetValue(10);
  rain.appearance.angle.SetValue(5);
  rain.appearance.angleSpread.SetValue(10);
  rain.fallDirection.SetValue(270);  // falling down the screen
  auto runtime = Start(rain);
  runtime->Advance(0.0f);
  SeedRandom(1);
  runtime->Advance(0.2f);
  ASSERT_EQ(runtime->Engine().Count(), 1u);
  const Particle& p = runtime->Engine().At(0);
  Sequence s;
  const float y = s.Uniform(0, 180), x = s.Uniform(0, 320);
  const int32_t type = s.Next() % 4;
  s.Next();  // friction
  s.Next();  // its period
  s.Next();  // the colour phase
  EXPECT_FLOAT_EQ(p.position.x, x);
  EXPECT_FLOAT_EQ(p.position.y, y - 100) << "a hundred pixels up, to fall in";
  EXPECT_EQ(p.rnd2, 0.0f);
  float angle = 5;
  if (type == 0) {
    EXPECT_EQ(RainFlags(p), uint32_t(kRainFallingIn | kRainSliding));
    EXPECT_EQ(p.rnd1, 1.0f);
    EXPECT_EQ(p.frame[2], 0.0f);
    EXPECT_EQ(p.frame[3], 0.0f);
  } else {
    EXPECT_EQ(RainFlags(p), uint32_t(kRainFallingIn));
    EXPECT_FLOAT_EQ(p.rnd1, s.Uniform(0.5f, 0.8f));
    angle += float(s.Next() % 21 - 10);
    EXPECT_EQ(p.frame[2], type == 2 ? 0.0f : 0.5f);
    EXPECT_EQ(p.frame[3], type == 1 ? 0.0f : 0.5f);
  }
  EXPECT_EQ(p.frame[0], 0.5f);
  EXPECT_NEAR(p.orientCos, std::cos(angle * 3.14159265f / 180), 1e-5);
  EXPECT_NEAR(p.orientSin, std::sin(angle * 3.14159265f / 180), 1e-5);
  EXPECT_EQ(RandomState(), s.state) << "no other draws";
}

TEST_F(RainOnGlassKind, WarmsUpFor150StepsAndHoldsAPaneThatNeverClearsAtItsCap) {
  // Drops of no size never touch, and without gravity none slides away.
  ZT_RainOnGlass rain;
  rain.rate.rate.SetValue(50);  // 10 a second
  rain.appearance.baseSize.SetValue(0);
  rain.gravity.SetValue(0);
  rain.glass.quad.SetCentered(320, 180, {160, 90, 0});
  EXPECT_NEAR(double(Start(rain)->Engine().Count()), 150.0, 1.0);
  rain.rate.rate.SetValue(1'000'000);
  EXPECT_EQ(Start(rain)->Engine().Count(), kMaxRainDrops);
}

TEST_F(RainOnGlassKind, TwoDropsLandingTogetherMergeIntoOneThatSlides) {
  ZT_RainOnGlass rain;
  rain.timing.SetValue(1);
  rain.rate.rate.SetValue(50);             // two in the first step of 0.2 s
  rain.gravity.SetValue(0);                // the merged drop slides nowhere
  rain.appearance.baseSize.SetValue(200);  // any two drops on the pane touch
  rain.glass.quad.SetCentered(60, 60, {100, 100, 0});
  auto runtime = Start(rain);
  runtime->Advance(0.0f);
  SeedRandom(1);
  runtime->Advance(0.2f);
  ASSERT_EQ(runtime->Engine().Count(), 2u);
  static_cast<ZT_RainOnGlass&>(runtime->Constructor()).rate.rate.SetValue(0);
  runtime->Advance(0.4f);  // both have landed
  ASSERT_EQ(runtime->Engine().Count(), 2u);
  const float a = runtime->Engine().At(0).rnd1, b = runtime->Engine().At(1).rnd1;
  Run(*runtime, 0.4f, 1.0f);
  ASSERT_EQ(runtime->Engine().Count(), 1u);
  const Particle& merged = runtime->Engine().At(0);
  EXPECT_FLOAT_EQ(merged.rnd1, std::min(std::cbrt(a * a * a + b * b * b), 1.3f));
  EXPECT_TRUE(RainFlags(merged) & kRainSliding);
}

TEST_F(RainOnGlassKind, DropsStepTwiceAFrameAndFallInWithinOneTenthSecondFrame) {
  // The frame's step and the emission's own: a drop 0.1 s old by the clock
  // has lived 0.2 s, past its 0.15 s of falling in.
  ZT_RainOnGlass rain;
  rain.timing.SetValue(1);
  rain.rate.rate.SetValue(30);  // one in a step of 0.2 s
  rain.glass.quad.SetCentered(320, 180, {160, 90, 0});
  auto runtime = Start(rain);
  runtime->Advance(0.0f);
  runtime->Advance(0.2f);
  ASSERT_EQ(runtime->Engine().Count(), 1u);
  EXPECT_TRUE(RainFlags(runtime->Engine().At(0)) & kRainFallingIn);
  static_cast<ZT_RainOnGlass&>(runtime->Constructor()).rate.rate.SetValue(0);
  runtime->Advance(0.3f);
  ASSERT_EQ(runtime->Engine().Count(), 1u);
  EXPECT_FALSE(RainFlags(runtime->Engine().At(0)) & kRainFallingIn) << "landed";
}

}  // namespace
}  // namespace glimmer::testing
