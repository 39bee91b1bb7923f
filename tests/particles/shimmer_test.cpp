// Shimmer: nothing of its own before the spray's part; its runtime keeps a
// copy of its own class.

#include "particles/shimmer.h"

#include <gtest/gtest.h>

#include "scene/scene_object.h"
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
  const auto runtime = effect.CreateRuntime();
  EXPECT_NE(dynamic_cast<const ZT_Shimmer*>(&runtime->Constructor()), nullptr) << "its own copy";
}

}  // namespace
}  // namespace glimmer::testing
