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
    ExpectChangeInsideTheMaskOnly(layer, layer->strength, 30 * 48 / 8u);
  }
}

}  // namespace
}  // namespace glimmer::testing
