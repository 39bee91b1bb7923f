// ZT_StretchFX: stretches its picture inside the mask only, drawn on its quad and over the whole
// screen.

#include "effects/stretch_fx.h"

#include <gtest/gtest.h>

#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

class StretchFX : public EffectKindScene {};

TEST_F(StretchFX, ChangesThePictureInsideItsMaskOnly) {
  for (const int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    auto layer = std::make_shared<ZT_StretchFX>();
    layer->stretch.SetValue(100);
    layer->techniqueMode.SetValue(mode);
    ExpectChangeInsideTheMaskOnly(layer, layer->stretch, 30 * 48 / 8u);
  }
}

}  // namespace
}  // namespace glimmer::testing
