// The linear ripples: direction 90 at strength 500 runs up the screen at 1.

#include "effects/ombrel_linear.h"

#include <gtest/gtest.h>

namespace glimmer::testing {
namespace {

TEST(OmbrelLinear, Direction90AtStrength500IsUpTheScreen) {
  ZT_OmbrelLinear linear;
  linear.direction.SetValue(90);
  linear.strength.SetValue(500);
  const D3DXVECTOR3 d = linear.DirectionVector() * linear.strength.Scaled();
  EXPECT_NEAR(d.x, 0, 1e-6);
  EXPECT_NEAR(d.y, -1, 1e-6);
}

}  // namespace
}  // namespace glimmer::testing
