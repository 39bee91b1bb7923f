// ZT_OmbrelVortical: swirls its picture inside the mask only, drawn on its quad and over the whole
// screen.

#include "effects/ombrel_vortical.h"

#include <gtest/gtest.h>

#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

class OmbrelVortical : public EffectKindScene {};

TEST_F(OmbrelVortical, ChangesThePictureInsideItsMaskOnly) {
  for (const int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    auto layer = std::make_shared<ZT_OmbrelVortical>();
    layer->strength.SetValue(500);
    layer->techniqueMode.SetValue(mode);
    ExpectChangeInsideTheMaskOnly(layer, layer->strength, 30 * 48 / 8u);
  }
}

}  // namespace
}  // namespace glimmer::testing
