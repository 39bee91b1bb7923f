// The background copy: the rectangle's centre lands on the slide's centre,
// a flip mirrors its axis, and a centre on (or past) the slide's far edge
// is not taken for a flip.

#include "effects/background_copy.h"

#include <gtest/gtest.h>

#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

class BackgroundCopyScene : public EffectKindScene {
 protected:
  // The frame of a copy centred on (cx, 24) of the 64 × 48 stripes.
  Image Copy(int32_t cx, bool flipX) {
    auto copy = std::make_shared<ZT_BackgroundCopy>();
    copy->rectangle.ExtraA.SetValue(cx);
    copy->rectangle.ExtraB.SetValue(24);
    copy->flipX.SetValue(flipX ? 1 : 0);
    ShowDocument doc = Start(copy);
    return Frame(doc, 1);
  }
};

TEST_F(BackgroundCopyScene, TheCentreLandsMidSlideAndFlipsMirror) {
  // Centred on the slide's own centre the copy is the picture as drawn.
  const Image plain = Copy(32, false);
  const Image shifted = Copy(16, false), mirrored = Copy(16, true), edge = Copy(64, false);
  const auto red = [&](const Image& i, int x, int y) {
    return int(i.Pixel(uint32_t(x), uint32_t(y))[0]);
  };
  for (int y : {5, 20, 40}) {
    for (int x = 18; x < 30; ++x) {
      SCOPED_TRACE("x " + std::to_string(x) + " y " + std::to_string(y));
      // Column 32 shows column 16: the copy is moved 16 columns right.
      EXPECT_NEAR(red(shifted, x, y), red(plain, x - 16, y), 3);
      // A centre on the right edge is an unflipped copy moved left.
      EXPECT_NEAR(red(edge, x, y), red(plain, x + 32, y), 3);
    }
  }
  // Flipped about its centre: column 32 + k shows about 16 − k (the
  // mirror's axis lies on a pixel edge or centre).
  size_t best = 0;
  for (int c = 46; c <= 49; ++c) {
    size_t matches = 0;
    for (int y : {5, 20, 40})
      for (int x = 18; x < 30; ++x)
        matches += std::abs(red(mirrored, x, y) - red(plain, c - x, y)) <= 3;
    best = std::max(best, matches);
  }
  EXPECT_EQ(best, 3u * 12);
  // Outside the mask the picture is untouched.
  EXPECT_EQ(red(shifted, 50, 20), red(plain, 50, 20));
  EXPECT_EQ(red(edge, 60, 30), red(plain, 60, 30));
}

}  // namespace
}  // namespace glimmer::testing
