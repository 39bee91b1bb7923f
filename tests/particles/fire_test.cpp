// Fire: an int and three values before the fountain's part; flames speed up
// along their emission direction by the appearance's gravity, whatever its
// physics flag says.

#include "particles/fire.h"

#include <gtest/gtest.h>

#include "tests/support/particle_kind_test.h"
#include "tests/support/scene_effect_test.h"

namespace glimmer::testing {
namespace {

TEST(PtclFireStoredForm, ItsFourValuesThenTheFountain) {
  QVX_FontainPtclSys fountain;
  fountain.rate.rate.SetValue(70);
  fountain.range.SetValue(33);
  ZT_IOF_W own;
  own.WriteLong(-1);
  for (uint32_t u : {4u, 5u, 6u}) own.WriteUInt32(u);
  ZT_PtclFire fire;
  ReadEffect(OwnBlockThenBase<QVX_FontainPtclSys>(own, fountain), fire);
  EXPECT_EQ(fire.reservedFlag.Value(), -1);
  EXPECT_EQ(fire.reserved1.Value(), 4u);
  EXPECT_EQ(fire.reserved2.Value(), 5u);
  EXPECT_EQ(fire.reserved3.Value(), 6u);
  EXPECT_EQ(fire.rate.rate.Value(), 70u);
  EXPECT_EQ(fire.range.Value(), 33u);
}

using PtclFireKind = ParticleKindTest;

TEST_F(PtclFireKind, FlamesAccelerateAlongTheirDirection) {
  struct Case {
    uint32_t angle;
    D3DXVECTOR3 acceleration;
  };
  // Gravity u = 4: 20 pixels per second squared; y grows downwards.
  for (const Case& c : {Case{90, {0, -20, 0}}, Case{0, {20, 0, 0}}, Case{180, {-20, 0, 0}}}) {
    SCOPED_TRACE(c.angle);
    ZT_PtclFire fire;
    fire.timing.SetValue(1);
    fire.direction.SetValue(c.angle);
    fire.spread.SetValue(0);
    fire.appearance.gravity.SetValue(4);
    fire.appearance.flags.SetValue(kPhysics);
    fire.appearance.gravityMode.SetValue(1);  // would pull down were it a fountain
    auto runtime = Start(fire);
    runtime->Advance(0.0f);
    runtime->Advance(0.1f);
    ASSERT_GT(runtime->Engine().Count(), 0u);
    const D3DXVECTOR3 a = runtime->Engine().At(0).acceleration;
    EXPECT_NEAR(a.x, c.acceleration.x, 1e-4);
    EXPECT_NEAR(a.y, c.acceleration.y, 1e-4);
    EXPECT_EQ(a.z, 0.0f);
  }
}

}  // namespace
}  // namespace glimmer::testing
