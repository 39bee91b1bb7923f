// The aurora: its stored form, the curtain of the built-in show's values
// (36 dabs, their heights, sway and opacity waves on three clocks), still
// amplitudes, the sway direction, and amplitudes above 1.

#include "generators/aurora.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/support/archive_helpers.h"
#include "tests/support/generator_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(AuroraStored, ReadsItsWavesAndTheAirBrush) {
  ZT_IOF_W w;
  for (uint32_t v : {478u, 25u, 13u, 32u, 51u, 33u, 121u, 18u, 33u, 19u, 90u}) w.WriteUInt32(v);
  w.WriteHeader(u"ZT_AirBrush", 3);
  w.WriteUInt32(72);
  WriteDabs(w, 3, {{7, 8, {14, 0.75f, 1, 0, 0}, {}}});
  WriteTexGeneratorBase(w, 3);
  ZT_Aurora aurora;
  ReadWith(w.Take(), [&](Archive& ar) { aurora.Serialize(ar, 1); });
  EXPECT_EQ(aurora.curtainHeight.Value(), 478u);
  EXPECT_FLOAT_EQ(aurora.speed1.Scaled(), 0.75f);
  EXPECT_FLOAT_EQ(aurora.heightAmplitude.Scaled(), 0.13f);
  EXPECT_FLOAT_EQ(aurora.heightWavelength.Scaled(), 33.0f);
  EXPECT_FLOAT_EQ(aurora.speed2.Scaled(), 1.53f);
  EXPECT_FLOAT_EQ(aurora.opacityAmplitude.Scaled(), 0.33f);
  EXPECT_FLOAT_EQ(aurora.opacityWavelength.Scaled(), 122.0f);
  EXPECT_FLOAT_EQ(aurora.speed3.Scaled(), 0.54f);
  EXPECT_FLOAT_EQ(aurora.swayAmplitude.Scaled(), 33.0f);
  EXPECT_FLOAT_EQ(aurora.swayWavelength.Scaled(), 20.0f);
  EXPECT_EQ(aurora.swayDirection.Value(), 90u);
  EXPECT_EQ(aurora.brushSize.Value(), 72u);
}

using AuroraRuntime = GeneratorKindTest;

// The built-in show's aurora: 36 dabs 14 px apart along y = 300.
ZT_Aurora ShowAurora() {
  ZT_Aurora a;
  a.curtainHeight.SetValue(478);
  a.brushSize.SetValue(72);
  a.colour1.Color.SetValue(0xCCFF99);
  a.colour1.Transparency.SetValue(34);
  for (int i = 0; i < 36; ++i) {
    GeneratorParticle& d = a.dabs.emplace_back(D3DXVECTOR3{20.0f + 14.0f * float(i), 300, 0});
    d.params[kLifeFraction] = 14.0f * float(i);
    d.params[kSizeFactor] = 0.5f + 0.0125f * float(i);
    d.params[kOpacityFactor] = 1.0f - 0.01f * float(i);
  }
  return a;
}

TEST_F(AuroraRuntime, TheShowsCurtainDrawsItsThirtySixDabsOnThreeWaves) {
  auto runtime = Start(ShowAurora());
  Run(*runtime, 0, 1, [](float) {});
  const auto& a = Settings<ZT_Aurora>(*runtime);
  const float c1 = a.speed1.LocalTime, c2 = a.speed2.LocalTime, c3 = a.speed3.LocalTime;
  EXPECT_NEAR(c1, 0.75f, 1e-4);
  EXPECT_NEAR(c2, 1.53f, 1e-4);
  EXPECT_NEAR(c3, 0.54f, 1e-4);
  ASSERT_EQ(runtime->DrawnCount(0), 36u);
  const uint8_t alpha = 168;  // 34 % transparent
  for (uint32_t i = 0; i < 36; ++i) {
    SCOPED_TRACE(i);
    const float g = 14.0f * float(i), p1 = 0.5f + 0.0125f * float(i);
    const auto q = Shape(*runtime, 0, i);
    EXPECT_NEAR(q.cx, 20 + g, 1e-3) << "sway direction 90 moves vertically only";
    EXPECT_NEAR(q.cy, 300 + 33 * std::sin(g / 20 + c3), 1e-2);
    EXPECT_NEAR(q.width, 72 * p1, 1e-3);
    EXPECT_NEAR(q.height, (std::sin(g / 33 + c1) * 0.13f + 1) * 478 * p1, 1e-2);
    const float opacity = (std::sin(g / 122 + c2) * 0.33f + 1) * (1.0f - 0.01f * float(i));
    EXPECT_NEAR(double(q.colour >> 24), std::min(alpha / 255.0f * opacity, 1.0f) * 255, 0.51);
    EXPECT_EQ(q.colour & 0xFFFFFF, 0x99FFCCu);
  }
}

TEST_F(AuroraRuntime, StillAmplitudesDrawEveryDabAtItsPlaceAndSwayFollowsTheDirection) {
  ZT_Aurora kind = ShowAurora();
  kind.heightAmplitude.SetValue(0);
  kind.opacityAmplitude.SetValue(0);
  kind.swayAmplitude.SetValue(0);
  kind.colour1.Transparency.SetValue(0);
  auto runtime = Start(kind);
  runtime->Advance(0);
  runtime->Advance(0.5f);
  for (uint32_t i = 0; i < 36; i += 7) {
    const float p1 = 0.5f + 0.0125f * float(i);
    const auto q = Shape(*runtime, 0, i);
    EXPECT_NEAR(q.cx, 20 + 14.0f * float(i), 1e-3);
    EXPECT_NEAR(q.cy, 300, 1e-3);
    EXPECT_NEAR(q.height, 478 * p1, 1e-2);
    EXPECT_NEAR(double(q.colour >> 24), (1.0f - 0.01f * float(i)) * 255, 0.51);
  }
  kind.swayAmplitude.SetValue(10);
  kind.swayDirection.SetValue(0);
  auto sideways = Start(kind);
  sideways->Advance(0);
  const auto q = Shape(*sideways, 0, 3);
  EXPECT_NEAR(q.cy, 300, 1e-3);
  EXPECT_NEAR(q.cx, 20 + 42 + 10 * std::sin(42.0f / 20), 1e-3);
}

TEST_F(AuroraRuntime, AmplitudesAboveOneNeverTurnTheCurtainInsideOut) {
  ZT_Aurora kind = ShowAurora();
  kind.heightAmplitude.SetValue(300);
  auto runtime = Start(kind);
  Run(*runtime, 0, 4, [&](float) {
    for (uint32_t i = 0; i < 36; ++i) {
      const DX_V::PCT* v = runtime->QuadVertices(0, i);
      ASSERT_GE(v[0].y, v[1].y) << "the top stays above the bottom";
    }
  });
}

TEST_F(AuroraRuntime, TheCurtainsOpacityIsItsWavesAloneWhateverTheTimeLinesVisibility) {
  ZT_Aurora kind = ShowAurora();
  std::vector<D3DCOLOR> colours[2];
  for (const float visibility : {1.0f, 0.4f}) {
    auto runtime = Start(kind);
    runtime->Advance(0);
    QVX_Timing& line = *runtime->GetTiming().Line();
    line.CurrentVisibility = visibility;
    runtime->Advance(0.5f);
    for (uint32_t i = 0; i < 36; ++i)
      colours[visibility < 1].push_back(Shape(*runtime, 0, i).colour);
  }
  EXPECT_EQ(colours[0], colours[1]);
}

}  // namespace
}  // namespace glimmer::testing
