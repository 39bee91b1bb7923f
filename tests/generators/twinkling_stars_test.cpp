// The twinkling stars: the stored form, and stars resting at their base size
// for 0.2 to 2.5 s and flaring to 1 .. 1.5 times it for 0.2 s in about a
// third of the changes.

#include "generators/twinkling_stars.h"

#include <gtest/gtest.h>

#include "tests/support/archive_helpers.h"
#include "tests/support/generator_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(TwinklingStarsStored, ReadsTheSpeedAndTheAirBrush) {
  ZT_IOF_W w;
  w.WriteUInt32(50);  // factor 1.5
  w.WriteHeader(u"ZT_AirBrush", 2);
  w.WriteUInt32(16);
  WriteDabs(w, 2, {{7, 8, {0, 0.75f, 1, 0, 0}, {}}});
  WriteTexGeneratorBase(w, 3);
  ZT_TwinklingStars stars;
  ReadWith(w.Take(), [&](Archive& ar) { stars.Serialize(ar, 1); });
  EXPECT_FLOAT_EQ(stars.speed.Scaled(), 1.5f);
  ASSERT_EQ(stars.dabs.size(), 1u);
  EXPECT_EQ(stars.dabs[0].params[kSizeFactor], 0.75f);
}

using TwinklingStarsRuntime = GeneratorKindTest;

TEST_F(TwinklingStarsRuntime, RestsAtTheBaseAndFlaresForAFifthOfASecond) {
  ZT_TwinklingStars kind;
  kind.brushSize.SetValue(10);
  for (int i = 0; i < 30; ++i) {
    GeneratorParticle& d = kind.dabs.emplace_back(D3DXVECTOR3{float(10 * i), 20, 0});
    d.params[kSizeFactor] = 0.8f;
  }
  auto runtime = Start(kind);
  int rests = 0, flares = 0;
  float shortestRest = 10, longestRest = 0;
  Run(*runtime, 0, 30, [&](float t) {
    auto& stars = Settings<ZT_TwinklingStars>(*runtime);
    for (size_t i = 0; i < 30; ++i) {
      const float size = Shape(*runtime, 0, uint32_t(i)).width / 10;
      const bool flare = size > 0.8f * 1.0001f;
      EXPECT_LE(size, 0.8f * 1.5f + 1e-4f);
      EXPECT_GE(size, 0.8f - 1e-4f);
      const auto& twinkle = static_cast<PTwinkle&>(stars.dabs[i].processes[0]);
      if (twinkle.timer == 0 && t > 0) {
        if (flare) {
          ++flares;
          EXPECT_FLOAT_EQ(twinkle.period, 0.2f);
        } else {
          ++rests;
          shortestRest = std::min(shortestRest, twinkle.period);
          longestRest = std::max(longestRest, twinkle.period);
        }
      }
    }
  });
  EXPECT_GE(shortestRest, 0.2f);
  EXPECT_LE(longestRest, 2.5f);
  const double share = double(flares) / double(flares + rests);
  EXPECT_NEAR(share, 1.0 / 3, 0.06);
}

}  // namespace
}  // namespace glimmer::testing
