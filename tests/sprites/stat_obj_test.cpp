// Placed pictures: a rotated picture rewrites its rectangle to the turned
// box; a flower sways about its bottom edge; a discharge's random frames
// always differ, and a single frame ends the search.

#include "sprites/stat_obj.h"

#include <gtest/gtest.h>

#include <cmath>

#include "params/random_source.h"
#include "sprites/discharge.h"
#include "sprites/flower.h"
#include "sprites/grass.h"
#include "tests/support/sprite_kind_test.h"

namespace glimmer::testing {
namespace {

using PlacedKinds = SpriteKindTest;

TEST_F(PlacedKinds, ARotatedPictureRewritesItsRectangle) {
  ZT_StatObjConstructor placed;
  placed.placement.ExtraA.SetValue(100);
  placed.placement.ExtraB.SetValue(60);
  placed.size.SetValue(40);
  placed.rotation.SetValue(90);
  auto group = Start(placed);
  const SpriteRecord& r = group->Records()[0];
  EXPECT_NEAR(r.right.x, 0, 1e-6);
  EXPECT_NEAR(r.right.y, -1, 1e-6) << "right points along −y";
  const ZT_StatObjConstructor& o = static_cast<const ZT_StatObjConstructor&>(group->Owner());
  EXPECT_EQ(o.placement.Left.Value(), 80);
  EXPECT_EQ(o.placement.Right.Value(), 120);
  EXPECT_TRUE(o.HitTest(100, 45));
  EXPECT_FALSE(o.HitTest(130, 60));
}

TEST_F(PlacedKinds, AFlowerSwaysAboutItsBottomEdge) {
  ZT_FlowerConstructor flower;
  flower.placement.ExtraA.SetValue(100);
  flower.placement.ExtraB.SetValue(100);
  flower.size.SetValue(40);
  flower.amplitude = 10;
  auto group = Start(flower);
  Run(*group, 0, 1.5f);
  const SpriteRecord& r = group->Records()[0];
  const float c = r.up.x;
  EXPECT_NEAR(c, SwayLean(std::sin(1.5f), 10), 1e-4) << "animation time 1.5 s";
  // The bottom edge's centre stays where the upright picture's was.
  const D3DXVECTOR3 foot = r.position + r.up * r.halfHeight;
  EXPECT_NEAR(foot.x, 100, 1e-3);
  EXPECT_NEAR(foot.y, 120, 1e-3);
}

TEST(DischargeFrames, RandomFramesDifferAndASingleFrameEnds) {
  ZT_DischargeConstructor discharge;
  discharge.frameCount = 1;
  const uint32_t state = RandomState();
  EXPECT_EQ(discharge.NextFrame(0), 0u);
  EXPECT_EQ(RandomState(), state) << "no draw for a single frame";
  discharge.frameCount = 0;
  EXPECT_EQ(discharge.NextFrame(0), 0u);
  discharge.frameCount = 3;
  uint32_t frame = 0;
  for (int i = 0; i < 50; ++i) {
    const uint32_t next = discharge.NextFrame(frame);
    EXPECT_NE(next, frame);
    EXPECT_LT(next, 3u);
    frame = next;
  }
}

}  // namespace
}  // namespace glimmer::testing
