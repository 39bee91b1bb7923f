// ZT_DayToNight: grades its picture inside the mask only, drawn on its quad and over the whole
// screen.

#include "effects/day_to_night.h"

#include <gtest/gtest.h>

#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

class DayToNight : public EffectKindScene {};

TEST_F(DayToNight, ChangesThePictureInsideItsMaskOnly) {
  for (const int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    auto layer = std::make_shared<ZT_DayToNight>();
    layer->desaturation.SetValue(100);
    layer->techniqueMode.SetValue(mode);
    ExpectChangeInsideTheMaskOnly(layer, layer->desaturation, 30 * 48 / 8u);
  }
}

}  // namespace
}  // namespace glimmer::testing
