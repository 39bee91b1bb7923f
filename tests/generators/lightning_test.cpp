// The lightning: both stored versions of this player's reading of its fields
// (version 1's timing becoming a random time line), the same bolt for the
// same seed with the shared sequence carried on from the draw before it,
// fresh bolts with the random switch, a new bolt on every showing after the
// layer was hidden, and a clock that never runs backwards.

#include "generators/lightning.h"

#include <gtest/gtest.h>

#include "params/random_source.h"
#include "params/time_lines.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/generator_kind_test.h"

namespace glimmer::testing {
namespace {

std::vector<uint8_t> Stored(int32_t version) {
  ZT_IOF_W w;
  w.WriteUInt32(16);  // segments
  w.WriteUInt32(2);   // width
  w.WriteUInt32(20);  // deviation 0.2
  w.WriteUInt32(3);   // branches
  for (uint32_t v : {40u, 30u, 300u}) w.WriteUInt32(v);
  for (uint32_t v : {99u, 250u, 8u}) w.WriteUInt32(v);
  if (version == 1) {
    for (uint32_t v : {300u, 500u, 100u, 200u, 10u, 40u, 0u}) w.WriteUInt32(v);
  }
  w.WriteUInt32(80);  // brightness
  w.WriteUInt32(6);   // glow width
  w.WriteLong(1);     // random
  w.WriteHeader(u"ZT_StringGenerator", 1);
  for (float f : {10.0f, 0.0f, 0.0f, 200.0f, 170.0f, 0.0f}) w.WriteFloat(f);
  WriteTexGeneratorBase(w, 3);
  return w.Take();
}

TEST(LightningStored, ReadsBothVersionsAndTimesTheFirstWithARandomLine) {
  for (int32_t version = 1; version <= 2; ++version) {
    SCOPED_TRACE(version);
    ZT_LightningGN bolt;
    ReadWith(Stored(version), [&](Archive& ar) { bolt.Serialize(ar, version); });
    EXPECT_EQ(bolt.segments.Value(), 16u);
    EXPECT_FLOAT_EQ(bolt.deviation.Scaled(), 0.2f);
    EXPECT_FLOAT_EQ(bolt.branchSpread.Scaled(), 30.0f);
    EXPECT_EQ(bolt.seed.Value(), 99u);
    EXPECT_EQ(bolt.flashTime.Value(), 250u);
    EXPECT_FLOAT_EQ(bolt.brightness.Scaled(), 0.8f);
    EXPECT_EQ(bolt.random, 1);
    EXPECT_EQ(bolt.endPoint.Value().y, 170.0f);
    const auto* line = dynamic_cast<const QVX_RandomTimeLine*>(bolt.timing.Line());
    if (version == 1) {
      ASSERT_NE(line, nullptr);
      EXPECT_EQ(line->HiddenRange.Max.Value(), 500u);
      EXPECT_EQ(line->VisibleRange.Min.Value(), 100u);
      EXPECT_FLOAT_EQ(line->FadeOut.Seconds(), 0.4f);
    } else {
      EXPECT_EQ(line, nullptr);
    }
  }
}

using LightningRuntime = GeneratorKindTest;

TEST_F(LightningRuntime, TheSeedGivesTheSameBoltAndTheSequenceCarriesOn) {
  ZT_LightningGN kind;
  kind.segments.SetValue(10);
  auto runtime = Start(kind);
  auto& l = Settings<ZT_LightningGN>(*runtime);
  ASSERT_EQ(l.bolt.size(), 10u);
  EXPECT_EQ(l.bolt.front().from, l.startPoint.Value());
  EXPECT_EQ(l.bolt.back().to, l.endPoint.Value());
  const std::vector<BoltSegment> first = l.bolt;
  SeedRandom(5);
  const int32_t before = NextRandom();
  SeedRandom(5);
  l.Generate();
  EXPECT_EQ(RandomState(), uint32_t(before));
  for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(l.bolt[i].to, first[i].to);
  EXPECT_EQ(l.branchSegments.size(), 4u * 3u) << "four branches of three segments";
  l.random = 1;
  l.Generate();
  bool differs = false;
  for (size_t i = 0; i + 1 < first.size(); ++i) differs |= !(l.bolt[i].to == first[i].to);
  EXPECT_TRUE(differs) << "the random switch carries on the running sequence";
}

TEST_F(LightningRuntime, EveryShowingAfterHidingBringsANewBoltAndTheClockNeverRunsBack) {
  ZT_LightningGN kind;
  kind.random = 1;
  auto runtime = Start(kind);
  auto& l = Settings<ZT_LightningGN>(*runtime);
  Run(*runtime, 0, 1, [](float) {});
  EXPECT_NEAR(l.clockMs, 1000, 1);
  const std::vector<BoltSegment> shown = l.bolt;
  QVX_Timing& line = *runtime->GetTiming().Line();
  line.CurrentState = TimeLineState::Hidden;
  Run(*runtime, 1.02f, 2, [](float) {});
  EXPECT_EQ(l.bolt[3].to, shown[3].to) << "no new bolt while hidden";
  line.CurrentState = TimeLineState::FadingIn;
  runtime->Advance(2.02f);
  EXPECT_EQ(l.clockMs, 0.0f);
  EXPECT_FALSE(l.bolt[3].to == shown[3].to);
  runtime->Advance(0.5f);  // the layer's time went back
  EXPECT_GE(l.clockMs, 0.0f);
  runtime->Advance(0.6f);
  EXPECT_NEAR(l.clockMs, 100, 0.5);
  EXPECT_GT(runtime->DrawnCount(0), 0u);
  EXPECT_GT(runtime->DrawnCount(2), 0u);
}

}  // namespace
}  // namespace glimmer::testing
