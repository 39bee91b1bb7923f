// The stored form of the RadialWaveFX kind: the damping arrives with version 2.

#include "effects/radial_wave_fx.h"

#include <gtest/gtest.h>

#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(RadialWaveFX, OlderVersionsReadTheirPrefix) {
  for (int32_t v = 1; v <= 2; ++v) {
    ZT_RadialWaveFX waves;
    ReadVersion<ZT_CentralBased>(waves, v, [&](ZT_IOF_W& w) {
      w.WriteUInt32(10);
      w.WriteUInt32(20);
      if (v >= 2) w.WriteUInt32(0);
    });
    EXPECT_FLOAT_EQ(waves.wavelength.Scaled(), 0.06f);
    EXPECT_FLOAT_EQ(waves.damping.Scaled(), v >= 2 ? 0.0f : 1.5f) << "version " << v;
    EXPECT_EQ(waves.inwards.Value(), 0);
  }
}

}  // namespace
}  // namespace glimmer::testing
