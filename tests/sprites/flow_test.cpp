// Flows: the wrap edge fades out, pauses frozen beyond the opposite edge and
// fades in; a bounce-on-contact edge is never crossed; a bounce-after-leaving
// edge pauses frozen outside and sends the sprite back; how many sprites the
// time line's visibility shows; rain falls.

#include "sprites/flow.h"

#include <gtest/gtest.h>

#include "sprites/rain.h"
#include "tests/support/sprite_kind_test.h"

namespace glimmer::testing {
namespace {

using FlowKind = SpriteKindTest;

// One sprite of 20 × 20 flowing up at 100 pixels a second, no drift.
ZT_FlowConstructor Upwards(int32_t topMode) {
  ZT_FlowConstructor flow;
  flow.count.SetValue(1);
  flow.size.SetValue(20);
  flow.direction.SetValue(90);
  flow.speed = 100;
  flow.edges[0].mode.SetValue(topMode);
  for (size_t i = 1; i < 4; ++i) flow.edges[i].mode.SetValue(5);  // never engages
  return flow;
}

TEST_F(FlowKind, AWrapEdgeFadesOutPausesBelowAndFadesIn) {
  ZT_FlowConstructor flow = Upwards(0);
  ZT_BoundControl& top = flow.edges[0];
  top.fadeOutMs = 500;
  top.fadeInMs = 250;
  top.pauseMinMs = top.pauseMaxMs = 300;
  auto group = Start(flow);
  SpriteRecord& r = group->Records()[0];
  r.position = {100, 20, 0};
  float goneAt = -1, darkAt = -1, movedAt = -1, litAt = -1;
  Run(*group, 0, 3, [&](float t) {
    if (goneAt < 0 && r.edgeState == 0) goneAt = t;
    if (darkAt < 0 && r.alphaFactor == 0) {
      darkAt = t;
      EXPECT_TRUE(r.frozen);
    }
    if (movedAt < 0 && r.fadingIn) {
      movedAt = t;
      EXPECT_NEAR(r.position.y, 180 + 10 - 1, 1e-3) << "just below the bottom";
      EXPECT_TRUE(r.frozen) << "waiting out the pause";
    }
    if (litAt < 0 && movedAt > 0 && r.alphaFactor == 1) litAt = t;
  });
  EXPECT_NEAR(goneAt, 0.3f, 0.03f) << "30 pixels up, completely outside";
  EXPECT_NEAR(darkAt - goneAt, 0.5f, 0.03f) << "the fade-out time";
  EXPECT_NEAR(movedAt - darkAt, 0.02f, 1e-3) << "moved across the next frame";
  EXPECT_NEAR(litAt - darkAt, 0.3f + 0.25f, 0.061f) << "the pause, then the fade-in time";
  EXPECT_FALSE(r.frozen);
  EXPECT_LT(r.position.y, 190.0f) << "moving up again";
}

TEST_F(FlowKind, BounceEdgesKeepOrReturnTheSprite) {
  auto contact = Start(Upwards(1));
  SpriteRecord& a = contact->Records()[0];
  a.position = {100, 40, 0};
  Run(*contact, 0, 2, [&](float) { EXPECT_GE(a.position.y - a.halfHeight, -1.01f); });
  EXPECT_EQ(a.direction.y, -1.0f) << "bounced once, heading down";

  ZT_FlowConstructor flow = Upwards(2);
  flow.edges[0].pauseMinMs = flow.edges[0].pauseMaxMs = 400;
  auto leaving = Start(flow);
  SpriteRecord& b = leaving->Records()[0];
  b.position = {100, 20, 0};
  float frozenFor = 0;
  Run(*leaving, 0, 2, [&](float) {
    if (b.frozen) {
      frozenFor += 0.02f;
      EXPECT_LE(b.position.y + b.halfHeight, 1.001f) << "waits outside, nudged one pixel in";
    }
  });
  EXPECT_NEAR(frozenFor, 0.4f, 0.05f);
  EXPECT_EQ(b.direction.y, -1.0f);
  EXPECT_GT(b.position.y, 50.0f) << "came back down";
}

TEST_F(FlowKind, CountFollowsVisibilityFromTwoSpritesOn) {
  ZT_FlowConstructor flow;
  flow.count.SetValue(1);
  auto one = Start(flow);
  SetVisibility(*one, TimeLineState::FadingIn, 0);
  EXPECT_EQ(one->DrawnCount(), 1u);
  flow.count.SetValue(10);
  auto ten = Start(flow);
  SetVisibility(*ten, TimeLineState::FadingIn, 0.55f);
  EXPECT_EQ(ten->DrawnCount(), 5u);
  EXPECT_EQ(ten->Records().size(), 10u);
}

TEST_F(FlowKind, RainFallsUprightAndFast) {
  ZT_RainConstructor rain;
  rain.count.SetValue(20);
  rain.size.SetValue(10);
  auto group = Start(rain);
  for (const SpriteRecord& r : group->Records()) {
    EXPECT_NEAR(r.right.x, 1, 1e-5);
    EXPECT_NEAR(r.up.y, 1, 1e-5);
  }
  const float y = group->Records()[0].position.y;
  group->Advance(0.01f);
  const SpriteRecord& r = group->Records()[0];
  EXPECT_NEAR(r.position.y - y, 2000 * r.scale * 0.01f, 0.05f) << "straight down";
}

}  // namespace
}  // namespace glimmer::testing
