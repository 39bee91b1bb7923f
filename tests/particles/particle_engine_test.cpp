// The particle engine: a newborn's draws from the shared random source in
// their order, stepping and dying in birth order, the routines' edge cases,
// the value noise, and quads of many particles.

#include "particles/particle_engine.h"

#include <gtest/gtest.h>

#include <cmath>

#include "params/random_source.h"
#include "particles/value_noise.h"
#include "tests/platform/gpu/gpu_test_support.h"

namespace glimmer::testing {
namespace {

// The shared source's first values from state 1.
constexpr int32_t kFromOne[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
float Unit(int k) {
  return float(kFromOne[k]) / 32767.0f;
}

TEST(ParticleEngine, ANewbornDrawsItsCellColourSpinOrientationAndWaveInOrder) {
  ParticleAppearance a;
  ZT_NamedFileLinkData sheet;
  sheet.Columns = 4;
  sheet.Rows = 2;
  a.texture.SetValue(sheet);
  a.spinDirection.SetValue(2);
  a.spinJitter.SetValue(50);  // spin factor in [0.5, 1]
  a.angle.SetValue(90);
  a.angleSpread.SetValue(30);
  a.opacityWave.mode.SetValue(1);
  ParticleEngine engine(a, u"test");
  engine.AddAppearanceRoutines();
  ASSERT_EQ(engine.Routines().size(), 2u) << "colour, opacity wave";
  SeedRandom(1);
  ASSERT_TRUE(engine.Spawn({5, 6, 0}));
  engine.InitFromAppearance(0, 2.0f);
  const Particle& p = engine.At(0);
  EXPECT_FLOAT_EQ(p.frame[2], float(kFromOne[0] % 4) * 0.25f);
  EXPECT_FLOAT_EQ(p.frame[3], float(kFromOne[1] % 2) * 0.5f);
  EXPECT_FLOAT_EQ(engine.State(0, engine.Routines()[0])[0], Unit(2)) << "the colour phase";
  const float s = Unit(3) * 0.5f + 0.5f;
  EXPECT_FLOAT_EQ(p.rnd1, Unit(4));
  EXPECT_FLOAT_EQ(p.rnd2, Unit(5));
  EXPECT_FLOAT_EQ(p.spin, kFromOne[6] % 2 == 0 ? s : -s);
  const float turn = -(90.0f + Unit(7) * 60.0f - 30.0f) * 3.14159265358979f / 180.0f;
  EXPECT_NEAR(p.orientCos, std::cos(turn), 1e-6);
  EXPECT_NEAR(engine.State(0, engine.Routines()[1])[0], Unit(8) * 6.28318530717958f, 1e-5)
      << "wave phase";
  EXPECT_EQ(NextRandom(), kFromOne[9]) << "nothing else was drawn";
}

TEST(ParticleEngine, ConstantAgeLivesToItsLifeAndTheDeadLeaveInOrder) {
  ParticleAppearance a;
  ParticleEngine engine(a, u"test");
  engine.AddAppearanceRoutines();
  for (float life : {2.0f, 0.5f, 2.0f}) {
    ASSERT_TRUE(engine.Spawn({life, 0, 0}));
    engine.InitFromAppearance(engine.Count() - 1, life);
  }
  for (int k = 0; k < 4; ++k) engine.StepAll(0.5f);
  ASSERT_EQ(engine.Count(), 2u) << "alive at age exactly 2, the short one gone";
  EXPECT_FLOAT_EQ(engine.At(0).age, 2.0f);
  EXPECT_EQ(engine.At(1).position.x, 2.0f) << "birth order kept";
  EXPECT_EQ(engine.At(0).direction, (D3DXVECTOR3{0, 1, 0})) << "no speed: straight down";
  engine.StepAll(0.01f);
  EXPECT_EQ(engine.Count(), 0u);
}

TEST(ParticleEngine, RampsIncrementsAndColoursStayInRange) {
  ParticleAppearance a;
  a.colours.mode.SetValue(1);
  a.colours.colours.SetValue({0x000000, 0x0000FF});  // black to red
  ParticleEngine engine(a, u"test");
  engine.AddAppearanceRoutines();
  engine.AddRoutine({.kind = RoutineKind::IncrementM, .index = 3, .k = {0, 1, 0, 1}});
  const size_t inc = engine.AddRoutine({.kind = RoutineKind::Increment, .index = 1, .k = {2}}, 2);
  ASSERT_TRUE(engine.Spawn({}));
  engine.InitFromAppearance(0, 0.0f);                 // no life: the colour is at its end
  engine.State(0, engine.Routines()[inc])[1] = 0.5f;  // amount to add to rnd1
  const float rnd1 = engine.At(0).rnd1;
  engine.SetAgeRule(AgeRule::Head);
  engine.Step(0, 0.25f);
  EXPECT_FLOAT_EQ(engine.At(0).prm[3], 0.25f) << "the ramp over the first second";
  EXPECT_EQ(engine.At(0).colour, 0x0000FFu);
  EXPECT_FLOAT_EQ(engine.At(0).rnd1, rnd1 + 0.5f) << "2 × 0.25, capped by the amount";
  engine.Step(0, 0.0f);
  engine.Step(0, 1.0f);
  EXPECT_FLOAT_EQ(engine.At(0).rnd1, rnd1 + 0.5f) << "used up";
  EXPECT_FLOAT_EQ(engine.At(0).prm[3], 1.0f) << "held after t2";
}

TEST(ValueNoise, LatticeValuesWrapIn32Bits) {
  EXPECT_DOUBLE_EQ(LatticeNoise(0, 0), 1.0 - 1376312589.0 / 1073741824.0);
  // n = 1 + 57: the formula in 32-bit unsigned arithmetic.
  uint32_t n = 58;
  n = (n << 13) ^ n;
  const uint32_t m = (n * (n * n * 15731u + 789221u) + 1376312589u) & 0x7FFFFFFFu;
  EXPECT_DOUBLE_EQ(LatticeNoise(1, 1), 1.0 - m / 1073741824.0);
  EXPECT_TRUE(std::isfinite(LatticeNoise(INT32_MAX, INT32_MAX)));
  EXPECT_TRUE(std::isfinite(SmoothedNoise(INT32_MIN, INT32_MAX)));
  ValueNoise noise;
  noise.seed = 32766 * 32766 + 2;
  for (double tau : {0.0, 0.37, 1e6}) {
    const double v = noise.Total(tau);
    EXPECT_TRUE(std::isfinite(v));
    EXPECT_LE(std::fabs(v), 1.75 + 1e-9) << "three octaves of values in [−1, 1]";
  }
  EXPECT_DOUBLE_EQ(InterpolatedNoise(3, 4), SmoothedNoise(3, 4)) << "at a lattice point";
  // Inside a cell: the smoothed corners interpolated along u, then along v.
  const auto h = [](double t) { return 3 * t * t - 2 * t * t * t; };
  for (auto [u, v] : {std::pair{3.25, 4.5}, {-7.0, 2.75}, {100.0, -3.125}}) {
    const int32_t iu = int32_t(std::trunc(u)), iv = int32_t(std::trunc(v));
    const double hu = h(u - iu), hv = h(v - iv);
    const double a = SmoothedNoise(iu, iv) * (1 - hu) + SmoothedNoise(iu + 1, iv) * hu;
    const double b = SmoothedNoise(iu, iv + 1) * (1 - hu) + SmoothedNoise(iu + 1, iv + 1) * hu;
    EXPECT_NEAR(InterpolatedNoise(u, v), a * (1 - hv) + b * hv, 1e-12) << u << ", " << v;
  }
}

class ParticleQuads : public GpuTest {};

TEST_F(ParticleQuads, TwentyThousandParticlesBecomeQuadsWithWideIndices) {
  ParticleAppearance a;
  a.colours.colours.SetValue({0x00336699, 0});
  ParticleEngine engine(a, u"test");
  engine.AddAppearanceRoutines();
  for (int k = 0; k < 20000; ++k) {
    ASSERT_TRUE(engine.Spawn({float(k % 200), float(k / 200), 0}));
    engine.InitFromAppearance(size_t(k), 5.0f);
  }
  engine.StepAll(0.0f);
  // One particle with a non-finite position is written as an empty quad.
  engine.At(7).position.x = NAN;
  ZT_IndexedMesh<DX_V::PCT> mesh(device_);
  TextureFrames frame;
  ASSERT_EQ(engine.BuildQuads(mesh, 10.0f, frame, 0), 20000u);
  ASSERT_NE(mesh.IndexBuffer, nullptr);
  EXPECT_EQ(mesh.PrimitiveCount, 40000u);
  EXPECT_EQ(mesh.IndexBuffer->Size(), 20000u * 6 * 4) << "32-bit indices past 16,383 quads";
  const auto* v = reinterpret_cast<const DX_V::PCT*>(mesh.VertexBuffer->Data());
  const DX_V::PCT* last = v + 4 * 19999;
  // The drawn centre is moved by prm[4] along the direction (0, 1) and prm[5]
  // across it (−1, 0): one pixel each when no wave changes them.
  EXPECT_FLOAT_EQ(last[0].x, 198 - 5.0f);
  EXPECT_FLOAT_EQ(last[0].y, 100 + 5.0f) << "corner 0 at the bottom left";
  EXPECT_FLOAT_EQ(last[3].x, 198 + 5.0f);
  EXPECT_EQ(last[0].color, 0xFF996633u) << "colour 0x00BBGGRR as ARGB, opaque";
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(v[4 * 7 + k].x, 0.0f);
    EXPECT_EQ(v[4 * 7 + k].color, 0u);
  }
  // Fewer particles keep the larger buffers.
  engine.StepAll(10.0f);
  EXPECT_EQ(engine.Count(), 0u);
  ASSERT_TRUE(engine.Spawn({}));
  engine.InitFromAppearance(0, 1.0f);
  EXPECT_EQ(engine.BuildQuads(mesh, 10.0f, frame, 0), 1u);
  EXPECT_EQ(mesh.PrimitiveCount, 40000u);
}

TEST_F(ParticleQuads, AlongTheFlightTurnsWithTheVelocityAndKeepsItsSizeAtRest) {
  ParticleAppearance a;
  a.rotationMode.SetValue(1);
  ParticleEngine engine(a, u"test");
  engine.AddAppearanceRoutines();
  for (D3DXVECTOR3 velocity : {D3DXVECTOR3{0, -3, 0}, D3DXVECTOR3{0, 0, 0}}) {
    ASSERT_TRUE(engine.Spawn({50, 50, 0}));
    engine.InitFromAppearance(engine.Count() - 1, 5.0f);
    engine.At(engine.Count() - 1).velocity = velocity;
  }
  ZT_IndexedMesh<DX_V::PCT> mesh(device_);
  ASSERT_EQ(engine.BuildQuads(mesh, 10.0f, TextureFrames{}, 0), 2u);
  const auto* v = reinterpret_cast<const DX_V::PCT*>(mesh.VertexBuffer->Data());
  // Flying up the screen, the quad's width lies along y: corners 0 and 2
  // (left and right ends of its bottom edge) differ in y only.
  EXPECT_NEAR(v[0].x, v[2].x, 1e-4);
  EXPECT_NEAR(std::fabs(v[2].y - v[0].y), 10.0f, 1e-4);
  // At rest it keeps its size and the orientation it was born with.
  EXPECT_NEAR(std::hypot(v[6].x - v[4].x, v[6].y - v[4].y), 10.0f, 1e-4);
}

TEST_F(ParticleQuads, AlongTheFlightLiesAlongADiagonalFlightToo) {
  // Rotation mode 1 lays the quad's width along the velocity in every
  // direction, flat systems and trees alike (never across a diagonal).
  ParticleAppearance a;
  a.rotationMode.SetValue(1);
  ParticleEngine engine(a, u"test");
  engine.AddAppearanceRoutines();
  const D3DXVECTOR3 flights[] = {{3, 3, 0}, {-2, 1, 0}, {1, -4, 0}};
  for (const D3DXVECTOR3& velocity : flights) {
    ASSERT_TRUE(engine.Spawn({50, 50, 0}));
    Particle& p = engine.At(engine.Count() - 1);
    engine.InitFromAppearance(engine.Count() - 1, 5.0f);
    p.orientCos = 1;
    p.orientSin = 0;
    p.velocity = velocity;
  }
  ZT_IndexedMesh<DX_V::PCT> mesh(device_);
  ASSERT_EQ(engine.BuildQuads(mesh, 10.0f, TextureFrames{}, 0), 3u);
  const auto* v = reinterpret_cast<const DX_V::PCT*>(mesh.VertexBuffer->Data());
  for (size_t q = 0; q < 3; ++q) {
    SCOPED_TRACE(q);
    // Corners 0 and 2 are the two ends of the quad's width.
    const float wx = v[4 * q + 2].x - v[4 * q].x, wy = v[4 * q + 2].y - v[4 * q].y;
    const D3DXVECTOR3 f = flights[q];
    EXPECT_NEAR(wx * f.y - wy * f.x, 0.0f, 1e-3) << "parallel to the flight";
    EXPECT_GT(wx * f.x + wy * f.y, 0.0f) << "and the same way";
  }
  float c = 0, s = 0;
  ASSERT_TRUE(AlongDirection({3, 3, 7}, c, s));
  EXPECT_NEAR(c, std::sqrt(0.5f), 1e-6);
  EXPECT_NEAR(s, std::sqrt(0.5f), 1e-6);
  EXPECT_FALSE(AlongDirection({0, 0, 7}, c, s)) << "no extent in the picture plane";
}

}  // namespace
}  // namespace glimmer::testing
