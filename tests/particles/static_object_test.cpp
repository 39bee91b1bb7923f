// Single sprites: a standing sprite turns about its centre at its turn
// speed (clockwise, or counter-clockwise), stands upright without one, and
// fades with the layer; a sprite on a path runs to its end and back for
// ever at the same speed whatever the frame rate, starts again at the first
// point on a restart and stays put on a path without length.

#include "particles/static_object.h"

#include <gtest/gtest.h>

#include <cmath>

#include "particles/single_object_path.h"
#include "tests/support/particle_kind_test.h"

namespace glimmer::testing {
namespace {

using SingleSpriteKind = ParticleKindTest;

QVX_StaticObject Standing(uint32_t turnU, int32_t counterClockwise) {
  QVX_StaticObject s;
  s.quad.SetCentered(40, 20, {100, 50, 0});
  s.turnSpeed.SetValue(turnU);
  s.counterClockwise.SetValue(counterClockwise);
  s.angle = 77;  // whatever it had: a turning sprite goes on from there
  return s;
}

TEST_F(SingleSpriteKind, AStandingSpriteTurnsAboutItsCentreOrStandsUpright) {
  for (auto [u, ccw, expected] : {std::tuple{0u, 0, 0.0f}, {100u, 0, 117.0f}, {100u, 1, 37.0f}}) {
    auto rt = Start(Standing(u, ccw));
    Run(*rt, 0, 1);
    auto& s = static_cast<StaticObjectSystem&>(*rt).settings();
    EXPECT_NEAR(s.angle, expected, 0.01f) << "u " << u << " ccw " << ccw;
    // The centre stays where it is; a corner turns with the angle.
    const D3DXMATRIX& m = rt->Quads().World;
    D3DXVECTOR3 centre{100, 50, 0}, corner{120, 50, 0}, c, k;
    D3DXVec3TransformCoord(&c, &centre, &m);
    D3DXVec3TransformCoord(&k, &corner, &m);
    EXPECT_NEAR(c.x, 100, 1e-3f);
    EXPECT_NEAR(c.y, 50, 1e-3f);
    const float a = expected * 3.14159265f / 180;
    EXPECT_NEAR(k.x, 100 + 20 * std::cos(a), 1e-3f);
    EXPECT_NEAR(k.y, 50 + 20 * std::sin(a), 1e-3f) << "clockwise on screen: towards +y";
  }
  // Half visible: half the alpha.
  auto rt = Start(Standing(0, 0));
  SetVisibility(*rt, TimeLineState::FadingIn, 0.5f);
  rt->Advance(0.02f);
  const DX_V::PCT* v = static_cast<const DX_V::PCT*>(rt->Quads().VertexBuffer->Lock(0, 0));
  EXPECT_EQ(v[0].color, 0x80FFFFFFu);
  EXPECT_FLOAT_EQ(v[0].x, 80.0f);
  EXPECT_FLOAT_EQ(v[0].y, 60.0f) << "vertex 0 is corner 1, the bottom left";
  rt->Quads().VertexBuffer->Unlock();
}

QVX_SigleObjectPath Walker() {
  QVX_SigleObjectPath s;
  s.keepIdentity = 0;     // placed on the target
  s.speed.SetValue(100);  // 10 a second: 600 pixels a second
  return s;
}

TEST_F(SingleSpriteKind, ASpriteOnThePathRunsBackAndForthAtAnyFrameRate) {
  // The default path: (W/3, H/2) to (2W/3, H/2) on 320 × 180.
  std::vector<float> xs;
  for (float fps : {30.0f, 60.0f, 120.0f}) {
    auto rt = Start(Walker());
    auto& walker = static_cast<SingleObjectPathSystem&>(*rt);
    EXPECT_NEAR(walker.Walker().position.x, 320.0f / 3, 1e-3f);
    Run(*rt, 0, 0.1f, fps);
    xs.push_back(walker.Walker().position.x);
    float lo = 1e9f, hi = -1e9f;
    for (int k = 1; k <= int(fps) * 2; ++k) {
      rt->Advance(0.1f + k / fps);
      lo = std::min(lo, walker.Walker().position.x);
      hi = std::max(hi, walker.Walker().position.x);
      ASSERT_NEAR(walker.Walker().position.y, 90.0f, 1e-3f);
    }
    EXPECT_NEAR(lo, 320.0f / 3, 12.0f);
    EXPECT_NEAR(hi, 640.0f / 3, 12.0f);
    rt->Restart();
    EXPECT_NEAR(walker.Walker().position.x, 320.0f / 3, 1e-3f) << "back at the first point";
    EXPECT_TRUE(walker.Walker().forward);
  }
  EXPECT_NEAR(xs[0], xs[1], 0.5f);
  EXPECT_NEAR(xs[1], xs[2], 0.5f);
  EXPECT_NEAR(xs[1], 320.0f / 3 + 60.0f, 0.5f) << "600 pixels a second for 0.1 s";

  // Points that are all the same: the sprite stays and draws nothing odd.
  QVX_SigleObjectPath still = Walker();
  still.keepIdentity = 1;
  still.path.AddPoint({50, 50, 0}, nullptr);
  still.path.AddPoint({50, 50, 0}, nullptr);
  still.path.AddPoint({50, 50, 0}, nullptr);
  auto rt = Start(still);
  Run(*rt, 0, 1);
  EXPECT_EQ(rt->QuadCount(), 0u);
}

TEST(PolylineWalker, CrossesZeroLengthSegmentsAndTurnsAtBothEnds) {
  const std::vector<D3DXVECTOR3> q = {{0, 0, 0}, {10, 0, 0}, {10, 0, 0}, {20, 0, 0}};
  PolylineWalker w;
  ASSERT_TRUE(w.Walk(q, 15));
  EXPECT_FLOAT_EQ(w.position.x, 15);
  ASSERT_TRUE(w.Walk(q, 10));
  EXPECT_FLOAT_EQ(w.position.x, 15) << "turned at the end";
  EXPECT_FALSE(w.forward);
  ASSERT_TRUE(w.Walk(q, 1000 * 40 + 3));
  EXPECT_NEAR(w.position.x, 12, 1e-3f) << "whole round trips change nothing";
  PolylineWalker one;
  EXPECT_FALSE(one.Walk({{1, 2, 3}}, 5));
}

}  // namespace
}  // namespace glimmer::testing
