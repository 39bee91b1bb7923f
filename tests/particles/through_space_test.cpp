// The fly-through: a particle born inwards at depth 1 reaches depth 0 at
// age 5, after 2.5 s of flight (it is stepped twice a frame); the first
// version flies at its texture speed and the older ones bring their
// envelopes.

#include "particles/through_space.h"

#include <gtest/gtest.h>

#include "tests/support/archive_helpers.h"
#include "tests/support/particle_kind_test.h"

namespace glimmer::testing {
namespace {

using ThroughSpaceKind = ParticleKindTest;

TEST_F(ThroughSpaceKind, InwardParticlesReachTheEyeAfterHalfTheirLifeOfFlight) {
  QVX_ThroughSpaceCtrl kind;
  kind.timing.SetValue(1);     // no warm-up
  kind.rate.rate.SetValue(5);  // one a second
  kind.rectangle.quad.SetCentered(100, 100, {160, 90, 0});
  kind.focus.SetValue({160, 90, 0});
  auto rt = Start(kind);
  float t = 0, born = -1;
  for (int k = 1; k <= 300 && born < 0; ++k) {
    t = float(k) / 50;
    rt->Advance(t);
    if (rt->Engine().Count() > 0) born = t;
  }
  ASSERT_GE(born, 0);
  EXPECT_FLOAT_EQ(rt->Engine().At(0).position.z, 1.0f);
  while (rt->Engine().At(0).age < 4.9f) rt->Advance(t += 0.02f);
  const Particle& p = rt->Engine().At(0);
  EXPECT_NEAR(t - born, p.age / 2, 0.01f) << "two steps a frame";
  EXPECT_NEAR(p.position.z, 1.0f - 0.2f * p.age, 1e-4f) << "depth 0 at age 5";
}

TEST(ThroughSpaceStoredForms, TheFirstVersionFliesAtItsTextureSpeed) {
  for (int32_t v = 1; v <= 3; ++v) {
    ZT_IOF_W w;
    w.WriteUInt32(30);  // rate u
    for (int i = 0; i < 12; ++i) w.WriteFloat(float(i));
    w.WriteUInt32(10);
    w.WriteLong(1);
    for (float c : {7.f, 8.f, 0.f}) w.WriteFloat(c);
    w.WriteBool(true);  // outward
    if (v > 1) w.WriteUInt32(250);
    WriteOldParticleBase(w, 40);
    QVX_ThroughSpaceCtrl s;
    s.appearance.textureSpeed.SetValue(1);
    ReadWith(w.Take(), [&](Archive& ar) { s.Serialize(ar, v); });
    SCOPED_TRACE("version " + std::to_string(v));
    EXPECT_TRUE(s.outward);
    EXPECT_EQ(s.focus.Value(), (D3DXVECTOR3{7, 8, 0}));
    EXPECT_EQ(s.flightSpeed.Value(), v > 1 ? 250u : 40u);
    EXPECT_EQ(s.appearance.textureSpeed.Value(), v > 1 ? 40u : 100u);
    EXPECT_EQ(s.appearance.opacityEnvelope.fallStart.Value(), v < 3 ? 90u : 100u);
  }
}

}  // namespace
}  // namespace glimmer::testing
