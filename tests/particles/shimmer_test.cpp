// Shimmer: nothing of its own before the spray's part; it plays as a spray with its own class kept
// by its runtime.

#include "particles/shimmer.h"

#include <gtest/gtest.h>

#include "tests/support/particle_kind_test.h"
#include "tests/support/scene_effect_test.h"

namespace glimmer::testing {
namespace {

TEST(ShimmerStoredForm, TheSpraysPartAlone) {
  QVX_SprayPtclSys spray;
  spray.rate.rate.SetValue(40);
  spray.life.SetValue(250);
  ZT_IOF_W own;

  ZT_Shimmer effect;
  ReadEffect(OwnBlockThenBase<QVX_SprayPtclSys>(own, spray), effect);

  EXPECT_FLOAT_EQ(effect.rate.rate.Scaled(), 8.0f) << "the spray's scale";
  EXPECT_EQ(effect.life.Value(), 250u);
}

using ShimmerKind = ParticleKindTest;

TEST_F(ShimmerKind, PlaysAsASprayAndKeepsItsClass) {
  ZT_Shimmer effect;
  effect.timing.SetValue(1);      // no warm-up
  effect.rate.rate.SetValue(50);  // 10 a second
  auto runtime = Start(effect);
  EXPECT_NE(dynamic_cast<const ZT_Shimmer*>(&runtime->Constructor()), nullptr);
  Run(*runtime, 0, 2);
  EXPECT_NEAR(double(runtime->Engine().Count()), 20.0, 1.0);
}

}  // namespace
}  // namespace glimmer::testing
