// Fire stream: its value before the fountain's part; it plays as a fountain with its own class kept
// by its runtime.

#include "particles/fire_stream.h"

#include <gtest/gtest.h>

#include "tests/support/particle_kind_test.h"
#include "tests/support/scene_effect_test.h"

namespace glimmer::testing {
namespace {

TEST(PtclFireStreamStoredForm, ItsValueThenTheFountainsPart) {
  QVX_FontainPtclSys fountain;
  fountain.rate.rate.SetValue(40);
  fountain.range.SetValue(77);
  ZT_IOF_W own;
  own.WriteUInt32(8);
  ZT_PtclFireStream effect;
  ReadEffect(OwnBlockThenBase<QVX_FontainPtclSys>(own, fountain), effect);
  EXPECT_EQ(effect.reserved.Value(), 8u);
  EXPECT_FLOAT_EQ(effect.rate.rate.Scaled(), 8.0f) << "the fountain's scale";
  EXPECT_EQ(effect.range.Value(), 77u);
}

using PtclFireStreamKind = ParticleKindTest;

TEST_F(PtclFireStreamKind, PlaysAsAFountainAndKeepsItsClass) {
  ZT_PtclFireStream effect;
  effect.timing.SetValue(1);      // no warm-up
  effect.rate.rate.SetValue(50);  // 10 a second
  effect.range.SetValue(10000);
  auto runtime = Start(effect);
  EXPECT_NE(dynamic_cast<const ZT_PtclFireStream*>(&runtime->Constructor()), nullptr);
  Run(*runtime, 0, 2);
  EXPECT_NEAR(double(runtime->Engine().Count()), 20.0, 1.0);
}

}  // namespace
}  // namespace glimmer::testing
