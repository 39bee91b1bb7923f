// The vortex: newborns leave the centre within their arm, arms turn with
// the accumulated twist in the direction the twist reverse says and stay
// put without a twist speed; no arms counts as one, no radial speed emits
// nothing, and particles swirl around the centre.

#include "particles/vortex.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/particle_kind_test.h"

namespace glimmer::testing {
namespace {

using VortexKind = ParticleKindTest;

// The birth direction of the newest particle in degrees, counter-clockwise
// on screen (it is still at the centre: the vortex has not turned it yet).
float NewestAngle(ParticleSystemRuntime& rt) {
  const Particle& p = rt.Engine().At(rt.Engine().Count() - 1);
  return std::atan2(-p.velocity.y, p.velocity.x) * 180.0f / 3.14159265f;
}

// Degrees from b to a in (−180, 180].
float Turn(float a, float b) {
  float d = std::fmod(a - b, 360.0f);
  if (d > 180) d -= 360;
  if (d <= -180) d += 360;
  return d;
}

QVX_VortexPtclSys OneArm(uint32_t twistU, int32_t reverse) {
  QVX_VortexPtclSys v;
  v.centre.position = {160, 90, 0};
  v.timing.SetValue(1);     // no warm-up
  v.rate.rate.SetValue(5);  // one a second: every newborn is the first of its step
  v.arms.SetValue(30);
  v.arms.Spread.SetValue(10);
  v.armCount.SetValue(1);
  v.reach.SetValue(100000);  // nobody dies
  v.twistSpeed.SetValue(twistU);
  v.twistReverse.SetValue(reverse);
  return v;
}

TEST_F(VortexKind, ArmsTurnWithTheTwistOrStayWithoutIt) {
  for (auto [twistU, reverse] : {std::pair{0u, 0}, {15u, 0}, {15u, 1}}) {
    SCOPED_TRACE("twist u " + std::to_string(twistU) + " reverse " + std::to_string(reverse));
    auto rt = Start(OneArm(twistU, reverse));
    auto* vortex = static_cast<VortexSystem*>(rt.get());
    size_t seen = 0;
    for (int k = 1; k <= 400; ++k) {
      rt->Advance(float(k) / 50);
      if (rt->Engine().Count() == seen) continue;
      seen = rt->Engine().Count();
      const float turn = twistU == 0 ? 0.0f
                         : reverse   ? vortex->TwistAngle()
                                     : -vortex->TwistAngle();
      EXPECT_LE(std::fabs(Turn(NewestAngle(*rt), 30 + turn)), 5.01f) << "at " << float(k) / 50;
    }
    EXPECT_GE(seen, 7u);
    if (twistU != 0) {
      EXPECT_NEAR(vortex->TwistAngle(), 8 * 30.0f, 0.5f) << "30° a second";
    }
  }
}

TEST_F(VortexKind, NoArmsNoRadialSpeedAndTheSwirl) {
  QVX_VortexPtclSys v = OneArm(0, 0);
  v.armCount.SetValue(0);
  v.rate.rate.SetValue(500);
  auto rt = Start(v);
  Run(*rt, 0, 2);
  ASSERT_GT(rt->Engine().Count(), 100u) << "no arm counts as one";
  // The swirl: a particle away from the centre moves around it, not only out.
  const Particle& p = rt->Engine().At(0);
  const D3DXVECTOR3 d = p.position - v.centre.position;
  const float cross = d.x * p.velocity.y - d.y * p.velocity.x;
  EXPECT_GT(std::fabs(cross) / (Length(d) * Length(p.velocity)), 0.5f);

  v.radialSpeed.SetValue(0);
  auto still = Start(v);
  Run(*still, 0, 2);
  EXPECT_EQ(still->Engine().Count(), 0u) << "nothing would ever leave the centre";
}

}  // namespace
}  // namespace glimmer::testing
