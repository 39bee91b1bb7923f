// Light beams: nothing of its own before the fountain's part; it plays as a fountain with its own
// class kept by its runtime.

#include "particles/light_beams.h"

#include <gtest/gtest.h>

#include "tests/support/particle_kind_test.h"
#include "tests/support/scene_effect_test.h"

namespace glimmer::testing {
namespace {

TEST(LightBeamsStoredForm, TheFountainsPartAlone) {
  QVX_FontainPtclSys fountain;
  fountain.rate.rate.SetValue(40);
  fountain.range.SetValue(77);
  ZT_IOF_W own;
  ZT_LightBeams effect;
  ReadEffect(OwnBlockThenBase<QVX_FontainPtclSys>(own, fountain), effect);
  EXPECT_FLOAT_EQ(effect.rate.rate.Scaled(), 8.0f) << "the fountain's scale";
  EXPECT_EQ(effect.range.Value(), 77u);
}

using LightBeamsKind = ParticleKindTest;

TEST_F(LightBeamsKind, PlaysAsAFountainAndKeepsItsClass) {
  ZT_LightBeams effect;
  effect.timing.SetValue(1);      // no warm-up
  effect.rate.rate.SetValue(50);  // 10 a second
  effect.range.SetValue(10000);
  auto runtime = Start(effect);
  EXPECT_NE(dynamic_cast<const ZT_LightBeams*>(&runtime->Constructor()), nullptr);
  Run(*runtime, 0, 2);
  EXPECT_NEAR(double(runtime->Engine().Count()), 20.0, 1.0);
}

}  // namespace
}  // namespace glimmer::testing
