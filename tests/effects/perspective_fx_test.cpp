// The stored form of the PerspectiveFX kind: the motion arrives with version 2.

#include "effects/perspective_fx.h"

#include <gtest/gtest.h>

#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(PerspectiveFX, OlderVersionsReadTheirPrefix) {
  for (int32_t v = 1; v <= 2; ++v) {
    ZT_PerspectiveFX perspective;
    ReadVersion<ZT_LineBased>(perspective, v, [&](ZT_IOF_W& w) {
      w.WriteUInt32(25);
      w.WriteUInt32(10);
      if (v >= 2) w.WriteInt32(4);
    });
    EXPECT_FLOAT_EQ(perspective.tilt.Scaled(), 0.5f);
    EXPECT_EQ(perspective.motion.Value(), v >= 2 ? 4 : 0) << "version " << v;
    EXPECT_FLOAT_EQ(perspective.swing.Scaled(), 1.0f);
  }
}

}  // namespace
}  // namespace glimmer::testing
