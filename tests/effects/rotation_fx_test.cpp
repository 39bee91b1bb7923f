// ZT_RotationFX: turns its picture inside the mask only, drawn on its quad and over the whole
// screen.

#include "effects/rotation_fx.h"

#include <gtest/gtest.h>

#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

class RotationFX : public EffectKindScene {};

TEST_F(RotationFX, ChangesThePictureInsideItsMaskOnly) {
  // The kind makes no grid, so it draws over the whole screen only.
  for (const int mode : {1}) {
    SCOPED_TRACE(mode);
    auto layer = std::make_shared<ZT_RotationFX>();
    layer->opacity.SetValue(100);
    layer->techniqueMode.SetValue(mode);
    ExpectChangeInsideTheMaskOnly(layer, layer->opacity, 30 * 48 / 8u);
  }
}

}  // namespace
}  // namespace glimmer::testing
