// The smoke: the emitter's stored form of both versions, a puff's draws from
// state 1 (direction, spin, turn), its growth and opacity (above 1 while young, clamped when
// drawn), the smoke made in advance, and a hidden layer that ages its puffs without emitting, then
// does not burst when shown again.

#include "generators/smoke.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "params/random_source.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/generator_kind_test.h"
#include "tests/support/slide_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(SmokeStored, ReadsTheWindAndBothEmitterVersions) {
  for (int32_t version = 1; version <= 2; ++version) {
    SCOPED_TRACE(version);
    ZT_IOF_W w;
    w.WriteUInt32(60);  // wind: 20 px/s²
    w.WriteHeader(u"ZT_ParticleOriginGenerator", version);
    w.WriteUInt32(125);  // lifetime 5 s
    w.WriteUInt32(8);    // rate
    w.WriteUInt32(30);   // puff size
    w.WriteUInt32(80);   // direction
    if (version >= 2) w.WriteUInt32(15);
    w.WriteUInt32(100);  // speed: factor 2
    w.WriteHeader(u"ZT_StaticGenerator", 1);
    for (float f : {40.0f, 150.0f, 0.0f}) w.WriteFloat(f);
    WriteTexGeneratorBase(w, 3);
    ZT_Smoke smoke;
    ReadWith(w.Take(), [&](Archive& ar) { smoke.Serialize(ar, 1); });
    EXPECT_FLOAT_EQ(smoke.wind.Scaled(), 20.0f);
    EXPECT_FLOAT_EQ(smoke.particleLifetime.Scaled(), 5.0f);
    EXPECT_EQ(smoke.rate.Value(), 8u);
    EXPECT_EQ(smoke.size.Value(), 30u);
    EXPECT_EQ(smoke.sector.Value(), 80u);
    EXPECT_EQ(smoke.sector.Spread.Value(), version >= 2 ? 15u : 0u);
    EXPECT_FLOAT_EQ(smoke.speed.Scaled(), 2.0f);
    EXPECT_EQ(smoke.origin.Value().y, 150.0f);
  }
}

TEST(SmokePuffs, DrawDirectionSpinThenTurnAndKeepOpacityInRange) {
  ZT_Smoke smoke;
  smoke.origin.StoreValue({50, 50, 0});
  smoke.sector.SetValue(90);
  smoke.particleLifetime.SetValue(50);  // 2 s
  SeedRandom(1);
  OriginParticle p;
  smoke.NewParticle(p);
  // 41 for the direction (spread 0: straight up), 18467 the spin, 6334 the turn.
  EXPECT_NEAR(p.velocity.y, -100, 1e-3);
  EXPECT_NEAR(p.spin, (18467.0 / 32767 * 100 - 50) * M_PI / 180, 1e-5);
  EXPECT_NEAR(p.angle, 6334.0 / 32767 * 2 * M_PI, 1e-5);
  EXPECT_EQ(p.scale, 0.5f);
  EXPECT_EQ(p.opacity, 0.0f);
  EXPECT_FLOAT_EQ(p.acceleration.x, 10.0f);
  float top = 0, atOneAndAHalf = 0;
  for (int k = 0; k < 100; ++k) {
    p.life -= 0.02f;
    smoke.StepParticle(p, 0.02f);
    top = std::max(top, p.opacity);
    if (k == 74) atOneAndAHalf = p.opacity;
  }
  EXPECT_NEAR(p.scale, 1.5f, 1e-3) << "half size to one and a half over the life";
  // Rising at 5 - 1 a second for the first fifth, then falling at 1 a second:
  // 1.6 at 0.4 s, above 1 (drawn fully visible) until 1.0 s, 0.5 at 1.5 s and
  // 0 at the end of the life.
  // (Within a step: whether the step at exactly a fifth still rises.)
  EXPECT_NEAR(top, 0.4f * 4, 0.081) << "rises at 4 a second for the first fifth";
  EXPECT_NEAR(atOneAndAHalf, 0.5f, 0.081) << "fading over the last second";
  EXPECT_NEAR(p.opacity, 0.0f, 0.081) << "gone by the end";
}

