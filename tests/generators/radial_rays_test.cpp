// The radial rays: the stored form down to the origin, N equal rays 360 ÷ N
// degrees apart without random, the same fan for the same seed with the
// shared sequence carried on from the draw before the reseeding, the turning
// modes, and a fan of no rays.

#include "generators/radial_rays.h"

#include <gtest/gtest.h>

#include <cmath>

#include "params/random_source.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/generator_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(RadialRaysStored, ReadsItsFieldsTheOriginAndTheTexturedPart) {
  ZT_IOF_W w;
  for (uint32_t v : {80u, 12u, 6u}) w.WriteUInt32(v);
  w.WriteLong(1);      // image index
  w.WriteLong(1);      // random
  w.WriteUInt32(77);   // seed
  w.WriteUInt32(0);    // random minimum: 1.0
  w.WriteUInt32(100);  // rotation speed: factor 2
  w.WriteLong(2);      // swing
  w.WriteUInt32(30);   // minimum visibility 0.7
  w.WriteUInt32(50);   // swing amplitude 1.0
  w.WriteHeader(u"ZT_StaticGenerator", 1);
  for (float f : {40.0f, 50.0f, 0.0f}) w.WriteFloat(f);
  WriteTexGeneratorBase(w, 3);
  ZT_RadialRays rays;
  ReadWith(w.Take(), [&](Archive& ar) { rays.Serialize(ar, 1); });
  EXPECT_EQ(rays.rayLength.Value(), 80u);
  EXPECT_EQ(rays.rayWidth.Value(), 12u);
  EXPECT_EQ(rays.rayCount.Value(), 6u);
  EXPECT_EQ(rays.imageIndex, 1);
  EXPECT_EQ(rays.random, 1);
  EXPECT_EQ(rays.seed.Value(), 77u);
  EXPECT_FLOAT_EQ(rays.randomMinimum.Scaled(), 1.0f);
  EXPECT_FLOAT_EQ(rays.rotationSpeed.Scaled(), 2.0f);
  EXPECT_EQ(rays.rotationMode, 2);
  EXPECT_FLOAT_EQ(rays.minimumVisibility.Scaled(), 0.7f);
  EXPECT_FLOAT_EQ(rays.swingAmplitude.Scaled(), 1.0f);
  EXPECT_EQ(rays.origin.Value().y, 50.0f);
  EXPECT_EQ(rays.colour1.Color.Value(), 0x336699u);
}

using RadialRaysRuntime = GeneratorKindTest;

ZT_RadialRays Fan(uint32_t n) {
  ZT_RadialRays rays;
  rays.origin.StoreValue({100, 90, 0});
  rays.rayLength.SetValue(50);
  rays.rayWidth.SetValue(10);
  rays.rayCount.SetValue(n);
  return rays;
}

// The tip of ray i: the middle of its far edge.
D3DXVECTOR3 Tip(const ZT_ParticlesObj& runtime, uint32_t i) {
  const DX_V::PCT* v = runtime.QuadVertices(0, i);
  return {(v[2].x + v[3].x) / 2 - 100, (v[2].y + v[3].y) / 2 - 90, 0};
}

TEST_F(RadialRaysRuntime, WithoutRandomRaysAreEqualAndEvenlySpaced) {
  auto runtime = Start(Fan(8));
  ASSERT_EQ(runtime->DrawnCount(0), 8u);
  EXPECT_NEAR(Tip(*runtime, 0).x, 50, 1e-3) << "the first ray along x";
  for (uint32_t i = 0; i < 8; ++i) {
    const D3DXVECTOR3 tip = Tip(*runtime, i), next = Tip(*runtime, (i + 1) % 8);
    EXPECT_NEAR(Length(tip), 50, 1e-3);
    // 45 degrees on to the next ray, turning from +x towards +y.
    EXPECT_NEAR((tip.x * next.x + tip.y * next.y) / 2500, std::cos(M_PI / 4), 1e-5);
    EXPECT_GT(tip.x * next.y - tip.y * next.x, 0);
  }
  const ZT_ParticlesObj::Bounds& b = runtime->QuadBounds(0, 0);
  EXPECT_NEAR(b.bottom - b.top, 10, 1e-3) << "the ray's width";
  EXPECT_EQ(runtime->QuadVertices(0, 0)[1].u, 0.01f);
  EXPECT_EQ(runtime->QuadVertices(0, 0)[2].v, 0.99f);
}

TEST_F(RadialRaysRuntime, TheSameSeedGivesTheSameFanAndTheSequenceCarriesOn) {
  ZT_RadialRays kind = Fan(7);
  kind.random = 1;
  kind.seed.SetValue(1234);
  kind.randomMinimum.SetValue(60);  // lengths and spacing down to 0.4
  auto runtime = Start(kind);
  auto& rays = Settings<ZT_RadialRays>(*runtime);
  std::vector<D3DXVECTOR3> first(7);
  for (uint32_t i = 0; i < 7; ++i) first[i] = Tip(*runtime, i);
  bool varied = false;
  for (uint32_t i = 1; i < 7; ++i) varied |= std::fabs(Length(first[i]) - Length(first[0])) > 0.5f;
  EXPECT_TRUE(varied) << "random lengths";
  SeedRandom(99);
  const int32_t before = NextRandom();
  SeedRandom(99);
  rays.BuildRays(*runtime);
  EXPECT_EQ(RandomState(), uint32_t(before)) << "reseeded with the draw made before the fan";
  for (uint32_t i = 0; i < 7; ++i) {
    EXPECT_NEAR(Tip(*runtime, i).x, first[i].x, 1e-4);
    EXPECT_NEAR(Tip(*runtime, i).y, first[i].y, 1e-4);
  }
  rays.seed.SetValue(4321);
  rays.BuildRays(*runtime);
  EXPECT_GT(std::fabs(Tip(*runtime, 3).x - first[3].x) + std::fabs(Tip(*runtime, 3).y - first[3].y),
            1e-2);
}

TEST_F(RadialRaysRuntime, TurnsTurnsBackOrSwings) {
  for (int32_t mode = 0; mode <= 2; ++mode) {
    ZT_RadialRays kind = Fan(4);
    kind.rotationMode = mode;
    kind.rotationSpeed.SetValue(50);  // one radian a second
    auto runtime = Start(kind);
    Run(*runtime, 0, 1, [](float) {});
    const float angle = Settings<ZT_RadialRays>(*runtime).angle;
    const float expected = mode == 0 ? 1.0f : mode == 1 ? -1.0f : std::sin(1.0f) * 0.5f;
    EXPECT_NEAR(angle, expected, 1e-4) << mode;
  }
}

TEST_F(RadialRaysRuntime, NoRaysDrawNothing) {
  auto runtime = Start(Fan(0));
  EXPECT_EQ(runtime->DrawnCount(0), 0u);
  Run(*runtime, 0, 0.1f, [](float) {});
}

}  // namespace
}  // namespace glimmer::testing
