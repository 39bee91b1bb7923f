// Smoke: a value and the wind before the fountain's part; u = 50 is calm
// and u = 60 blows at 100 pixels a second to the right; the appearance's
// physics is off for the playing copy only.

#include "particles/smoke.h"

#include <gtest/gtest.h>

#include "tests/support/particle_kind_test.h"
#include "tests/support/scene_effect_test.h"

namespace glimmer::testing {
namespace {

TEST(PtclSmokeStoredForm, ItsValueAndTheWindThenTheFountain) {
  QVX_FontainPtclSys fountain;
  fountain.spread.SetValue(12);
  ZT_IOF_W own;
  own.WriteUInt32(3);
  own.WriteUInt32(60);
  ZT_PtclSmoke smoke;
  ReadEffect(OwnBlockThenBase<QVX_FontainPtclSys>(own, fountain), smoke);
  EXPECT_EQ(smoke.reserved.Value(), 3u);
  EXPECT_FLOAT_EQ(smoke.wind.Scaled(), 100.0f);
  EXPECT_EQ(smoke.spread.Value(), 12u);
  EXPECT_FLOAT_EQ(ZT_PtclSmoke().wind.Scaled(), 0.0f) << "a new layer is calm";
}

using PtclSmokeKind = ParticleKindTest;

TEST_F(PtclSmokeKind, TheWindCarriesItAndNoGravityPullsIt) {
  for (uint32_t wind : {50u, 60u}) {
    SCOPED_TRACE(wind);
    ZT_PtclSmoke smoke;
    smoke.timing.SetValue(1);
    smoke.wind.SetValue(wind);
    smoke.direction.SetValue(90);
    smoke.spread.SetValue(0);
    smoke.speed.SetValue(10);  // 40 pixels a second upwards
    smoke.range.SetValue(1000);
    smoke.appearance.flags.SetValue(kPhysics);
    smoke.appearance.gravityMode.SetValue(1);
    smoke.appearance.gravity.SetValue(20);
    smoke.appearance.airResistance.SetValue(50);  // coupling 0.5
    auto runtime = Start(smoke);
    Run(*runtime, 0, 6);
    const Particle& oldest = runtime->Engine().At(0);
    EXPECT_EQ(oldest.acceleration, (D3DXVECTOR3{})) << "no gravity";
    EXPECT_LE(oldest.velocity.y, 0.0f) << "still rising or at rest, never falling";
    if (wind == 50) {
      EXPECT_NEAR(oldest.velocity.x, 0.0f, 1e-4);
    } else {
      EXPECT_GT(oldest.velocity.x, 90.0f);
      EXPECT_LE(oldest.velocity.x, 100.01f);
    }
    // The stored layer keeps its flag; only the playing copy lost it.
    EXPECT_EQ(smoke.appearance.flags.Value() & kPhysics, kPhysics);
    const auto& playing = static_cast<const ZT_PtclSmoke&>(runtime->Constructor());
    EXPECT_EQ(playing.appearance.flags.Value() & kPhysics, 0);
  }
}

}  // namespace
}  // namespace glimmer::testing