TEST(SmokePuffs, StayFullyVisibleUntilTheirLastSecond) {
  // The default 4 s life: 3.2 at 0.8 s, back to 1 at 3.0 s, 0 at 4.0 s.
  ZT_Smoke smoke;
  SeedRandom(1);
  OriginParticle p;
  smoke.NewParticle(p);
  p.life = smoke.particleLifetime.Scaled();
  ASSERT_NEAR(p.life, 4.0f, 1e-6);
  for (int k = 1; k <= 200; ++k) {
    p.life -= 0.02f;
    smoke.StepParticle(p, 0.02f);
    const float age = 0.02f * float(k);
    const float shown = std::clamp(p.opacity, 0.0f, 1.0f);
    if (age >= 0.3f && age <= 2.85f) {
      EXPECT_EQ(shown, 1.0f) << "at " << age << " s";
    }
    if (age >= 3.05f && age <= 3.95f) {
      EXPECT_NEAR(shown, 4.0f - age, 0.081) << "at " << age << " s";
    }
  }
  EXPECT_NEAR(p.opacity, 0.0f, 0.081);
}

using SmokeRuntime = GeneratorKindTest;

TEST_F(SmokeRuntime, IsEstablishedAtOnceAndAHiddenLayerNeitherEmitsNorBursts) {
  ZT_Smoke kind;
  kind.rate.SetValue(10);
  kind.particleLifetime.SetValue(100);  // 4 s
  auto runtime = Start(kind);
  auto& smoke = Settings<ZT_Smoke>(*runtime);
  // Five seconds made in advance: 4 s of puffs at 10 a second are alive.
  EXPECT_NEAR(double(smoke.emitted.size()), 40.0, 2.0);
  EXPECT_EQ(runtime->DrawnCount(0), smoke.emitted.size());
  QVX_Timing& line = *runtime->GetTiming().Line();
  line.CurrentState = TimeLineState::Hidden;
  line.CurrentVisibility = 0;
  const float newest = smoke.emitted.back().life;
  const size_t before = smoke.emitted.size();
  Run(*runtime, 0, 2, [](float) {});
  EXPECT_LT(smoke.emitted.size(), before) << "old puffs die, none are born";
  EXPECT_NEAR(smoke.emitted.back().life, newest - 2, 0.05) << "the puffs keep ageing";
  Run(*runtime, 2.02f, 10, [](float) {});
  EXPECT_TRUE(smoke.emitted.empty());
  line.CurrentState = TimeLineState::Shown;
  line.CurrentVisibility = 1;
  runtime->Advance(10.02f);
  EXPECT_LE(smoke.emitted.size(), 1u) << "no burst of what was due while hidden";
}

}  // namespace
}  // namespace glimmer::testing

namespace glimmer::testing {
namespace {

class SmokeDrawn : public SlideKindTest {};

// The puffs are drawn with their picture on stage 0, also through effect 97:
// a white soft spot over a blue slide lightens the smoke, with
// or without the effect link (it once drew opaque black squares through it).
TEST_F(SmokeDrawn, ThePuffPictureShowsThroughTheBlendEffect) {
  std::vector<uint32_t> centre;
  for (const int effectId : {0, 97}) {
    layers_ = R"({"class": "ZT_Smoke", "wind": 50, "ZT_ParticleOriginGenerator": {
      "lifetime": 100, "rate": 10, "size": 24, "direction": 90, "spread": 0, "speed": 0,
      "ZT_StaticGenerator": {"origin": {"x": 32, "y": 24, "z": 0}, "ZT_TexParticleGenerator": {
        "images": [{"Path": "common_res.dll", "Stamp": 62}],
        "effect": {"Path": ")" +
              std::string(effectId ? "common_res.dll" : "") + R"(", "Stamp": )" +
              std::to_string(effectId) + R"(},
        "colour1": 16777215, "transparency1": 0, "colour2": 16777215, "transparency2": 0,
        "blendMode": 0, "ZT_ParticleGenerator": {"ZT_ABObj_Constructor": {"name": "smoke"}}}}}})";
    ASSERT_NE(Start<ZT_2D_Light>("", 64, 48, 0x0000C0, 0x0000C0), nullptr);
    Frame(0.0f);
    // The puffs rise from the origin: the lightest pixel of the smoke.
    uint32_t lightest = 0;
    for (uint32_t y = 0; y < 48; ++y)
      for (uint32_t x = 0; x < 64; ++x) lightest = std::max(lightest, Pixel(x, y));
    centre.push_back(lightest);
    EXPECT_GT(centre.back() >> 24, 0xB0u) << "effect " << effectId << ": the smoke is light";
    EXPECT_TRUE(NearColor(Pixel(2, 2), 0x0000C0FF, 8)) << "the corner keeps the slide";
  }
  EXPECT_TRUE(NearColor(centre[0], centre[1], 48)) << "the same soft puffs either way";
}

}  // namespace
}  // namespace glimmer::testing
