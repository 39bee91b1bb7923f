// The simple firework: this player's stored layout down to the emitter,
// a rocket that flies its lifetime and bursts into its sparks (two draws a
// spark from state 1), sparks that fade over the end of their life and die,
// and a hidden layer that launches nothing and saves nothing up.

#include "generators/firework_simple.h"

#include <gtest/gtest.h>

#include "params/random_source.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/generator_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(FireworkSimpleStored, ReadsItsSizesTheBurstsAndTheEmitter) {
  ZT_IOF_W w;
  w.WriteUInt32(6);  // spark size
  w.WriteUInt32(3);  // rocket size
  w.WriteHeader(u"ZT_Firework", 1);
  for (uint32_t v : {80u, 70u, 20u, 200u}) w.WriteUInt32(v);
  w.WriteHeader(u"ZT_ParticleOriginGenerator", 2);
  for (uint32_t v : {25u, 3u, 0u, 90u, 20u, 50u}) w.WriteUInt32(v);
  w.WriteHeader(u"ZT_StaticGenerator", 1);
  for (float f : {160.0f, 170.0f, 0.0f}) w.WriteFloat(f);
  WriteTexGeneratorBase(w, 3);
  ZT_FireworkSimple firework;
  ReadWith(w.Take(), [&](Archive& ar) { firework.Serialize(ar, 1); });
  EXPECT_EQ(firework.SparkSize(), 6.0f);
  EXPECT_EQ(firework.RocketSize(), 3.0f);
  EXPECT_EQ(firework.sparkCount.Value(), 80u);
  EXPECT_EQ(firework.burstSpeed.Value(), 70u);
  EXPECT_EQ(firework.gravity.Value(), 20u);
  EXPECT_FLOAT_EQ(firework.sparkLife.Seconds(), 2.0f);
  EXPECT_FLOAT_EQ(firework.particleLifetime.Scaled(), 1.0f);
  EXPECT_EQ(firework.rate.Value(), 3u);
  EXPECT_EQ(firework.sector.Spread.Value(), 20u);
  EXPECT_EQ(firework.origin.Value().y, 170.0f);
}

using FireworkRuntime = GeneratorKindTest;

TEST_F(FireworkRuntime, ARocketFliesItsLifetimeThenBurstsIntoFadingSparks) {
  ZT_FireworkSimple kind;
  kind.origin.StoreValue({160, 170, 0});
  kind.rate.SetValue(0);
  kind.sparkCount.SetValue(12);
  kind.particleLifetime.SetValue(25);  // 1 s
  kind.sparkLife.SetValue(100);        // 1 s
  auto runtime = Start(kind);
  auto& fw = Settings<ZT_FireworkSimple>(*runtime);
  SeedRandom(1);
  NextRandom();
  const uint32_t afterOne = RandomState();
  SeedRandom(1);
  fw.Launch();
  EXPECT_EQ(RandomState(), afterOne) << "one draw a rocket";
  runtime->Advance(0);
  size_t frames = 0;
  while (!fw.rockets.empty() && frames < 100) {
    ++frames;
    runtime->Advance(0.02f * float(frames));
  }
  EXPECT_NEAR(double(frames), 50.0, 1.0) << "a flight of one second";
  ASSERT_EQ(fw.sparks.size(), 12u);
  EXPECT_LT(fw.sparks[0].position.y, 170.0f) << "it burst above the origin";
  float faintest = 1;
  while (!fw.sparks.empty() && frames < 200) {
    ++frames;
    runtime->Advance(0.02f * float(frames));
    if (!fw.sparks.empty()) faintest = std::min(faintest, fw.sparks[0].params[kOpacityFactor]);
  }
  EXPECT_TRUE(fw.sparks.empty()) << "sparks live their life";
  EXPECT_LT(faintest, 0.1f);
  EXPECT_GE(faintest, -0.05f);
}

TEST_F(FireworkRuntime, AHiddenLayerLaunchesNothingAndSavesNothingUp) {
  ZT_FireworkSimple kind;
  kind.rate.SetValue(5);
  auto runtime = Start(kind);
  auto& fw = Settings<ZT_FireworkSimple>(*runtime);
  QVX_Timing& line = *runtime->GetTiming().Line();
  line.CurrentState = TimeLineState::Hidden;
  line.CurrentVisibility = 0;
  Run(*runtime, 0, 5, [](float) {});
  EXPECT_TRUE(fw.rockets.empty());
  line.CurrentState = TimeLineState::Shown;
  line.CurrentVisibility = 1;
  runtime->Advance(5.02f);
  EXPECT_TRUE(fw.rockets.empty()) << "no burst of what was due while hidden";
  Run(*runtime, 5.04f, 7, [](float) {});
  EXPECT_NEAR(double(fw.rockets.size() + fw.sparks.size() / 60), 10.0, 2.0);
}

}  // namespace
}  // namespace glimmer::testing
