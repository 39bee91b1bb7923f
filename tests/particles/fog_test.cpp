// Fog: its own value before the spray's part, its finer sliders, and a
// warm-up of 8 s of births where the spray has 5.

#include "particles/fog.h"

#include <gtest/gtest.h>

#include "tests/support/particle_kind_test.h"
#include "tests/support/scene_effect_test.h"

namespace glimmer::testing {
namespace {

TEST(FogStoredForm, ItsValueThenTheSprayWithFinerSliders) {
  QVX_SprayPtclSys spray;
  spray.rate.rate.SetValue(300);
  spray.speed.SetValue(500);
  spray.appearance.spinSpeed.SetValue(200);
  ZT_IOF_W own;
  own.WriteUInt32(9);
  ZT_PtclFog fog;
  ReadEffect(OwnBlockThenBase<QVX_SprayPtclSys>(own, spray), fog);
  EXPECT_EQ(fog.reserved.Value(), 9u);
  EXPECT_FLOAT_EQ(fog.rate.rate.Scaled(), 3.0f) << "u × 0.01 per second";
  EXPECT_FLOAT_EQ(fog.speed.Scaled(), 5.0f) << "u × 0.01 pixels per second";
  EXPECT_FLOAT_EQ(fog.appearance.spinSpeed.Scaled(), 0.1f) << "u × 0.0005";
  // A copy (the runtime's) keeps the scales.
  const ZT_PtclFog copy = fog;
  EXPECT_FLOAT_EQ(copy.rate.rate.Scaled(), 3.0f);
}

using FogKind = ParticleKindTest;

TEST_F(FogKind, WarmsUpEightSecondsWhereTheSprayTakesFive) {
  ZT_PtclFog fog;
  fog.rate.rate.SetValue(1000);  // 10 a second
  fog.life.SetValue(2000);       // outlives the warm-up
  QVX_SprayPtclSys spray;
  spray.rate.rate.SetValue(50);  // 10 a second
  spray.life.SetValue(2000);
  EXPECT_NEAR(double(Start(fog)->Engine().Count()), 80.0, 1.0);
  EXPECT_NEAR(double(Start(spray)->Engine().Count()), 50.0, 1.0);
}

}  // namespace
}  // namespace glimmer::testing
