// The underwater effect in its slide: the sway moves the picture (only
// where it has edges to move) and nothing else, and every stored
// frequency, the smallest and the largest, draws a picture that still
// shows the slide.

#include "effects/underwater_fx.h"

#include <gtest/gtest.h>

#include "scene/slides/fake_underwater.h"
#include "tests/support/slide_kind_test.h"

namespace glimmer::testing {
namespace {

class UnderwaterFx : public SlideKindTest {
 protected:
  // The slide (two flat halves) through the water, over the whole slide
  // (technique mode 1), at 1.3 s.
  Image At(uint32_t amplitude) {
    Start<FakeUndervater>(R"("class": "FakeUndervater", "water": {"Amplitude": )" +
                          std::to_string(amplitude) +
                          R"(, "ZT_FX_Constructor": {"speed": 100, "techniqueMode": 1}})");
    Frame(0.5f);
    Frame(1.3f);
    return Back();
  }
};

TEST_F(UnderwaterFx, TheSwayMovesThePictureAndNothingElse) {
  const Image still = At(0), swaying = At(400);
  // Swaying a flat colour leaves it as it is: only the edge between the
  // halves moves (the light and the cast are the same in both).
  size_t nearEdge = 0, elsewhere = 0;
  for (uint32_t y = 0; y < 48; ++y) {
    for (uint32_t x = 0; x < 64; ++x) {
      bool differs = false;
      for (int k = 0; k < 3; ++k)
        differs |= std::abs(still.Pixel(x, y)[k] - swaying.Pixel(x, y)[k]) > 8;
      (x > 22 && x < 42 ? nearEdge : elsewhere) += differs;
    }
  }
  EXPECT_GT(nearEdge, 20u) << "the edge sways";
  EXPECT_EQ(elsewhere, 0u);
}

TEST_F(UnderwaterFx, EveryFrequencyDrawsTheSlide) {
  for (const char* frequency : {"0", "50", "4294967295"}) {
    SCOPED_TRACE(frequency);
    Start<FakeUndervater>(
        R"("class": "FakeUndervater", "water": {"Amplitude": 400, "Frequency": )" +
        std::string(frequency) + R"(, "ZT_FX_Constructor": {"techniqueMode": 1}})");
    Frame(0.1f);
    Frame(0.6f);
    // Both halves of the picture still show, tinted, neither black nor lost.
    EXPECT_TRUE(NearColor(Pixel(4, 24), 0x3060C0FF, 70));
    EXPECT_TRUE(NearColor(Pixel(60, 24), 0xE0C040FF, 70));
  }
}

}  // namespace
}  // namespace glimmer::testing
