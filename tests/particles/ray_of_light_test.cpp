// Rays of light: the stored form; M rays kept alive (none for M = 0, never
// more than M, a new one the step after one dies, at most kMaxRays); a
// ray's fade in and out over its life; the edge zones, also of no width;
// three quads a ray and nothing without a colour.

#include "particles/ray_of_light.h"

#include <gtest/gtest.h>

#include "tests/support/particle_kind_test.h"
#include "tests/support/scene_effect_test.h"

namespace glimmer::testing {
namespace {

TEST(RayOfLightStoredForm, FrameCountJittersCutsFadeThenTheParticleBase) {
  ZT_RayOfLight base;
  ZT_IOF_W own;
  for (int k = 0; k < 12; ++k) own.WriteFloat(float(k));
  for (uint32_t u : {7u, 50u, 20u, 30u, 40u, 100u, 10u, 20u, 15u, 25u, 60u}) own.WriteUInt32(u);
  own.WriteLong(-2);
  ZT_RayOfLight rays;
  ReadEffect(OwnBlockThenBase<QVX_ParticleSystemCtrl>(own, base), rays);
  EXPECT_EQ(rays.frame.Corners[3].Value(), (D3DXVECTOR3{9, 10, 11}));
  EXPECT_EQ(rays.count.Value(), 7u);
  EXPECT_FLOAT_EQ(rays.life.Scaled(), 5.0f);
  EXPECT_FLOAT_EQ(rays.life.Spread.Scaled(), 0.8f);
  EXPECT_FLOAT_EQ(rays.width.Scaled(), 30.0f);
  EXPECT_FLOAT_EQ(rays.drift.Scaled(), 0.02f);
  EXPECT_FLOAT_EQ(rays.drift.Spread.Scaled(), 0.9f);
  EXPECT_FLOAT_EQ(rays.spreadOut.Scaled(), 2.0f);
  EXPECT_FLOAT_EQ(rays.startCut.Scaled(), 0.15f);
  EXPECT_FLOAT_EQ(rays.endCut.Scaled(), 0.25f);
  EXPECT_FLOAT_EQ(rays.edgeFade.Scaled(), 0.3f);
  EXPECT_EQ(rays.reserved.Value(), -2);
}

TEST(RayOfLightEdges, FainterTowardsTheFramesEndsAndWholeWithoutZones) {
  EXPECT_FLOAT_EQ(RayOfLightSystem::EdgeFactor(0.05f, 0.2f), 0.25f);
  EXPECT_FLOAT_EQ(RayOfLightSystem::EdgeFactor(0.9f, 0.2f), 0.5f);
  EXPECT_FLOAT_EQ(RayOfLightSystem::EdgeFactor(0.5f, 0.2f), 1.0f);
  EXPECT_FLOAT_EQ(RayOfLightSystem::EdgeFactor(-0.1f, 0.2f), 0.0f) << "drifted off the frame";
  EXPECT_FLOAT_EQ(RayOfLightSystem::EdgeFactor(0.0f, 0.0f), 1.0f) << "no zones, no division";
  EXPECT_FLOAT_EQ(RayOfLightSystem::EdgeFactor(1.0f, 0.0f), 1.0f);
}

class RayOfLightKind : public ParticleKindTest {
 protected:
  // Rays of exactly `seconds` (no spread), no drift, at 10 frames a second
  // of 0.1 s (the rays age 0.2 s a frame).
  static ZT_RayOfLight Rays(uint32_t count, uint32_t tenths) {
    ZT_RayOfLight rays;
    rays.count.SetValue(count);
    rays.life.SetValue(tenths);
    rays.life.Spread.SetValue(0);
    rays.drift.SetValue(0);
    rays.edgeFade.SetValue(0);
    rays.frame.SetCentered(200, 100, {160, 90, 0});
    return rays;
  }
};

TEST_F(RayOfLightKind, KeepsMRaysThatFadeInAndOutOverTheirLife) {
  auto none = Start(Rays(0, 10));
  Run(*none, 0, 1, 10);
  EXPECT_EQ(none->Engine().Count(), 0u);
  EXPECT_EQ(none->QuadCount(), 0u);

  ZT_RayOfLight three = Rays(3, 20);  // 2 s, lived in 1 s of frames
  three.timing.SetValue(1);           // no warm-up: all born together
  auto rays = Start(three);
  rays->Advance(0.0f);
  ASSERT_EQ(rays->Engine().Count(), 3u);
  EXPECT_EQ(rays->QuadCount(), 9u) << "three quads a ray";
  const Particle& ray = rays->Engine().At(0);
  for (int frame = 1; frame <= 10; ++frame) {
    rays->Advance(float(frame) / 10);
    ASSERT_EQ(rays->Engine().Count(), 3u);
    if (frame == 5) {
      EXPECT_NEAR(ray.rnd2, 1.0f, 1e-4) << "full at half its life";
    }
    if (frame == 6) {
      EXPECT_NEAR(ray.rnd2, 0.8f, 1e-4);
    }
  }
  EXPECT_NEAR(ray.age, 2.0f, 1e-4);
  EXPECT_NEAR(ray.rnd2, 0.0f, 1e-4) << "gone at the end of its life";
  rays->Advance(1.1f);  // past their life: each is replaced in the same frame
  ASSERT_EQ(rays->Engine().Count(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(rays->Engine().At(i).age, 0.0f) << i;
}

TEST_F(RayOfLightKind, AnEndlessCountIsCappedAndAColourlessTableDrawsNothing) {
  ZT_RayOfLight many = Rays(4'000'000'000u, 10);
  many.timing.SetValue(1);
  auto capped = Start(many);
  capped->Advance(0.0f);
  EXPECT_EQ(capped->Engine().Count(), kMaxRays);
  EXPECT_EQ(capped->QuadCount(), 3 * kMaxRays) << "32-bit indices past 16,383 quads";

  ZT_RayOfLight dark = Rays(3, 10);
  dark.appearance.colours.colours.SetValue({});
  auto runtime = Start(dark);
  runtime->Advance(0.0f);
  EXPECT_EQ(runtime->Engine().Count(), 3u);
  EXPECT_EQ(runtime->QuadCount(), 0u);
}

}  // namespace
}  // namespace glimmer::testing
