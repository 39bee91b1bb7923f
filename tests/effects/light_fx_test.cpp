// ZT_LightFX: brightens and dims its picture inside the mask only, drawn on its quad and over the
// whole screen.

#include "effects/light_fx.h"

#include <gtest/gtest.h>

#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

class LightFX : public EffectKindScene {};

TEST_F(LightFX, ChangesThePictureInsideItsMaskOnly) {
  // The kind makes no grid, so it draws over the whole screen only.
  for (const int mode : {1}) {
    SCOPED_TRACE(mode);
    auto layer = std::make_shared<ZT_LightFX>();
    layer->strength.SetValue(100);
    layer->techniqueMode.SetValue(mode);
    const auto [inside, outside] = MaskedChange(layer, layer->strength, 1.3f);
    EXPECT_GT(inside, 30 * 48 / 8u) << "the effect shows inside the mask";
    EXPECT_EQ(outside, 0u) << "and nowhere outside it";
  }
}

}  // namespace
}  // namespace glimmer::testing
