// The screen-effect core: the integer and octave noise and the wave
// shapes, and a centre a document gives being kept.

#include "effects/screen_effect.h"

#include <gtest/gtest.h>

#include <cmath>

#include "effects/expand_fx.h"
#include "tests/support/archive_helpers.h"

namespace glimmer::testing {
namespace {

constexpr float kTwoPi = 6.28318530717958647692f;

TEST(ScreenEffectWaves, NoiseValuesAndWaveShapes) {
  EXPECT_NEAR(IntegerNoise(0), -0.281791f, 1e-6);
  EXPECT_NEAR(IntegerNoise(1), -0.226373f, 1e-6);
  EXPECT_NEAR(IntegerNoise(2), 0.293633f, 1e-6);
  EXPECT_TRUE(std::isfinite(IntegerNoise(INT32_MIN)));
  // One octave at a whole point is the integer noise there.
  EXPECT_NEAR(OctaveNoise(150, 1, 75, 0.5f), IntegerNoise(2), 1e-6);
  EXPECT_EQ(OctaveNoise(NAN, 3, 75, 0.5f), 0.0f);
  // The triangle: −1 at a = 0, 0 at a = 0.25, 1 at a = 0.5.
  EXPECT_NEAR(WaveShape(2, 0, 0), -1, 1e-6);
  EXPECT_NEAR(WaveShape(2, 0.25f * kTwoPi, 0), 0, 1e-5);
  EXPECT_NEAR(WaveShape(2, 0.5f * kTwoPi, 0), 1, 1e-5);
  EXPECT_NEAR(WaveShape(3, 1.0f, 0.5f), std::sin(1.5f), 1e-6);
  EXPECT_EQ(WaveShape(7, 1.0f, 0.5f), 0.0f);
}

TEST(ScreenEffectStoredForms, ACentreADocumentGivesIsKept) {
  ZT_ExpandFX fresh;
  EXPECT_FALSE(fresh.placed) << "a new effect is centred on the slide when first drawn";
  fresh.centre.SetValue({12, 34, 0});
  const std::vector<uint8_t> bytes =
      WriteWith([&](Archive& ar) { fresh.Serialize(ar, fresh.StoredVersion()); });
  ZT_ExpandFX read;
  ReadWith(bytes, [&](Archive& ar) { read.Serialize(ar, read.StoredVersion()); });
  EXPECT_TRUE(read.placed);
  EXPECT_EQ(read.centre.Value(), (D3DXVECTOR3{12, 34, 0}));
}

}  // namespace
}  // namespace glimmer::testing
