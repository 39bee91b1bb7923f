// The stored form of the OmbrelRadial kind: its strength and speed scales.

#include "effects/ombrel_radial.h"

#include <gtest/gtest.h>

#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(OmbrelRadial, VersionOneReadsTheStrength) {
  {
    ZT_OmbrelRadial radial;
    ReadVersion<ZT_CentralBased>(radial, 1, [](ZT_IOF_W& w) { w.WriteUInt32(400); });
    EXPECT_FLOAT_EQ(radial.strength.Scaled(), 0.8f);
    EXPECT_EQ(radial.inwards.Value(), 0);
    EXPECT_FLOAT_EQ(radial.speed.Scale(), 0.1f);
  }
}

}  // namespace
}  // namespace glimmer::testing
