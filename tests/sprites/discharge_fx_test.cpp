// The discharge: its stored form, the arc's segments (one straight segment,
// deviation 0, the pinned draws from state 1, start = end), the capped
// segment count and flicker interval, the glide between shapes and the
// glow runtime it makes.

#include "sprites/discharge_fx.h"

#include <gtest/gtest.h>

#include <cmath>

#include "params/random_source.h"
#include "store/stream_reader.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/sprite_kind_test.h"

namespace glimmer::testing {
namespace {

using DischargeFx = SpriteKindTest;

ZT_DischargeFXConstructor Arc(D3DXVECTOR3 s, D3DXVECTOR3 e, uint32_t deviation) {
  ZT_DischargeFXConstructor arc;
  arc.startPoint.StoreValue(s);
  arc.endPoint.StoreValue(e);
  arc.deviation.SetValue(deviation);
  return arc;
}

TEST(DischargeFxStored, ReadsItsFieldsAndEveryBaseHeader) {
  ZT_IOF_W w;
  for (float f : {10.0f, 20.0f, 0.0f, 110.0f, 40.0f, 0.0f}) w.WriteFloat(f);
  w.WriteUInt32(30);   // deviation
  w.WriteLong(0);      // style
  w.WriteUInt32(0);    // flicker: 0.1 s
  w.WriteUInt32(120);  // arc speed
  w.WriteHeader(u"ZT_GlowEffectCtrl", 1);
  w.WriteInt32(0x0000FF);
  w.WriteUInt32(250);
  w.WriteHeader(u"ZT_FXParticleSystemCtrl", 1);
  w.WriteString(u"common_res.dll");
  w.WriteUInt64(97);
  WriteSpriteBase(w, 7);
  ZT_DischargeFXConstructor arc;
  ReadWith(w.Take(), [&](Archive& ar) { arc.Serialize(ar, 1); });
  EXPECT_EQ(arc.endPoint.Value().x, 110.0f);
  EXPECT_FLOAT_EQ(arc.deviation.Scaled(), 0.3f);
  EXPECT_EQ(arc.style.Value(), 0);
  EXPECT_FLOAT_EQ(arc.FlickerSeconds(), 0.1f);
  EXPECT_FLOAT_EQ(arc.arcSpeed.Scaled(), 12.0f);
  EXPECT_EQ(arc.glowColour.Red(), 255);
  EXPECT_FLOAT_EQ(arc.glowStrength.Scaled(), 2.5f);
  EXPECT_EQ(arc.effect.Stamp(), 97u);
  EXPECT_EQ(arc.count.Value(), 3u);
}

TEST(DischargeFxArc, OneSegmentRunsStraightWithoutDrawing) {
  auto arc = Arc({10, 10, 0}, {40, 50, 0}, 80);
  std::vector<ArcSegment> one(1);
  SeedRandom(1);
  arc.NewArcShape(one);
  EXPECT_EQ(RandomState(), 1u) << "no draw for the last segment";
  EXPECT_NEAR(one[0].length, 50, 1e-4);
  EXPECT_NEAR(one[0].centre.x, 25, 1e-4);
  EXPECT_NEAR(one[0].centre.y, 30, 1e-4);
  EXPECT_NEAR(one[0].normal.x, 0.8f, 1e-5);
  EXPECT_NEAR(one[0].normal.y, -0.6f, 1e-5);
}

TEST(DischargeFxArc, ZeroDeviationKeepsEqualSegmentsOnTheLine) {
  auto arc = Arc({0, 100, 0}, {120, 100, 0}, 0);
  std::vector<ArcSegment> four(4);
  arc.NewArcShape(four);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_NEAR(four[i].length, 30, 1e-4);
    EXPECT_NEAR(four[i].centre.x, 15 + 30 * float(i), 1e-3);
    EXPECT_NEAR(four[i].centre.y, 100, 1e-5);
  }
}

TEST(DischargeFxArc, DeviatesByTheDrawsFromStateOneAndEndsAtTheEnd) {
  auto arc = Arc({0, 0, 0}, {100, 0, 0}, 50);
  std::vector<ArcSegment> two(2);
  SeedRandom(1);
  arc.NewArcShape(two);
  // u1 from 41 (unused: D.y = 0), u2 from 18467: v = (100, u2 · 100).
  const float u2 = float(18467) / 32767.0f - 0.5f;
  const float len = std::hypot(1.0f, u2);
  EXPECT_NEAR(two[0].direction.x, 1 / len, 1e-5);
  EXPECT_NEAR(two[0].direction.y, u2 / len, 1e-5);
  EXPECT_NEAR(two[0].length, 50, 1e-4);
  const D3DXVECTOR3 end{two[1].centre.x + two[1].direction.x * two[1].length * 0.5f,
                        two[1].centre.y + two[1].direction.y * two[1].length * 0.5f, 0};
  EXPECT_NEAR(end.x, 100, 1e-3);
  EXPECT_NEAR(end.y, 0, 1e-3);
}

TEST(DischargeFxArc, StartAtTheEndGivesFiniteSegments) {
  auto arc = Arc({50, 50, 0}, {50, 50, 0}, 50);
  std::vector<ArcSegment> three(3);
  arc.NewArcShape(three);
  for (const ArcSegment& s : three) {
    EXPECT_TRUE(std::isfinite(s.direction.x) && std::isfinite(s.normal.y));
    EXPECT_EQ(s.length, 0.0f);
    EXPECT_EQ(s.centre.x, 50.0f);
  }
}

TEST(DischargeFxArc, CapsTheCountAndTheFlickerInterval) {
  ZT_DischargeFXConstructor arc;
  arc.count.SetValue(kMaxArcSegments + 5);
  EXPECT_EQ(arc.SegmentCount(), kMaxArcSegments);
  arc.flickerInterval.SetValue(100);
  EXPECT_EQ(arc.FlickerSeconds(), 0.0f);
  arc.flickerInterval.SetValue(400);
  EXPECT_EQ(arc.FlickerSeconds(), 0.0f) << "never negative";
}

TEST_F(DischargeFx, SegmentsGlideHalfwayAtArcSpeedFive) {
  auto kind = Arc({20, 90, 0}, {300, 90, 0}, 60);
  kind.count.SetValue(3);
  auto group = std::dynamic_pointer_cast<ZT_GlowingObj>(kind.CreateRuntime());
  ASSERT_TRUE(group);
  group->Restart();
  auto& arc = static_cast<ZT_DischargeFXConstructor&>(group->Owner());
  float most = 0;
  Run(*group, 0, 2, [&](float t) {
    const float f = (arc.motionTime - arc.shapeTime) * arc.arcSpeed.Scaled();
    most = std::max(most, f);
    const SpriteRecord& r = group->Records()[1];
    EXPECT_EQ(r.uA, 0.195f);
    EXPECT_EQ(r.uB, 0.805f);
    EXPECT_EQ(r.halfHeight, 25.0f);
    if (t > 0) {
      EXPECT_EQ(std::fabs(r.vB - r.vA), 0.5f) << "one half of the picture";
    }
  });
  EXPECT_LE(most, 0.61f) << "about halfway before the next shape";
  EXPECT_GT(most, 0.4f);
  EXPECT_EQ(group->Records()[0].uA, 0.0f);
  EXPECT_EQ(group->Records()[2].uB, 1.0f);
  EXPECT_TRUE(group->NeedsSceneCopy());
}

}  // namespace
}  // namespace glimmer::testing
