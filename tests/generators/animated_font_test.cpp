// The animated font: this player's stored layout, letters cut from the
// font's 16 × 16 cells by their codes, the travelling wave, and a text
// longer than the cap.

#include "generators/animated_font.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/archive_helpers.h"
#include "tests/support/generator_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(AnimatedFontStored, ReadsTheTextItsSettingsAndTheOrigin) {
  ZT_IOF_W w;
  w.WriteString(u"Hi!");
  for (uint32_t v : {30u, 26u, 5u, 2u, 50u}) w.WriteUInt32(v);
  w.WriteHeader(u"ZT_StaticGenerator", 1);
  for (float f : {40.0f, 90.0f, 0.0f}) w.WriteFloat(f);
  WriteTexGeneratorBase(w, 3);
  ZT_AnimatedFont font;
  ReadWith(w.Take(), [&](Archive& ar) { font.Serialize(ar, 1); });
  EXPECT_EQ(font.text, u"Hi!");
  EXPECT_EQ(font.letterSize.Value(), 30u);
  EXPECT_EQ(font.spacing.Value(), 26u);
  EXPECT_FLOAT_EQ(font.amplitude.Scaled(), 5.0f);
  EXPECT_FLOAT_EQ(font.wavelength.Scaled(), 3.0f);
  EXPECT_FLOAT_EQ(font.waveSpeed.Scaled(), 1.0f);
  EXPECT_EQ(font.origin.Value().y, 90.0f);
}

using AnimatedFontRuntime = GeneratorKindTest;

TEST_F(AnimatedFontRuntime, LettersTakeTheirCellsAndRideTheWave) {
  ZT_AnimatedFont kind;
  kind.text = u"GA";
  kind.origin.StoreValue({10, 100, 0});
  kind.letterSize.SetValue(20);
  kind.spacing.SetValue(30);
  kind.amplitude.SetValue(10);
  kind.wavelength.SetValue(0);  // one letter a radian
  auto runtime = Start(kind);
  Run(*runtime, 0, 0.5f, [](float) {});
  const float clock = Settings<ZT_AnimatedFont>(*runtime).waveSpeed.LocalTime;
  EXPECT_NEAR(clock, 1.0f, 1e-4) << "two radians a second";
  // 'G' is 71: column 7, row 4.
  const DX_V::PCT* g = runtime->QuadVertices(0, 0);
  EXPECT_FLOAT_EQ(g[1].u, 7.0f / 16);
  EXPECT_FLOAT_EQ(g[1].v, 4.0f / 16);
  EXPECT_FLOAT_EQ(g[2].u, 8.0f / 16);
  EXPECT_FLOAT_EQ(g[2].v, 5.0f / 16);
  for (uint32_t i = 0; i < 2; ++i) {
    const auto q = Shape(*runtime, 0, i);
    EXPECT_NEAR(q.cx, 10 + 30 * float(i) + 10, 1e-4);
    EXPECT_NEAR(q.cy, 100 - 10 * std::sin(float(i) - clock), 1e-3);
    EXPECT_NEAR(q.width, 20, 1e-4);
  }
}

TEST_F(AnimatedFontRuntime, ALongTextIsCut) {
  ZT_AnimatedFont kind;
  kind.text.assign(kMaxFontLetters + 10, u'x');
  auto runtime = Start(kind);
  EXPECT_EQ(runtime->DrawnCount(0), kMaxFontLetters);
}

}  // namespace
}  // namespace glimmer::testing
