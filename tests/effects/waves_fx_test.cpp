// The waves: the direction and displacement vectors and the frequency.

#include "effects/waves_fx.h"

#include <gtest/gtest.h>

namespace glimmer::testing {
namespace {

TEST(WavesFX, DirectionSideAndWavelength) {
  ZT_WavesFX waves;
  waves.direction.SetValue(90);
  D3DXVECTOR3 dir, across;
  waves.Vectors(dir, across);
  EXPECT_NEAR(dir.y, -1, 1e-6) << "90° runs up the screen";
  EXPECT_NEAR(across.x, 1, 1e-6);
  waves.side.SetValue(1);
  waves.Vectors(dir, across);
  EXPECT_NEAR(across.y, 1, 1e-6) << "the side flips the displacement onto the crest line";
  EXPECT_NEAR(1 / waves.wavelength.Scaled(), 1 / 0.026f, 1e-3);
}

}  // namespace
}  // namespace glimmer::testing
