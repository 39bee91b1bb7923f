// The stored form of the MoveFX kind: the swing arrives with version 2.

#include "effects/move_fx.h"

#include <gtest/gtest.h>

#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(MoveFX, OlderVersionsReadTheirPrefix) {
  for (int32_t v = 1; v <= 2; ++v) {
    ZT_MoveFX move;
    ReadVersion<ZT_DirectionBased>(move, v, [&](ZT_IOF_W& w) {
      if (v >= 2) w.WriteInt32(1);
    });
    EXPECT_EQ(move.swing.Value(), v >= 2 ? 1 : 0) << "version " << v;
    EXPECT_EQ(move.smear.Value(), 0u);
    EXPECT_FLOAT_EQ(move.strength.Scale(), 0.004f) << "the kind's strength scale";
  }
}

}  // namespace
}  // namespace glimmer::testing
