// The stored form of the ExpandFX kind: version 1 reads a sine motion.

#include "effects/expand_fx.h"

#include <gtest/gtest.h>

#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(ExpandFX, VersionOneReadsASine) {
  {
    ZT_ExpandFX expand;
    ReadVersion<ZT_CentralBased>(expand, 1, [](ZT_IOF_W& w) {
      w.WriteUInt32(100);
      w.WriteUInt32(0);
    });
    EXPECT_FLOAT_EQ(expand.amplitude.Scaled(), 0.6f);
    EXPECT_FLOAT_EQ(expand.radius.Scaled(), 0.05f);
    EXPECT_EQ(expand.motion.Value(), 3) << "version 1: a sine";
  }
}

}  // namespace
}  // namespace glimmer::testing
