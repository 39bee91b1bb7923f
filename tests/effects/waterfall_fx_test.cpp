// The waterfall: the water bends the picture inside the mask only, and the
// settings it hands the shader as a texture stay in range: the flow's
// phase within one streak length however long the show has run, the
// direction reversed by the reverse setting.

#include "effects/waterfall_fx.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

class WaterfallScene : public EffectKindScene {
 protected:
  const WaterfallFX* Runtime(ShowDocument& doc) {
    const auto& objects = doc.show->slides.front()->visualObjects;
    return objects.empty() ? nullptr : dynamic_cast<const WaterfallFX*>(objects.front().get());
  }
};

TEST_F(WaterfallScene, TheWaterBendsThePictureInsideTheMaskOnly) {
  auto fall = std::make_shared<ZT_WaterfallFX>();
  fall->whiteness.SetValue(0);
  fall->foam.SetValue(0);
  fall->refraction.SetValue(100);
  const auto [inside, outside] = MaskedChange(fall, fall->refraction, 1.5f);
  EXPECT_GT(inside, 30u * 48 / 10);
  EXPECT_EQ(outside, 0u);
}

TEST_F(WaterfallScene, ItsStateStaysInRangeAndReverses) {
  for (int reverse : {0, 1}) {
    SCOPED_TRACE("reverse " + std::to_string(reverse));
    auto fall = std::make_shared<ZT_WaterfallFX>();
    fall->reverse.SetValue(reverse);
    fall->strength.SetValue(1000);
    fall->speed.SetValue(1000);
    ShowDocument doc = Start(fall);
    const WaterfallFX* fx = Runtime(doc);
    ASSERT_NE(fx, nullptr);
    float last = -1;
    for (float t : {1.0f, 1.2f, 5000.0f, 5000.2f}) {
      Frame(doc, t);
      const auto& s = fx->State();
      EXPECT_GE(s[0], 0.0f);
      EXPECT_LT(s[0], 1.0f);
      EXPECT_NE(s[0], last) << "the water flows";
      last = s[0];
      // Falling down the screen (270°), or rising when reversed.
      EXPECT_NEAR(s[3], reverse ? -1.0f : 1.0f, 1e-5);
      EXPECT_NEAR(s[2], 0.0f, 1e-5);
      for (float v : s) EXPECT_TRUE(std::isfinite(v));
    }
  }
}

}  // namespace
}  // namespace glimmer::testing
