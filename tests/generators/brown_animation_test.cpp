// The Brownian animation: both stored versions of this player's layout and
// a document cut short failing with the class named, the particles placed
// from state 1 (y before x, then each one's wander), and particles that
// wander but stay about their rectangle.

#include "generators/brown_animation.h"

#include <gtest/gtest.h>

#include "params/random_source.h"
#include "store/stream_reader.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/generator_kind_test.h"
#include "tests/support/test_documents.h"

namespace glimmer::testing {
namespace {

std::vector<uint8_t> Stored(int32_t version) {
  ZT_IOF_W w;
  for (uint32_t v : {30u, 16u, 50u, 300u, 100u, 200u}) w.WriteUInt32(v);
  if (version >= 2) w.WriteUInt32(25);
  WriteRectRegionBase(w);
  return w.Take();
}

TEST(BrownAnimationStored, ReadsBothVersionsOfItsLayout) {
  for (int32_t version = 1; version <= 2; ++version) {
    SCOPED_TRACE(version);
    ZT_BrownAnimation brown;
    ReadWith(Stored(version), [&](Archive& ar) { brown.Serialize(ar, version); });
    EXPECT_EQ(brown.count.Value(), 30u);
    EXPECT_EQ(brown.particleSize.Value(), 16u);
    EXPECT_FLOAT_EQ(brown.accelerationTime.Seconds(), 0.5f);
    EXPECT_FLOAT_EQ(brown.changeInterval.Seconds(), 3.0f);
    EXPECT_FLOAT_EQ(brown.driftSpeed.Scaled(), 2.0f);
    EXPECT_FLOAT_EQ(brown.animationSpeed.Scaled(), 2.0f);
    EXPECT_FLOAT_EQ(brown.motionSpeed.Scaled(), version >= 2 ? 0.5f : 1.0f);
    EXPECT_EQ(brown.wanderRegion.right, 0.0f) << "the wander's region is made at the start";
  }
}

TEST(BrownAnimationStored, BytesThatDoNotFitFailNamingTheClass) {
  try {
    LoadShow(DocumentWithLayer(u"ZT_BrownAnimation"));
    ADD_FAILURE() << "read past the end";
  } catch (const LoadError& e) {
    EXPECT_NE(std::string(e.what()).find("ZT_BrownAnimation > count"), std::string::npos)
        << e.what();
  }
}

using BrownAnimationRuntime = GeneratorKindTest;

TEST_F(BrownAnimationRuntime, PlacesFromStateOneAndWandersAboutTheRectangle) {
  ZT_BrownAnimation kind;
  kind.region.SetCentered(100, 60, {160, 90, 0});  // 110..210 × 60..120
  kind.count.SetValue(20);
  SeedRandom(1);
  auto runtime = Start(kind);
  auto& brown = Settings<ZT_BrownAnimation>(*runtime);
  ASSERT_EQ(brown.wanderers.size(), 20u);
  EXPECT_FLOAT_EQ(brown.wanderers[0].position.y, 41.0f / 32767 * 60 + 60);
  EXPECT_FLOAT_EQ(brown.wanderers[0].position.x, 18467.0f / 32767 * 100 + 110);
  const auto& wander = static_cast<PBrownian&>(brown.wanderers[0].processes[0]);
  EXPECT_NEAR(wander.velocity.y, 6334.0 / 32767 * 200 - 100, 1e-3);
  std::vector<D3DXVECTOR3> start;
  for (const GeneratorParticle& p : brown.wanderers) start.push_back(p.position);
  Run(*runtime, 0, 20, [&](float) {
    for (const GeneratorParticle& p : brown.wanderers) {
      ASSERT_GT(p.position.x, 110 - 150);
      ASSERT_LT(p.position.x, 210 + 150);
      ASSERT_GT(p.position.y, 60 - 150);
      ASSERT_LT(p.position.y, 120 + 150);
    }
  });
  float moved = 0;
  for (size_t i = 0; i < start.size(); ++i)
    moved = std::max(moved, Length(brown.wanderers[i].position - start[i]));
  EXPECT_GT(moved, 10.0f);
  EXPECT_EQ(runtime->DrawnCount(0), 20u);
}

}  // namespace
}  // namespace glimmer::testing
