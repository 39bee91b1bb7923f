// Clouds: the mask's journey along its path (there and back, from its
// first point), and clouds drawn inside the mask only.

#include "effects/cloud_fx.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(CloudFX, TheMaskTravelsThereAndBack) {
  const std::vector<D3DXVECTOR3> path = {{10, 10, 0}, {110, 10, 0}, {110, 60, 0}};
  const auto at = [&](float d) { return CloudFX::AlongPath(path, d); };
  // 150 pixels out, then back: a triangle over 300.
  EXPECT_NEAR(at(30).x, 30, 1e-4);
  EXPECT_NEAR(at(120).x, 100, 1e-4);
  EXPECT_NEAR(at(120).y, 20, 1e-4);
  EXPECT_NEAR(at(150).y, 50, 1e-4) << "the far end";
  EXPECT_NEAR(at(200).x, 100, 1e-4) << "on the way back";
  EXPECT_NEAR(at(200).y, 0, 1e-4);
  EXPECT_NEAR(at(330).x, 30, 1e-4) << "out again";
  EXPECT_NEAR(at(-30).x, 30, 1e-4);
  // Nothing to travel: no move, never a non-finite one.
  EXPECT_EQ(at(std::nanf("")).x, 0.0f);
  EXPECT_EQ(at(INFINITY).x, 0.0f);
  EXPECT_EQ(CloudFX::AlongPath({{5, 5, 0}}, 40).x, 0.0f);
  EXPECT_EQ(CloudFX::AlongPath({{5, 5, 0}, {5, 5, 0}}, 40).x, 0.0f);
}

using CloudScene = EffectKindScene;

TEST_F(CloudScene, CloudsStayInsideTheMask) {
  auto clouds = std::make_shared<ZT_CloudFX>();
  clouds->threshold.SetValue(0);
  clouds->density.SetValue(100);
  const auto [inside, outside] = MaskedChange(clouds, clouds->density, 1.5f);
  EXPECT_GT(inside, 30u * 48 / 4) << "clouds cover the masked half";
  EXPECT_EQ(outside, 0u);
}

}  // namespace
}  // namespace glimmer::testing
