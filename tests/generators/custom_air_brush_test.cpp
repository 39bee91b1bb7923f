// The custom air brush: its stored form, and the animated picture's frames
// stepped by their delays on the kind's clock, wrapping, with a clock that
// goes back.

#include "generators/custom_air_brush.h"

#include <gtest/gtest.h>

#include "tests/support/archive_helpers.h"
#include "tests/support/generator_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(CustomAirBrushStored, ReadsThePictureTheSpeedAndTheAirBrush) {
  ZT_IOF_W w;
  w.WriteString(u"common_res.dll");
  w.WriteUInt64(65);
  w.WriteUInt32(200);  // factor 2
  w.WriteHeader(u"ZT_AirBrush", 1);
  w.WriteUInt32(16);
  WriteDabs(w, 1, {{7, 8, {3, 0.5f, 0.25f, 0, 0}, {}}});
  WriteTexGeneratorBase(w, 1, 1);
  ZT_CustomAirBrush brush;
  ReadWith(w.Take(), [&](Archive& ar) { brush.Serialize(ar, 1); });
  EXPECT_EQ(brush.animatedImage.Stamp(), 65u);
  EXPECT_FLOAT_EQ(brush.speed.Scaled(), 2.0f);
  ASSERT_EQ(brush.dabs.size(), 1u);
  EXPECT_EQ(brush.dabs[0].params[kOpacityFactor], 0.25f);
}

TEST(CustomAirBrushFrames, StepByTheirDelaysAndWrap) {
  ZT_CustomAirBrush brush;
  brush.frames.resize(3);
  brush.frameDelays = {0.1f, 0.3f, 0.1f};
  std::vector<size_t> seen;
  for (int k = 0; k <= 60; ++k) {
    brush.speed.Advance(float(k) * 0.02f);
    brush.StepFrames();
    if (seen.empty() || seen.back() != brush.frameIndex) seen.push_back(brush.frameIndex);
  }
  // Frame 0 for just over 0.1 s, frame 1 for 0.3 s, frame 2, then 0 again.
  ASSERT_GE(seen.size(), 4u);
  EXPECT_EQ(seen[0], 0u);
  EXPECT_EQ(seen[1], 1u);
  EXPECT_EQ(seen[2], 2u);
  EXPECT_EQ(seen[3], 0u);
  // A clock that went back restarts the wait from there.
  brush.speed.Restart();
  brush.lastSwitch = 5;
  brush.speed.Advance(0);
  brush.StepFrames();
  EXPECT_EQ(brush.lastSwitch, 0.0f);
}

using CustomAirBrushRuntime = GeneratorKindTest;

TEST_F(CustomAirBrushRuntime, DabQuadsFollowTheTimeLineFades) {
  ZT_CustomAirBrush kind;
  kind.brushSize.SetValue(20);
  kind.dabs.emplace_back(D3DXVECTOR3{40, 40, 0});
  auto runtime = Start(kind);
  runtime->Advance(0);
  EXPECT_EQ(runtime->QuadVertices(0, 0)[0].color >> 24, 255u);
  QVX_Timing& line = *runtime->GetTiming().Line();
  line.CurrentState = TimeLineState::FadingOut;
  line.CurrentVisibility = 0.5f;
  runtime->Advance(0.02f);
  EXPECT_EQ(runtime->QuadVertices(0, 0)[0].color >> 24, 128u);
}

}  // namespace
}  // namespace glimmer::testing
