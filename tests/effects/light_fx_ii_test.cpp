// The stored form of the LightFX_II kind: version 1 stores no pulse; the blend values name their
// techniques.

#include "effects/light_fx_ii.h"

#include <gtest/gtest.h>

#include <string>

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

TEST_F(EffectKindScene, TheLightShinesInsideItsMaskOnlyInEveryTechniqueMode) {
  // Over the effect quad (mode 0, the whole slide by default) and as the
  // whole image drawn from the scene copy (mode 1), for every blend.
  for (const int32_t mode : {0, 1}) {
    for (const int32_t blend : {0, 1, 4}) {
      SCOPED_TRACE("mode " + std::to_string(mode) + " blend " + std::to_string(blend));
      auto layer = std::make_shared<ZT_LightFX_II>();
      layer->strength.SetValue(100);
      layer->blend.SetValue(blend);
      layer->techniqueMode.SetValue(mode);
      ExpectChangeInsideTheMaskOnly(layer, layer->strength, 30 * 48 / 2u);
    }
  }
}

}  // namespace
}  // namespace glimmer::testing
