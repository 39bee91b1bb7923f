// The single-rectangle generators: the placement and origin parts of both
// versions, the quad's corners with each flip, the animated picture stepping
// forwards and backwards through its frames, and the plant's stored form.

#include "generators/static_generators.h"

#include <gtest/gtest.h>

#include "generators/plant.h"
#include "generators/static_animation.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/generator_kind_test.h"

namespace glimmer::testing {
namespace {

// The placement 10..110 × 20..80, then the origin and textured parts.
void WriteRectangle(ZT_IOF_W& w, int32_t version) {
  w.WriteHeader(u"ZT_SingleRectGN", version);
  const float corners[4][2] = {{10, 20}, {10, 80}, {110, 20}, {110, 80}};
  for (const auto& c : corners) {
    w.WriteFloat(c[0]);
    w.WriteFloat(c[1]);
    w.WriteFloat(0);
  }
  if (version == 1) {
    w.WriteFloat(3);
    w.WriteFloat(4);
  }
  w.WriteHeader(u"ZT_StaticGenerator", 1);
  for (float f : {60.0f, 50.0f, 0.0f}) w.WriteFloat(f);
  WriteTexGeneratorBase(w, 3);
}

TEST(StaticAnimationStored, ReadsBothRectangleVersions) {
  for (int32_t version = 1; version <= 2; ++version) {
    SCOPED_TRACE(version);
    ZT_IOF_W w;
    w.WriteUInt32(200);  // factor 2
    w.WriteLong(1);      // reverse
    WriteRectangle(w, version);
    ZT_StaticAnimation animation;
    ReadWith(w.Take(), [&](Archive& ar) { animation.Serialize(ar, 1); });
    EXPECT_FLOAT_EQ(animation.speed.Scaled(), 2.0f);
    EXPECT_EQ(animation.reverse, 1);
    EXPECT_EQ(animation.placement.Corners[3].Value().x, 110.0f);
    EXPECT_EQ(animation.legacy[1], version == 1 ? 4.0f : 0.0f);
    EXPECT_EQ(animation.origin.Value().x, 60.0f);
    EXPECT_EQ(animation.flipVertical.Value(), 1);
  }
}

TEST(PlantStored, ReadsItsSlidersAndTheRectangle) {
  ZT_IOF_W w;
  for (uint32_t v : {100u, 30u, 50u, 25u}) w.WriteUInt32(v);
  WriteRectangle(w, 2);
  ZT_Plant plant;
  ReadWith(w.Take(), [&](Archive& ar) { plant.Serialize(ar, 1); });
  EXPECT_FLOAT_EQ(plant.speed.Scaled(), 2.0f);
  EXPECT_FLOAT_EQ(plant.frequency.Scaled(), 3.0f);
  EXPECT_FLOAT_EQ(plant.windMagnitude.Scaled(), 0.1f);
  EXPECT_FLOAT_EQ(plant.bendMagnitude.Scaled(), 0.05f);
  EXPECT_EQ(plant.placement.Corners[0].Value().y, 20.0f);
}

TEST(StaticAnimationFrames, ReverseStepsBackAndWrapsFromTheFirstToTheLast) {
  for (int32_t reverse = 0; reverse <= 1; ++reverse) {
    ZT_StaticAnimation animation;
    animation.reverse = reverse;
    animation.frames.resize(3);
    animation.frameDelays = {0.1f, 0.1f, 0.1f};
    std::vector<size_t> seen = {0};
    for (int k = 1; k <= 40; ++k) {
      animation.speed.Advance(float(k) * 0.02f);
      animation.StepFrames();
      if (seen.back() != animation.frameIndex) seen.push_back(animation.frameIndex);
    }
    ASSERT_GE(seen.size(), 5u);
    const std::vector<size_t> expected =
        reverse ? std::vector<size_t>{0, 2, 1, 0, 2} : std::vector<size_t>{0, 1, 2, 0, 1};
    EXPECT_EQ(std::vector<size_t>(seen.begin(), seen.begin() + 5), expected) << reverse;
  }
}

using SingleRectRuntime = GeneratorKindTest;

TEST_F(SingleRectRuntime, TheQuadTakesThePlacementAndEachFlip) {
  for (int flips = 0; flips < 4; ++flips) {
    ZT_StaticAnimation kind;
    const D3DXVECTOR3 corners[4] = {{10, 20, 0}, {10, 80, 0}, {110, 20, 0}, {110, 80, 0}};
    for (int i = 0; i < 4; ++i) kind.placement.Corners[i].StoreValue(corners[i]);
    kind.flipVertical.SetValue(flips & 1);
    kind.flipHorizontal.SetValue(flips >> 1);
    kind.colour1.Color.SetValue(0x102030);
    kind.colour1.Transparency.SetValue(50);
    auto runtime = Start(kind);
    ASSERT_EQ(runtime->DrawnCount(0), 1u);
    const DX_V::PCT* v = runtime->QuadVertices(0, 0);
    // Vertex 0 is the bottom left (texture (0, 1)); flips move it.
    EXPECT_EQ(v[0].x, (flips >> 1) ? 110.0f : 10.0f) << flips;
    EXPECT_EQ(v[0].y, (flips & 1) ? 20.0f : 80.0f) << flips;
    EXPECT_EQ(v[0].u, 0.0f);
    EXPECT_EQ(v[0].v, 1.0f);
    EXPECT_EQ(v[3].color, 0x7F302010u);
  }
}

}  // namespace
}  // namespace glimmer::testing
