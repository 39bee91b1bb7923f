// The stored form of the BendFX kind: the angle scale and version 1's motion.

#include "effects/bend_fx.h"

#include <gtest/gtest.h>

#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(BendFX, VersionOneReadsTheAngle) {
  {
    ZT_BendFX bend;
    ReadVersion<ZT_CentralBased>(bend, 1, [](ZT_IOF_W& w) {
      for (uint32_t u : {100u, 0u, 0u}) w.WriteUInt32(u);
    });
    EXPECT_NEAR(bend.angle.Scaled(), 3.14159f, 1e-4);
    EXPECT_EQ(bend.motion.Value(), 3);
  }
}

}  // namespace
}  // namespace glimmer::testing
