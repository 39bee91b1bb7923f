// Fish and ghosts: the first records' draws from state 1, turning only
// once completely outside, the motion clock's speed and its 0.2 s clamp,
// and ghosts showing up elsewhere together.

#include "sprites/fish.h"

#include <gtest/gtest.h>

#include <cmath>

#include "params/random_source.h"
#include "sprites/ghost.h"
#include "tests/support/sprite_kind_test.h"

namespace glimmer::testing {
namespace {

using FishKind = SpriteKindTest;

ZT_FishConstructor Fish(uint32_t count) {
  ZT_FishConstructor fish;
  fish.count.SetValue(count);
  fish.size.SetValue(20);
  fish.scaleMin = 0.5f;
  fish.pulseRate = 2;
  return fish;
}

TEST_F(FishKind, FirstRecordsDrawInTheirOrderFromStateOne) {
  SeedRandom(1);
  auto group = Start(Fish(2));
  const int32_t after = NextRandom();
  // Per record: scale, pulse sign, velocity x, velocity y, position x, y.
  SeedRandom(1);
  const auto r = [] { return float(NextRandom()) / 32767.0f; };
  for (const SpriteRecord& rec : group->Records()) {
    const float scale = 0.5f + 0.5f * r();
    const bool odd = NextRandom() & 1;
    const float vx = -80 + 160 * r(), vy = -50 + 100 * r();
    const float x = 320 * r(), y = 180 * r();
    EXPECT_NEAR(rec.scale, scale, 1e-5);
    EXPECT_EQ(rec.pulseRate, odd ? -2.0f : 2.0f);
    EXPECT_NEAR(rec.velocity.x, vx, 1e-3);
    EXPECT_NEAR(rec.velocity.y, vy, 1e-3);
    EXPECT_NEAR(rec.position.x, x, 1e-3);
    EXPECT_NEAR(rec.position.y, y, 1e-3);
    EXPECT_NEAR(std::fabs(rec.halfWidth), 20 * scale * 0.5f, 1e-4) << "aspect 1 without a picture";
    EXPECT_EQ(rec.halfWidth < 0, vx < 0) << "a fish swimming left is mirrored";
  }
  EXPECT_EQ(after, NextRandom()) << "six draws a record, nothing else";
  // State 1 gives these first draws: the sequence itself is pinned.
  SeedRandom(1);
  EXPECT_EQ(NextRandom(), 41);
  EXPECT_EQ(NextRandom(), 18467);
}

TEST_F(FishKind, TurnsOnlyAfterLeavingCompletely) {
  auto group = Start(Fish(1));
  SpriteRecord& fish = group->Records()[0];
  fish.position = {5, 90, 0};
  fish.velocity = {-40, 0, 0};
  fish.halfWidth = -10;
  bool turned = false;
  Run(*group, 0, 2, [&](float) {
    if (turned) return;
    if (fish.velocity.x > 0) {
      turned = true;
      EXPECT_LT(fish.position.x + 10, 0.0f) << "turned while still partly inside";
      EXPECT_GT(fish.position.x + 10, -40 * 0.02f - 1e-3f) << "turned the frame it left";
      EXPECT_EQ(fish.halfWidth, 10.0f) << "drawn unmirrored";
    } else {
      EXPECT_LT(fish.halfWidth, 0.0f);
    }
  });
  EXPECT_TRUE(turned);
  // The top bound reverses a fish touching it with its top edge.
  fish.position = {100, 10.5f, 0};
  fish.halfHeight = 10;
  fish.velocity = {0, -30, 0};
  group->Advance(2.02f);
  EXPECT_EQ(fish.velocity.y, 30.0f);
}

TEST_F(FishKind, MotionSpeedScalesTheClockAndAGapCountsAtMostAFifthOfASecond) {
  for (uint32_t speed : {50u, 100u}) {
    ZT_FishConstructor fish = Fish(1);
    fish.motionSpeed.SetValue(speed);
    auto group = Start(fish);
    SpriteRecord& rec = group->Records()[0];
    rec.position = {160, 90, 0};
    rec.velocity = {10, 5, 0};
    Run(*group, 0, 1);
    const float k = speed / 50.0f;
    EXPECT_NEAR(rec.position.x, 160 + 10 * k, 1e-3) << "motion speed " << speed;
    EXPECT_NEAR(rec.position.y, 90 + 5 * k, 1e-3);
  }
  auto group = Start(Fish(1));
  SpriteRecord& rec = group->Records()[0];
  rec.position = {160, 90, 0};
  rec.velocity = {10, 0, 0};
  group->Advance(0);
  group->Advance(5);
  EXPECT_NEAR(rec.position.x, 162, 1e-4) << "a 5 s gap moves 0.2 s";
  EXPECT_NEAR(group->Owner().motionTime, 0.2f, 1e-6);
  group->Advance(4.9f);
  EXPECT_NEAR(group->Owner().motionTime, 0.3f, 1e-6) << "time going back moves forwards";
}

TEST_F(FishKind, GhostsFollowTheirLineAndAllShowUpElsewhere) {
  ZT_GhostConstructor ghost;
  ghost.count.SetValue(3);
  ghost.size.SetValue(10);
  auto group = Start(ghost);
  SetVisibility(*group, TimeLineState::Hidden, 0);
  group->Advance(0.02f);
  std::vector<D3DXVECTOR3> before;
  for (const SpriteRecord& r : group->Records()) {
    EXPECT_EQ(r.colour >> 24, 0u) << "hidden";
    before.push_back(r.position);
  }
  SetVisibility(*group, TimeLineState::FadingIn, 0.5f);
  group->Advance(0.04f);
  for (size_t i = 0; i < before.size(); ++i) {
    const SpriteRecord& r = group->Records()[i];
    EXPECT_GT(std::fabs(r.position.x - before[i].x) + std::fabs(r.position.y - before[i].y), 2.0f)
        << "ghost " << i << " reappears elsewhere";
    EXPECT_EQ(r.alphaFactor, 0.5f);
    EXPECT_EQ(r.colour >> 24, 127u);
  }
}

}  // namespace
}  // namespace glimmer::testing
