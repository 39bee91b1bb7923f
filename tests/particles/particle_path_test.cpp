// The path kind: rate u = 27 emits 5.4 particles a second at full
// visibility and none while invisible; the warm-up covers one traversal;
// a speed of 0 neither hangs the start nor moves anything; particles stay
// within the width of the path and die at its end.

#include "particles/particle_path.h"

#include <gtest/gtest.h>

#include "tests/support/particle_kind_test.h"

namespace glimmer::testing {
namespace {

using PathKind = ParticleKindTest;

// A straight path of `length` pixels along y = 50.
QVX_ParticlePath Straight(float length) {
  QVX_ParticlePath kind;
  kind.path.AddPoint({0, 50, 0}, nullptr);
  kind.path.AddPoint({length, 50, 0}, nullptr);
  return kind;
}

TEST_F(PathKind, EmitsAtItsRateOnlyWhileVisible) {
  QVX_ParticlePath kind = Straight(300);
  kind.rate.rate.SetValue(27);
  kind.speed.SetValue(1);   // nobody reaches the end
  kind.timing.SetValue(1);  // no warm-up
  auto rt = Start(kind);
  SetVisibility(*rt, TimeLineState::Hidden, 0);
  Run(*rt, 0, 5);
  EXPECT_EQ(rt->Engine().Count(), 0u);
  SetVisibility(*rt, TimeLineState::Shown, 1);
  Run(*rt, 5, 15);
  EXPECT_NEAR(double(rt->Engine().Count()), 54.0, 1.0);
}

TEST_F(PathKind, WarmsUpOverOneTraversalAndStaysWithinItsWidth) {
  QVX_ParticlePath kind = Straight(200);
  kind.speed.SetValue(100);  // 2 s a traversal
  kind.width.SetValue(20);
  auto rt = Start(kind);
  const ParticleEngine& e = rt->Engine();
  ASSERT_GT(e.Count(), 30u);
  EXPECT_GT(e.At(0).age, 150.0f) << "the oldest has come most of the way";
  Run(*rt, 0, 3);
  for (size_t i = 0; i < e.Count(); ++i) {
    const Particle& p = e.At(i);
    ASSERT_LE(p.age, e.At(0).life);
    ASSERT_NEAR(p.position.y, 50.0f, 10.01f) << "half the width either side";
    ASSERT_GE(p.position.x, 0.0f);
    ASSERT_LE(p.position.x, 200.01f);
  }

  kind.speed.SetValue(0);
  auto still = Start(kind);  // an endless warm-up is none
  Run(*still, 0, 1);
  for (size_t i = 0; i < still->Engine().Count(); ++i)
    ASSERT_EQ(still->Engine().At(i).position.x, 0.0f);
}

}  // namespace
}  // namespace glimmer::testing
