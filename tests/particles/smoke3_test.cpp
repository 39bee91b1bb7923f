// Smoke over an area: its value before the spray's part; it plays as a spray with its own class
// kept by its runtime.

#include "particles/smoke3.h"

#include <gtest/gtest.h>

#include "tests/support/particle_kind_test.h"
#include "tests/support/scene_effect_test.h"

namespace glimmer::testing {
namespace {

TEST(Smoke3StoredForm, ItsValueThenTheSpraysPart) {
  QVX_SprayPtclSys spray;
  spray.rate.rate.SetValue(40);
  spray.life.SetValue(250);
  ZT_IOF_W own;
  own.WriteUInt32(12);
  ZT_PtclSmoke3 effect;
  ReadEffect(OwnBlockThenBase<QVX_SprayPtclSys>(own, spray), effect);
  EXPECT_EQ(effect.reserved.Value(), 12u);
  EXPECT_FLOAT_EQ(effect.rate.rate.Scaled(), 8.0f) << "the spray's scale";
  EXPECT_EQ(effect.life.Value(), 250u);
}

using Smoke3Kind = ParticleKindTest;

TEST_F(Smoke3Kind, PlaysAsASprayAndKeepsItsClass) {
  ZT_PtclSmoke3 effect;
  effect.timing.SetValue(1);      // no warm-up
  effect.rate.rate.SetValue(50);  // 10 a second
  auto runtime = Start(effect);
  EXPECT_NE(dynamic_cast<const ZT_PtclSmoke3*>(&runtime->Constructor()), nullptr);
  Run(*runtime, 0, 2);
  EXPECT_NEAR(double(runtime->Engine().Count()), 20.0, 1.0);
}

}  // namespace
}  // namespace glimmer::testing
