// The bling: both stored versions, a dab growing for its grow time and
// shrinking for its shrink time before starting again, the pre-roll draws,
// phases of no length, and the two buffers in colours 2 and 1.

#include "generators/bling.h"

#include <gtest/gtest.h>

#include "params/random_source.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/generator_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(BlingStored, ReadsBothVersions) {
  for (int32_t version = 1; version <= 2; ++version) {
    SCOPED_TRACE(version);
    ZT_IOF_W w;
    w.WriteUInt32(100);  // speed 1: factor 2
    w.WriteUInt32(300);  // shrink 3 s
    w.WriteUInt32(100);  // grow 1 s
    if (version >= 2) {
      w.WriteUInt32(25);  // speed 2: factor 0.5
      w.WriteUInt32(20);  // minimum size 0.2
    }
    w.WriteHeader(u"ZT_AirBrush", 3);
    w.WriteUInt32(30);
    WriteDabs(w, 3, {{5, 6, {0, 0.5f, 0.9f, 0, 0}, {1, 1.25f, 1, 1, 1}}});
    WriteTexGeneratorBase(w, 3);
    ZT_Bling bling;
    ReadWith(w.Take(), [&](Archive& ar) { bling.Serialize(ar, version); });
    EXPECT_FLOAT_EQ(bling.speed1.Scaled(), 2.0f);
    EXPECT_FLOAT_EQ(bling.ShrinkSeconds(), 3.0f);
    EXPECT_FLOAT_EQ(bling.GrowSeconds(), 1.0f);
    EXPECT_FLOAT_EQ(bling.speed2.Scaled(), version >= 2 ? 0.5f : 1.0f);
    EXPECT_FLOAT_EQ(bling.minimumSize.Scaled(), version >= 2 ? 0.2f : 0.0f);
    EXPECT_EQ(bling.brushSize.Value(), 30u);
    ASSERT_EQ(bling.dabs.size(), 1u);
    EXPECT_EQ(bling.dabs[0].params[6], 1.25f);
  }
}

TEST(BlingCycle, GrowsInTheGrowTimeShrinksInTheShrinkTimeAndStartsAgain) {
  ZT_Bling bling;
  bling.growTime.SetValue(100);
  bling.shrinkTime.SetValue(300);
  GeneratorParticle dab;
  bling.StartCycle(dab);
  float largest = 0;
  int k = 0;
  for (; k < 100; ++k) {  // one second
    ASSERT_TRUE(dab.Step(0.01f));
    largest = std::max(largest, dab.params[kSizeFactor]);
  }
  EXPECT_NEAR(dab.params[kSizeFactor], 1.0f, 0.02f);
  bool ended = false;
  for (; k < 410 && !ended; ++k) {
    ended = !dab.Step(0.01f);
    largest = std::max(largest, dab.params[kSizeFactor]);
  }
  EXPECT_TRUE(ended) << "the cycle ends after four seconds";
  EXPECT_NEAR(k, 400, 2);
  EXPECT_NEAR(dab.params[kSizeFactor], 0.0f, 0.02f);
  EXPECT_LE(largest, 1.0f + 1e-4f);
  bling.StartCycle(dab);
  EXPECT_EQ(dab.params[kSizeFactor], 0.0f);
  EXPECT_EQ(dab.params[kLifeFraction], 0.0f);
  EXPECT_EQ(dab.processes.size(), 3u);
}

TEST(BlingCycle, PhasesOfNoLengthStayFinite) {
  ZT_Bling bling;
  bling.growTime.SetValue(0);
  bling.shrinkTime.SetValue(0);
  GeneratorParticle dab;
  bling.StartCycle(dab);
  for (int k = 0; k < 10; ++k) {
    if (!dab.Step(0.005f)) bling.StartCycle(dab);
    EXPECT_TRUE(std::isfinite(dab.params[kSizeFactor]));
    EXPECT_LE(dab.params[kSizeFactor], 1.01f);
  }
}

using BlingRuntime = GeneratorKindTest;

TEST_F(BlingRuntime, PreRollsEachDabByOneDrawAndFillsTwoBuffers) {
  ZT_Bling kind;
  kind.growTime.SetValue(100);
  kind.shrinkTime.SetValue(100);
  kind.brushSize.SetValue(40);
  kind.colour1.Color.SetValue(0x0000FF);
  kind.colour2.Color.SetValue(0x00FF00);
  kind.dabs.emplace_back(D3DXVECTOR3{50, 50, 0});
  kind.dabs.emplace_back(D3DXVECTOR3{150, 50, 0});
  SeedRandom(1);
  auto runtime = Start(kind);
  auto& bling = Settings<ZT_Bling>(*runtime);
  // Pre-rolls of 41 / 32767 × 2 s and 18467 / 32767 × 2 s.
  EXPECT_NEAR(bling.dabs[0].params[kLifeFraction], 41.0 / 32767, 1e-5);
  EXPECT_NEAR(bling.dabs[1].params[kLifeFraction], 18467.0 / 32767, 1e-5);
  runtime->Advance(0);
  ASSERT_EQ(runtime->DrawnCount(0), 2u);
  ASSERT_EQ(runtime->DrawnCount(1), 2u);
  const auto first = Shape(*runtime, 0, 1), second = Shape(*runtime, 1, 1);
  EXPECT_EQ(first.colour & 0xFFFFFF, 0x00FF00u) << "buffer 0 in colour 2";
  EXPECT_EQ(second.colour & 0xFFFFFF, 0xFF0000u) << "buffer 1 in colour 1";
  EXPECT_NEAR(first.cx, 150, 1e-3);
  const float size = 40 * bling.dabs[1].params[kSizeFactor];
  EXPECT_NEAR(std::max(first.width, first.height), size, 0.05 * size + 0.01);
}

}  // namespace
}  // namespace glimmer::testing
