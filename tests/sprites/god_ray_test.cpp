// Slanted and swaying sprites: god rays lean by their angle and stay finite
// at flat angles; grass blades stand on the bottom edge and sway about their
// feet in a wave across the picture; sparkles grow with their opacity.

#include "sprites/god_ray.h"

#include <gtest/gtest.h>

#include <cmath>

#include "sprites/grass.h"
#include "sprites/sparkle.h"
#include "tests/support/sprite_kind_test.h"

namespace glimmer::testing {
namespace {

using SlantedKinds = SpriteKindTest;

TEST_F(SlantedKinds, RaysLeanByTheirAngleAndFlatAnglesStayFinite) {
  const auto lean = [&](uint32_t angle) {
    ZT_GodRayConstructor rays;
    rays.angle.SetValue(angle);
    rays.size.SetValue(30);
    auto group = Start(rays);
    const SpriteRecord& r = group->Records()[0];
    EXPECT_EQ(r.halfHeight, 90.0f) << "half the picture's height";
    EXPECT_EQ(r.position.y, 90.0f);
    return r.up.x;
  };
  EXPECT_NEAR(lean(90), 0, 1e-6) << "upright";
  EXPECT_NEAR(lean(45), -1, 1e-5) << "45 degrees";
  EXPECT_NEAR(lean(135), 1, 1e-5);
  for (uint32_t flat : {0u, 180u, 360u, 720u}) {
    EXPECT_TRUE(std::isfinite(lean(flat))) << flat;
    EXPECT_EQ(lean(flat), 0.0f) << "no finite slant: upright, angle " << flat;
  }
}

TEST_F(SlantedKinds, GrassSwaysAboutItsFeetInAWave) {
  ZT_GrassConstructor grass;
  grass.count.SetValue(8);
  grass.size.SetValue(40);
  grass.amplitude = 20;
  auto group = Start(grass);
  std::vector<float> feet;
  for (const SpriteRecord& r : group->Records()) {
    EXPECT_EQ(r.position.y + r.halfHeight, 180.0f) << "standing on the bottom edge";
    feet.push_back(r.position.x);
  }
  Run(*group, 0, 0.7f);
  for (size_t i = 0; i < feet.size(); ++i) {
    const SpriteRecord& r = group->Records()[i];
    const float s = std::sin(0.7f + r.velocity.y + r.position.x / 320 * 2 * kPi);
    EXPECT_NEAR(r.up.x, SwayLean(s, 20), 2e-3);
    EXPECT_NEAR(r.position.x + r.up.x * r.halfHeight, feet[i], 1e-3) << "the foot stays";
  }
}

TEST_F(SlantedKinds, SparklesGrowWithTheirOpacity) {
  ZT_SparkleConstructor sparkles;
  sparkles.size.SetValue(40);
  sparkles.count.SetValue(5);
  sparkles.pulseRate = 1;
  auto group = Start(sparkles);
  group->Advance(0.02f);
  for (const SpriteRecord& r : group->Records()) {
    const float d = 40 * r.scale * 0.25f;
    EXPECT_NEAR(r.halfWidth, d * r.alphaFactor + d, 1e-4);
    EXPECT_NEAR(r.halfHeight, r.halfWidth * 0.5f * r.alphaFactor + d, 1e-4);
  }
}

}  // namespace
}  // namespace glimmer::testing
