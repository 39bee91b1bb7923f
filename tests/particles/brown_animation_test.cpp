// The wandering kinds: a brownian layer keeps exactly its count inside its
// bounds (none at all for a count of 0), a restart with a non-zero timing
// selector makes the population again; fireflies take the appearance's
// colour and size, shed trails with their own look, count the scene copies
// of both glows, and read the trails of version 1 from their own look.

#include "particles/brown_animation.h"

#include <gtest/gtest.h>

#include "particles/firefly.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/particle_kind_test.h"

namespace glimmer::testing {
namespace {

using BrownianKind = ParticleKindTest;

template <class Kind>
Kind Swarm(uint32_t count, int32_t timing) {
  Kind s;
  s.count.SetValue(count);
  s.bounds.quad.SetCentered(200, 100, {160, 90, 0});
  s.keepIdentity = 1;
  s.timing.SetValue(timing);
  return s;
}

TEST_F(BrownianKind, KeepsItsCountInsideItsBoundsAndRepopulatesOnRestart) {
  for (int32_t timing : {0, 1}) {
    auto rt = Start(Swarm<QVX_BrownAnimation>(40, timing));
    EXPECT_EQ(rt->Engine().Count(), 40u);
    Run(*rt, 0, 10);
    EXPECT_EQ(rt->Engine().Count(), 40u);
    EXPECT_EQ(rt->QuadCount(), 40u);
    for (size_t i = 0; i < rt->Engine().Count(); ++i) {
      const D3DXVECTOR3 p = rt->Engine().At(i).position;
      // They may stray a little past the bounds before heading back.
      EXPECT_TRUE(p.x > 20 && p.x < 300 && p.y > 10 && p.y < 170) << p.x << ", " << p.y;
    }
    rt->Restart();
    EXPECT_EQ(rt->Engine().Count(), 40u) << "timing " << timing;
  }
  auto none = Start(Swarm<QVX_BrownAnimation>(0, 0));
  Run(*none, 0, 2);
  EXPECT_EQ(none->Engine().Count(), 0u);
  EXPECT_EQ(none->QuadCount(), 0u);
}

TEST_F(BrownianKind, FirefliesTakeTheirLookAndLeaveTrails) {
  QVX_Firefly s = Swarm<QVX_Firefly>(10, 1);
  s.appearance.colours.colours.SetValue({0x40C0FF});
  s.appearance.baseSize.SetValue(12);
  s.trails.life.SetValue(100);
  s.trails.rate.rate.SetValue(100);
  auto rt = Start(s);
  Run(*rt, 0, 2);
  auto& flies = static_cast<FireflySystem&>(*rt);
  ASSERT_EQ(rt->Engine().Count(), 10u);
  for (size_t i = 0; i < rt->Engine().Count(); ++i) {
    const Particle& p = rt->Engine().At(i);
    EXPECT_EQ(p.colour, 0x40C0FFu) << "the appearance's colour";
    EXPECT_NEAR(rt->Engine().SizeFactor(p), 1.0f, 1e-4f);
  }
  EXPECT_GT(flies.Trails().Count(), 10u);
  EXPECT_EQ(flies.TrailQuads(), flies.Trails().Count());
  EXPECT_EQ(rt->SceneCopyCount(), 0);
  s.appearance.glowMode.SetValue(2);
  s.trails.appearance.glowMode.SetValue(2);
  EXPECT_EQ(Start(s)->SceneCopyCount(), 2);
}

TEST(FireflyStoredForms, VersionOneTrailsTakeTheFirefliesLook) {
  QVX_Firefly in;
  in.appearance.name.SetValue(u"fly");
  in.appearance.baseSize.SetValue(21);
  in.appearance.glowMode.SetValue(1);
  in.trails.appearance.name.SetValue(u"trail");
  in.count.SetValue(7);
  for (int32_t v = 1; v <= 2; ++v) {
    const std::vector<uint8_t> bytes = WriteWith([&](Archive& ar) { in.Serialize(ar, 2); });
    QVX_Firefly out;
    ReadWith(bytes, [&](Archive& ar) { out.Serialize(ar, v); });
    EXPECT_EQ(out.count.Value(), 7u);
    EXPECT_EQ(out.trails.appearance.name.Value(), v < 2 ? u"fly" : u"trail");
    EXPECT_EQ(out.trails.appearance.baseSize.Value(), v < 2 ? 21u : 0u);
    EXPECT_EQ(out.trails.appearance.glowMode.Value(), v < 2 ? 1 : 0);
  }
}

}  // namespace
}  // namespace glimmer::testing
