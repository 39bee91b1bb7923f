// The trail emitter: a parent's trail draws its place, the appearance and
// its flight in order from state 1; no life or no travel keeps velocities
// finite; stored versions 1 to 4.

#include "particles/particle_tracer.h"

#include <gtest/gtest.h>

#include <cmath>

#include "params/random_source.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/particle_kind_test.h"

namespace glimmer::testing {
namespace {

constexpr int32_t kFromOne[] = {41,    18467, 6334,  26500, 19169, 15724,
                                11478, 29358, 26962, 24464, 5705,  28145};
float Unit(int k) {
  return float(kFromOne[k]) / 32767.0f;
}
constexpr float kRadiansPerDegree = 3.14159265358979f / 180.0f;

TEST(ParticleTracer, ATrailDrawsItsPlaceAppearanceAndFlightInOrderFromStateOne) {
  ParticleAppearance pa;
  ParticleEngine parents(pa, u"parents");
  ASSERT_TRUE(parents.Spawn({100, 50, 0}));  // rnd1 1, no direction: drawn at its position
  QVX_ParticleTracer tracer;
  tracer.life.SetValue(200);       // 2 s
  tracer.spread.SetValue(100);     // a circle as wide as the parent
  tracer.travel.SetValue(100);     // 1.0
  tracer.rate.rate.SetValue(100);  // 20 a second: one in 0.05 s
  SeedRandom(1);
  tracer.EmitTrails(10, 0.05f, parents);
  ASSERT_EQ(tracer.Engine().Count(), 1u);
  const Particle& p = tracer.Engine().At(0);
  // The circle: radius in [0, 5], then the angle; then the appearance's
  // seven draws; then the flight: a speed in [0, 10] and its angle.
  const float r = Unit(0) * 5, a = Unit(1) * 360 * kRadiansPerDegree;
  const float s = Unit(9) * 10, b = Unit(10) * 360 * kRadiansPerDegree;
  const D3DXVECTOR3 v{s * std::cos(b) * 0.5f, -s * std::sin(b) * 0.5f, 0};
  EXPECT_NEAR(p.velocity.x, v.x, 1e-4);
  EXPECT_NEAR(p.velocity.y, v.y, 1e-4);
  EXPECT_NEAR(p.position.x, 100 + r * std::cos(a) + v.x * 0.05f, 1e-3) << "born, then stepped";
  EXPECT_NEAR(p.position.y, 50 - r * std::sin(a) + v.y * 0.05f, 1e-3);
  EXPECT_FLOAT_EQ(p.rnd1, Unit(6));
  EXPECT_EQ(p.rnd2, 0.0f);
  EXPECT_FLOAT_EQ(p.age, 0.05f);
  EXPECT_EQ(NextRandom(), kFromOne[11]) << "nothing else was drawn";
}

TEST(ParticleTracer, NoLifeOrNoTravelKeepsVelocitiesFinite) {
  ParticleAppearance pa;
  ParticleEngine parents(pa, u"parents");
  ASSERT_TRUE(parents.Spawn({0, 0, 0}));
  QVX_ParticleTracer tracer;
  tracer.spread.SetValue(100);
  tracer.travel.SetValue(0);  // −1: back towards the parent
  tracer.EmitTrails(10, 1.0f, parents);
  EXPECT_EQ(tracer.Engine().Count(), 0u) << "no life, no trails";
  ParticleEngine& e = tracer.Engine();
  ASSERT_TRUE(e.Spawn({3, 4, 0}));
  tracer.Launch(0, {0, 0, 0}, 10);
  EXPECT_EQ(e.At(0).velocity, (D3DXVECTOR3{})) << "no life: no velocity rather than infinity";
  tracer.life.SetValue(50);  // 0.5 s
  ASSERT_TRUE(e.Spawn({3, 4, 0}));
  tracer.Launch(1, {0, 0, 0}, 10);
  EXPECT_EQ(e.At(1).velocity, (D3DXVECTOR3{-6, -8, 0})) << "back to the origin in half a life";
}

TEST(ParticleTracerStoredForm, ReadsVersionsOneToFour) {
  ParticleAppearance trail;
  trail.baseSize.SetValue(12);
  const std::vector<uint8_t> fields =
      WriteWith([&](Archive& ar) { trail.SerializeFields(ar, 11); });
  for (int32_t v = 1; v <= 4; ++v) {
    SCOPED_TRACE("version " + std::to_string(v));
    ZT_IOF_W w;
    w.WriteLong(v);
    if (v > 1) {
      w.WriteLong(11);
      w.WriteString(u"Trail");
      w.WriteBytes(fields);
    }
    w.WriteUInt32(30);   // rate u: 6 a second
    w.WriteUInt32(150);  // life u: 1.5 s
    if (v < 2) w.WriteUInt32(12);
    w.WriteUInt32(40);  // spread u
    w.WriteUInt32(75);  // travel u: 0.5
    if (v < 4) w.WriteLong(0);
    QVX_ParticleTracer t;
    ReadWith(w.Take(), [&](Archive& ar) { t.Serialize(ar); });
    const ParticleAppearance& a = t.appearance;
    EXPECT_FLOAT_EQ(t.rate.rate.Scaled(), 6.0f);
    EXPECT_FLOAT_EQ(t.life.Scaled(), 1.5f);
    EXPECT_FLOAT_EQ(t.travel.Scaled(), 0.5f);
    EXPECT_EQ(a.baseSize.Value(), 12u);
    EXPECT_EQ(a.name.Value(), v > 1 ? u"Trail" : u"");
    EXPECT_EQ((a.flags.Value() & kPhysics) != 0, v < 4);
    EXPECT_EQ(a.sizeEnvelope.fallStart.Value(), v < 3 ? 0u : 100u);
    EXPECT_EQ(a.opacityEnvelope.riseEnd.Value(), v < 3 ? 10u : 0u);
  }
}

}  // namespace
}  // namespace glimmer::testing
