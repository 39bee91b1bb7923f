// Fire stream: its value before the fountain's part; its runtime keeps a
// copy of its own class.

#include "particles/fire_stream.h"

#include <gtest/gtest.h>

#include "scene/scene_object.h"
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
  const auto runtime = effect.CreateRuntime();
  EXPECT_NE(dynamic_cast<const ZT_PtclFireStream*>(&runtime->Constructor()), nullptr)
      << "its own copy";
}

}  // namespace
}  // namespace glimmer::testing
