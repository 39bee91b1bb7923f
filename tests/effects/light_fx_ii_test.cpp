// The stored form of the LightFX_II kind: version 1 stores no pulse; the blend values name their
// techniques.

#include "effects/light_fx_ii.h"

#include <gtest/gtest.h>

#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(LightFXII, OlderVersionsReadTheirPrefix) {
  {
    ZT_LightFX_II light;
    light.pulse.SetValue(2);
    ReadVersion<ZT_FX_Constructor>(light, 1, [](ZT_IOF_W& w) {
      w.WriteUInt32(70);
      w.WriteInt32(0x00FF0000);
      w.WriteInt32(3);
    });
    EXPECT_FLOAT_EQ(light.strength.Scaled(), 0.7f);
    EXPECT_EQ(light.blend.Value(), 3);
    EXPECT_EQ(light.pulse.Value(), 2) << "version 1 stores no pulse: left as it was";
    EXPECT_STREQ(LightFX_II::BlendTechnique(3), "Linear_Dodge");
    EXPECT_STREQ(LightFX_II::BlendTechnique(9), "Blend_Normal");
  }
}

}  // namespace
}  // namespace glimmer::testing
