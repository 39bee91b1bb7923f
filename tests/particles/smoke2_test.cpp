// Ground smoke: three values before the stream's part; a layer without
// placement lays both edges on the frame's bottom edge, and without scatter
// its particles (whose aim is where they start) stay put instead of
// flying along a direction that is not a number.

#include "particles/smoke2.h"

#include <gtest/gtest.h>

#include "tests/support/particle_kind_test.h"
#include "tests/support/scene_effect_test.h"

namespace glimmer::testing {
namespace {

TEST(PtclSmoke2StoredForm, ThreeValuesThenTheStream) {
  ZT_StreamPtclSys stream;
  stream.scatter.SetValue(77);
  ZT_IOF_W own;
  own.WriteUInt32(1);
  own.WriteUInt32(2);
  own.WriteLong(-3);
  ZT_PtclSmoke2 smoke;
  ReadEffect(OwnBlockThenBase<ZT_StreamPtclSys>(own, stream), smoke);
  EXPECT_EQ(smoke.reserved1.Value(), 1u);
  EXPECT_EQ(smoke.reserved2.Value(), 2u);
  EXPECT_EQ(smoke.reserved3.Value(), -3);
  EXPECT_EQ(smoke.scatter.Value(), 77u);
}

using PtclSmoke2Kind = ParticleKindTest;

TEST_F(PtclSmoke2Kind, BothEdgesOnTheBottomAndNoScatterLeavesParticlesAtRest) {
  for (uint32_t scatter : {0u, 100u}) {
    SCOPED_TRACE(scatter);
    ZT_PtclSmoke2 smoke;
    smoke.keepIdentity = 0;
    smoke.scatter.SetValue(scatter);
    auto runtime = Start(smoke);
    const auto& placed = static_cast<const ZT_PtclSmoke2&>(runtime->Constructor());
    EXPECT_EQ(placed.frame.Corners[0].Value(), (D3DXVECTOR3{32, 162, 0}));
    EXPECT_EQ(placed.frame.Corners[2].Value(), (D3DXVECTOR3{288, 162, 0}));
    Run(*runtime, 0, 0.5f);
    ASSERT_GT(runtime->Engine().Count(), 0u);
    bool moving = false;
    for (size_t i = 0; i < runtime->Engine().Count(); ++i) {
      const Particle& p = runtime->Engine().At(i);
      ASSERT_TRUE(Finite(p.position) && Finite(p.velocity)) << i;
      EXPECT_NEAR(p.position.y, 162, 1e-3) << "along the bottom edge";
      moving = moving || p.velocity.x != 0;
    }
    EXPECT_EQ(moving, scatter != 0) << "sideways only with scatter";
  }
}

}  // namespace
}  // namespace glimmer::testing
