// Water: drawn over the whole slide (it has no quad of its own), its
// ripples refract the picture inside the mask only, and above the horizon
// the picture shows untouched, the horizon kept short of the slide's
// bottom, where the perspective would divide by zero.

#include "effects/water_fx.h"

#include <gtest/gtest.h>

#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

using WaterScene = EffectKindScene;

std::shared_ptr<ZT_WaterFX> Water(uint32_t amplitude, uint32_t horizon) {
  auto water = std::make_shared<ZT_WaterFX>();
  water->techniqueMode.SetValue(1);
  water->amplitude.SetValue(amplitude);
  water->horizon.SetValue(horizon);
  if (amplitude == 0) {
    water->caustics.SetValue(0);
    water->shadows.SetValue(0);
  }
  return water;
}

TEST_F(WaterScene, RipplesStayInsideTheMask) {
  auto water = Water(300, 0);
  water->caustics.SetValue(0);
  water->shadows.SetValue(0);
  const auto [inside, outside] = MaskedChange(water, water->amplitude, 2);
  EXPECT_GT(inside, 30u * 48 / 10) << "the picture ripples";
  EXPECT_EQ(outside, 0u);
}

TEST_F(WaterScene, AboveTheHorizonThePictureIsUntouched) {
  for (uint32_t horizon : {50u, 100u, 400u}) {
    SCOPED_TRACE("horizon " + std::to_string(horizon));
    ShowDocument wavy = Start(Water(400, horizon));
    const Image frame = Frame(wavy, 2);
    ShowDocument calm = Start(Water(0, horizon));
    const Image still = Frame(calm, 2);
    // The horizon's row: half way down, or at most 95 % of the height.
    const uint32_t row = horizon == 50 ? 24 : 45;
    size_t above = 0, below = 0;
    for (uint32_t y = 0; y < 48; ++y) {
      for (uint32_t x = 0; x < 30; ++x) {
        bool differs = false;
        for (int k = 0; k < 3; ++k)
          differs |= std::abs(frame.Pixel(x, y)[k] - still.Pixel(x, y)[k]) > 3;
        if (y + 1 < row) above += differs;
        if (y > row + 2) below += differs;
      }
    }
    EXPECT_EQ(above, 0u);
    if (horizon == 50) {
      EXPECT_GT(below, 30u) << "water below the horizon";
    }
  }
}

}  // namespace
}  // namespace glimmer::testing
