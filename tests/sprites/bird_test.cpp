// Birds: the minimum pace keeps each bird's heading on both axes, so birds
// bounce off the lower bound and spread over their bounds instead of
// sinking.

#include "sprites/bird.h"

#include <gtest/gtest.h>

#include <cmath>

#include "params/random_source.h"
#include "tests/support/sprite_kind_test.h"

namespace glimmer::testing {
namespace {

using BirdKind = SpriteKindTest;

TEST_F(BirdKind, SlowBirdsSpeedUpKeepingTheirHeading) {
  ZT_BirdConstructor bird;
  bird.count.SetValue(1);
  auto group = Start(bird);
  SpriteRecord& rec = group->Records()[0];
  // Both paces below 70 % of 80 and 50, heading left and up.
  rec.position = {160, 90, 0};
  rec.velocity = {-10, -20, 0};
  group->Advance(0.02f);
  EXPECT_NEAR(rec.velocity.y, -(20 * 0.3f / 0.7f + 35), 1e-4) << "a climbing bird keeps climbing";
  EXPECT_LE(rec.velocity.x, -56 + 1e-3);
  EXPECT_GE(rec.velocity.x, -80);
  // Downwards and right: the same raise, positive.
  rec.velocity = {10, 20, 0};
  group->Advance(0.04f);
  EXPECT_NEAR(rec.velocity.y, 20 * 0.3f / 0.7f + 35, 1e-4);
  EXPECT_GE(rec.velocity.x, 56 - 1e-3);
  // A brisk bird is left alone.
  rec.velocity = {-70, -45, 0};
  group->Advance(0.06f);
  EXPECT_EQ(rec.velocity.x, -70.0f);
  EXPECT_EQ(rec.velocity.y, -45.0f);
}

TEST_F(BirdKind, BirdsLeaveTheLowerBoundAndStaySpread) {
  SeedRandom(1);
  ZT_BirdConstructor bird;
  bird.count.SetValue(40);
  bird.size.SetValue(10);
  auto group = Start(bird);
  // One bird just past the lower bound, flying slowly down: it bounces and
  // climbs away rather than clinging to the bound.
  SpriteRecord& low = group->Records()[0];
  low.position = {160, 178, 0};
  low.velocity = {60, 10, 0};
  group->Advance(0.02f);
  group->Advance(0.04f);
  EXPECT_LT(low.velocity.y, -35 + 1e-3) << "bounced upwards at a brisk pace";
  // A minute of flight: the flock stays spread over the height (a rule
  // that turns slow birds downwards piles them on the lower bound).
  Run(*group, 0.04f, 60);
  size_t lowerQuarter = 0;
  for (const SpriteRecord& r : group->Records()) lowerQuarter += r.position.y > 180 * 0.75f;
  EXPECT_LT(lowerQuarter, 40u / 2) << "most birds sank to the bottom";
}

}  // namespace
}  // namespace glimmer::testing
