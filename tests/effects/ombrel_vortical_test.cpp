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
    const auto [inside, outside] = MaskedChange(layer, layer->strength, 1.3f);
    EXPECT_GT(inside, 30 * 48 / 8u) << "the effect shows inside the mask";
    EXPECT_EQ(outside, 0u) << "and nowhere outside it";
  }
}

}  // namespace
}  // namespace glimmer::testing
