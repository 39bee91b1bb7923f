// One edge of a flowing stream: mirrored sprites leave only when wholly
// outside, a wrap lands just beyond the opposite edge of each of the four,
// zero fade times act at once, and edges leave other edges' sprites and
// unknown modes alone.

#include "sprites/bound_control.h"

#include <gtest/gtest.h>

#include "params/random_source.h"

namespace glimmer::testing {
namespace {

// A 200 × 100 stream within its whole slide.
struct Owner : ZT_ParticleSystemCtrl {
  Owner() {
    width = 200;
    height = 100;
  }
  std::shared_ptr<ZT_ABObj> CreateRuntime() const override { return nullptr; }
};

ZT_BoundControl EdgeOf(Edge edge, int32_t mode) {
  ZT_BoundControl b;
  b.edge = edge;
  b.mode.SetValue(mode);
  return b;
}

TEST(BoundControl, AMirroredSpriteLeavesOnlyWhenWhollyOutside) {
  const Owner o;
  for (Edge edge : {Edge::Left, Edge::Right}) {
    const bool left = edge == Edge::Left;
    SCOPED_TRACE(left ? "left" : "right");
    const ZT_BoundControl b = EdgeOf(edge, 2);
    SpriteRecord r;
    r.halfWidth = -10;  // mirrored
    r.halfHeight = 5;
    r.direction = {left ? -1.0f : 1.0f, 0, 0};
    r.position = {left ? -5.0f : 205.0f, 50, 0};
    EXPECT_FALSE(b.ApplyEdge(r, o)) << "half of it still shows";
    r.position.x = left ? -11.0f : 211.0f;
    EXPECT_TRUE(b.ApplyEdge(r, o));
    EXPECT_EQ(r.direction.x, left ? 1.0f : -1.0f);
    EXPECT_TRUE(r.frozen);
    EXPECT_EQ(r.edgeState, int32_t(edge));
  }
}

TEST(BoundControl, AWrapLandsJustBeyondTheOppositeEdge) {
  const Owner o;
  for (Edge edge : {Edge::Top, Edge::Bottom, Edge::Left, Edge::Right}) {
    SCOPED_TRACE(int(edge));
    const ZT_BoundControl b = EdgeOf(edge, 0);
    SpriteRecord r;
    r.halfWidth = 8;
    r.halfHeight = 4;
    r.alphaFactor = 0;
    const D3DXVECTOR3 outside[] = {{100, -10, 0}, {100, 110, 0}, {-20, 50, 0}, {220, 50, 0}};
    const float expected[] = {100 + 4 - 1, 0 - 4 + 1, 200 + 8 - 1, 0 - 8 + 1};
    r.position = outside[int(edge)];
    ASSERT_TRUE(b.ApplyEdge(r, o));
    const bool vertical = edge == Edge::Top || edge == Edge::Bottom;
    EXPECT_FLOAT_EQ(vertical ? r.position.y : r.position.x, expected[int(edge)]);
    const float along = vertical ? r.position.x : r.position.y;
    EXPECT_GE(along, 0.0f);
    EXPECT_LE(along, vertical ? 200.0f : 100.0f);
    EXPECT_TRUE(r.fadingIn);
    EXPECT_EQ(r.edgeState, int32_t(edge));
  }
}

TEST(BoundControl, ZeroFadeTimesActAtOnce) {
  Owner o;
  o.frameStep = 0.02f;
  o.motionTime = 3;
  ZT_BoundControl b = EdgeOf(Edge::Top, 0);
  b.pauseMinMs = b.pauseMaxMs = 100;
  SpriteRecord r;
  r.edgeState = int32_t(Edge::Top);
  r.alphaFactor = 0.6f;
  EXPECT_TRUE(b.ApplyEdge(r, o));
  EXPECT_EQ(r.alphaFactor, 0.0f) << "no fade-out time: gone at once";
  EXPECT_EQ(r.edgeState, -1);
  EXPECT_TRUE(r.frozen);
  EXPECT_FLOAT_EQ(r.pauseEnd, 3.1f);
  // Fading in after the pause, with no fade-in time.
  r.edgeState = int32_t(Edge::Top);
  r.fadingIn = true;
  r.pauseClock = r.pauseEnd;
  EXPECT_TRUE(b.ApplyEdge(r, o));
  EXPECT_FALSE(r.frozen);
  EXPECT_EQ(r.alphaFactor, 1.0f);
  EXPECT_EQ(r.edgeState, int32_t(Edge::Top)) << "released on the step after it is opaque";
  EXPECT_TRUE(b.ApplyEdge(r, o));
  EXPECT_EQ(r.edgeState, -1);
  EXPECT_FALSE(r.fadingIn);
}

TEST(BoundControl, LeavesOtherEdgesSpritesAndUnknownModesAlone) {
  const Owner o;
  SpriteRecord r;
  r.halfWidth = r.halfHeight = 5;
  r.position = {100, -50, 0};  // far above the top
  r.edgeState = int32_t(Edge::Left);
  EXPECT_FALSE(EdgeOf(Edge::Top, 1).ApplyEdge(r, o));
  r.edgeState = -1;
  const ZT_BoundControl odd = EdgeOf(Edge::Top, 7);
  SeedRandom(1);
  EXPECT_FALSE(odd.ApplyEdge(r, o)) << "never engages";
  r.edgeState = int32_t(Edge::Top);
  const SpriteRecord before = r;
  EXPECT_TRUE(odd.ApplyEdge(r, o)) << "handled, without action";
  EXPECT_EQ(r.position.y, before.position.y);
  EXPECT_EQ(RandomState(), 1u);
}

}  // namespace
}  // namespace glimmer::testing
