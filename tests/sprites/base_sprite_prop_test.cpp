// The sprite base: its two clocks at jumps, reversals and non-finite times,
// the alpha pulse at both ends, the bounds draws from state 1 and the
// cotangent at flat and upright angles.

#include "sprites/base_sprite_prop.h"

#include <gtest/gtest.h>

#include <cmath>

#include "params/random_source.h"

namespace glimmer::testing {
namespace {

// Counts its spawns and gives the record an opacity of its own.
class Spawner : public ZT_ParticleSystemCtrl {
 public:
  void SpawnSprite(SpriteRecord& r) override {
    ++spawns;
    r.alphaFactor = 0.7f;
  }
  int spawns = 0;
  std::shared_ptr<ZT_ABObj> CreateRuntime() const override { return nullptr; }
};

TEST(SpriteClocks, JumpsAreClampedAndGoingBackRestartsOnlyTheAnimation) {
  Spawner k;
  k.motionSpeed.SetValue(100);     // × 2
  k.animationSpeed.SetValue(300);  // × 3
  k.AdvanceClocks(1.0f);           // the first frame: a jump of a second
  EXPECT_NEAR(k.frameStep, 0.2f * 2, 1e-6);
  EXPECT_NEAR(k.animStep, 0.2f * 3, 1e-6);
  k.AdvanceClocks(1.05f);
  EXPECT_NEAR(k.frameStep, 0.05f * 2, 1e-5);
  EXPECT_NEAR(k.animStep, 0.05f * 3, 1e-5);
  k.AdvanceClocks(0.5f);
  EXPECT_NEAR(k.frameStep, 0.2f * 2, 1e-6) << "the motion clock moves on by the difference";
  EXPECT_EQ(k.animStep, 0.0f) << "the animation clock restarts from the new time";
  const float motion = k.motionTime, animation = k.animTime;
  k.AdvanceClocks(NAN);
  k.AdvanceClocks(INFINITY);
  EXPECT_EQ(k.motionTime, motion);
  EXPECT_EQ(k.animTime, animation);
  k.AdvanceClocks(0.6f);
  EXPECT_NEAR(k.frameStep, 0.1f * 2, 1e-5) << "measured from the last finite time";
  EXPECT_NEAR(k.animStep, 0.1f * 3, 1e-5);
}

TEST(SpritePulse, TurnsAtBothEndsAndRespawnsOnlyAtTheBottom) {
  Spawner k;
  k.pulseMin = 0.2f;
  k.pulseMax = 0.9f;
  k.frameStep = 0.1f;
  SpriteRecord r;
  r.alphaFactor = 0.85f;
  r.pulseRate = 1;
  k.PulseAlpha(r, true);
  EXPECT_FLOAT_EQ(r.alphaFactor, 0.9f);
  EXPECT_EQ(r.pulseRate, -1.0f);
  EXPECT_EQ(k.spawns, 0) << "the top never respawns";
  r.alphaFactor = 0.25f;
  k.PulseAlpha(r, true);
  EXPECT_EQ(k.spawns, 1);
  EXPECT_FLOAT_EQ(r.alphaFactor, 0.2f) << "the minimum after the spawn, not the spawn's value";
  EXPECT_EQ(r.pulseRate, 1.0f);
  r.alphaFactor = 0.25f;
  r.pulseRate = -1;
  k.PulseAlpha(r, false);
  EXPECT_EQ(k.spawns, 1);
  EXPECT_FLOAT_EQ(r.alphaFactor, 0.2f);
}

TEST(SpriteBounds, PointsDrawXThenYFromStateOneAndInsetByTheHalfSizes) {
  Spawner k;
  k.width = 200;
  k.height = 100;
  k.boundsLeft = 0.1f;
  k.boundsRight = 0.6f;
  k.boundsTop = 0.2f;
  k.boundsBottom = 1;
  const auto unit = [](int r) { return float(r) / 32767; };
  SeedRandom(1);
  const D3DXVECTOR3 p = k.RandomPointInBounds();
  EXPECT_NEAR(p.x, 20 + unit(41) * 100, 1e-3);
  EXPECT_NEAR(p.y, 20 + unit(18467) * 80, 1e-3);
  SpriteRecord r;
  r.halfWidth = 10;
  r.halfHeight = 5;
  const D3DXVECTOR3 q = k.RandomPointInsideBounds(r);
  EXPECT_NEAR(q.x, 30 + unit(6334) * 80, 1e-3);
  EXPECT_NEAR(q.y, 25 + unit(26500) * 70, 1e-3);
}

TEST(SpriteBounds, CotangentLeansNowhereAtFlatUprightAndBrokenAngles) {
  EXPECT_EQ(Cotangent(0), 0.0f);
  EXPECT_EQ(Cotangent(180), 0.0f);
  EXPECT_EQ(Cotangent(NAN), 0.0f);
  EXPECT_NEAR(Cotangent(90), 0.0f, 1e-6);
  EXPECT_NEAR(Cotangent(45), 1.0f, 1e-5);
  EXPECT_NEAR(Cotangent(135), -1.0f, 1e-5);
}

}  // namespace
}  // namespace glimmer::testing
