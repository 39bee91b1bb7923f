// The stream: its stored form keeps the first speed pair and plays the
// second; without scatter every particle flies from its start point to the
// point at the same fraction of the end edge; a layer without placement
// spans 80 % of the target.

#include "particles/stream.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/particle_kind_test.h"
#include "tests/support/scene_effect_test.h"

namespace glimmer::testing {
namespace {

TEST(StreamStoredForm, TheSecondSpeedPairIsPlayedAndTheFirstKept) {
  ZT_StreamPtclSys base;
  ZT_IOF_W own;
  own.WriteUInt32(25);  // rate
  for (int k = 0; k < 12; ++k) own.WriteFloat(float(k));
  own.WriteUInt32(400);  // life
  for (uint32_t u : {11u, 12u, 30u, 40u}) own.WriteUInt32(u);
  own.WriteUInt32(50);  // scatter
  ZT_StreamPtclSys stream;
  ReadEffect(OwnBlockThenBase<QVX_ParticleSystemCtrl>(own, base), stream);
  EXPECT_FLOAT_EQ(stream.rate.rate.Scaled(), 5.0f);
  EXPECT_EQ(stream.frame.Corners[2].Value(), (D3DXVECTOR3{6, 7, 8}));
  EXPECT_FLOAT_EQ(stream.life.Seconds(), 4.0f);
  EXPECT_EQ(stream.firstSpeed.Value(), 11u);
  EXPECT_EQ(stream.firstSpeedSpread.Value(), 12u);
  EXPECT_FLOAT_EQ(stream.speed.Scaled(), 60.0f) << "u × 2 pixels per second";
  EXPECT_FLOAT_EQ(stream.speed.Spread.Scaled(), 0.6f);
  EXPECT_FLOAT_EQ(stream.scatter.Scaled(), 0.1f);
  const std::vector<uint8_t> written = WriteWith([&](Archive& ar) { stream.Serialize(ar, 1); });
  ZT_StreamPtclSys again;
  ReadEffect(written, again);
  EXPECT_EQ(again.firstSpeed.Value(), 11u);
  EXPECT_EQ(again.speed.Value(), 30u);
}

using StreamKind = ParticleKindTest;

TEST_F(StreamKind, WithoutScatterEachFliesToTheSameFractionOfTheEndEdge) {
  ZT_StreamPtclSys stream;
  stream.timing.SetValue(1);
  stream.scatter.SetValue(0);
  stream.rate.rate.SetValue(500);
  stream.life.SetValue(1000);
  // Start edge (0, 0)–(100, 0), end edge (50, 100)–(250, 100).
  stream.frame.Corners[0].SetValue({0, 0, 0});
  stream.frame.Corners[2].SetValue({100, 0, 0});
  stream.frame.Corners[1].SetValue({50, 100, 0});
  stream.frame.Corners[3].SetValue({250, 100, 0});
  auto runtime = Start(stream);
  Run(*runtime, 0, 0.5f);
  ASSERT_GT(runtime->Engine().Count(), 20u);
  for (size_t i = 0; i < runtime->Engine().Count(); ++i) {
    const Particle& p = runtime->Engine().At(i);
    // Back along its flight to the start edge (y = 0), then on to y = 100.
    const D3DXVECTOR3 v = p.velocity;
    ASSERT_GT(v.y, 0.0f);
    const D3DXVECTOR3 start = p.position - v * (p.position.y / v.y);
    const D3DXVECTOR3 end = start + v * (100 / v.y);
    const float m = start.x / 100;
    EXPECT_NEAR(end.x, 50 + 200 * m, 1e-2) << i;
  }
}

TEST_F(StreamKind, ALayerWithoutPlacementSpansEightyPercentOfTheTarget) {
  ZT_StreamPtclSys stream;
  stream.keepIdentity = 0;
  auto runtime = Start(stream);
  const auto& placed = static_cast<const ZT_StreamPtclSys&>(runtime->Constructor());
  EXPECT_EQ(placed.frame.Corners[0].Value(), (D3DXVECTOR3{32, 18, 0}));
  EXPECT_EQ(placed.frame.Corners[3].Value(), (D3DXVECTOR3{288, 162, 0}));
}

}  // namespace
}  // namespace glimmer::testing
