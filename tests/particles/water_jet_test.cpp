// Water jet: nothing of its own before the fountain's part (written as
// version 0); its runtime keeps a copy of its own class.

#include "particles/water_jet.h"

#include <gtest/gtest.h>

#include "scene/scene_object.h"
#include "tests/support/scene_effect_test.h"

namespace glimmer::testing {
namespace {

TEST(WaterJetStoredForm, TheFountainsPartAlone) {
  QVX_FontainPtclSys fountain;
  fountain.rate.rate.SetValue(40);
  fountain.range.SetValue(77);
  ZT_IOF_W own;
  ZT_WaterJet effect;
  ReadEffect(OwnBlockThenBase<QVX_FontainPtclSys>(own, fountain), effect);
  EXPECT_FLOAT_EQ(effect.rate.rate.Scaled(), 8.0f) << "the fountain's scale";
  EXPECT_EQ(effect.range.Value(), 77u);
  const auto runtime = effect.CreateRuntime();
  EXPECT_NE(dynamic_cast<const ZT_WaterJet*>(&runtime->Constructor()), nullptr) << "its own copy";
}

}  // namespace
}  // namespace glimmer::testing
