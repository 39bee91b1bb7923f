// The burst and the fountain: a burst follows its time line's visibility and
// bursts again after being hidden; older versions bring their gravity and
// envelopes; degenerate speeds and focal points stay finite; a fountain's
// warm-up is 50 steps whose births draw in their order from state 1.

#include "particles/burst.h"

#include <gtest/gtest.h>

#include "params/random_source.h"
#include "particles/fountain.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/particle_kind_test.h"

namespace glimmer::testing {
namespace {

using BurstKind = ParticleKindTest;

TEST_F(BurstKind, FollowsItsTimeLineAndBurstsAgainAfterBeingHidden) {
  QVX_BurstPtclSys burst;
  burst.total.SetValue(100);  // life: range 200 ÷ speed 100 = 2 s
  auto rt = Start(burst);
  SetVisibility(*rt, TimeLineState::FadingIn, 0.25f);
  rt->Advance(0.02f);
  EXPECT_EQ(rt->Engine().Count(), 25u) << "a quarter visible: a quarter of the total";
  SetVisibility(*rt, TimeLineState::Shown, 1);
  rt->Advance(0.04f);
  EXPECT_EQ(rt->Engine().Count(), 100u);
  rt->Advance(0.06f);
  EXPECT_EQ(rt->Engine().Count(), 100u) << "the total is reached";
  SetVisibility(*rt, TimeLineState::Hidden, 0);
  rt->Advance(0.08f);
  SetVisibility(*rt, TimeLineState::Shown, 1);
  rt->Advance(0.10f);
  EXPECT_EQ(rt->Engine().Count(), 200u) << "a second burst beside the first";
}

TEST_F(BurstKind, DegenerateSpeedsAndFocalPointsStayFinite) {
  const auto finite = [](const ParticleEngine& e) {
    for (size_t i = 0; i < e.Count(); ++i) {
      if (!Finite(e.At(i).velocity) || !Finite(e.At(i).position)) return false;
    }
    return true;
  };
  // Spreads whose edges meet nowhere (0, a full turn) or straight ahead.
  for (uint32_t spread : {0u, 180u, 360u}) {
    QVX_BurstPtclSys burst;
    burst.offset.SetValue(1);
    burst.offsetRadius.SetValue(30);
    burst.spread.SetValue(spread);
    burst.threeD.SetValue(spread == 180);
    auto rt = Start(burst);
    rt->Advance(0.02f);
    EXPECT_EQ(rt->Engine().Count(), 100u);
    EXPECT_TRUE(finite(rt->Engine())) << "spread " << spread;
  }
  // No speed: a life of range ÷ 0 is endless; the particles stay put.
  QVX_BurstPtclSys still;
  still.speed.SetValue(0);
  auto rt = Start(still);
  rt->Advance(0.02f);
  EXPECT_TRUE(finite(rt->Engine()));
  Run(*rt, 0.02f, 3.0f);
  EXPECT_EQ(rt->Engine().Count(), 100u) << "none dies";
  EXPECT_TRUE(finite(rt->Engine()));
}

TEST_F(BurstKind, AFullTurnOfSpreadWithTheOffsetFlagSendsEveryParticleOneWay) {
  // The focal point of a 360 degree spread lies infinitely far along the
  // direction: every particle flies that way, wherever it starts.
  QVX_BurstPtclSys burst;
  burst.offset.SetValue(1);
  burst.offsetRadius.SetValue(30);
  burst.spread.SetValue(360);
  burst.direction.SetValue(90);  // up the screen
  burst.appearance.gravityMode.SetValue(0);
  auto rt = Start(burst);
  rt->Advance(0.02f);
  ASSERT_EQ(rt->Engine().Count(), 100u);
  const D3DXVECTOR4& d = burst.direction.Direction();
  for (size_t i = 0; i < rt->Engine().Count(); ++i) {
    const D3DXVECTOR3 v = rt->Engine().At(i).velocity;
    const float speed = Length(v);
    ASSERT_GT(speed, 0.0f);
    EXPECT_NEAR(v.x / speed, d.x, 1e-4) << i;
    EXPECT_NEAR(v.y / speed, -d.y, 1e-4) << i;
  }
}

TEST(BurstStoredForms, OlderVersionsSetTheGravityAndTheEnvelopesOfTheirTime) {
  for (int32_t v = 1; v <= 4; ++v) {
    ZT_IOF_W w;
    for (float c : {10.0f, 20.0f, 0.0f}) w.WriteFloat(c);
    for (uint32_t u : {50u, 30u, 120u}) w.WriteUInt32(u);  // total, speed, range
    w.WriteLong(0);
    w.WriteUInt32(45);  // direction
    w.WriteUInt32(90);  // spread
    if (v < 4) {
      w.WriteUInt32(7);  // gravity u
      w.WriteLong(1);    // upwards
    }
    if (v > 1) {
      w.WriteLong(1);
      w.WriteUInt32(12);
    }
    WriteOldParticleBase(w);
    QVX_BurstPtclSys b;
    ReadWith(w.Take(), [&](Archive& ar) { b.Serialize(ar, v); });
    SCOPED_TRACE("version " + std::to_string(v));
    EXPECT_EQ(b.point.position, (D3DXVECTOR3{10, 20, 0}));
    EXPECT_FLOAT_EQ(b.speed.Scaled(), 120.0f);
    EXPECT_NEAR(b.direction.Direction().x, std::sqrt(0.5f), 1e-6);
    EXPECT_EQ(b.offsetRadius.Value(), v > 1 ? 12u : 0u);
    const ParticleAppearance& a = b.appearance;
    EXPECT_EQ(a.gravityMode.Value(), v < 4 ? 2 : 0);
    EXPECT_FLOAT_EQ(a.gravity.Scaled(), v < 4 ? 35.0f : 0.0f);
    EXPECT_EQ(a.opacityEnvelope.fallStart.Value(), v < 3 ? 60u : 100u);
  }
  // The fountain's first version stores the burst's older fields itself.
  ZT_IOF_W w;
  w.WriteUInt32(40);  // rate u
  for (float c : {1.0f, 2.0f, 3.0f}) w.WriteFloat(c);
  for (uint32_t u : {30u, 120u}) w.WriteUInt32(u);
  w.WriteLong(1);
  w.WriteUInt32(90);
  w.WriteUInt32(20);
  w.WriteUInt32(4);
  w.WriteLong(0);
  WriteOldParticleBase(w);
  QVX_FontainPtclSys f;
  ReadWith(w.Take(), [&](Archive& ar) { f.Serialize(ar, 1); });
  EXPECT_FLOAT_EQ(f.rate.rate.Scaled(), 8.0f);
  EXPECT_EQ(f.threeD.Value(), 1);
  EXPECT_EQ(f.appearance.gravityMode.Value(), 1);
  EXPECT_EQ(f.appearance.opacityEnvelope.riseEnd.Value(), 10u);
}

TEST_F(BurstKind, AFountainWarmsUpInFiftyStepsDrawingInItsOrder) {
  EXPECT_EQ(ParticleSystemRuntime::WarmUpSteps(5.0f), 50);
  EXPECT_EQ(ParticleSystemRuntime::WarmUpSteps(8.0f), 80);
  EXPECT_EQ(ParticleSystemRuntime::WarmUpSteps(INFINITY), 0);
  EXPECT_EQ(ParticleSystemRuntime::WarmUpSteps(1e30f), int(kMaxWarmUpSeconds * 10));
  QVX_FontainPtclSys fountain;
  fountain.rate.rate.SetValue(50);  // 10 a second: one a step
  fountain.range.SetValue(10000);   // nobody dies during the warm-up
  SeedRandom(1);
  auto rt = Start(fountain);
  const int32_t after = NextRandom();
  ASSERT_EQ(rt->Engine().Count(), 50u);
  // Per birth: cell (2), colour phase, spin, rnd1, rnd2, orientation, the
  // direction and the distance from the point (9 draws).
  SeedRandom(1);
  for (int k = 0; k < 50 * 9; ++k) NextRandom();
  EXPECT_EQ(after, NextRandom());
  // The oldest was born at the first step and has lived 49 more.
  EXPECT_NEAR(rt->Engine().At(0).age, 4.9f, 1e-4);
}

TEST_F(BurstKind, ARestartWarmsUpOnTopOfTheSurvivorsUnlessTimed) {
  // A layer shown again warms up over what it still holds; one on a time
  // line starts empty.
  for (const int32_t timing : {0, 1}) {
    SCOPED_TRACE(timing);
    QVX_FontainPtclSys fountain;
    fountain.rate.rate.SetValue(50);  // one a warm-up step
    fountain.range.SetValue(10000);   // nobody dies
    fountain.timing.SetValue(timing);
    auto rt = Start(fountain);
    Run(*rt, 0, 1);
    const size_t held = rt->Engine().Count();
    if (timing == 0) {
      ASSERT_GE(held, 50u) << "the warm-up's and the second's";
    }
    rt->Restart();
    EXPECT_EQ(rt->Engine().Count(), timing == 0 ? held + 50 : 0u);
  }
}

}  // namespace
}  // namespace glimmer::testing
