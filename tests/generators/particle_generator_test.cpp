// The generator core: the stored forms of the generator bases and the dab lists of every version,
// the emission along a moving emitter with its bounded catch-up, and the quads of the runtime.

#include "generators/particle_generator.h"

#include <gtest/gtest.h>

#include <cmath>

#include "generators/air_brush.h"
#include "params/random_source.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/generator_kind_test.h"

namespace glimmer::testing {
namespace {

// A textured generator with no kind of its own, for the base's behaviour.
class PlainGenerator : public ZT_AirBrush {
  GLIMMER_STORED_CLASS(PlainGenerator, 1)

 public:
  std::shared_ptr<ZT_ABObj> CreateRuntime() const override {
    return std::make_shared<GeneratorLayer<PlainGenerator>>(*this);
  }
  void AdvanceParticles(float t, ZT_ParticlesObj& runtime) override {
    ZT_ParticleGenerator::AdvanceParticles(t, runtime);
    Emit(clock.LocalTime);
  }
};

TEST(GeneratorStored, ReadsTheTexturedAndGeneratorPartsOfEveryVersion) {
  for (int32_t tex = 1; tex <= 3; ++tex) {
    for (int32_t gen = 1; gen <= 3; ++gen) {
      SCOPED_TRACE(::testing::Message() << "versions " << tex << ", " << gen);
      ZT_IOF_W w;
      w.WriteUInt32(20);  // brush size
      WriteDabs(w, 3, {{10, 20, {0, 0.7f, 0.9f, 0, 0}, {1, 1.5f, 1, 1, 1}}});
      WriteTexGeneratorBase(w, tex, gen);
      PlainGenerator brush;
      ReadWith(w.Take(), [&](Archive& ar) { brush.Serialize(ar, 3); });
      EXPECT_EQ(brush.images.size(), 1u);
      EXPECT_EQ(brush.effect.Stamp(), 97u);
      EXPECT_EQ(brush.colour1.Color.Value(), 0x336699u);
      EXPECT_EQ(brush.colour1.Alpha(), 204);
      EXPECT_EQ(brush.blendMode.Value(), 3);
      EXPECT_EQ(brush.flipVertical.Value(), tex >= 2 ? 1 : 0);
      EXPECT_EQ(brush.imagePath.Value(), tex >= 3 ? 1 : 0);
      EXPECT_EQ(brush.emitters.size(), gen >= 2 ? 1u : 0u);
      if (gen >= 2) {
        EXPECT_EQ(brush.emitters[0].params[0], 0.5f);
        EXPECT_EQ(brush.emitters[0].params[5], gen >= 3 ? 2.0f : 1.0f);
      }
      EXPECT_FLOAT_EQ(brush.lifetime.Scaled(), gen >= 3 ? 8.0f : 20.0f);
      EXPECT_FLOAT_EQ(brush.emissionRate.Scaled(), gen >= 3 ? 12.0f : 30.0f);
      EXPECT_FLOAT_EQ(brush.startSpeed.Scaled(), gen >= 3 ? 40.0f : 0.0f);
      EXPECT_EQ(brush.emitting.Value(), gen >= 3 ? 1 : 0);
      EXPECT_EQ(brush.name, u"generator");
      ASSERT_EQ(brush.dabs.size(), 1u);
      EXPECT_EQ(brush.dabs[0].params[6], 1.5f);
    }
  }
}

TEST(GeneratorStored, DabListsOfEveryVersion) {
  const std::vector<StoredDab> dabs = {{1, 2, {14, 0.6f, 0.7f, 0, 0}, {1, 2, 1, 1, 1}},
                                       {3, 4, {28, 0.9f, 0.5f}, {1, 1, 1}}};
  for (int32_t version = 1; version <= 3; ++version) {
    SCOPED_TRACE(version);
    ZT_IOF_W w;
    w.WriteUInt32(48);
    WriteDabs(w, version, dabs);
    WriteTexGeneratorBase(w, 3);
    PlainGenerator brush;
    ReadWith(w.Take(), [&](Archive& ar) { brush.Serialize(ar, version); });
    EXPECT_EQ(brush.brushSize.Value(), 48u);
    ASSERT_EQ(brush.dabs.size(), 2u);
    EXPECT_EQ(brush.dabs[1].position.x, 3.0f);
    EXPECT_EQ(brush.dabs[1].previous.y, 4.0f);
    EXPECT_EQ(brush.dabs[0].params[0], 14.0f);
    EXPECT_EQ(brush.dabs[1].params[2], 0.5f);
    EXPECT_EQ(brush.dabs[0].params[6], version == 3 ? 2.0f : 1.0f);
  }
}

TEST(GeneratorStored, ADabWithMoreParametersThanFitIsLeftOut) {
  ZT_IOF_W w;
  w.WriteUInt32(16);
  WriteDabs(w, 3,
            {{1, 1, {0, 1, 1, 0, 0}, {}},
             {2, 2, {9, 9, 9, 9, 9, 9, 9}, {9, 9, 9, 9, 9, 9, 9}},
             {3, 3, {0, 1}, {}}});
  WriteTexGeneratorBase(w, 3);
  PlainGenerator brush;
  ReadWith(w.Take(), [&](Archive& ar) { brush.Serialize(ar, 3); });
  ASSERT_EQ(brush.dabs.size(), 2u) << "the seven-pair dab is rejected, the rest kept";
  EXPECT_EQ(brush.dabs[1].position.x, 3.0f);
  for (const GeneratorParticle& d : brush.dabs)
    for (float v : d.params) EXPECT_NE(v, 9.0f);
}

using GeneratorRuntime = GeneratorKindTest;

TEST_F(GeneratorRuntime, EmitsTheRateAlongTheEmitterAndFadesOverTheLifetime) {
  PlainGenerator kind;
  kind.emitting.SetValue(1);
  kind.emissionRate.SetValue(30);
  kind.lifetime.SetValue(2);
  kind.emitters.emplace_back(D3DXVECTOR3{0, 50, 0});
  auto runtime = Start(kind);
  auto& g = Settings<PlainGenerator>(*runtime);
  runtime->Advance(0);
  // The emitter moves 100 px to the right over one 0.1 s frame: three
  // particles, a quarter of the way apart.
  g.emitters[0].position = {100, 50, 0};
  runtime->Advance(0.1f);
  ASSERT_EQ(g.particles.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_NEAR(g.particles[i].position.x, 25.0f * float(i + 1), 1e-3);
  EXPECT_EQ(g.emitters[0].previous.x, 100.0f);
  // One second of 50 frames: 30 particles per second in all.
  Run(*runtime, 0.12f, 1.1f, [](float) {});
  EXPECT_NEAR(double(g.particles.size()), 33.0, 1.0) << "30 a second at 50 frames a second";
  const GeneratorParticle& first = g.particles.front();
  EXPECT_NEAR(first.params[kOpacityFactor], 1 - first.params[kAge] / 2, 0.02);
  // Past the lifetime the first ones are gone.
  Run(*runtime, 1.12f, 2.3f, [](float) {});
  for (const GeneratorParticle& p : g.particles) EXPECT_LT(p.params[kAge], 2.0f);
}

TEST_F(GeneratorRuntime, ALongFrameCatchesUpAtMostAFifthOfASecond) {
  PlainGenerator kind;
  kind.emitting.SetValue(1);
  kind.emissionRate.SetValue(1000);
  kind.emitters.emplace_back(D3DXVECTOR3{10, 10, 0});
  auto runtime = Start(kind);
  auto& g = Settings<PlainGenerator>(*runtime);
  g.Emit(0);
  g.Emit(30);
  EXPECT_EQ(g.particles.size(), 200u);
}

TEST_F(GeneratorRuntime, NeedsTheSceneOnlyForScreenAndColourDodge) {
  for (int32_t mode = -1; mode <= 4; ++mode) {
    PlainGenerator kind;
    kind.blendMode.SetValue(mode);
    auto runtime = Start(kind);
    EXPECT_EQ(runtime->NeedsSceneCopy(), mode == 1 || mode == 2) << mode;
  }
}

TEST_F(GeneratorRuntime, DabQuadsTakeSizeRotationColourAndClampedOpacity) {
  PlainGenerator kind;
  kind.brushSize.SetValue(20);
  kind.colour1.Color.SetValue(0x0080FF);  // red 255, green 128, blue 0
  kind.colour1.Transparency.SetValue(0);
  GeneratorParticle& d = kind.dabs.emplace_back(D3DXVECTOR3{100, 50, 0});
  d.params[kSizeFactor] = 0.5f;
  d.params[kOpacityFactor] = 3.0f;  // clamps to 1
  d.params[kRotation] = float(M_PI / 2);
  kind.dabs.emplace_back(D3DXVECTOR3{NAN, 0, 0});
  auto runtime = Start(kind);
  ASSERT_EQ(runtime->DrawnCount(0), 2u);
  const DX_V::PCT* v = runtime->QuadVertices(0, 0);
  EXPECT_EQ(v[0].color, 0xFFFF8000u);
  // Half-size 5 around (100, 50), turned a quarter: vertex 1 = K = P − R − U.
  EXPECT_NEAR(v[1].x, 105, 1e-4);
  EXPECT_NEAR(v[1].y, 45, 1e-4);
  EXPECT_EQ(v[1].u, 0.0f);
  EXPECT_EQ(v[0].v, 1.0f);
  const DX_V::PCT* bad = runtime->QuadVertices(0, 1);
  for (int k = 0; k < 4; ++k) EXPECT_TRUE(std::isfinite(bad[k].x)) << "no NaN reaches a vertex";
  EXPECT_EQ(bad[0].color, 0u);
}

}  // namespace
}  // namespace glimmer::testing
